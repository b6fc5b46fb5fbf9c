// The SDL2 host on a real X display: a private Xvfb server, keys and mouse
// moves sent with xdotool, and a screenshot of what was presented.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/platform_stage.h"
#include "run/xvfb_server.h"

namespace {

using run_test::ProgramExists;

// Runs a shell command and returns what it printed, trailing newline removed.
std::string Output(const std::string& command) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return text;
  std::array<char, 256> chunk;
  while (fgets(chunk.data(), int(chunk.size()), pipe)) text += chunk.data();
  pclose(pipe);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

class RealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ProgramExists("Xvfb") || !ProgramExists("xdotool"))
      GTEST_SKIP() << "Xvfb and xdotool are needed for the real window";
    server_.emplace();
    ASSERT_TRUE(server_->Running()) << "Xvfb did not start";
    // The SDL host, whatever host the cases before left installed.
    platform_stage::UseSdlHost();
  }

  // The SDL host lets go of the display here, before the server goes with
  // the fixture.
  void TearDown() override {
    fw_close_graphics();
    platform::InstallHost(nullptr);
  }

  // Presents frames until `done` holds or about five seconds have passed.
  template <class Done>
  bool PresentUntil(Done done) {
    for (int frame = 0; frame < 500; ++frame) {
      if (done()) return true;
      fw_flip(0);
      rt_delay(10);
    }
    return false;
  }

  std::optional<run_test::XvfbServer> server_;
};

// Left half red, right half blue, one green block at (100, 100).
void DrawTestPicture() {
  fw_set_cls_color(255, 0, 0);
  fw_cls();
  fw_set_color(0, 0, 255);
  fw_draw_rect(400, 0, 400, 600);
  fw_set_color(0, 255, 0);
  fw_draw_rect(100, 100, 40, 40);
}

TEST_F(RealWindow, OpensDrawsPresentsAndReadsTheKeyboardAndMouse) {
  fw_set_app_title(u"Quill Window Check");
  ASSERT_EQ(fw_open_graphics(800, 600, 0, 60, 0), 1);
  fw_set_virtual_resolution(800, 600);
  DrawTestPicture();
  fw_flip(0);

  std::string window =
      Output("timeout 10 xdotool search --sync --name '^Quill Window Check$' | head -n 1");
  ASSERT_FALSE(window.empty()) << "the window never appeared";
  ASSERT_EQ(std::system(("timeout 10 xdotool windowfocus --sync " + window).c_str()), 0);
  for (std::string action : {" mousemove --window " + window + " 400 300", std::string(" click 1"),
                             std::string(" key --delay 30 a Return")})
    ASSERT_EQ(std::system(("timeout 10 xdotool" + action).c_str()), 0) << action;

  EXPECT_TRUE(PresentUntil([] { return fw_key_hit(65) > 0; })) << "the A key never arrived";
  EXPECT_EQ(fw_get_char(), 'a');
  EXPECT_TRUE(PresentUntil([] { return fw_key_hit(13) > 0; }));
  EXPECT_EQ(fw_get_char(), 13);  // Return is typed as well as pressed
  EXPECT_TRUE(PresentUntil([] { return fw_mouse_hit(1) > 0; }));
  EXPECT_EQ(fw_virtual_mouse_x(), 400.0f);
  EXPECT_EQ(fw_virtual_mouse_y(), 300.0f);

  if (!ProgramExists("import")) return;
  DrawTestPicture();
  fw_flip(0);
  std::string shot = std::string(QUILL_BINARY_DIR) + "/real_window.png";
  ASSERT_EQ(std::system(("import -window " + window + " 'PNG32:" + shot + "'").c_str()), 0);
  platform::PixmapRef seen = fw_load_pixmap(platform::FromUtf8(shot));
  ASSERT_TRUE(seen);
  ASSERT_EQ(seen->width, 800);
  ASSERT_EQ(seen->height, 600);
  EXPECT_EQ(fw_read_pixel(seen, 50, 500), 0xFFFF0000u);
  EXPECT_EQ(fw_read_pixel(seen, 750, 50), 0xFF0000FFu);
  EXPECT_EQ(fw_read_pixel(seen, 120, 120), 0xFF00FF00u);
  EXPECT_EQ(fw_read_pixel(seen, 99, 99), 0xFFFF0000u);
}

}  // namespace
