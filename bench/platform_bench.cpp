// Hot paths of the platform layer: the 8-bit nearest-entry lookup and the picture codecs.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "platform/bmp.h"
#include "platform/dib.h"
#include "platform/jpeg.h"
#include "platform/palette.h"
#include "platform/png.h"
#include "platform/png_palette.h"

namespace {

std::uint32_t Next(std::uint32_t& s) {
  s = s * 1664525u + 1013904223u;
  return s >> 8;
}

TColorTable RandomTable() {
  std::uint32_t s = 1;
  TColorTable t{};
  for (auto& q : t) q = QuadOf(Next(s) & 0xFFFFFF);
  return t;
}

// What an oversampled 8-bit render asks for: the mean of two neighbouring dot colours, so few
// distinct colours (16 dot colours give at most 136 means).
std::vector<TColor> FewColourStream() {
  std::uint32_t s = 2;
  std::vector<TColor> dots;
  for (int i = 0; i < 16; ++i) dots.push_back(Next(s) & 0xFFFFFF);
  std::vector<TColor> stream;
  for (int i = 0; i < 1 << 20; ++i) {
    const TColor a = dots[Next(s) % 16], b = dots[Next(s) % 16];
    stream.push_back(MakeColor((ColorR(a) + ColorR(b)) / 2, (ColorG(a) + ColorG(b)) / 2,
                               (ColorB(a) + ColorB(b)) / 2));
  }
  return stream;
}

// Blending or a gradient: colours nearly all different.
std::vector<TColor> ManyColourStream() {
  std::uint32_t s = 3;
  std::vector<TColor> stream;
  for (int i = 0; i < 1 << 20; ++i) stream.push_back(Next(s) & 0xFFFFFF);
  return stream;
}

void RunNearest(benchmark::State& state, const std::vector<TColor>& stream) {
  for (auto _ : state) {
    TNearestPalette nearest(RandomTable());  // a fresh cache per render
    unsigned sum = 0;
    for (TColor c : stream) sum += nearest.Find(ColorR(c), ColorG(c), ColorB(c));
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}

void BM_NearestFewColours(benchmark::State& state) { RunNearest(state, FewColourStream()); }
void BM_NearestManyColours(benchmark::State& state) { RunNearest(state, ManyColourStream()); }
BENCHMARK(BM_NearestFewColours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NearestManyColours)->Unit(benchmark::kMillisecond);

// A random-dot picture: every pixel one of `colours` colours. `linked` makes it look like a
// stereogram: after the first period each pixel repeats the one a period (less a depth shift over
// a disc in the middle) to its left, as the renderer links them; otherwise it is pure noise.
TDIB RandomDots(int w, int h, int colours, bool linked) {
  std::mt19937 rng(4);
  std::vector<TColor> palette;
  for (int i = 0; i < colours; ++i) palette.push_back(rng() & 0xFFFFFF);
  const int period = w * 10 / 73;  // 640 -> 88
  TDIB dib;
  dib.SetSize(w, h, 24);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = dib.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      const int dx = x - w / 2, dy = y - h / 2;
      const int shift = dx * dx + dy * dy < h * h / 9 ? period / 8 : 0;
      if (linked && x >= period) {
        std::memcpy(row + 3 * x, row + 3 * (x - period + shift), 3);
        continue;
      }
      const TColor c = palette[rng() % colours];
      row[3 * x] = static_cast<std::uint8_t>(ColorB(c));
      row[3 * x + 1] = static_cast<std::uint8_t>(ColorG(c));
      row[3 * x + 2] = static_cast<std::uint8_t>(ColorR(c));
    }
  }
  return dib;
}

// PNG encoding with a given zlib level and filter set (for both layouts), reporting the size.
void BM_EncodePng(benchmark::State& state, int w, int h, int colours, bool linked) {
  const TDIB pic = RandomDots(w, h, colours, linked);
  TPngOptions options;
  options.level = static_cast<int>(state.range(0));
  options.paletteFilters = options.rgbFilters = static_cast<int>(state.range(1));
  options.strategy = static_cast<int>(state.range(2));
  std::size_t size = 0;
  for (auto _ : state) size = EncodePngWith(pic, options, "bench").size();
  state.counters["KiB"] = static_cast<double>(size) / 1024.0;
}

void PngArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"level", "filters", "strategy"});
  for (int level : {1, 2, 3, 6})
    for (int filters : {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_ALL_FILTERS})
      b->Args({level, filters, Z_DEFAULT_STRATEGY});
  for (int filters : {PNG_FILTER_NONE, PNG_FILTER_SUB}) b->Args({1, filters, Z_RLE});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_EncodePng, Stereo1920x1080x16, 1920, 1080, 16, true)->Apply(PngArgs);
