// A stage for tests of the sprite tool: a temporary run folder laid out by
// the data step with the week folder current, the scripted host with an open
// 800 x 600 window, the engine globals the tool reads, the fonts and common
// assets, and the tool's set-up.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "fresh_start.h"
#include "platform/platform.h"
#include "tool/tool.h"

namespace tool_stage {

namespace fs = std::filesystem;

inline platform::InputEvent Event(platform::InputEvent::Kind kind, int32_t code = 0, float x = 0,
                                  float y = 0) {
  platform::InputEvent event{};
  event.kind = kind;
  event.code = code;
  event.x = x;
  event.y = y;
  return event;
}
inline platform::InputEvent KeyDown(int32_t code) {
  return Event(platform::InputEvent::kKeyDown, code);
}
inline platform::InputEvent KeyUp(int32_t code) {
  return Event(platform::InputEvent::kKeyUp, code);
}
inline platform::InputEvent MouseMove(float x, float y) {
  return Event(platform::InputEvent::kMouseMove, 0, x, y);
}
inline platform::InputEvent MouseDown(int32_t button = 1) {
  return Event(platform::InputEvent::kMouseDown, button);
}
inline platform::InputEvent MouseUp(int32_t button = 1) {
  return Event(platform::InputEvent::kMouseUp, button);
}

// Paths given to the stage are relative to the run folder's root, so
// "Presets/a.dat" or "Files/001/transparent.png".
class ToolStage {
 public:
  // With data, the fonts and common assets are loaded as the display set-up
  // loads them (its loading screen is one present). With `with_data` false
  // the run folder holds only its empty folders (Files/Common, Files/001,
  // Palettes, Presets, Spritesheets) and nothing is loaded.
  explicit ToolStage(bool with_data = true) : host_(FreshStart()) {
    original_dir_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "quill-tool-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    if (with_data) LayOutWithDataStep();
    for (const char* folder :
         {"Files/Common", "Files/001", "Palettes", "Presets", "Spritesheets"}) {
      fs::create_directories(root_ / folder);
    }
    fs::current_path(root_ / "Files" / "001");
    engine::MouseMode = 1;  // as start-up sets it once the display is up
    fw_set_auto_mid_handle(1);
    fw_open_graphics(800, 600, 0, 60, 0);
    fw_set_virtual_resolution(800, 600);
    if (with_data) LoadCommonAssets();
  }
  ~ToolStage() {
    std::error_code ignored;
    fs::current_path(original_dir_, ignored);
    fs::remove_all(root_, ignored);
  }
  ToolStage(const ToolStage&) = delete;
  ToolStage& operator=(const ToolStage&) = delete;

  platform::ScriptedHost& host() { return host_; }
  const fs::path& root() const { return root_; }
  fs::path Path(const std::string& relative) const { return root_ / relative; }
  bool Exists(const std::string& relative) const { return fs::exists(Path(relative)); }

  // The fonts, icons, logos and sounds of Files/Common and the week folder
  // and the score file; the week folder stays current.
  void LoadCommonAssets() { engine::LoadCommonObjects(); }

  // The whole tool set-up, engine speed test included (a few hundred frames
  // on the virtual clock).
  void SetUpTool() { tool::SetUpSpriteTool(); }

  // The working state the frame loop sets before its first pass, without
  // running the loop: name, 8 x 8 size, seed and sprite image.
  void StartWorkingState(int32_t seed = 12345) {
    tool::SpriteName = u"NameYourSprite";
    tool::SpriteWidth = 8;
    tool::SpriteHeight = 8;
    tool::TicksPerFrame = 8;
    tool::SpriteSeed = seed;
    tool::SpriteImage = fw_create_image(8, 8, 128, 9);
  }

  std::string Read(const std::string& relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  void Write(const std::string& relative, const std::string& bytes) const {
    fs::create_directories(Path(relative).parent_path());
    std::ofstream out(Path(relative), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  // Saves a width x height PNG whose every pixel is `argb`.
  void WritePng(const std::string& relative, int32_t width, int32_t height,
                uint32_t argb = 0xFF808080u) const {
    fs::create_directories(Path(relative).parent_path());
    platform::PixmapRef pixmap = fw_create_pixmap(width, height);
    {
      platform::PixelWrite write(*pixmap);
      for (uint32_t& pixel : write.All()) pixel = argb;
    }
    fw_save_pixmap_png(pixmap, platform::FromUtf8(Path(relative).string()), 0);
  }
  // The bytes of a preset's .dat: the seed, then 3200 settings that are 0
  // apart from the given (index, value) pairs.
  static std::string PresetBytes(int32_t seed,
                                 const std::vector<std::pair<int32_t, int32_t>>& settings = {}) {
    std::vector<int32_t> ints(3201, 0);
    ints[0] = seed;
    for (const auto& [index, value] : settings) ints.at(size_t(index) + 1) = value;
    std::string bytes;
    for (int32_t value : ints) {
      for (int32_t shift = 0; shift < 32; shift += 8) {
        bytes.push_back(char(uint32_t(value) >> shift & 0xFF));
      }
    }
    return bytes;
  }
  // A preset in Presets/: an 8 x 8 grey icon and its .dat.
  void AddPreset(const std::string& name, const std::string& dat = PresetBytes(1)) const {
    WritePng("Presets/" + name + ".png", 8, 8);
    Write("Presets/" + name + ".dat", dat);
  }
  // File names in a folder of the run folder, sorted.
  std::vector<std::string> FileNames(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Path(relative))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // The notices posted so far, oldest first.
  static std::vector<Text> Notices() {
    std::vector<Text> texts;
    engine::NoticeList.ForEach([&](const auto& notice) { texts.push_back(notice->txt); });
    return texts;
  }

 private:
  void LayOutWithDataStep() {
    fs::path make_data = fs::path(QUILL_BINARY_DIR) / "make-data";
    std::string command = "'" + make_data.string() + "' '" + root_.string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
      throw std::runtime_error("the data step failed: " + command);
    }
  }

  platform::ScriptedHost& host_;
  fs::path original_dir_;
  fs::path root_;
};

}  // namespace tool_stage
