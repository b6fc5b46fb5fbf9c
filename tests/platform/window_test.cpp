#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <string>

#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/platform_stage.h"
#include "platform/sdl_host.h"

namespace {

using platform::InputEvent;

TEST(Window, DriversAreDistinct) {
  EXPECT_NE(fw_gl_2d_driver(), fw_d3d9_2d_driver());
  EXPECT_NE(fw_gl_2d_driver(), fw_d3d7_2d_driver());
  EXPECT_NE(fw_d3d9_2d_driver(), fw_d3d7_2d_driver());
}

TEST(Window, DisplayModesComeFromTheHostAndZeroMatchesAnything) {
  auto& host = platform::UseScriptedHost();
  host.modes = {{800, 600, 32, 60}, {1024, 768, 16, 75}};
  ASSERT_EQ(fw_count_graphics_modes(), 2);
  int32_t w, h, d, r;
  fw_get_graphics_mode(1, w, h, d, r);
  EXPECT_EQ((std::vector<int32_t>{w, h, d, r}), (std::vector<int32_t>{1024, 768, 16, 75}));
  fw_get_graphics_mode(2, w, h, d, r);
  EXPECT_EQ((std::vector<int32_t>{w, h, d, r}), (std::vector<int32_t>{0, 0, 0, 0}));

  EXPECT_EQ(fw_graphics_mode_exists(800, 600, 32, 0), 1);
  EXPECT_EQ(fw_graphics_mode_exists(800, 600, 16, 0), 0);
  EXPECT_EQ(fw_graphics_mode_exists(0, 768, 0, 0), 1);
  EXPECT_EQ(fw_graphics_mode_exists(0, 0, 0, 75), 1);
  EXPECT_EQ(fw_graphics_mode_exists(0, 0, 0, 0), 1);
  EXPECT_EQ(fw_graphics_mode_exists(1024, 768, 0, 60), 0);
  host.modes.clear();
  EXPECT_EQ(fw_graphics_mode_exists(0, 0, 0, 0), 0);
}

TEST(Window, DepthZeroOpensWindowedAndOtherDepthsFullScreen) {
  auto& host = platform::UseScriptedHost();
  fw_set_app_title(u"#1 : Quill \u00e9");
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
  EXPECT_FALSE(host.fullscreen);
  EXPECT_EQ(host.caption, "#1 : Quill \xc3\xa9");
  fw_set_app_title(u"Renamed");
  EXPECT_EQ(host.caption, "Renamed");

  ASSERT_EQ(fw_open_graphics(800, 600, 32, 60, 0), 1);
  EXPECT_TRUE(host.fullscreen);
  EXPECT_EQ(host.window_depth, 32);
  EXPECT_EQ(host.caption, "Renamed");
  fw_close_graphics();
  EXPECT_FALSE(host.WindowOpen());
}

TEST(Window, OpeningFailsWithoutAWindowOrWithANonsenseSize) {
  auto& host = platform::UseScriptedHost();
  EXPECT_EQ(fw_open_graphics(0, 600, 0, 60, 0), 0);
  EXPECT_EQ(fw_open_graphics(800, -1, 0, 60, 0), 0);
  EXPECT_EQ(fw_open_graphics(100000, 100000, 0, 60, 0), 0);
  host.fail_open_window = true;
  EXPECT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 0);
  EXPECT_FALSE(host.WindowOpen());
  fw_flip(0);  // nothing to show, and no harm done
  EXPECT_EQ(host.Presents(), 0);
}

