// Whole-stereogram renders at 1024 x 768 over a sphere, per oversampling, algorithm, bit depth
// and pattern kind (random dots made per render, or a given texture-like strip).
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/renderer.h"

namespace {

void SetUp(TEngine& e, int ov, int algorithm, int bits, bool randomDots) {
  TStereoParams& p = e.Params;
  p.PWidth = 1024;
  p.PHeight = 768;
  p.Base = 142;
  p.Oversampling = ov;
  p.Algorithm = algorithm;
  p.BitRate = bits;
  p.Randm = randomDots;
  p.DotNum = 240;
  p.Colors = {MakeColor(255, 255, 255), MakeColor(20, 40, 200), MakeColor(250, 200, 0)};

  e.MaskImage.SetColorTable(GreyRamp());
  e.MaskImage.SetSize(p.PWidth, p.PHeight, 8);
  for (int y = 0; y < p.PHeight; ++y)
    for (int x = 0; x < p.PWidth; ++x) {
      const double dx = (x - 512) / 300.0, dy = (y - 384) / 300.0, r2 = dx * dx + dy * dy;
      e.MaskImage.ScanLine(y)[x] = r2 >= 1 ? 0 : static_cast<std::uint8_t>(255 * std::sqrt(1 - r2));
    }

  // A texture-like strip: smooth waves plus a little grain, its own 256-entry table in 8-bit.
  TColorTable table{};
  for (int i = 0; i < 256; ++i) table[i] = QuadOf(MakeColor(i, (i * 3) % 256, 255 - i));
  e.PatternImage.SetColorTable(table);
  e.PatternImage.SetSize(p.Base, p.PHeight, bits);
  for (int y = 0; y < p.PHeight; ++y) {
    std::uint8_t* row = e.PatternImage.ScanLine(y);
    for (int x = 0; x < p.Base; ++x) {
      const int v = static_cast<int>(127 + 100 * std::sin(x * 0.2) * std::cos(y * 0.05)) +
                    ((x * 7919 + y * 104729) % 23);
      if (bits == 8) {
        row[x] = static_cast<std::uint8_t>(v);
      } else {
        row[3 * x] = static_cast<std::uint8_t>(v);
        row[3 * x + 1] = static_cast<std::uint8_t>(v * 3);
        row[3 * x + 2] = static_cast<std::uint8_t>(255 - v);
      }
    }
  }
  e.OutputImage.SetColorTable(table);
  e.OutputImage.SetSize(p.PWidth, p.PHeight, bits);
}

// Args: oversampling, algorithm, bits, random dots.
void BM_Render(benchmark::State& state) {
  TEngine e;
  SetUp(e, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
        static_cast<int>(state.range(2)), state.range(3) != 0);
  for (auto _ : state) {
    RenderDotweave(e);
    benchmark::DoNotOptimize(e.OutputImage.Bits());
  }
  const double positions = 1024.0 * 768 * state.range(0);
  state.counters["positions/s"] =
      benchmark::Counter(positions, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Render)
    ->ArgNames({"ov", "alg", "bits", "dots"})
    ->ArgsProduct({{1, 2}, {0, 1, 2}, {8, 24}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
