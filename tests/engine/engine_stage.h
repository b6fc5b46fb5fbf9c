// A minimal engine state for tests of the hub's periphery, without AppMain:
// a scripted host with an open 800 x 600 window, a temporary run folder with
// the week folder current, a log, fonts, icon strips and the globals that
// start-up would set.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "fresh_start.h"

namespace engine_stage {

namespace fs = std::filesystem;

inline constexpr char kFontPath[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

inline platform::InputEvent Key(platform::InputEvent::Kind kind, int32_t code) {
  platform::InputEvent event{};
  event.kind = kind;
  event.code = code;
  return event;
}
inline platform::InputEvent KeyDown(int32_t code) {
  return Key(platform::InputEvent::kKeyDown, code);
}
inline platform::InputEvent KeyUp(int32_t code) { return Key(platform::InputEvent::kKeyUp, code); }
inline platform::InputEvent MouseDown(int32_t button) {
  return Key(platform::InputEvent::kMouseDown, button);
}
inline platform::InputEvent MouseUp(int32_t button) {
  return Key(platform::InputEvent::kMouseUp, button);
}

// A strip of 64 opaque white 16 x 16 cells, standing in for "icons.png".
inline int32_t MakeIconStrip() {
  int32_t strip = fw_create_image(16, 16, 64, 0);
  for (int32_t frame = 0; frame < 64; ++frame) {
    platform::PixmapRef cell = fw_lock_image(strip, frame);
    for (int32_t y = 0; y < 16; ++y) {
      for (int32_t x = 0; x < 16; ++x) fw_write_pixel(cell, x, y, 0xFFFFFFFFu);
    }
  }
  return strip;
}

// Input scripted by frames shown: events queued when a given present has
// happened, and key releases made while a loop waits (it sleeps but shows
// nothing) once a given present has happened.
class InputScript {
 public:
  explicit InputScript(platform::ScriptedHost& host) : host_(host) {
    host_.on_present = [this](platform::ScriptedHost& h, int32_t presents) {
      if (observe) observe(h, presents);
      auto due = at_present_.find(presents);
      if (due == at_present_.end()) return;
      for (const auto& event : due->second) h.Queue(event);
    };
    host_.on_delay = [this](platform::ScriptedHost& h, int32_t) {
      for (auto it = release_on_wait_.begin(); it != release_on_wait_.end();) {
        if (h.Presents() >= it->second) {
          h.Queue(KeyUp(it->first));
          it = release_on_wait_.erase(it);
        } else {
          ++it;
        }
      }
    };
  }
  ~InputScript() {
    host_.on_present = nullptr;
    host_.on_delay = nullptr;
  }
  // Frame numbers count from the presents made so far.
  void AtFrame(int32_t frame, const platform::InputEvent& event) {
    if (frame <= 0) return host_.Queue(event);
    at_present_[host_.Presents() + frame].push_back(event);
  }
  void ReleaseWhileWaitingFrom(int32_t frame, int32_t key) {
    release_on_wait_.emplace_back(key, host_.Presents() + frame);
  }
  // Called with each frame shown, before that frame's events are queued.
  std::function<void(platform::ScriptedHost&, int32_t)> observe;

 private:
  platform::ScriptedHost& host_;
  std::map<int32_t, std::vector<platform::InputEvent>> at_present_;
  std::vector<std::pair<int32_t, int32_t>> release_on_wait_;
};

class EngineStage {
 public:
  EngineStage() : host_(FreshStart()) {
    original_dir_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "quill-stage-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    fs::create_directories(root_ / "Files" / "001");
    fs::create_directories(root_ / "Files" / "Common");
    fs::current_path(root_ / "Files");
    engine::LogStream = fw_write_file(u"Debug.txt");
    fs::current_path("001");
    // What start-up sets once the display is up.
    engine::MouseMode = 1;
    engine::PlayerCount = 4;
    fw_set_auto_mid_handle(1);
    fw_open_graphics(800, 600, 0, 60, 0);
    fw_set_virtual_resolution(800, 600);
  }
  ~EngineStage() {
    std::error_code ignored;
    fs::current_path(original_dir_, ignored);
    fs::remove_all(root_, ignored);
  }

  platform::ScriptedHost& host() { return host_; }
  fs::path files_dir() const { return root_ / "Files"; }

  void LoadFonts() {
    static constexpr int32_t kSizes[14] = {0, 24, 16, 16, 20, 96, 72, 32, 32, 14, 112, 96, 32, 20};
    for (int32_t slot = 1; slot <= 13; ++slot) {
      engine::FontTable[slot] = fw_load_image_font(platform::FromUtf8(kFontPath), kSizes[slot], 4);
    }
  }
  void MakeIcons() {
    engine::IconStripSmooth = MakeIconStrip();
    engine::IconStripSharp = MakeIconStrip();
  }

  // Closes the log and gives back its lines.
  std::vector<Text> LogLines() {
    fw_close_file(engine::LogStream);
    engine::LogStream = 0;
    std::vector<Text> lines;
    int32_t stream = fw_read_file(platform::FromUtf8((files_dir() / "Debug.txt").string()));
    while (stream != 0 && fw_stream_eof(stream) == 0) lines.push_back(fw_read_line(stream));
    if (stream != 0) fw_close_file(stream);
    return lines;
  }

 private:
  platform::ScriptedHost& host_;
  fs::path original_dir_;
  fs::path root_;
};

}  // namespace engine_stage