TEST(Window, VirtualResolutionSizesTheBackBufferThatFlipPresents) {
  auto& host = platform::UseScriptedHost();
  ASSERT_EQ(fw_open_graphics(1600, 1200, 0, 60, 0), 1);
  fw_set_virtual_resolution(800, 600);
  fw_set_virtual_resolution(-5, 0);  // ignored
  int32_t w = 0, h = 0;
  platform::VirtualResolution(w, h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  platform::BackBuffer& buffer = platform::TheBackBuffer();
  ASSERT_EQ(buffer.pixels.size(), 800u * 600u);
  buffer.pixels[2 * 800 + 1] = 0xFF123456u;
  fw_flip(0);
  ASSERT_EQ(host.Presents(), 1);
  ASSERT_EQ(host.LastFrame().size(), 800u * 600u);
  EXPECT_EQ(host.LastFrame()[2 * 800 + 1], 0xFF123456u);
}

// Records every delay the flip asks for.
std::vector<int32_t>& WatchDelays(platform::ScriptedHost& host) {
  static std::vector<int32_t> delays;
  delays.clear();
  host.on_delay = [](platform::ScriptedHost&, int32_t ms) { delays.push_back(ms); };
  return delays;
}

TEST(Window, PacedFlipsCarryTheRemainderSoSixtyFramesTakeOneSecond) {
  auto& host = platform::UseScriptedHost();
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
  std::vector<int32_t>& delays = WatchDelays(host);
  fw_flip(-1);  // the first frame has nothing to wait for
  int32_t start = rt_millisecs();
  for (int i = 0; i < 60; ++i) fw_flip(-1);
  EXPECT_EQ(rt_millisecs() - start, 1000);
  ASSERT_GE(delays.size(), 3u);
  EXPECT_EQ((std::vector<int32_t>(delays.begin(), delays.begin() + 3)),
            (std::vector<int32_t>{16, 17, 17}));
  EXPECT_EQ(host.Presents(), 61);
}

TEST(Window, PacingWaitsOnlyForWhatTheFrameLeftAndNeverCatchesUp) {
  auto& host = platform::UseScriptedHost();
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 50, 0), 1);
  std::vector<int32_t>& delays = WatchDelays(host);
  fw_flip(-1);
  host.Advance(5);
  fw_flip(-1);  // 20 ms frames: 15 left to wait
  host.Advance(45);
  fw_flip(-1);  // late: shown at once, counting starts again
  fw_flip(-1);
  host.SetClock(10);  // a clock set back waits one period at most
  fw_flip(-1);
  EXPECT_EQ(delays, (std::vector<int32_t>{15, 20, 20}));
}

TEST(Window, UnpacedFlipsNeverWait) {
  auto& host = platform::UseScriptedHost();
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 0, 0), 1);
  std::vector<int32_t>& delays = WatchDelays(host);
  for (int i = 0; i < 5; ++i) fw_flip(-1);  // no rate: nothing to pace to
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
  for (int i = 0; i < 5; ++i) fw_flip(0);
  EXPECT_TRUE(delays.empty());
}

TEST(Window, TerminateRequestIsReportedOnceAndClearedOnReading) {
  auto& host = platform::UseScriptedHost();
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
  EXPECT_EQ(fw_app_terminate_requested(), 0);
  host.QueueAtFrame(1, {InputEvent::kQuit});
  EXPECT_EQ(fw_app_terminate_requested(), 0);  // not before the first frame is shown
  fw_flip(0);
  EXPECT_EQ(fw_app_terminate_requested(), 1);
  EXPECT_EQ(fw_app_terminate_requested(), 0);
}

TEST(Window, MousePointerVisibilityReachesTheHost) {
  auto& host = platform::UseScriptedHost();
  fw_hide_mouse();
  EXPECT_FALSE(host.cursor_shown);
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
  EXPECT_FALSE(host.cursor_shown);
  fw_show_mouse();
  EXPECT_TRUE(host.cursor_shown);
}

}  // namespace

