// The display set-up: accepted modes, full screen, the start sentinel, the
// log and a second set-up.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "fresh_start.h"
#include "run/run_folder.h"

namespace {

using namespace engine;
using platform::DisplayMode;

class DisplaySetUp : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.clock_step_per_read = 1;
    LogStream = fw_write_file(u"Files/Debug.txt");
    std::filesystem::current_path(folder_.Path("Files/001"));
  }
  std::vector<std::string> Log() {
    fw_close_file(LogStream);
    LogStream = 0;
    return folder_.Lines("Files/Debug.txt");
  }
  run_test::RunFolder folder_{false};
  platform::ScriptedHost& host_ = FreshStart();
};

TEST_F(DisplaySetUp, AcceptsTheThreeShapesOnceEachAndKeepsAListedRequest) {
  host_.modes = {{640, 480, 32, 60},   {1366, 768, 32, 60}, {1360, 768, 32, 60},
                 {1280, 1024, 32, 60}, {1024, 768, 16, 60}, {1024, 768, 32, 60},
                 {1280, 800, 32, 60},  {800, 600, 32, 60}};
  EngineSettings[kWidthSetting] = 1024;
  EngineSettings[kHeightSetting] = 768;
  ApplyGraphicsSettings();
  ASSERT_EQ(ModeCount, 5);
  const int32_t widths[] = {640, 1366, 1024, 1280, 800};
  const int32_t heights[] = {480, 768, 768, 800, 600};
  for (int32_t i = 1; i <= ModeCount; ++i) {
    EXPECT_EQ(ModeWidths[i], widths[i - 1]);
    EXPECT_EQ(ModeHeights[i], heights[i - 1]);
  }
  EXPECT_EQ(EngineSettings[kModeSetting], 3);
  EXPECT_EQ(EngineSettings[kWidthSetting], 1024);
  EXPECT_EQ(EngineSettings[kHeightSetting], 768);
  EXPECT_EQ(host_.window_width, 800);  // the window never takes the request
  EXPECT_EQ(ChosenModeWidth, 800);
}

TEST_F(DisplaySetUp, AnUnlistedRequestBecomes800x600) {
  host_.modes = {{1280, 1024, 32, 60}, {800, 600, 32, 60}};
  EngineSettings[kWidthSetting] = 1280;
  EngineSettings[kHeightSetting] = 1024;
  EngineSettings[kGraphicsEngineSetting] = 2;
  ApplyGraphicsSettings();
  EXPECT_EQ(EngineSettings[kWidthSetting], 800);
  EXPECT_EQ(EngineSettings[kHeightSetting], 600);
  EXPECT_EQ(EngineSettings[kGraphicsEngineSetting], 0);
}

TEST_F(DisplaySetUp, LogsTheSetUpAndRemovesALeftoverSentinel) {
  folder_.Write("Files/001/crash.dat", {"old"});
  folder_.Write("Files/001/003.wav", {});
  folder_.Write("Files/001/010.wav", {});
  auto sentinel_during_set_up = std::make_shared<int32_t>(-1);
  host_.on_present = [sentinel_during_set_up, this](platform::ScriptedHost&, int32_t) {
    if (*sentinel_during_set_up < 0)
      *sentinel_during_set_up = folder_.Exists("Files/001/crash.dat");
  };
  ApplyGraphicsSettings();
  EXPECT_EQ(*sentinel_during_set_up, 1);
  EXPECT_FALSE(folder_.Exists("Files/001/crash.dat"));
  EXPECT_EQ(CommonObjectsLoaded, 1);
  EXPECT_EQ(host_.windows_opened, 1);
  auto log = Log();
  EXPECT_EQ(run_test::MissingInOrder(log, {"",
                                           "-=-=-=-=-=-=-=-=-=-=-=-=-=-",
                                           "Applying Graphical Settings",
                                           "\tUsing OpenGL Driver",
                                           "\tResolution : 800x600,0",
                                           "",
                                           "Loading : Common Objects",
                                           "",
                                           "Switching to Default Folder",
                                           "",
                                           "\tDefault Fonts",
                                           "\tDefault Icons",
                                           "\tLogos",
                                           "\tBadgeGet",
                                           "",
                                           "Switching to Game Folder",
                                           "",
                                           "Loading Sound effects",
                                           "\tSFX(3)",
                                           "\tSFX(10)",
                                           "Sounds loaded",
                                           "",
                                           "-=-=-=-=-=-=-=-=-=-=-=-=-=-"}),
            "");
  EXPECT_EQ(std::count(log.begin(), log.end(), "\tSFX(1)"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "\tChanged Graphics Mode ingame."), 0);
}

