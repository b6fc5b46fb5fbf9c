#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "full_disk.h"
#include "tool_stage.h"

namespace {

namespace fs = std::filesystem;
using tool_stage::ToolStage;

int32_t IntAt(const std::string& bytes, size_t position) {
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + position * 4, 4);  // little-endian hosts only
  return static_cast<int32_t>(value);
}

std::vector<std::shared_ptr<tool::data>> Presets() {
  std::vector<std::shared_ptr<tool::data>> records;
  tool::PresetList.ForEach([&](const auto& record) { records.push_back(record); });
  return records;
}

class PresetTest : public ::testing::Test {
 protected:
  PresetTest() : stage(false) { stage.StartWorkingState(-7); }

  // Paints every pixel of one frame of the sprite.
  void PaintFrame(int32_t frame, uint32_t argb) {
    platform::PixelWrite write(*fw_lock_image(tool::SpriteImage, frame));
    for (uint32_t& pixel : write.All()) pixel = argb;
    fw_unlock_image(tool::SpriteImage, frame);
  }
  void ExpectInWeekFolder() {
    EXPECT_TRUE(fs::equivalent(fs::current_path(), stage.Path("Files/001")));
  }

  ToolStage stage;
};

TEST_F(PresetTest, SaveWritesTheSeedThenTheSettingsWithTheWorkingSize) {
  tool::SpriteName = u"Knight";
  tool::SpriteWidth = 16;
  tool::SpriteHeight = 40;
  tool::SpriteImage = fw_create_image(16, 40, 128, 9);
  PaintFrame(3, 0xFF2040C0u);
  tool::ToolSettings[0] = 5;
  tool::ToolSettings[3199] = -1;  // the size entries stay 0, as Clear leaves them

  tool::SavePreset(3);

  const std::string dat = stage.Read("Presets/Knight.dat");
  ASSERT_EQ(dat.size(), 12804u);
  EXPECT_EQ(IntAt(dat, 0), -7);
  EXPECT_EQ(IntAt(dat, 1), 5);
  EXPECT_EQ(IntAt(dat, 2999), 40);
  EXPECT_EQ(IntAt(dat, 3000), 16);
  EXPECT_EQ(IntAt(dat, 3200), -1);
  platform::PixmapRef icon = fw_load_pixmap(platform::FromUtf8(stage.Path("Presets/Knight.png")));
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->width, 16);
  EXPECT_EQ(icon->height, 40);
  EXPECT_EQ(fw_read_pixel(icon, 15, 39), 0xFF2040C0u);
  EXPECT_EQ(ToolStage::Notices(), std::vector<Text>{u"Saved Knight"});
  ASSERT_EQ(tool::PresetList.Count(), 1);
  EXPECT_EQ(Presets()[0]->name, u"Knight");
  EXPECT_EQ(tool::WorkPixmap, nullptr);
  ExpectInWeekFolder();
}

TEST_F(PresetTest, AnEmptyNameSavesAsAutosave) {
  tool::SpriteName.clear();
  tool::SavePreset(0);
  EXPECT_EQ(tool::SpriteName, u"Autosave");
  EXPECT_TRUE(stage.Exists("Presets/Autosave.png"));
  EXPECT_TRUE(stage.Exists("Presets/Autosave.dat"));
}

TEST_F(PresetTest, SavingTwiceUnderOneNameLeavesOneRowWithTheNewIcon) {
  PaintFrame(0, 0xFF0000FFu);
  tool::SavePreset(0);
  PaintFrame(0, 0xFF00FF00u);
  tool::SavePreset(0);

  ASSERT_EQ(tool::PresetList.Count(), 1);
  platform::PixmapRef icon = fw_lock_image(Presets()[0]->icon, 0);
  EXPECT_EQ(fw_read_pixel(icon, 0, 0), 0xFF00FF00u);
  EXPECT_EQ(stage.FileNames("Presets"),
            (std::vector<std::string>{"NameYourSprite.dat", "NameYourSprite.png"}));
}

TEST_F(PresetTest, OnlyALowerCasePngWithADatMakesARow) {
  stage.AddPreset("pair", ToolStage::PresetBytes(1, {}));
  stage.WritePng("Presets/upper.PNG", 8, 8);
  stage.Write("Presets/upper.dat", ToolStage::PresetBytes(2, {}));
  stage.WritePng("Presets/lonely.png", 8, 8);
  stage.Write("Presets/orphan.dat", ToolStage::PresetBytes(3, {}));
  stage.Write("Presets/notes.txt", "x");
  fs::create_directories(stage.Path("Presets/folder.dat"));
  stage.WritePng("Presets/folder.png", 8, 8);

  tool::LoadPresetList();

  ASSERT_EQ(tool::PresetList.Count(), 1);
  EXPECT_EQ(Presets()[0]->name, u"pair");
  EXPECT_EQ(Presets()[0]->seed, 1);
  EXPECT_NE(Presets()[0]->icon, 0);
  ExpectInWeekFolder();
}

