// The built program on a real X display: started in a laid-out run folder
// under a private Xvfb server, driven with xdotool, and judged by its exit
// code and the files it leaves.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "run/run_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool ProgramExists(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Xvfb picks a free display itself and writes its number once it is ready.
pid_t StartXvfb(std::string& display) {
  int ready[2];
  if (pipe(ready) != 0) return 0;
  std::string fd = std::to_string(ready[1]);
  const char* argv[] = {"Xvfb",        "-displayfd", fd.c_str(), "-screen", "0",
                        "1024x768x24", "-nolisten",  "tcp",      nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, ready[0]);
  pid_t server = 0;
  if (posix_spawnp(&server, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
    server = 0;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(ready[1]);
  pollfd wait_for{ready[0], POLLIN, 0};
  char c;
  while (server != 0 && poll(&wait_for, 1, 10000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n') {
    display += c;
  }
  close(ready[0]);
  return server;
}

pid_t StartProgram() {
  const std::string program = std::string(QUILL_BINARY_DIR) + "/quill-retro";
  const char* argv[] = {program.c_str(), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) !=
      0) {
    return 0;
  }
  return child;
}

// The exit code once the process has ended within the time allowed, else -1.
int WaitForExit(pid_t child, std::chrono::seconds limit) {
  auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

int Xdotool(const std::string& arguments) {
  return std::system(("timeout 20 xdotool " + arguments + " >/dev/null 2>&1").c_str());
}

// Keys are held for a moment so that a frame sees them down.
void HoldKeys(const std::string& keys) {
  Xdotool("keydown " + keys);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Xdotool("keyup " + keys);
}

class XvfbRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ProgramExists("Xvfb") || !ProgramExists("xdotool")) {
      GTEST_SKIP() << "Xvfb and xdotool are needed for the real-window run";
    }
    std::string display;
    server_ = StartXvfb(display);
    ASSERT_NE(server_, 0);
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    setenv("DISPLAY", (":" + display).c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
  }
  void TearDown() override {
    if (program_ > 0 && waitpid(program_, nullptr, WNOHANG) == 0) {
      kill(program_, SIGKILL);
      waitpid(program_, nullptr, 0);
    }
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
    }
  }
  pid_t server_ = 0;
  pid_t program_ = 0;
};

TEST_F(XvfbRun, StartsTakesAScreenshotAndQuitsOnAltF4AndAKey) {
  run_test::RunFolder folder;
  program_ = StartProgram();
  ASSERT_NE(program_, 0);
  ASSERT_EQ(Xdotool("search --sync --name 'Quill Retro'"), 0) << "the window never appeared";
  Xdotool("search --name 'Quill Retro' windowfocus --sync");
  // The start marker is made before the window opens and removed when the
  // display set-up is over (the log is buffered until the run ends, so it
  // cannot tell).
  auto set_up_by = Clock::now() + std::chrono::seconds(60);
  while (folder.Exists("Files/001/crash.dat") && Clock::now() < set_up_by) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(folder.Exists("Files/001/crash.dat")) << "the display set-up never ended";
  std::this_thread::sleep_for(std::chrono::seconds(3));  // the loading hold
  HoldKeys("F11");
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  HoldKeys("alt+F4");
  int code = -1;
  for (int attempt = 0; attempt < 20 && code < 0; ++attempt) {
    HoldKeys("a");
    code = WaitForExit(program_, std::chrono::seconds(1));
  }
  program_ = 0;
  EXPECT_EQ(code, 0);

  auto log = folder.Lines("Files/Debug.txt");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "Ostravel's Brindlemoor Engine");
  EXPECT_EQ(
      run_test::MissingInOrder(log, {"\tRequested Resolution : 800x600", "\tResolution : 800x600,0",
                                     "Finished Loading", "Closing Up"}),
      "");
  EXPECT_EQ(log.back(), "Play again, soon!!");
  auto setup = folder.Lines("Files/Setup.ini");
  ASSERT_GE(setup.size(), 5u);
  EXPECT_EQ(setup[0], "[Graphics]");
  EXPECT_EQ(setup[1], "Fullscreen = False");
  EXPECT_EQ(setup[2], "GFX Engine = OpenGL");
  EXPECT_EQ(setup[3], "Width=800");
  EXPECT_EQ(setup.back(), "Key=13,86");
  EXPECT_FALSE(folder.Exists("Files/001/crash.dat"));
  int32_t screenshots = 0;
  for (const auto& entry : fs::directory_iterator(folder.Path("Files"))) {
    std::string name = entry.path().filename().string();
    screenshots += name.rfind("Quill Retro Sprite Tool (Screenshot_", 0) == 0 &&
                   entry.path().extension() == ".png";
  }
  EXPECT_EQ(screenshots, 1);
}

}  // namespace
