// The end-of-frame hub on the virtual clock: pacing, frame rate, frame
// skipping, global keys, notices and pop-ups.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "fresh_start.h"
#include "run/run_folder.h"

namespace {

using namespace engine;
using platform::InputEvent;
using run_test::Key;

class Hub : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::current_path(folder_.Path("Files/001"));
    fw_open_graphics(800, 600, 0, 60, 0);
    host_.SetClock(50000);
    LastFrameTime = 50000;
    AudioDriverNames = {u"Null"};
    host_.on_delay = [this](platform::ScriptedHost&, int32_t) { ++delays_; };
  }
  void Press(int32_t key, int32_t times = 1) {
    for (int32_t i = 0; i < times; ++i) {
      host_.Queue(Key(InputEvent::kKeyDown, key));
      host_.Queue(Key(InputEvent::kKeyUp, key));
    }
  }
  void Frames(int32_t n) {
    for (int32_t i = 0; i < n; ++i) EXPECT_EQ(EndFrame(60, 0, 0), 0);
  }
  uint32_t PixelAt(int32_t x, int32_t y) { return host_.LastFrame()[size_t(y) * 800 + x]; }

  run_test::RunFolder folder_{false};
  platform::ScriptedHost& host_ = FreshStart();
  int32_t delays_ = 0;
};

TEST_F(Hub, PacesTo15MsAfterTheStampWhateverTheRateAsked) {
  EndFrame(60, 0, 0);
  EXPECT_EQ(LastFrameTime, 50015);
  EXPECT_EQ(delays_, 15);
  EXPECT_EQ(FramesPerSecond, 22);  // (1000 / 15 + 0) / 3
  EndFrame(250, 0, 0);
  EXPECT_EQ(LastFrameTime, 50030);
  EXPECT_EQ(FramesPerSecond, 36);  // (66 + 44) / 3
  host_.Advance(40);               // a slow frame: one sleep, then on
  EndFrame(60, 0, 0);
  EXPECT_EQ(LastFrameTime, 50071);
  EXPECT_EQ(FramesPerSecond, (1000 / 41 + 72) / 3);
}

TEST_F(Hub, StaysSaneAcrossTheClockWrap) {
  host_.SetClock(0xFFFFFFF8u);
  LastFrameTime = static_cast<int32_t>(0xFFFFFFF8u);
  EndFrame(60, 0, 0);
  EXPECT_EQ(LastFrameTime, 7);
  EXPECT_EQ(FramesPerSecond, 22);
  EXPECT_EQ(delays_, 15);
}

TEST_F(Hub, AClockSetBackNeitherStallsNorDividesByZero) {
  LastFrameTime = 50000 + 100000;
  EndFrame(60, 0, 0);
  EXPECT_EQ(delays_, 1);
  EXPECT_EQ(FramesPerSecond, 333);  // a frame time of at least 1 ms
}

TEST_F(Hub, SlowSystemSkipsEveryOtherFlipAndDefersF11ToADrawnFrame) {
  EngineSettings[kSlowSystemSetting] = 1;
  int32_t presents = host_.Presents();
  Frames(1);
  EXPECT_EQ(host_.Presents(), presents + 1);
  Press(vk::kF11);  // during a skipped frame
  Frames(1);
  EXPECT_EQ(host_.Presents(), presents + 1);
  auto screenshots = [this] {
    int32_t count = 0;
    for (auto& entry : std::filesystem::directory_iterator(folder_.Path("Files"))) {
      count += entry.path().extension() == ".png";
    }
    return count;
  };
  EXPECT_EQ(screenshots(), 0);
  Frames(1);
  EXPECT_EQ(screenshots(), 1);
}

