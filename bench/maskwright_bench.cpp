// The depth-mask generator's hot paths on a torus of 100,000 faces: reading the 3DS file and
// rasterizing a 1024 x 768 mask.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "maskwright/core/model_3ds_writer.h"
#include "maskwright/core/rasterizer.h"
#include "maskwright/core/reader_3ds.h"

namespace {

// 250 x 200 x 2 faces in two objects (a list holds at most 65535 entries).
const std::string& ModelFile() {
  static const std::string path = [] {
    const auto p = std::filesystem::temp_directory_path() /
                   ("maskwright_bench_" + std::to_string(::getpid()) + ".3ds");
    std::ofstream(p, std::ios::binary) << Encode3DS(MakeTorus(3.0f, 1.2f, 250, 200, 2));
    std::atexit([] { std::filesystem::remove(ModelFile()); });
    return p.string();
  }();
  return path;
}

void BM_Read3DS(benchmark::State& state) {
  TMaskCore core;
  TQuietMaskHost host;
  for (auto _ : state) {
    if (!LoadModel(core, host, ModelFile())) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(core.View.MeshBuilder->Triangles().data());
  }
  state.counters["faces"] = static_cast<double>(core.View.MeshBuilder->Triangles().size());
}
BENCHMARK(BM_Read3DS)->Unit(benchmark::kMillisecond);

void BM_RenderObject(benchmark::State& state) {
  TMaskCore core;
  TQuietMaskHost host;
  if (!LoadModel(core, host, ModelFile())) state.SkipWithError("load failed");
  CaptureLoadedModel(core);
  // Tilted so that the inside of the ring shows too.
  core.View.ModelFrame->SetRotation(1, 0, 0, 0.5f);
  core.View.Scene.Move(1.0);
  core.PicWidth = 1024;
  core.PicHeight = 768;
  for (auto _ : state) {
    RenderObject(core, host);
    benchmark::DoNotOptimize(core.Mask.Bits());
  }
}
BENCHMARK(BM_RenderObject)->Unit(benchmark::kMillisecond);

}  // namespace
