// The built program on a real X display: started in a laid-out run folder
// under a private Xvfb server, driven with xdotool, and judged by its exit
// code and the files it leaves.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "non_files.h"
#include "run/run_folder.h"
#include "run/xvfb_server.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using run_test::ProgramExists;

// The test's environment without the variables in `unset`, with `added`
// ("NAME=value") in front.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& unset,
                                         const std::vector<std::string>& added) {
  std::vector<std::string> environment = added;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string variable = *entry;
    std::string name = variable.substr(0, variable.find('='));
    if (std::find(unset.begin(), unset.end(), name) == unset.end()) environment.push_back(variable);
  }
  return environment;
}

// Starts the program in the current folder, by default with the test's own
// environment; its standard error goes to `errors_path` when one is given.
// Its stop signals start at their defaults, as a shell starts a job, however
// the suite was started (nohup ignores SIGHUP, a background job SIGINT).
pid_t StartProgram(std::vector<std::string> environment = EnvironmentWith({}, {}),
                   const std::string& errors_path = "") {
  const std::string program = std::string(QUILL_BINARY_DIR) + "/quill-retro";
  const char* argv[] = {program.c_str(), nullptr};
  std::vector<char*> variables;
  for (std::string& variable : environment) variables.push_back(variable.data());
  variables.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!errors_path.empty()) {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors_path.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  for (int stop_signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stop_signals, stop_signal);
  posix_spawnattr_setsigdefault(&attributes, &stop_signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t child = 0;
  int failed = posix_spawn(&child, program.c_str(), &actions, &attributes, const_cast<char**>(argv),
                           variables.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0 ? child : 0;
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

// Whether the log in Files/ holds `line` `count` times within `limit`.
bool LogReaches(const run_test::RunFolder& folder, const std::string& line, std::ptrdiff_t count,
                std::chrono::seconds limit) {
  auto deadline = Clock::now() + limit;
  for (;;) {
    std::vector<std::string> log = folder.Lines("Files/Debug.txt");
    if (std::count(log.begin(), log.end(), line) >= count) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

// Each display set-up writes this rule as its first and last line.
void WaitForDisplaySetUps(const run_test::RunFolder& folder, std::ptrdiff_t set_ups) {
  LogReaches(folder, "-=-=-=-=-=-=-=-=-=-=-=-=-=-", 2 * set_ups, std::chrono::seconds(60));
}

// Starts the program in `folder` and waits until its set-up and loading
// hold are over.
pid_t StartAndWaitForTheToolLoop(const run_test::RunFolder& folder) {
  pid_t program = StartProgram();
  if (program == 0) return 0;
  WaitForDisplaySetUps(folder, 1);
  std::this_thread::sleep_for(std::chrono::seconds(3));
  return program;
}

void FocusWindow() { Xdotool("search --sync --name 'Quill Retro' windowfocus --sync %1"); }

// Opens the options panel with Tab and clicks its "Apply" button, again
// while the panel may still be sliding in, until the log shows the
// `applied`th set-up from the panel.
void PressApply(const run_test::RunFolder& folder, std::ptrdiff_t applied) {
  FocusWindow();
  HoldKeys("Tab");
  for (int click = 0; click < 5; ++click) {
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    // The open panel rests 20 pixels down, so "Apply" is drawn at (20, 280).
    Xdotool("search --name 'Quill Retro' mousemove --window %1 26 286");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Xdotool("click 1");
    if (LogReaches(folder, "\tChanged Graphics Mode ingame.", applied, std::chrono::seconds(3))) {
      return;
    }
  }
}

// Alt+F4, then a key for the closing screen until the program ends; its exit
// code, or -1 when it never ended.
int QuitWithAltF4(pid_t program) {
  FocusWindow();
  HoldKeys("alt+F4");
  int code = -1;
  for (int attempt = 0; attempt < 20 && code < 0; ++attempt) {
    HoldKeys("a");
    code = WaitForExit(program, std::chrono::seconds(1));
  }
  return code;
}

std::vector<std::string> EntryNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

// A run keeps to its run folder: each folder above it holds only the way
// down, the configuration and the scores are where they belong, and the
// start marker is gone.
void ExpectKeptInsideTheRunFolder(const run_test::RunFolder& folder) {
  for (fs::path below = folder.Path(".").parent_path(); below != folder.Top();
       below = below.parent_path()) {
    EXPECT_EQ(EntryNames(below.parent_path()), std::vector<std::string>{below.filename().string()});
  }
  EXPECT_TRUE(folder.Exists("Files/Setup.ini"));
  EXPECT_TRUE(folder.Exists("Files/001/nuscores.dat"));
  for (const auto& entry : fs::recursive_directory_iterator(folder.Top())) {
    EXPECT_NE(entry.path().filename(), "crash.dat") << entry.path();
  }
}

class XvfbRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ProgramExists("Xvfb") || !ProgramExists("xdotool")) {
      GTEST_SKIP() << "Xvfb and xdotool are needed for the real-window run";
    }
    server_.emplace();
    ASSERT_TRUE(server_->Running()) << "Xvfb did not start";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
  }
  // Starts the program in `folder`, lets it reach its tool loop and quits it
  // with Alt+F4 and a key; its exit code, or -1 when it did not end.
  int RunToTheLoopAndQuit(const run_test::RunFolder& folder) {
    program_ = StartAndWaitForTheToolLoop(folder);
    if (program_ == 0) return -1;
    int code = QuitWithAltF4(program_);
    if (code >= 0) program_ = 0;
    return code;
  }
  void TearDown() override {
    for (pid_t program : others_) EndIfRunning(program);
    EndIfRunning(program_);
  }
  static void EndIfRunning(pid_t program) {
    if (program > 0 && waitpid(program, nullptr, WNOHANG) == 0) {
      kill(program, SIGKILL);
      waitpid(program, nullptr, 0);
    }
  }
  std::optional<run_test::XvfbServer> server_;
  pid_t program_ = 0;
  std::vector<pid_t> others_;  // programs running beside program_
};

TEST_F(XvfbRun, StartsTakesAScreenshotAndQuitsOnAltF4AndAKey) {
  run_test::RunFolder folder;
  program_ = StartProgram();
  ASSERT_NE(program_, 0);
  ASSERT_EQ(Xdotool("search --sync --name 'Quill Retro'"), 0) << "the window never appeared";
  Xdotool("search --name 'Quill Retro' windowfocus --sync");
  // The start marker is made before the window opens and removed when the
  // display set-up is over.
  auto set_up_by = Clock::now() + std::chrono::seconds(60);
  while (folder.Exists("Files/001/crash.dat") && Clock::now() < set_up_by) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(folder.Exists("Files/001/crash.dat")) << "the display set-up never ended";
  std::this_thread::sleep_for(std::chrono::seconds(3));  // the loading hold
  HoldKeys("F11");
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  int code = QuitWithAltF4(program_);
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

TEST_F(XvfbRun, WithoutTheCommonFolderApplyAndQuitKeepInsideTheRunFolder) {
  run_test::RunFolder folder(true, "a/b/run");
  fs::remove_all(folder.Path("Files/Common"));
  program_ = StartAndWaitForTheToolLoop(folder);
  ASSERT_NE(program_, 0);
  for (int applied = 1; applied <= 3; ++applied) {
    PressApply(folder, applied);
    WaitForDisplaySetUps(folder, 1 + applied);
  }
  int code = QuitWithAltF4(program_);
  program_ = 0;
  EXPECT_EQ(code, 0);

  ExpectKeptInsideTheRunFolder(folder);
  auto log = folder.Lines("Files/Debug.txt");
  EXPECT_EQ(std::count(log.begin(), log.end(), "\tChanged Graphics Mode ingame."), 3);
  EXPECT_EQ(std::count(log.begin(), log.end(), "\tDefault Fonts"), 4);
  EXPECT_EQ(log.back(), "Play again, soon!!");
}

TEST_F(XvfbRun, StartedWithoutFilesMakesItsFoldersAndKeepsInsideTheRunFolder) {
  run_test::RunFolder folder(false, "a/b/run");
  fs::remove_all(folder.Path("Files"));
  EXPECT_EQ(RunToTheLoopAndQuit(folder), 0);

  ExpectKeptInsideTheRunFolder(folder);
  EXPECT_EQ(folder.Lines("Files/Debug.txt").back(), "Play again, soon!!");
}

// Every kind of outside file read at start-up, with a folder or a FIFO in its
// place: the run neither aborts nor waits, and its shutdown saves replace the
// FIFOs of its own files.
TEST_F(XvfbRun, FoldersAndFifosInPlaceOfFilesNeitherStopNorHoldTheRun) {
  run_test::RunFolder folder(true, "a/b/run");
  folder.Write("Presets/Y.dat", {"settings"});
  folder.Write("Presets/f.png", {"icon"});
  for (const char* name :
       {"Presets/Y.png", "Shapes.png", "Files/Common/Blue Highway.ttf", "Palettes/Zdir.png"}) {
    MakeNonFile(folder.Path(name), NonFile::kFolder);
  }
  for (const char* name : {"Presets/f.dat", "Files/001/transparent.png", "Files/Common/open.ogg",
                           "Files/Setup.ini", "Files/001/nuscores.dat"}) {
    MakeNonFile(folder.Path(name), NonFile::kFifo);
  }
  EXPECT_EQ(RunToTheLoopAndQuit(folder), 0);

  ExpectKeptInsideTheRunFolder(folder);
  EXPECT_TRUE(fs::is_regular_file(folder.Path("Files/Setup.ini")));
  EXPECT_TRUE(fs::is_regular_file(folder.Path("Files/001/nuscores.dat")));
  EXPECT_EQ(folder.Lines("Files/Debug.txt").back(), "Play again, soon!!");
}

// A stop signal ends a run in its tool loop as Alt+F4 does, with its saves,
// but at once: no one may be there to press a key on the closing screen.
TEST_F(XvfbRun, EachStopSignalEndsTheRunAtOnceWithItsSaves) {
  const std::array<int, 3> signals = {SIGTERM, SIGINT, SIGHUP};
  std::array<run_test::RunFolder, 3> folders;
  for (run_test::RunFolder& folder : folders) {
    // What a user may have set: settings and scores kept private, and a link
    // planted where the start marker goes.
    for (const char* name : {"Files/Setup.ini", "Files/001/nuscores.dat"}) {
      folder.Write(name, {});
      fs::permissions(folder.Path(name), fs::perms::owner_read | fs::perms::owner_write);
    }
    folder.Write("profile", {"keep"});
    fs::create_symlink(folder.Path("profile"), folder.Path("Files/001/crash.dat"));
    fs::current_path(folder.Path(""));
    others_.push_back(StartProgram());
    ASSERT_NE(others_.back(), 0);
  }
  for (const run_test::RunFolder& folder : folders) WaitForDisplaySetUps(folder, 1);
  std::this_thread::sleep_for(std::chrono::seconds(3));  // the loading hold
  for (size_t i = 0; i < signals.size(); ++i) kill(others_[i], signals[i]);

  for (size_t i = 0; i < signals.size(); ++i) {
    SCOPED_TRACE(strsignal(signals[i]));
    EXPECT_EQ(WaitForExit(others_[i], std::chrono::seconds(5)), 0);
    auto log = folders[i].Lines("Files/Debug.txt");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "Play again, soon!!");
    EXPECT_EQ(run_test::MissingInOrder(log, {"Finished Loading", "Closing Up"}), "");
    for (const char* name : {"Files/Setup.ini", "Files/001/nuscores.dat"}) {
      EXPECT_GT(fs::file_size(folders[i].Path(name)), 0u) << name;
      EXPECT_EQ(fs::status(folders[i].Path(name)).permissions(),
                fs::perms::owner_read | fs::perms::owner_write)
          << name;
    }
    EXPECT_EQ(folders[i].Lines("profile"), std::vector<std::string>{"keep"});
  }
}

// SDL would fall back on a video driver that shows nothing, and the program
// would run on unseen; only a driver the user names may do that.
TEST_F(XvfbRun, WithoutADisplayItSaysSoAndEndsUnlessADriverIsNamed) {
  run_test::RunFolder folder;
  // Without XDG_RUNTIME_DIR a Wayland session's default socket is not found either.
  const std::vector<std::string> unset = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR",
                                          "SDL_VIDEODRIVER"};
  const std::string errors_path = folder.Path("errors.txt");
  program_ = StartProgram(EnvironmentWith(unset, {}), errors_path);
  ASSERT_NE(program_, 0);
  EXPECT_EQ(WaitForExit(program_, std::chrono::seconds(10)), 1);
  EndIfRunning(program_);
  const std::string no_display = "no display is available";
  EXPECT_NE(folder.Read("errors.txt").find(no_display), std::string::npos);
  auto log = folder.Lines("Files/Debug.txt");
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find(no_display), std::string::npos) << log.back();

  program_ = StartProgram(EnvironmentWith(unset, {"SDL_VIDEODRIVER=offscreen"}));
  ASSERT_NE(program_, 0);
  ASSERT_TRUE(LogReaches(folder, "Finished Loading", 1, std::chrono::seconds(60)));
  kill(program_, SIGTERM);
  EXPECT_EQ(WaitForExit(program_, std::chrono::seconds(10)), 0);
}

}  // namespace