namespace {

TEST(Window, AScriptedRunShowsEachFrameAndFeedsInputFrameByFrame) {
  auto& host = platform::UseScriptedHost();
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
  host.QueueAtFrame(1, {InputEvent::kKeyDown, 32});
  host.QueueAtFrame(2, {InputEvent::kKeyUp, 32});
  std::vector<uint32_t> corners;
  std::vector<int32_t> space_held;
  host.on_present = [&](platform::ScriptedHost& shown, int32_t) {
    corners.push_back(shown.LastFrame()[0]);
  };
  for (int32_t frame = 0; frame < 3; ++frame) {
    space_held.push_back(fw_key_down(32));
    fw_set_cls_color(frame * 100, 0, 255);
    fw_cls();
    fw_flip(-1);
  }
  EXPECT_EQ(space_held, (std::vector<int32_t>{0, 1, 0}));
  EXPECT_EQ(corners, (std::vector<uint32_t>{0xFF0000FFu, 0xFF6400FFu, 0xFFC800FFu}));
  EXPECT_EQ(host.Presents(), 3);
}

TEST(ScriptedHost, AFreshOneFindsThePlatformAsANewProcessDoes) {
  platform::UseScriptedHost();
  ASSERT_EQ(fw_open_graphics(1024, 768, 0, 60, 0), 1);
  fw_set_app_title(u"Left behind");
  auto& used = platform::UseScriptedHost();
  used.Queue({InputEvent::kKeyDown, 32});
  used.Queue({InputEvent::kChar, 'a'});
  used.Queue({InputEvent::kMouseDown, 1});
  used.Queue({InputEvent::kQuit});
  EXPECT_EQ(fw_key_down(32), 1);
  fw_seed_rnd(99);
  fw_set_color(1, 2, 3);
  fw_set_alpha(0.5f);
  fw_set_blend(5);
  fw_set_rotation(30.0f);
  fw_set_scale(2.0f, 3.0f);
  fw_set_cls_color(9, 9, 9);
  fw_cls();
  fw_set_auto_mid_handle(1);
  fw_set_image_font(fw_load_image_font(u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 30, 4));
  ASSERT_GT(rt_handle_from_object(std::make_shared<platform::Object>()), 0);
  platform::NoteStopSignal();

  auto& fresh = platform::UseScriptedHost();
  EXPECT_EQ(fw_key_down(32), 0);
  EXPECT_EQ(fw_key_hit(32), 0);
  EXPECT_EQ(fw_get_char(), 0);
  EXPECT_EQ(fw_mouse_down(1), 0);
  EXPECT_EQ(fw_app_terminate_requested(), 0);
  EXPECT_EQ(fw_app_stop_signalled(), 0);
  EXPECT_EQ(platform::RandomState(), 4660);
  int32_t r, g, b;
  fw_get_color(r, g, b);
  EXPECT_EQ(r + g + b, 3 * 255);
  EXPECT_EQ(fw_get_alpha(), 1.0f);
  EXPECT_EQ(fw_get_blend(), 3);
  EXPECT_EQ(fw_get_rotation(), 0.0f);
  float sx, sy;
  fw_get_scale(sx, sy);
  EXPECT_EQ(sx * sy, 1.0f);
  const platform::BackBuffer& buffer = platform::TheBackBuffer();
  EXPECT_EQ(buffer.width * buffer.height, 800 * 600);
  EXPECT_EQ(std::count(buffer.pixels.begin(), buffer.pixels.end(), 0xFF000000u), 800 * 600);
  fw_cls();
  EXPECT_EQ(buffer.pixels[0], 0xFF000000u);
  EXPECT_EQ(rt_handle_from_object(std::make_shared<platform::Object>()), 1);
  platform::PixmapRef white = fw_create_pixmap(4, 4);
  {
    platform::PixelWrite write(*white);
    for (uint32_t& pixel : write.All()) pixel = 0xFFFFFFFFu;
  }
  fw_draw_image(fw_load_image(white, 0), 10, 10);
  EXPECT_EQ(buffer.pixels[size_t(10) * 800 + 10], 0xFFFFFFFFu);  // handled at its corner
  EXPECT_EQ(buffer.pixels[size_t(8) * 800 + 8], 0xFF000000u);
  EXPECT_EQ(fw_text_height(), 10);  // the built-in font
  EXPECT_FALSE(fresh.WindowOpen());
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
  EXPECT_EQ(fresh.caption, "");
}

// A loop waiting for a key that never comes, frame after frame.
void ShowFramesUntilSpaceIsHit() {
  while (fw_key_hit(32) == 0) fw_flip(0);
}

TEST(ScriptedHost, ARunWaitingFramesAfterItsInputRanOutFailsInsteadOfSpinning) {
  auto& host = platform::UseScriptedHost();
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
  host.idle_frame_limit = 50;
  host.QueueAtFrame(200, {InputEvent::kKeyDown, 32});  // input still to come keeps it going
  ShowFramesUntilSpaceIsHit();
  EXPECT_EQ(host.Presents(), 200);
  try {
    ShowFramesUntilSpaceIsHit();
    ADD_FAILURE() << "the wait never ended";
  } catch (const platform::ScriptRanOut& ran_out) {
    EXPECT_EQ(host.Presents(), 251);
    EXPECT_NE(std::string(ran_out.what()).find("ran out"), std::string::npos);
  }
  host.idle_frame_limit = 0;  // idle frames allowed
  for (int32_t frame = 0; frame < 100; ++frame) fw_flip(0);
}

TEST(ScriptedHost, ARunPollingWithoutFramesAfterItsInputRanOutFailsInsteadOfSpinning) {
  auto& host = platform::UseScriptedHost();
  host.idle_poll_limit = 1000;
  host.Queue({InputEvent::kKeyDown, 32});
  host.Queue({InputEvent::kKeyUp, 32});
  EXPECT_EQ(fw_key_hit(32), 1);
  EXPECT_THROW(while (fw_key_down(32) == 0){}, platform::ScriptRanOut);
}

}  // namespace