BENCHMARK_CAPTURE(BM_EncodePng, Noise1920x1080x16, 1920, 1080, 16, false)->Apply(PngArgs);
BENCHMARK_CAPTURE(BM_EncodePng, Stereo1024x768x24bit, 1024, 768, 100000, true)->Apply(PngArgs);
BENCHMARK_CAPTURE(BM_EncodePng, Noise1024x768x24bit, 1024, 768, 100000, false)->Apply(PngArgs);

// The whole WritePng as used (colour count, encoding, atomic file write).
void BM_WritePng(benchmark::State& state, int w, int h, int colours, bool linked) {
  const TDIB pic = RandomDots(w, h, colours, linked);
  const std::string path = (std::filesystem::temp_directory_path() / "dw_bench.png").string();
  for (auto _ : state) WritePng(pic, path);
  std::filesystem::remove(path);
}
BENCHMARK_CAPTURE(BM_WritePng, Stereo1920x1080x16, 1920, 1080, 16, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WritePng, Noise1920x1080x16, 1920, 1080, 16, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WritePng, Stereo1024x768x24bit, 1024, 768, 100000, true)
    ->Unit(benchmark::kMillisecond);

// A texture-like 24-bit picture: smooth colour with some grain.
TDIB Texture(int w, int h) {
  std::uint32_t s = 5;
  TDIB dib;
  dib.SetSize(w, h, 24);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* p = dib.ScanLine(y);
    for (int x = 0; x < w; ++x, p += 3) {
      const int grain = static_cast<int>(Next(s) % 16);
      p[0] = static_cast<std::uint8_t>((x / 4 + grain) & 255);
      p[1] = static_cast<std::uint8_t>((y / 3 + grain) & 255);
      p[2] = static_cast<std::uint8_t>(((x + y) / 7 + grain) & 255);
    }
  }
  return dib;
}

void BM_ReadBmp(benchmark::State& state, int bits) {
  TDIB pic = Texture(1024, 768);
  if (bits == 8) {
    TDIB indexed;
    indexed.SetColorTable(GreyRamp());
    indexed.SetSize(1024, 768, 8);
    for (int y = 0; y < 768; ++y)
      for (int x = 0; x < 1024; ++x) indexed.ScanLine(y)[x] = pic.ScanLine(y)[3 * x];
    pic = indexed;
  }
  const std::vector<std::uint8_t> file = EncodeBmp(pic);
  for (auto _ : state) benchmark::DoNotOptimize(ReadBmpFromMemory(file.data(), file.size(), "b"));
}
BENCHMARK_CAPTURE(BM_ReadBmp, 1024x768x24, 24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadBmp, 1024x768x8, 8)->Unit(benchmark::kMillisecond);

void BM_ReadJpeg(benchmark::State& state, bool quantize) {
  const std::vector<std::uint8_t> file = EncodeJpeg(Texture(1024, 768), 80);
  for (auto _ : state)
    benchmark::DoNotOptimize(ReadJpegFromMemory(file.data(), file.size(), "j", quantize));
}
BENCHMARK_CAPTURE(BM_ReadJpeg, 1024x768, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadJpeg, 1024x768Quantised, true)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {
void BM_PlanPng(benchmark::State& state, bool linked) {
  const TDIB pic = RandomDots(1920, 1080, 16, linked);
  for (auto _ : state) {
    TPngPlan plan;
    PlanPng(pic, plan);
    benchmark::DoNotOptimize(plan.packed.data());
  }
}
BENCHMARK_CAPTURE(BM_PlanPng, Stereo, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlanPng, Noise, false)->Unit(benchmark::kMillisecond);

void BM_EncodeTexturePng(benchmark::State& state) {
  const TDIB pic = Texture(1024, 768);
  TPngOptions options;
  options.level = static_cast<int>(state.range(0));
  options.rgbFilters = static_cast<int>(state.range(1));
  std::size_t size = 0;
  for (auto _ : state) size = EncodePngWith(pic, options, "bench").size();
  state.counters["KiB"] = static_cast<double>(size) / 1024.0;
}
BENCHMARK(BM_EncodeTexturePng)
    ->ArgNames({"level", "filters"})
    ->Args({2, PNG_FILTER_NONE})
    ->Args({2, PNG_FILTER_SUB})
    ->Args({2, PNG_FILTER_PAETH})
    ->Args({2, PNG_ALL_FILTERS})
    ->Unit(benchmark::kMillisecond);
}  // namespace
