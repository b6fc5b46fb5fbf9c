// The rasterizer against SDL2's own software renderer, on the same work in
// the same run. Prints Mpixels/s per case and the ratio ours / SDL's.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/platform.h"

namespace {

const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const Text kLine = u"Sprite sheets: 0123!";  // 20 characters

// Pixels touched per second, by case and by side, from the last run.
std::map<std::string, std::map<std::string, double>> rates;

// Times the benchmark loop around `draw`, counting `pixels` per iteration.
template <class Draw>
void Measure(benchmark::State& state, const std::string& name, const std::string& side,
             double pixels, Draw draw) {
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) draw();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double total = pixels * double(state.iterations());
  state.counters["Mpixels/s"] = benchmark::Counter(total / 1e6, benchmark::Counter::kIsRate);
  if (seconds > 0) rates[name][side] = total / seconds / 1e6;
}

// A soft disc: opaque in the middle, fading out, transparent corners.
platform::PixmapRef Disc(int32_t size) {
  auto pixmap = fw_create_pixmap(size, size);
  float r = size / 2.0f;
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x < size; ++x) {
      float d = std::hypot(x + 0.5f - r, y + 0.5f - r) / r;
      uint32_t a = d >= 1 ? 0 : d < 0.6f ? 255 : uint32_t(255 * (1 - d) / 0.4f);
      fw_write_pixel(pixmap, x, y, a << 24 | uint32_t(x * 255 / size) << 16 | 0x80u << 8 | 0x40u);
    }
  }
  return pixmap;
}

// SDL's side: a software renderer on an 800 x 600 surface.
struct SdlCanvas {
  SDL_Surface* surface;
  SDL_Renderer* renderer;
  SdlCanvas() {
    SDL_Init(0);
    surface = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_ARGB8888);
    renderer = SDL_CreateSoftwareRenderer(surface);
  }
  SDL_Texture* Texture(const platform::Pixmap& pixmap, bool linear) {
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_STATIC, pixmap.width, pixmap.height);
    SDL_UpdateTexture(texture, nullptr, pixmap.pixels.data(), pixmap.width * 4);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture, linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    return texture;
  }
};

SdlCanvas& Sdl() {
  static SdlCanvas canvas;
  return canvas;
}

void ResetState() {
  fw_set_color(255, 255, 255);
  fw_set_alpha(1);
  fw_set_blend(3);
  fw_set_rotation(0);
  fw_set_scale(1, 1);
  fw_set_auto_mid_handle(0);
}

// --- Full clear -------------------------------------------------------------

void Clear_Ours(benchmark::State& state) {
  ResetState();
  int32_t shade = 0;
  // A new clear colour every time, so the whole buffer is filled; asking for
  // the pixels makes the clear happen now.
  Measure(state, "full cls", "ours", 800 * 600, [&] {
    fw_set_cls_color(0, 0, shade++ & 0xFF);
    fw_cls();
    benchmark::DoNotOptimize(platform::TheBackBuffer().pixels.data());
  });
}

void Clear_Sdl(benchmark::State& state) {
  SdlCanvas& sdl = Sdl();
  uint8_t shade = 0;
  Measure(state, "full cls", "SDL", 800 * 600, [&] {
    SDL_SetRenderDrawColor(sdl.renderer, 0, 0, shade++, 255);
    SDL_RenderClear(sdl.renderer);
    SDL_RenderFlush(sdl.renderer);
  });
}

// --- Single pixels, as the generator plots them -------------------------------

void Plots_Ours(benchmark::State& state) {
  ResetState();
  fw_set_color(200, 100, 50);
  Measure(state, "1000 plots", "ours", 1000, [&] {
    for (int32_t i = 0; i < 1000; ++i) fw_plot(float(i % 128), float(i / 128));
  });
}

void Plots_Sdl(benchmark::State& state) {
  SdlCanvas& sdl = Sdl();
  SDL_SetRenderDrawColor(sdl.renderer, 200, 100, 50, 255);
  Measure(state, "1000 plots", "SDL", 1000, [&] {
    for (int32_t i = 0; i < 1000; ++i) SDL_RenderDrawPoint(sdl.renderer, i % 128, i / 128);
    SDL_RenderFlush(sdl.renderer);
  });
}

// --- 64 x 64 alpha-blended sprite ----------------------------------------------

void Sprite64_Ours(benchmark::State& state) {
  ResetState();
  int32_t image = fw_load_image(Disc(64), 0);
  Measure(state, "64x64 alpha", "ours", 64 * 64, [&] { fw_draw_image(image, 100, 100); });
}

void Sprite64_Sdl(benchmark::State& state) {
  SdlCanvas& sdl = Sdl();
  SDL_Texture* texture = sdl.Texture(*Disc(64), false);
  SDL_Rect to{100, 100, 64, 64};
  Measure(state, "64x64 alpha", "SDL", 64 * 64, [&] {
    SDL_RenderCopy(sdl.renderer, texture, nullptr, &to);
    SDL_RenderFlush(sdl.renderer);
  });
  SDL_DestroyTexture(texture);
}

// --- 128 x 128 at scale 2 ------------------------------------------------------

void Scaled128_Ours(benchmark::State& state) {
  ResetState();
  int32_t image = fw_load_image(Disc(128), 0);
  fw_set_scale(2, 2);
  Measure(state, "128x128 scale 2", "ours", 256 * 256, [&] { fw_draw_image(image, 100, 100); });
  ResetState();
}

