// A private X server for the tests that need a real display: Xvfb on a
// display number it picks itself, with DISPLAY pointed at it.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace run_test {

inline bool ProgramExists(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Starts the server and waits until it is ready; it stops when the object
// goes. Running() tells whether it came up.
class XvfbServer {
 public:
  XvfbServer() {
    std::string display = Start();
    if (display.empty()) return;
    setenv("DISPLAY", (":" + display).c_str(), 1);
    running_ = true;
  }
  ~XvfbServer() {
    if (server_ <= 0) return;
    kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
  }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool Running() const { return running_; }

 private:
  // Xvfb writes the display number it chose once it is ready; "" when it
  // did not start within ten seconds.
  std::string Start() {
    int ready[2];
    if (pipe(ready) != 0) return "";
    std::string fd = std::to_string(ready[1]);
    const char* argv[] = {"Xvfb",        "-displayfd", fd.c_str(), "-screen", "0",
                          "1024x768x24", "-nolisten",  "tcp",      nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    if (posix_spawnp(&server_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0)
      server_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    std::string display;
    pollfd wait_for{ready[0], POLLIN, 0};
    char c;
    while (server_ != 0 && poll(&wait_for, 1, 10000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n')
      display += c;
    close(ready[0]);
    return display;
  }

  pid_t server_ = 0;
  bool running_ = false;
};

}  // namespace run_test
