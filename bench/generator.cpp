// One generated frame with all nine layers on, at three sprite sizes, in a
// run folder laid out by the data step. Prints time per frame and frames/s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/engine.h"
#include "tool/tool.h"

namespace {

namespace fs = std::filesystem;

// The sheets as the tool's set-up loads them: 100 cells, the usable ones
// ending before the cyan-like stop cell.
int32_t LoadSheet(const fs::path& path, int32_t& usable) {
  const int32_t sheet = fw_load_anim_image(Text(path.u16string()), 64, 64, 0, 100, 8);
  usable = 0;
  for (int32_t cell = 0; cell < 100; ++cell) {
    const uint32_t corner = fw_read_pixel(fw_lock_image(sheet, cell, 1, 0), 0, 0);
    const uint32_t r = corner >> 16 & 0xff, g = corner >> 8 & 0xff, b = corner & 0xff;
    if (r < 100 && g > 100 && b > 100 && usable == 0) usable = cell - 1;
  }
  return sheet;
}

void LayOutRunFolder(const char* program) {
  static bool done = false;
  if (done) return;
  done = true;
  const fs::path root = fs::temp_directory_path() / ("bench-generator-" + std::to_string(getpid()));
  const fs::path make_data = fs::absolute(fs::path(program)).parent_path() / "make-data";
  if (std::system((make_data.string() + " " + root.string() + " > /dev/null").c_str()) != 0)
    std::abort();
  platform::UseScriptedHost();
  fw_set_auto_mid_handle(1);
  using namespace tool;
  ShapesImage = LoadSheet(root / "Shapes.png", ShapeCount);
  FiltersImage = LoadSheet(root / "Filters.png", FilterCount);
  PreviewImage = fw_create_image(128, 128, 128, 9);
  BlankScreenImage = fw_create_image(800, 600, 9, -1);
  LayerImage = fw_create_image(128, 128, 10, 9);
  fs::remove_all(root);
}

// Every kind of setting in use, as a user's busy sprite would have them.
void TypicalSettings() {
  using tool::ToolSettings;
  for (int32_t& value : ToolSettings) value = 0;
  ToolSettings[11] = 140, ToolSettings[12] = 170, ToolSettings[13] = 120;
  ToolSettings[14] = ToolSettings[15] = ToolSettings[16] = 30;
  ToolSettings[20] = 8;
  ToolSettings[21] = 1;
  for (int32_t layer = 1; layer <= 9; ++layer) {
    int32_t* block = ToolSettings + 200 * layer;
    block[0] = 1;
    block[1] = layer % 3, block[2] = (layer / 3) % 3;
    block[3] = 20 + 8 * layer, block[4] = 20;
    block[11] = 20 * layer - 90, block[12] = -10, block[13] = 5;
    block[14] = block[15] = block[16] = 15;
    block[17] = block[18] = block[19] = 10;
    block[21] = 2, block[22] = 40, block[23] = 1;
    block[31] = -1, block[32] = 40, block[34] = 1;
    block[41] = 1, block[44] = 2, block[45] = 2;
    block[51] = 1, block[52] = 60;
  }
  fw_seed_rnd(99);
  for (int32_t i = 0; i < 64; ++i)
    for (int32_t channel = 1; channel <= 3; ++channel)
      tool::PaletteTable[128 * channel + i] = std::min(fw_rand_int(0, 16) * 16, 255);
  tool::PaletteOn = 1;
}

const char* program_path = "";

void GenerateFrame(benchmark::State& state) {
  LayOutRunFolder(program_path);
  TypicalSettings();
  const int32_t size = int32_t(state.range(0));
  tool::SpriteWidth = tool::SpriteHeight = size;
  tool::SpriteImage = fw_create_image(size, size, 128, 9);
  tool::SpriteSeed = 1234;
  int32_t frame = 0;
  for (auto _ : state) {
    tool::GenerateSpriteFrame(frame, 0);
    frame = (frame + 1) % 8;
  }
  state.counters["frames/s"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(GenerateFrame)->Arg(8)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  program_path = argv[0];
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
