// A whole run of the tool on the scripted host: save a preset, build a batch
// spritesheet from the menu, then quit with Alt+F4 and a key.
#include <gtest/gtest.h>

#include <functional>

#include "run/run_folder.h"
#include "tool/tool.h"

namespace {

using platform::InputEvent;
using run_test::Key;
using run_test::RunFolder;

InputEvent MouseAt(float x, float y) {
  InputEvent event{InputEvent::kMouseMove};
  event.x = x;
  event.y = y;
  return event;
}

constexpr int32_t kClickFrames = 4;

// Clicks at (x, y): moves there, presses a frame later, releases two frames
// after that, so the loop sees the position, the press and the release.
void ClickAt(platform::ScriptedHost& host, float x, float y) {
  const int32_t now = host.Presents();
  host.QueueAtFrame(now, MouseAt(x, y));
  host.QueueAtFrame(now + 2, Key(InputEvent::kMouseDown, 1));
  host.QueueAtFrame(now + kClickFrames, Key(InputEvent::kMouseUp, 1));
}

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::exists(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files.push_back(entry.path());
  }
  return files;
}

// Steps of the run, each started by a frame shown once the one before has
// left its mark: a step clicks, and its check says when it is done.
struct RunStep {
  std::function<void(platform::ScriptedHost&)> act;
  std::function<bool()> done;
};

class ToolRun : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ALSOFT_DRIVERS", "null", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    host_.clock_step_per_read = 1;
  }

  // Plays the steps in order once the tool's loop runs, then quits. A step
  // is over when its click has been released and its check holds.
  void Play(std::vector<RunStep> steps) {
    run_test::QuitWithAltF4(host_);
    auto quit = host_.on_present;
    auto next = std::make_shared<size_t>(0);
    auto acted_at = std::make_shared<int32_t>(-1);
    host_.on_present = [=](platform::ScriptedHost& h, int32_t presents) {
      if (engine::MouseMode != 1) return;
      if (*next == steps.size()) return quit(h, presents);
      if (*acted_at < 0) {
        steps[*next].act(h);
        *acted_at = presents;
      } else if (presents > *acted_at + kClickFrames && steps[*next].done()) {
        ++*next;
        *acted_at = -1;
      }
    };
  }

  RunFolder folder_;
  platform::ScriptedHost& host_ = platform::UseScriptedHost();
};

TEST_F(ToolRun, SavesAPresetBuildsASpritesheetAndQuits) {
  const auto presets = folder_.Path("Presets");
  const auto sheets = folder_.Path("Spritesheets");
  const size_t sheets_before = FilesIn(sheets).size();
  Play({
      {[](platform::ScriptedHost& h) { ClickAt(h, 100, 575); },  // Save
       [&] { return folder_.Exists("Presets/NameYourSprite.dat"); }},
      {[](platform::ScriptedHost& h) { ClickAt(h, 700, 9); },  // Build Spritesheet
       [] { return tool::UiState == tool::kUiSpritesheetMenu; }},
      {[](platform::ScriptedHost& h) { ClickAt(h, 700, 30); },  // Batch of different sprites
       [&] { return FilesIn(sheets).size() > sheets_before; }},
  });
  EXPECT_EQ(run_test::RunAppMain(), 0);

  EXPECT_EQ(std::filesystem::file_size(presets / "NameYourSprite.dat"), 12804u);
  platform::PixmapRef icon =
      fw_load_pixmap(platform::FromUtf8((presets / "NameYourSprite.png").string()));
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->width, 8);
  EXPECT_EQ(icon->height, 8);

  auto written = FilesIn(sheets);
  ASSERT_EQ(written.size(), sheets_before + 1);
  std::filesystem::path sheet;
  for (const auto& file : written) {
    if (file.filename().string().rfind("NameYourSprite_(", 0) == 0) sheet = file;
  }
  ASSERT_FALSE(sheet.empty());
  EXPECT_EQ(sheet.extension(), ".png");
  platform::PixmapRef pixels = fw_load_pixmap(platform::FromUtf8(sheet.string()));
  ASSERT_TRUE(pixels);
  EXPECT_EQ(pixels->width, 512);
  EXPECT_EQ(pixels->height, 512);
  EXPECT_EQ(folder_.Lines("Files/Debug.txt").back(), "Play again, soon!!");
}

}  // namespace
