// FitMask, Blend and the texture fill at the sizes the program works at.
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/blender.h"
#include "engine/engine.h"
#include "engine/fit_mask.h"
#include "engine/texture.h"

namespace {

// A smooth dome, as a rendered depth mask looks.
TDIB DomeMask(int w, int h, int bits) {
  TDIB d;
  d.SetColorTable(GreyRamp());
  d.SetSize(w, h, bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double dx = (x - w / 2.0) / w, dy = (y - h / 2.0) / h;
      const int v = std::max(0, static_cast<int>(255 * (1 - 3 * (dx * dx + dy * dy))));
      if (bits == 8) {
        d.ScanLine(y)[x] = static_cast<std::uint8_t>(v);
      } else {
        std::uint8_t* p = d.ScanLine(y) + 3 * x;
        p[0] = p[1] = p[2] = static_cast<std::uint8_t>(v);
      }
    }
  return d;
}

void BM_FitMask(benchmark::State& state) {
  const TDIB source = DomeMask(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                               static_cast<int>(state.range(2)));
  for (auto _ : state) {
    state.PauseTiming();
    TDIB mask = source;
    state.ResumeTiming();
    FitMask(mask, 95, 1024, 768);
    benchmark::DoNotOptimize(mask.Bits());
  }
}
BENCHMARK(BM_FitMask)
    ->Args({800, 600, 8})
    ->Args({1600, 1200, 8})
    ->Args({800, 600, 24})
    ->Args({1600, 1200, 24})
    ->Unit(benchmark::kMillisecond);

// A stereogram-like picture of many colours.
TDIB Noise(int bits) {
  TDIB d;
  TColorTable table{};
  for (int i = 0; i < 256; ++i) table[i] = QuadOf(MakeColor(i, (i * 37) & 255, (i * 91) & 255));
  d.SetColorTable(table);
  d.SetSize(1024, 768, bits);
  std::uint32_t seed = 1;
  for (std::size_t i = 0; i < d.Size(); ++i) {
    seed = seed * 134775813u + 1u;
    d.Bits()[i] = static_cast<std::uint8_t>(seed >> 24);
  }
  return d;
}

void BM_Blend(benchmark::State& state) {
  TDIB picture = Noise(static_cast<int>(state.range(1)));
  TBlender blender;
  blender.Effect = static_cast<int>(state.range(0));
  for (auto _ : state) {
    blender.Blend(picture, picture);
    benchmark::DoNotOptimize(picture.Bits());
  }
}
BENCHMARK(BM_Blend)->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {24, 8}})->Unit(benchmark::kMillisecond);

void BM_TextureFill(benchmark::State& state) {
  TEngine engine;
  engine.Params.Base = 142;
  engine.Params.PHeight = 768;
  engine.Params.BitRate = static_cast<int>(state.range(1));
  engine.Params.StretchMode = static_cast<int>(state.range(0));
  // In 8-bit mode textures arrive palettised (halftone BMP or PNG) or with at most 256 colours.
  const TDIB texture = Noise(engine.Params.BitRate);
  for (auto _ : state) {
    engine.PatternImage = texture;
    MakeTexturePattern(engine);
    benchmark::DoNotOptimize(engine.PatternImage.Bits());
  }
}
BENCHMARK(BM_TextureFill)->ArgsProduct({{0, 1, 2, 3, 4}, {24, 8}})->Unit(benchmark::kMicrosecond);

}  // namespace