void Scaled128_Sdl(benchmark::State& state) {
  SdlCanvas& sdl = Sdl();
  SDL_Texture* texture = sdl.Texture(*Disc(128), false);
  SDL_Rect to{100, 100, 256, 256};
  Measure(state, "128x128 scale 2", "SDL", 256 * 256, [&] {
    SDL_RenderCopy(sdl.renderer, texture, nullptr, &to);
    SDL_RenderFlush(sdl.renderer);
  });
  SDL_DestroyTexture(texture);
}

// --- 16 x 16 rotated, scale 2, filtered ---------------------------------------

void Rotated16_Ours(benchmark::State& state) {
  ResetState();
  fw_set_auto_mid_handle(1);
  int32_t image = fw_load_image(Disc(16), 2);
  float angle = 0;
  fw_set_scale(2, 2);
  Measure(state, "16x16 turned x2 filtered", "ours", 32 * 32, [&] {
    fw_set_rotation(angle += 7);
    fw_draw_image(image, 300, 300);
  });
  ResetState();
}

void Rotated16_Sdl(benchmark::State& state) {
  SdlCanvas& sdl = Sdl();
  SDL_Texture* texture = sdl.Texture(*Disc(16), true);
  SDL_Rect to{284, 284, 32, 32};
  double angle = 0;
  Measure(state, "16x16 turned x2 filtered", "SDL", 32 * 32, [&] {
    SDL_RenderCopyEx(sdl.renderer, texture, nullptr, &to, angle += 7, nullptr, SDL_FLIP_NONE);
    SDL_RenderFlush(sdl.renderer);
  });
  SDL_DestroyTexture(texture);
}

// --- A line of text --------------------------------------------------------------

int32_t BenchFontHandle() {
  static int32_t handle = fw_load_image_font(platform::FromUtf8(kFontPath), 17, 4);
  return handle;
}

platform::Font& BenchFont() { return *platform::HandleTo<platform::Font>(BenchFontHandle()); }

double LinePixels() {
  double pixels = 0;
  for (char16_t c : kLine) {
    const platform::Glyph& glyph = BenchFont().GlyphOf(c);
    if (glyph.pixmap) pixels += glyph.pixmap->width * glyph.pixmap->height;
  }
  return pixels;
}

void Text_Ours(benchmark::State& state) {
  ResetState();
  fw_set_image_font(BenchFontHandle());
  fw_set_color(255, 220, 120);
  Measure(state, "20 characters of text", "ours", LinePixels(),
          [&] { fw_draw_text(kLine, 100, 100); });
  ResetState();
}

void Text_Sdl(benchmark::State& state) {
  SdlCanvas& sdl = Sdl();
  struct Placed {
    SDL_Texture* texture;
    SDL_Rect to;
  };
  std::vector<Placed> glyphs;
  int32_t pen = 0;
  for (char16_t c : kLine) {
    const platform::Glyph& glyph = BenchFont().GlyphOf(c);
    if (glyph.pixmap) {
      SDL_Texture* texture = sdl.Texture(*glyph.pixmap, false);
      SDL_SetTextureColorMod(texture, 255, 220, 120);
      glyphs.push_back(
          {texture,
           {100 + pen + glyph.left, 100 + glyph.top, glyph.pixmap->width, glyph.pixmap->height}});
    }
    pen += int32_t(glyph.advance);
  }
  Measure(state, "20 characters of text", "SDL", LinePixels(), [&] {
    for (const Placed& p : glyphs) SDL_RenderCopy(sdl.renderer, p.texture, nullptr, &p.to);
    SDL_RenderFlush(sdl.renderer);
  });
  for (const Placed& p : glyphs) SDL_DestroyTexture(p.texture);
}

// --- A fully transparent 800 x 600 image ----------------------------------------

void Transparent_Ours(benchmark::State& state) {
  ResetState();
  int32_t image = fw_create_image(800, 600, 1, 0);
  Measure(state, "800x600 transparent", "ours", 800 * 600, [&] { fw_draw_image(image, 0, 0); });
}

void Transparent_Sdl(benchmark::State& state) {
  SdlCanvas& sdl = Sdl();
  SDL_Texture* texture = sdl.Texture(*fw_create_pixmap(800, 600), false);
  Measure(state, "800x600 transparent", "SDL", 800 * 600, [&] {
    SDL_RenderCopy(sdl.renderer, texture, nullptr, nullptr);
    SDL_RenderFlush(sdl.renderer);
  });
  SDL_DestroyTexture(texture);
}

BENCHMARK(Clear_Ours);
BENCHMARK(Clear_Sdl);
BENCHMARK(Plots_Ours);
BENCHMARK(Plots_Sdl);
BENCHMARK(Sprite64_Ours);
BENCHMARK(Sprite64_Sdl);
BENCHMARK(Scaled128_Ours);
BENCHMARK(Scaled128_Sdl);
BENCHMARK(Rotated16_Ours);
BENCHMARK(Rotated16_Sdl);
BENCHMARK(Text_Ours);
BENCHMARK(Text_Sdl);
BENCHMARK(Transparent_Ours);
BENCHMARK(Transparent_Sdl);

void PrintRatios() {
  std::printf("\n%-28s %14s %14s %8s\n", "case", "ours Mpix/s", "SDL Mpix/s", "ratio");
  for (const auto& [name, sides] : rates) {
    auto ours = sides.find("ours"), sdl = sides.find("SDL");
    if (ours == sides.end() || sdl == sides.end()) continue;
    std::printf("%-28s %14.1f %14.1f %7.2fx\n", name.c_str(), ours->second, sdl->second,
                ours->second / sdl->second);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintRatios();
  return 0;
}