TEST_F(PresetTest, LoadingAndSavingAgainWritesTheSameBytes) {
  const std::string original = ToolStage::PresetBytes(
      -123456789, {{0, 9}, {11, 200}, {2998, 24}, {2999, 16}, {2500, -42}, {3199, 77}});
  stage.AddPreset("Slime", original);
  tool::LoadPresetList();
  ASSERT_EQ(tool::PresetList.Count(), 1);

  tool::ApplyPreset(*Presets()[0]);
  tool::SavePreset(0);

  EXPECT_EQ(stage.Read("Presets/Slime.dat"), original);
}

TEST_F(PresetTest, ApplyCopiesTheRecordIntoTheWorkingState) {
  stage.AddPreset("Bat", ToolStage::PresetBytes(99, {{20, 4}, {2998, 24}, {2999, 16}}));
  tool::LoadPresetList();
  std::shared_ptr<tool::data> record = Presets()[0];

  tool::ApplyPreset(*record);
  tool::ToolSettings[20] = 5;

  EXPECT_EQ(tool::SpriteSeed, 99);
  EXPECT_EQ(record->values[20], 4);  // the record keeps its own values
  EXPECT_EQ(tool::SpriteName, u"Bat");
  EXPECT_EQ(tool::SpriteWidth, 16);
  EXPECT_EQ(tool::SpriteHeight, 24);
  EXPECT_EQ(fw_image_width(tool::SpriteImage), 16);
  EXPECT_EQ(fw_image_height(tool::SpriteImage), 24);
  EXPECT_EQ(fw_image_frames(tool::SpriteImage), 128);
  EXPECT_EQ(ToolStage::Notices().back(), u"Loaded Bat");
}

TEST_F(PresetTest, AShortDatLoadsWithTheMissingValuesZero) {
  std::string bytes = ToolStage::PresetBytes(0x01020304, {{0, 7}, {1, 0x7FFFFFFF}});
  stage.AddPreset("short", bytes.substr(0, 10));
  stage.AddPreset("long", bytes + "trailing bytes");
  tool::LoadPresetList();

  ASSERT_EQ(tool::PresetList.Count(), 2);
  for (const auto& record : Presets()) {
    EXPECT_EQ(record->seed, 0x01020304);
    EXPECT_EQ(record->values[0], 7);
    EXPECT_EQ(record->values[1], record->name == u"short" ? 0xFFFF : 0x7FFFFFFF);
    EXPECT_EQ(record->values[2], 0);
    EXPECT_EQ(record->values.size(), 3200u);
  }
}

TEST_F(PresetTest, AStoredSizeNoControlCouldMakeKeepsTheWorkingSize) {
  for (auto [width, height] : {std::pair{12, 16}, {16, 0}, {72, 8}, {-8, 8}}) {
    tool::SpriteWidth = tool::SpriteHeight = 32;
    tool::data record;
    record.name = u"odd";
    record.values[2999] = width;
    record.values[2998] = height;
    record.values[11] = 140;
    tool::ApplyPreset(record);
    EXPECT_EQ(tool::SpriteWidth, 32);
    EXPECT_EQ(tool::SpriteHeight, 32);
    EXPECT_EQ(tool::ToolSettings[11], 140);
    EXPECT_EQ(fw_image_width(tool::SpriteImage), 32);
    EXPECT_EQ(ToolStage::Notices().back(), u"Loaded odd");
  }
}

TEST_F(PresetTest, AnIconThatFailsToLoadLeavesIconZero) {
  stage.Write("Presets/broken.png", "not a picture");
  stage.Write("Presets/broken.dat", ToolStage::PresetBytes(5, {}));
  tool::LoadPresetList();
  ASSERT_EQ(tool::PresetList.Count(), 1);
  EXPECT_EQ(Presets()[0]->icon, 0);
  EXPECT_EQ(Presets()[0]->seed, 5);
}