TEST_F(DisplaySetUp, FullScreenTakesTheDeepestModeOrFallsBackToAWindow) {
  host_.modes = {{800, 600, 16, 60}, {800, 600, 24, 60}};
  EngineSettings[kFullScreenSetting] = 1;
  ApplyGraphicsSettings();
  EXPECT_EQ(host_.window_depth, 24);
  EXPECT_TRUE(host_.fullscreen);
  EXPECT_EQ(NoticeList.Count(), 0);

  host_.modes = {{1024, 768, 32, 60}};
  // The speed test's frames age the notice away, so it is looked for while
  // the set-up runs.
  auto notice_seen = std::make_shared<bool>(false);
  host_.on_present = [notice_seen](platform::ScriptedHost&, int32_t) {
    NoticeList.ForEach([&](const std::shared_ptr<ment>& notice) {
      if (notice->txt == u"Can't set to fullscreen in this resolution." && notice->c == 1) {
        *notice_seen = true;
      }
    });
  };
  ApplyGraphicsSettings();
  EXPECT_FALSE(host_.fullscreen);
  EXPECT_EQ(EngineSettings[kFullScreenSetting], 1);
  EXPECT_TRUE(*notice_seen);
  auto log = Log();
  EXPECT_EQ(
      run_test::MissingInOrder(log, {"\tResolution : 800x600,24", "\tChanged Graphics Mode ingame.",
                                     "\tResolution : 800x600,0"}),
      "");
}

TEST_F(DisplaySetUp, AFullScreenTheDisplayRefusesOpensAWindowAndGoesOn) {
  host_.refuse_fullscreen = true;
  EngineSettings[kFullScreenSetting] = 1;
  ApplyGraphicsSettings();
  EXPECT_TRUE(host_.WindowOpen());
  EXPECT_FALSE(host_.fullscreen);
  EXPECT_EQ(EngineSettings[kFullScreenSetting], 1);  // Setup.ini keeps asking for it
  EXPECT_EQ(run_test::MissingInOrder(Log(), {"\tResolution : 800x600,32",
                                             "\tFullscreen refused, opening a window : 800x600,0",
                                             "-=-=-=-=-=-=-=-=-=-=-=-=-=-"}),
            "");
}

TEST_F(DisplaySetUp, ASecondSetUpReopensTheWindowWithoutTheJingle) {
  ApplyGraphicsSettings();
  int32_t presents = host_.Presents();
  ChannelTable[256] = -5;  // marks the slot so that a second cue would show
  ApplyGraphicsSettings();
  EXPECT_EQ(host_.windows_opened, 2);
  EXPECT_EQ(ChannelTable[256], -5);
  EXPECT_GT(host_.Presents(), presents);
  EXPECT_EQ(std::filesystem::current_path(), folder_.Path("Files/001"));
}

// Each "Apply" re-runs the whole set-up over the run folder's data: what it
// loads anew replaces what the run held, so a run holds no more after many.
TEST_F(DisplaySetUp, RepeatedSetUpsHoldNoMoreThanTheFirst) {
  ASSERT_TRUE(folder_.LayOutData());
  host_.clock_step_per_read = 25;  // slow frames end the speed test early
  ApplyGraphicsSettings();
  const int32_t held = platform::LiveHandleCount();
  for (int32_t apply = 2; apply <= 10; ++apply) ApplyGraphicsSettings();
  EXPECT_EQ(platform::LiveHandleCount(), held);
}

}  // namespace