namespace {

using platform_stage::KeepingHost;

// A loop that clears and redraws its whole screen every pass.
class RepeatedFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetPlatformState();
    auto host = std::make_unique<KeepingHost>();
    host_ = host.get();
    platform::InstallHost(std::move(host));
    ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
    fw_set_auto_mid_handle(0);
    image_ = fw_create_image(4, 4, 1, 0);
    pixels_ = fw_lock_image(image_, 0);
    for (int32_t y = 0; y < 4; ++y) {
      for (int32_t x = 0; x < 4; ++x) fw_write_pixel(pixels_, x, y, 0xFF00FF00u);
    }
    // A loop's first frames show it which clear begins what it shows.
    for (int32_t red : {1, 2}) {
      DrawScreen(red);
      fw_flip(0);
    }
    presents_before_ = host_->Presents();
    host_->shown_again = 0;
  }
  void TearDown() override {
    pixels_.reset();
    platform::UseScriptedHost();
  }
  // The same whole state each pass, as a loop sets it.
  void DrawScreen(int32_t red) {
    fw_set_blend(3);
    fw_set_alpha(1);
    fw_set_scale(1, 1);
    fw_set_rotation(0);
    fw_set_cls_color(10, 20, 30);
    fw_cls();
    fw_set_color(red, 0, 0);
    fw_draw_rect(10, 10, 50, 40);
    fw_set_color(255, 255, 255);
    fw_set_rotation(30);
    fw_draw_rect(200, 100, 40, 20);
    fw_set_rotation(0);
    fw_draw_line(100, 300, 180, 340);
    fw_plot(5, 5);
    fw_draw_image(image_, 300, 300);
    fw_draw_text(u"Abc", 400, 100);
  }
  uint32_t Shown(int32_t x, int32_t y) const { return host_->LastFrame()[size_t(y) * 800 + x]; }
  int32_t Presents() const { return host_->Presents() - presents_before_; }

  KeepingHost* host_ = nullptr;
  int32_t presents_before_ = 0;
  int32_t image_ = 0;
  platform::PixmapRef pixels_;
};

TEST_F(RepeatedFrames, ARepeatedFrameIsShownAgainAndItsPixelsAreThereWhenAsked) {
  DrawScreen(200);
  fw_flip(0);
  ASSERT_EQ(Presents(), 1);
  const std::vector<uint32_t> first = host_->LastFrame();
  DrawScreen(200);
  fw_flip(0);
  EXPECT_EQ(Presents(), 1);
  EXPECT_EQ(host_->shown_again, 1);
  EXPECT_EQ(fw_grab_pixmap(0, 0, 800, 600)->pixels, first);
}

