// A whole batch spritesheet build, on the scripted host: its clock is
// virtual, so the hub's frame pacing costs nothing and what is measured is
// the generator, the copies, the sheet draws and the PNG save.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/engine.h"
#include "platform/platform.h"
#include "tool/tool.h"

namespace {

namespace fs = std::filesystem;

// A run folder laid out by the data step built beside this program, with
// the week folder current and the tool set up in an open window.
class ToolRun {
 public:
  ToolRun() {
    // The builders show a frame every few cells and never wait for input.
    platform::UseScriptedHost().idle_frame_limit = 0;
    engine::ResetRunState();
    std::string pattern = (fs::temp_directory_path() / "quill-bench-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    const fs::path make_data = fs::read_symlink("/proc/self/exe").parent_path() / "make-data";
    const std::string command =
        "'" + make_data.string() + "' '" + root_.string() + "' >/dev/null 2>&1";
    ready_ = std::system(command.c_str()) == 0;
    fs::create_directories(root_ / "Spritesheets");
    fs::create_directories(root_ / "Files" / "001");
    fs::current_path(root_ / "Files" / "001");
    engine::MouseMode = 1;  // as start-up sets it once the display is up
    fw_set_auto_mid_handle(1);
    fw_open_graphics(800, 600, 0, 60, 0);
    fw_set_virtual_resolution(800, 600);
    engine::LoadCommonObjects();
    tool::SetUpSpriteTool();
  }
  ~ToolRun() {
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    fs::remove_all(root_, ignored);
  }
  bool ready() const { return ready_; }

  // A starting point as the settings menu's Randomize gives one, with the
  // first three layers switched on and four frames of animation.
  static void UseTypicalSprite(int32_t size) {
    tool::RandomizeAllSettings();
    for (int32_t layer = 1; layer <= 3; ++layer) tool::ToolSettings[200 * layer] = 1;
    tool::ToolSettings[20] = 4;
    tool::AnimFrames = 4;
    tool::SpriteName = u"Bench";
    tool::SpriteSeed = 1234567;
    tool::SpriteWidth = tool::SpriteHeight = size;
    tool::SpriteImage = fw_create_image(size, size, 128, 9);
  }

 private:
  fs::path root_;
  bool ready_ = false;
};

ToolRun& Run() {
  static ToolRun run;
  return run;
}

void BatchSpritesheet(benchmark::State& state) {
  if (!Run().ready()) return state.SkipWithError("the data step did not run");
  const int32_t size = int32_t(state.range(0));
  ToolRun::UseTypicalSprite(size);
  const int64_t cells = int64_t(512 / size) * (512 / size);
  for (auto _ : state) tool::BuildBatchSpritesheet();
  state.counters["cells/s"] =
      benchmark::Counter(double(cells * state.iterations()), benchmark::Counter::kIsRate);
  state.counters["cells"] = double(cells);
}

BENCHMARK(BatchSpritesheet)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
