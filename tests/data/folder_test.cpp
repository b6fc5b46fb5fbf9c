// The run folder: laid out whole, made once, and a user's files left alone.
#include <gtest/gtest.h>

#include <fstream>

#include "data/run_folder.h"

namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

TEST(RunFolder, LaysOutEveryFolder) {
  data_test::TempFolder root;
  ASSERT_EQ(data_test::RunMakeData(root.Path()), 0);
  for (const char* folder : {"Files", "Files/Common", "Files/001", "Files/001/music", "Palettes",
                             "Presets", "Spritesheets"}) {
    EXPECT_TRUE(fs::is_directory(root.Path() / folder)) << folder;
  }
  // Presets and spritesheets are the user's: the data step puts nothing there.
  EXPECT_TRUE(fs::is_empty(root.Path() / "Presets"));
  EXPECT_TRUE(fs::is_empty(root.Path() / "Spritesheets"));
  // No temporary files are left behind.
  for (const auto& [name, bytes] : data_test::Snapshot(root.Path())) {
    EXPECT_EQ(name.find(".part"), std::string::npos) << name;
    EXPECT_EQ(name.find(".saving"), std::string::npos) << name;
  }
}

TEST(RunFolder, SecondRunChangesNoByte) {
  data_test::TempFolder root;
  ASSERT_EQ(data_test::RunMakeData(root.Path()), 0);
  auto first = data_test::Snapshot(root.Path());
  ASSERT_EQ(data_test::RunMakeData(root.Path()), 0);
  EXPECT_TRUE(first == data_test::Snapshot(root.Path()));
}

TEST(RunFolder, RunsAreDeterministic) {
  data_test::TempFolder one, two;
  ASSERT_EQ(data_test::RunMakeData(one.Path()), 0);
  ASSERT_EQ(data_test::RunMakeData(two.Path()), 0);
  EXPECT_TRUE(data_test::Snapshot(one.Path()) == data_test::Snapshot(two.Path()));
}

TEST(RunFolder, KeepsTheUsersFilesAndFillsInTheRest) {
  data_test::TempFolder root;
  const std::map<std::string, std::string> users = {
      {"Presets/Mine.dat", "preset values"},
      {"Presets/Mine.png", "not really a picture"},
      {"Spritesheets/Sheet.png", "a sheet"},
      {"Files/Setup.ini", "FULLSCREEN = 1\r\n"},
      {"Files/001/nuscores.dat", "scores"},
      {"Files/Quill Retro Sprite Tool (Screenshot_1 Jan 2026_120000).png", "shot"},
      {"Shapes.png", "my own shapes"},  // a changed data file stays changed
      {"Files/001/music/theme.ini", "[DRUMS]"},
  };
  for (const auto& [name, bytes] : users) WriteText(root.Path() / name, bytes);
  fs::remove(root.Path() / "Files/001/003.wav");  // nothing there yet anyway
  // Links at outputs, to a user's file and to nowhere: no write goes through.
  fs::create_symlink(root.Path() / "Presets/Mine.dat", root.Path() / "Files/001/music/chase.ini");
  fs::create_symlink(root.Path() / "nowhere.png", root.Path() / "Filters.png");
  ASSERT_EQ(data_test::RunMakeData(root.Path()), 0);
  auto after = data_test::Snapshot(root.Path());
  for (const auto& [name, bytes] : users) EXPECT_EQ(after[name], bytes) << name;
  EXPECT_FALSE(fs::exists(root.Path() / "nowhere.png"));
  EXPECT_TRUE(fs::is_symlink(root.Path() / "Filters.png"));
  EXPECT_TRUE(fs::exists(root.Path() / "Files/Common/icons.png"));
  EXPECT_TRUE(fs::exists(root.Path() / "Files/001/music/d1-1.wav"));
}

TEST(RunFolder, RemadeFileIsTheSameAsBefore) {
  data_test::TempFolder root;
  ASSERT_EQ(data_test::RunMakeData(root.Path()), 0);
  auto first = data_test::Snapshot(root.Path());
  fs::remove(root.Path() / "Filters.png");
  fs::remove(root.Path() / "Files/001/music/lead2.wav");
  ASSERT_EQ(data_test::RunMakeData(root.Path()), 0);
  EXPECT_TRUE(first == data_test::Snapshot(root.Path()));
}

TEST(RunFolder, RefusesAMissingFolderArgument) {
  EXPECT_NE(data_test::RunMakeData(std::string("")), 0);
  EXPECT_NE(data_test::RunMakeData(std::string("''")), 0);
}

TEST(RunFolder, ReportsAFolderItCannotMake) {
  data_test::TempFolder root;
  WriteText(root.Path() / "taken", "a file where the folder should go");
  EXPECT_EQ(data_test::RunMakeData(root.Path() / "taken"), 1);
  EXPECT_EQ(data_test::ReadBytes(root.Path() / "taken"), "a file where the folder should go");
}

}  // namespace