TEST_F(RepeatedFrames, AFrameWithAnyCallOrPixelChangedIsPresented) {
  DrawScreen(200);
  fw_flip(0);
  DrawScreen(201);
  fw_flip(0);
  ASSERT_EQ(Presents(), 2);
  EXPECT_EQ(Shown(20, 20), 0xFFC90000u);
  fw_write_pixel(pixels_, 0, 0, 0xFF0000FFu);
  DrawScreen(201);
  fw_flip(0);
  ASSERT_EQ(Presents(), 3);
  EXPECT_EQ(Shown(300, 300), 0xFF0000FFu);
  // Written again with the same pixels, the picture is the same.
  fw_write_pixel(pixels_, 0, 0, 0xFF0000FFu);
  DrawScreen(201);
  fw_flip(0);
  EXPECT_EQ(Presents(), 3);
}

TEST_F(RepeatedFrames, APixelMapChangedAfterItWasDrawnShowsThePixelsItWasDrawnWith) {
  DrawScreen(200);
  fw_flip(0);
  DrawScreen(200);
  fw_write_pixel(pixels_, 1, 0, 0xFFFF00FFu);
  {
    platform::PixelWrite write(*fw_lock_image(image_, 0));
    write.At(2, 0) = 0xFF00FFFFu;
  }
  fw_set_color(0, 0, 255);
  fw_draw_rect(700, 500, 10, 10);
  fw_flip(0);
  ASSERT_EQ(Presents(), 2);
  EXPECT_EQ(Shown(301, 300), 0xFF00FF00u);
  EXPECT_EQ(Shown(302, 300), 0xFF00FF00u);
  EXPECT_EQ(Shown(705, 505), 0xFF0000FFu);
}

// A lock for reading is no change, nor is its unlock: the frame still
// repeats, and is not presented again.
TEST_F(RepeatedFrames, AMapLockedForReadingAfterItWasDrawnStillRepeats) {
  for (int32_t pass = 0; pass < 3; ++pass) {
    DrawScreen(200);
    fw_read_pixel(fw_lock_image(image_, 0, 1, 0), 0, 0);
    fw_unlock_image(image_, 0);
    fw_flip(0);
  }
  EXPECT_EQ(Presents(), 1);
  EXPECT_EQ(host_->shown_again, 2);
}

// As the tool does: each pass first paints a picture and grabs it, then
// clears again and draws its screen with the grabbed picture on it.
TEST_F(RepeatedFrames, APassThatGrabsBeforeItsScreenRepeatsWhileTheGrabDoes) {
  int32_t picture = fw_create_image(8, 8, 1, 0);
  auto pass = [&](int32_t blue) {
    fw_set_cls_color(0, 0, 0);
    fw_cls();
    fw_set_color(0, 0, blue);
    fw_draw_rect(2, 2, 4, 4);
    fw_grab_image(picture, 0, 0);
    DrawScreen(200);
    fw_set_color(255, 255, 255);
    fw_draw_image(picture, 600, 400);
    fw_flip(0);
  };
  for (int32_t i = 0; i < 3; ++i) pass(90);
  EXPECT_EQ(Presents(), 2);  // the first pass tells which clear begins the screen
  EXPECT_EQ(Shown(603, 403), 0xFF00005Au);
  pass(91);
  EXPECT_EQ(Presents(), 3);
  EXPECT_EQ(Shown(603, 403), 0xFF00005Bu);
  EXPECT_EQ(Shown(2, 2), 0xFF0A141Eu);  // the screen's clear covers the painting
}

TEST_F(RepeatedFrames, DrawingOnWithoutAClearBuildsOnTheFrameShown) {
  DrawScreen(200);
  fw_flip(0);
  const std::vector<uint32_t> first = host_->LastFrame();
  DrawScreen(200);
  fw_flip(0);
  fw_set_color(0, 0, 255);
  fw_plot(700, 500);
  fw_flip(0);
  ASSERT_EQ(Presents(), 2);
  std::vector<uint32_t> expected = first;
  expected[500 * 800 + 700] = 0xFF0000FFu;
  EXPECT_EQ(host_->LastFrame(), expected);
}

}  // namespace

