// The SDL2 host on a real X display: a private Xvfb server, keys and mouse
// moves sent with xdotool, and a screenshot of what was presented.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/platform_stage.h"

extern char** environ;

namespace {

bool ProgramExists(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

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
    ASSERT_TRUE(StartServer()) << "Xvfb did not start";
    // The SDL host, whatever host the cases before left installed.
    platform_stage::UseSdlHost();
  }

  void TearDown() override {
    // The SDL host must let go of the display before the server goes away.
    fw_close_graphics();
    platform::InstallHost(nullptr);
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
    }
  }

  // Xvfb picks a free display itself and writes its number once it is ready.
  bool StartServer() {
    int ready[2];
    if (pipe(ready) != 0) return false;
    std::string fd = std::to_string(ready[1]);
    const char* argv[] = {"Xvfb",        "-displayfd", fd.c_str(), "-screen", "0",
                          "1024x768x24", "-nolisten",  "tcp",      nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    int failed =
        posix_spawnp(&server_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    std::string number;
    pollfd wait_for{ready[0], POLLIN, 0};
    char c;
    while (!failed && poll(&wait_for, 1, 10000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n')
      number += c;
    close(ready[0]);
    if (failed) server_ = 0;
    if (number.empty()) return false;
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
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

  pid_t server_ = 0;
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