TEST_F(Hub, TabTogglesOnceAndWritesSetupIniOncePerFrameWithPresses) {
  Press(vk::kTab, 2);
  Frames(1);
  EXPECT_EQ(OptionsOpen, 1);
  EXPECT_TRUE(folder_.Exists("Files/Setup.ini"));
  std::filesystem::remove(folder_.Path("Files/Setup.ini"));
  Frames(1);
  EXPECT_FALSE(folder_.Exists("Files/Setup.ini"));
  Press(vk::kTab);
  Frames(1);
  EXPECT_EQ(OptionsOpen, 0);
  EXPECT_TRUE(folder_.Exists("Files/Setup.ini"));
  EXPECT_EQ(std::filesystem::current_path(), folder_.Path("Files/001"));
}

TEST_F(Hub, F12TogglesTheOverlayOnceAndEscapeNeverPauses) {
  Press(vk::kF12, 2);
  host_.Queue(Key(InputEvent::kKeyDown, vk::kEscape));
  Frames(1);
  EXPECT_EQ(DebugOverlayOn, 0);
  EXPECT_EQ(PauseState, 0);
  Press(vk::kF12);
  Frames(1);
  EXPECT_EQ(DebugOverlayOn, 1);
}

TEST_F(Hub, LatchesTheMouseTruncatedAndKeepsTheFrameBefore) {
  InputEvent move{InputEvent::kMouseMove};
  move.x = 30.7f;
  move.y = 40.2f;
  host_.Queue(move);
  Frames(1);
  EXPECT_EQ(MouseX, 30);
  EXPECT_EQ(MouseY, 40);
  move.x = 100.0f;
  host_.Queue(move);
  Frames(1);
  EXPECT_EQ(PrevMouseX, 30);
  EXPECT_EQ(MouseX, 100);
}

TEST_F(Hub, NoticesStackUpwardsTurnFromYellowToBlackAndLive180Frames) {
  fw_set_cls_color(255, 255, 255);
  auto frame = [this] {
    fw_cls();
    Frames(1);
  };
  AddNotice(u"   ", 3);
  frame();
  AddNotice(u"   ", 0);
  ASSERT_EQ(NoticeList.Count(), 2);
  auto first = NoticeList.Links().front();
  auto second = NoticeList.Links().back();
  EXPECT_EQ(first->tick, 1);
  EXPECT_EQ(first->c, 3);
  for (int32_t i = 2; i <= 59; ++i) frame();
  EXPECT_EQ(first->tick, 59);
  uint32_t yellow = PixelAt(1, 589);
  EXPECT_EQ(yellow & 0xFFFF00u, 0xFFFF00u);
  EXPECT_LT(yellow & 0xFFu, 0xC0u);
  EXPECT_EQ(PixelAt(1, 577), yellow);  // the second notice, one row up
  frame();
  uint32_t dark = PixelAt(1, 589);
  EXPECT_LT((dark >> 16) & 0xFFu, 0xC0u);
  EXPECT_EQ(PixelAt(1, 577), yellow);
  for (int32_t i = 61; i <= 179; ++i) frame();
  EXPECT_EQ(NoticeList.Count(), 2);
  frame();
  ASSERT_EQ(NoticeList.Count(), 1);
  EXPECT_EQ(NoticeList.Links().front(), second);
  EXPECT_EQ(second->tick, 179);
  frame();
  EXPECT_EQ(NoticeList.Count(), 0);
}

TEST_F(Hub, PopupsRiseAndFadeFor120Frames) {
  SpawnScorePopup(250, 100, 200, 10, 20, 30);
  Frames(1);
  auto popup = PopupList.Links().front();
  EXPECT_EQ(popup->t, 119);
  EXPECT_FLOAT_EQ(popup->y, 199.75f);
  EXPECT_FLOAT_EQ(popup->x, 100.0f);
  Frames(118);
  EXPECT_EQ(PopupList.Count(), 1);
  EXPECT_FLOAT_EQ(popup->y, 170.25f);
  Frames(1);
  EXPECT_EQ(PopupList.Count(), 0);
}

}  // namespace
