// The whole render command in process: read a 1920 x 1080 PNG depth map, render random dots of
// 16 listed colours without gradient at oversampling 1, write a PNG stereogram.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "platform/png.h"
#include "render_command.h"

namespace {

std::string Scratch() {
  static const std::string dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("dwcli_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    TDIB mask;
    mask.SetColorTable(GreyRamp());
    mask.SetSize(1920, 1080, 8);
    for (int y = 0; y < 1080; ++y)
      for (int x = 0; x < 1920; ++x) {
        const double r = std::hypot(x - 960.0, y - 540.0);
        mask.ScanLine(y)[x] =
            r < 400 ? static_cast<std::uint8_t>(255 * std::sqrt(1 - r * r / 160000)) : 0;
      }
    WritePng(mask, (d / "depth.png").string());
    return d.string();
  }();
  return dir;
}

void BM_RenderCommandFullHdPng(benchmark::State& state) {
  const std::string dir = Scratch();
  TRenderOptions o;
  o.mask = dir + "/depth.png";
  o.output = dir + "/out.png";
  const char* sets[][2] = {{"Randm", "1"},     {"UseGradient", "0"}, {"CustomRez", "1"},
                           {"PWidth", "1920"}, {"PHeight", "1080"},  {"Oversampling", "1"},
                           {"Base", "264"}};
  for (const auto& s : sets) o.settings.push_back({"Options", s[0], s[1]});
  for (int i = 0; i < 16; ++i)
    o.settings.push_back({"Colors", std::to_string((i * 1234567) & 0xFFFFFF), "0"});
  std::ostringstream err;
  for (auto _ : state) {
    if (RunRender(o, err) != 0) state.SkipWithError(err.str().c_str());
  }
}
BENCHMARK(BM_RenderCommandFullHdPng)->Unit(benchmark::kMillisecond);

}  // namespace