// The tool makes icons of at most 64 x 64, and the column would draw a larger
// one at scale 0: such an icon is not decoded, and its preset still loads.
TEST_F(PresetTest, AnIconLargerThanTheToolMakesIsNotKept) {
  const std::map<std::string, std::pair<int32_t, int32_t>> icons = {
      {"largest", {64, 64}}, {"wide", {65, 8}}, {"tall", {8, 65}}, {"huge", {5792, 1}}};
  for (const auto& [name, size] : icons) {
    stage.WritePng("Presets/" + name + ".png", size.first, size.second);
    stage.Write("Presets/" + name + ".dat", ToolStage::PresetBytes(size.first));
  }
  tool::LoadPresetList();

  ASSERT_EQ(tool::PresetList.Count(), 4);
  for (const auto& record : Presets()) {
    const std::string name = platform::ToUtf8(record->name);
    EXPECT_EQ(fw_image_width(record->icon), name == "largest" ? 64 : 0) << name;
    EXPECT_EQ(record->seed, icons.at(name).first) << name;
  }
}

TEST_F(PresetTest, AFailedWriteKeepsThePreviousPresetAndSaysSo) {
  const std::string previous = ToolStage::PresetBytes(1, {{2998, 8}, {2999, 8}});
  stage.AddPreset("Hero", previous);
  const std::string previous_icon = stage.Read("Presets/Hero.png");
  PaintFrame(0, 0xFF0000FFu);

  // A full disk, then one failing at either file's flush, which both come
  // before either move; under a new name no half of a preset is left.
  std::vector<Text> said;
  for (const Text name : {u"Hero", u"Fresh"}) {
    tool::SpriteName = name;
    {
      FullDisk full(4096);  // room for the new icon, not for the settings
      tool::SavePreset(0);
    }
    for (int n = 1; n <= 2; ++n) OnAFailingDisk(n, [] { tool::SavePreset(0); });
    said.insert(said.end(), 3, u"Save Failed : " + name);
  }

  EXPECT_EQ(stage.Read("Presets/Hero.dat"), previous);
  EXPECT_EQ(stage.Read("Presets/Hero.png"), previous_icon);
  EXPECT_EQ(stage.FileNames("Presets"), (std::vector<std::string>{"Hero.dat", "Hero.png"}));
  EXPECT_EQ(ToolStage::Notices(), said);
  ASSERT_EQ(tool::PresetList.Count(), 1);
  ExpectInWeekFolder();
}

// Every file of the run folder with its bytes.
std::map<fs::path, std::string> Snapshot(const ToolStage& stage) {
  std::map<fs::path, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(stage.root())) {
    if (entry.is_regular_file()) {
      files[entry.path()] = stage.Read(fs::relative(entry.path(), stage.root()).string());
    }
  }
  return files;
}

TEST_F(PresetTest, ANameThatIsNotAPlainFileNameIsRefusedAndTouchesNoFile) {
  stage.Write("Shapes.png", "shapes");
  stage.AddPreset("Hero");
  const auto before = Snapshot(stage);
  const Text names[] = {u"../Shapes", u"../Files/001/logo", u"..\\Shapes",    u"..", u".", u"a/b",
                        u"tab\there", Text(u"nul\0", 4),    u"next\u0085line"};
  for (const Text& name : names) {
    tool::SpriteName = name;
    tool::SavePreset(0);
    EXPECT_EQ(ToolStage::Notices().back(), u"Save Failed : " + name) << platform::ToUtf8(name);
  }
  EXPECT_EQ(Snapshot(stage), before);
  EXPECT_EQ(tool::PresetList.Count(), 1);
  ExpectInWeekFolder();
}

TEST_F(PresetTest, AMissingPresetsFolderIsMadeAgainButAFileInItsPlaceFailsTheSave) {
  tool::SpriteImage = 0;
  tool::SavePreset(0);
  EXPECT_FALSE(stage.Exists("Presets/NameYourSprite.dat"));

  fs::remove_all(stage.Path("Presets"));
  stage.StartWorkingState();
  tool::SavePreset(0);
  EXPECT_EQ(stage.FileNames("Presets"),
            (std::vector<std::string>{"NameYourSprite.dat", "NameYourSprite.png"}));
  EXPECT_EQ(tool::PresetList.Count(), 1);

  fs::remove_all(stage.Path("Presets"));
  stage.Write("Presets", "a file, not a folder");
  tool::SavePreset(0);
  EXPECT_EQ(stage.Read("Presets"), "a file, not a folder");
  EXPECT_EQ(ToolStage::Notices(),
            (std::vector<Text>{u"Save Failed : NameYourSprite", u"Saved NameYourSprite",
                               u"Save Failed : NameYourSprite"}));
  EXPECT_EQ(stage.FileNames(""),
            (std::vector<std::string>{"Files", "Palettes", "Presets", "Spritesheets"}));
  EXPECT_EQ(tool::PresetList.Count(), 0);
  ExpectInWeekFolder();
}

}  // namespace