namespace {

// The SDL host with a window on SDL's display-less video driver.
class SdlHostWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    host_ = std::make_unique<platform::SdlHost>();
    ASSERT_TRUE(host_->OpenWindow(80, 60, false, 0, "test"));
    TakeEvents();  // the window's own
  }
  // Quitting SDL also forgets the hint.
  void TearDown() override { host_.reset(); }

  // Pumps until the clock has moved on, so that nothing waiting is left.
  std::vector<InputEvent> TakeEvents() {
    SDL_Delay(2);
    std::vector<InputEvent> events;
    host_->PumpEvents(events);
    return events;
  }
  void AskForRepaint(SDL_WindowEventID what) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = Uint8(what);
    SDL_PushEvent(&event);
    TakeEvents();
  }

  std::unique_ptr<platform::SdlHost> host_;
  std::vector<uint32_t> frame_ = std::vector<uint32_t>(80 * 60, 0xFF102030u);
};

TEST_F(SdlHostWindow, ShowsAFrameThatDiffersAndOneTheWindowAsksFor) {
  host_->Present(frame_.data(), 80, 60);
  int32_t shown = host_->FramesShown();
  ASSERT_EQ(shown, 1);
  host_->Present(frame_.data(), 80, 60);
  EXPECT_TRUE(host_->ShowAgain());
  EXPECT_EQ(host_->FramesShown(), shown);
  frame_[80 * 60 - 1] = 0xFF405060u;
  host_->Present(frame_.data(), 80, 60);
  EXPECT_EQ(host_->FramesShown(), ++shown);
  for (SDL_WindowEventID what : {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_RESTORED,
                                 SDL_WINDOWEVENT_SIZE_CHANGED, SDL_WINDOWEVENT_SHOWN}) {
    AskForRepaint(what);
    host_->Present(frame_.data(), 80, 60);
    EXPECT_EQ(host_->FramesShown(), ++shown) << int(what);
    AskForRepaint(what);
    EXPECT_TRUE(host_->ShowAgain());
    EXPECT_EQ(host_->FramesShown(), ++shown) << int(what);
  }
  host_->CloseWindow();
  EXPECT_FALSE(host_->ShowAgain());  // a new window starts with nothing to show again
}

}  // namespace

namespace {

// The handlers the SDL host installs only note a stop signal, so that the
// program can end at its next frame with its saves; a second one ends the
// process the usual way. One ignored from the start, as nohup leaves SIGHUP,
// stays ignored. The others start at their defaults, however the suite was
// started (a background job ignores SIGINT).
TEST(StopSignalDeathTest, OneIsNotedForGoodAndASecondEndsTheProcess) {
  platform::UseScriptedHost();
  const int signals[] = {SIGHUP, SIGINT, SIGTERM};
  struct sigaction ignored {
  }, usual{}, before[3]{};
  ignored.sa_handler = SIG_IGN;
  usual.sa_handler = SIG_DFL;
  for (int i = 0; i < 3; ++i) sigaction(signals[i], i == 0 ? &ignored : &usual, &before[i]);
  platform::InstallStopSignalHandlers();
  raise(SIGHUP);
  EXPECT_EQ(fw_app_stop_signalled(), 0);
  raise(SIGINT);
  EXPECT_EQ(fw_app_stop_signalled(), 1);
  EXPECT_EQ(fw_app_stop_signalled(), 1);  // reading leaves it noted
  EXPECT_EXIT(raise(SIGTERM), testing::KilledBySignal(SIGTERM), "");
  platform::RestoreStopSignalHandlers();
  for (int i = 0; i < 3; ++i) sigaction(signals[i], &before[i], nullptr);
  platform::ResetPlatformState();
}

}  // namespace
