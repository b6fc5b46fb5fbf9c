#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine_stage.h"

namespace {

using engine_stage::EngineStage;
using engine_stage::InputScript;
using engine_stage::KeyDown;
using engine_stage::KeyUp;

constexpr int32_t kEscape = 27;
constexpr int32_t kSpace = 32;
constexpr int32_t kUp = 38;
constexpr int32_t kDown = 40;
constexpr int32_t kZ = 90;

// A pause screen over a black screen, with the fonts its menu needs.
class PauseScreenTest : public ::testing::Test {
 protected:
  PauseScreenTest() : script_(stage_.host()) {
    stage_.LoadFonts();
    stage_.MakeIcons();
    fw_set_cls_color(0, 0, 0);
    fw_cls();
  }

  // Holds a key from one frame to another (counted from now).
  void Hold(int32_t key, int32_t from, int32_t to) {
    script_.AtFrame(from, KeyDown(key));
    script_.AtFrame(to, KeyUp(key));
  }
  // Escape pressed at a frame ends the screen; it is let go while the
  // screen waits for its release.
  void EscapeAt(int32_t frame) {
    script_.AtFrame(frame, KeyDown(kEscape));
    script_.ReleaseWhileWaitingFrom(frame, kEscape);
  }
  // Which row each shown frame lights: 0 "Continue", 1 "Quit", -1 none.
  void RecordHighlights() {
    script_.observe = [this](platform::ScriptedHost& host, int32_t) {
      highlights_.push_back(LitRow(host.LastFrame()));
    };
  }

  static int32_t LitRow(const std::vector<uint32_t>& frame) {
    auto yellow_in_band = [&](int32_t top) {
      for (int32_t y = top; y < top + 36; ++y) {
        for (int32_t x = 80; x < 213; ++x) {
          uint32_t p = frame[size_t(y) * 800 + size_t(x)];
          if (((p >> 16) & 255) > 200 && ((p >> 8) & 255) > 200 && (p & 255) < 60) return true;
        }
      }
      return false;
    };
    if (yellow_in_band(285)) return 0;
    if (yellow_in_band(345)) return 1;
    return -1;
  }

  EngineStage stage_;
  InputScript script_;
  std::vector<int32_t> highlights_;
};

TEST_F(PauseScreenTest, EscapeOnContinueReturnsOne) {
  EscapeAt(2);
  EXPECT_EQ(engine::PauseScreen(), 1);
  EXPECT_EQ(stage_.host().Presents(), 2);
}

TEST_F(PauseScreenTest, EscapeOnQuitReturnsNinetyNine) {
  Hold(kDown, 1, 2);
  EscapeAt(4);
  EXPECT_EQ(engine::PauseScreen(), 99);
}

TEST_F(PauseScreenTest, SelectNeedsAFreshPressOfSpaceOrAControlOfAnyPlayer) {
  Hold(kSpace, 0, 3);  // held on opening: does nothing
  Hold(kZ, 5, 6);      // player 1's control 10
  EXPECT_EQ(engine::PauseScreen(), 1);
  EXPECT_EQ(stage_.host().Presents(), 6);
}

TEST_F(PauseScreenTest, SelectOnQuitReturnsNinetyNine) {
  engine::KeyMap[2 * 20 + 11 - 20] = 75;  // player 2's control 11 on K
  Hold(kUp, 1, 2);
  Hold(75, 4, 5);
  EXPECT_EQ(engine::PauseScreen(), 99);
}

TEST_F(PauseScreenTest, UpOnContinueWrapsToQuitAtOnce) {
  RecordHighlights();
  Hold(kUp, 2, 3);
  EscapeAt(4);
  EXPECT_EQ(engine::PauseScreen(), 99);
  EXPECT_EQ(highlights_, (std::vector<int32_t>{0, 0, 1, 1}));
}

TEST_F(PauseScreenTest, DownOnQuitShowsOnePassWithoutARowBeforeContinue) {
  RecordHighlights();
  Hold(kDown, 1, 2);
  Hold(kDown, 3, 4);
  EscapeAt(6);
  EXPECT_EQ(engine::PauseScreen(), 1);
  EXPECT_EQ(highlights_, (std::vector<int32_t>{0, 1, 1, -1, 0, 0}));
}

TEST_F(PauseScreenTest, KeysHeldWhenTheHubOpensItDoNothingUntilReleased) {
  engine::PauseState = 1;
  stage_.host().Queue(KeyDown(kEscape));
  stage_.host().Queue(KeyDown(kUp));
  script_.ReleaseWhileWaitingFrom(0, kEscape);
  script_.AtFrame(3, KeyUp(kUp));
  EscapeAt(5);
  EXPECT_EQ(engine::EndFrame(60, 0, 0), 1);  // Up never moved to "Quit"
  EXPECT_EQ(engine::PauseState, 1);
}

TEST_F(PauseScreenTest, DrawsTheSameTitleCopiesEachPassAndReseedsFromTheClockAtTheEnd) {
  fw_seed_rnd(37171650);
  for (int i = 0; i < 180 * 5; ++i) fw_rand_int(0, 1);
  const int32_t after_copies = platform::RandomState();
  std::vector<int32_t> states;
  script_.observe = [&](platform::ScriptedHost&, int32_t) {
    states.push_back(platform::RandomState());
  };
  EscapeAt(3);
  engine::PauseScreen();
  EXPECT_EQ(states, (std::vector<int32_t>(3, after_copies)));
  const int32_t now = rt_millisecs();
  EXPECT_LE(platform::RandomState(), now);
  EXPECT_GE(platform::RandomState(), now - 5);
}

}  // namespace
