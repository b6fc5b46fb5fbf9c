// A throw-away run folder for whole-program tests, and helpers to drive a run
// of AppMain on the scripted host.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/platform.h"

namespace run_test {

namespace fs = std::filesystem;

// Creates a temporary folder, lays it out as a run folder (with the data step
// when it was built, else with just the folders) and makes it current. With
// `nested_at` ("a/b/run") the run folder lies that deep inside the temporary
// folder, Top(), so that a test can see what a run leaves above it.
class RunFolder {
 public:
  explicit RunFolder(bool with_data = true, const std::string& nested_at = "") {
    std::string pattern = (fs::temp_directory_path() / "quill-run-XXXXXX").string();
    top_ = mkdtemp(pattern.data());
    root_ = nested_at.empty() ? top_ : top_ / nested_at;
    fs::create_directories(root_);
    if (!(with_data && LayOutData())) {
      fs::create_directories(root_ / "Files" / "Common");
      fs::create_directories(root_ / "Files" / "001" / "music");
    }
    previous_ = fs::current_path();
    fs::current_path(root_);
  }
  ~RunFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(top_, ignored);
  }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;

  // Runs the data step over the folder; false when it was not built.
  bool LayOutData() const {
    fs::path make_data = fs::path(QUILL_BINARY_DIR) / "make-data";
    if (!fs::exists(make_data)) return false;
    std::string command = make_data.string() + " '" + root_.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }

  const fs::path& Top() const { return top_; }
  fs::path Path(const std::string& relative) const { return root_ / relative; }
  bool Exists(const std::string& relative) const { return fs::exists(Path(relative)); }

  std::string Read(const std::string& relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  // Lines split at LF with their CR dropped; no empty line for a final LF.
  std::vector<std::string> Lines(const std::string& relative) const {
    std::vector<std::string> lines;
    std::string text = Read(relative), line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  void Write(const std::string& relative, const std::vector<std::string>& lines) const {
    fs::create_directories(Path(relative).parent_path());
    std::ofstream out(Path(relative), std::ios::binary);
    for (const std::string& line : lines) out << line << "\r\n";
  }

 private:
  fs::path top_;
  fs::path root_;
  fs::path previous_;
};

inline platform::InputEvent Key(platform::InputEvent::Kind kind, int32_t code) {
  platform::InputEvent event{kind};
  event.code = code;
  return event;
}

inline void PressAKey(platform::ScriptedHost& host) {
  host.Queue(Key(platform::InputEvent::kKeyDown, 65));
}

// Once the tool's loop runs, delivers `quit` after `frames` more frames; the
// closing screen then sees `release` and, after that, `answer` (a new key
// press unless another is given).
inline void QuitWith(platform::ScriptedHost& host, std::vector<platform::InputEvent> quit,
                     std::vector<platform::InputEvent> release, int32_t frames = 3,
                     std::function<void(platform::ScriptedHost&)> answer = PressAKey) {
  using platform::InputEvent;
  auto quit_frame = std::make_shared<int32_t>(-1);
  host.on_present = [quit_frame, frames, quit](platform::ScriptedHost& h, int32_t presents) {
    if (*quit_frame >= 0 || engine::MouseMode != 1) return;
    *quit_frame = presents + frames;
    for (const InputEvent& event : quit) h.QueueAtFrame(*quit_frame, event);
  };
  auto waits = std::make_shared<int32_t>(0);
  host.on_delay = [quit_frame, waits, release, answer](platform::ScriptedHost& h, int32_t ms) {
    if (*quit_frame < 0 || h.Presents() <= *quit_frame || ms != 16) return;
    ++*waits;
    if (*waits == 1) {
      for (const InputEvent& event : release) h.Queue(event);
    } else if (*waits == 2) {
      answer(h);
    }
  };
}

inline void QuitWithAltF4(platform::ScriptedHost& host, int32_t frames = 3,
                          std::function<void(platform::ScriptedHost&)> answer = PressAKey) {
  using platform::InputEvent;
  QuitWith(host, {Key(InputEvent::kKeyDown, 164), Key(InputEvent::kKeyDown, 115)},
           {Key(InputEvent::kKeyUp, 164), Key(InputEvent::kKeyUp, 115)}, frames, answer);
}

// Runs the program to its end and gives its exit code.
inline int32_t RunAppMain() {
  try {
    engine::AppMain();
  } catch (const platform::ProcessEnded& ended) {
    return ended.code;
  }
}

// Whether `expected` appears in `lines` in this order (other lines may lie
// between); on failure names the first line not found.
inline std::string MissingInOrder(const std::vector<std::string>& lines,
                                  const std::vector<std::string>& expected) {
  size_t at = 0;
  for (const std::string& want : expected) {
    while (at < lines.size() && lines[at] != want) ++at;
    if (at == lines.size()) return want.empty() ? "(empty line)" : want;
    ++at;
  }
  return "";
}

}  // namespace run_test
