// Writing and reading 100 frames of 1024 x 768 AVI, uncompressed and with FFV1.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "shared/avi_video.h"

namespace {

constexpr int kFrames = 100;

std::string BenchFile(std::uint32_t codec) {
  return (std::filesystem::temp_directory_path() /
          ("avi_bench_" + std::to_string(::getpid()) + "_" + std::to_string(codec) + ".avi"))
      .string();
}

TDIB Picture(int bits) {
  TDIB dib;
  dib.SetSize(1024, 768, bits);
  for (int y = 0; y < dib.Height(); ++y)
    for (std::size_t x = 0; x < dib.WidthBytes(); ++x)
      dib.ScanLine(y)[x] = static_cast<std::uint8_t>((x * 7 + y * 3) ^ (x >> 3));
  return dib;
}

bool WriteClip(const std::string& path, const TDIB& picture, std::uint32_t codec) {
  TVideoWriter writer;
  TCompressOptions options;
  options.fccHandler = codec;
  writer.SetCompressOptions(options);
  if (!writer.OpenOutput(&picture, path)) return false;
  for (int i = 0; i < kFrames; ++i)
    if (!writer.WriteFrame(picture.Bits(), i)) return false;
  return writer.CloseOutput();
}

std::uint32_t CodecOf(const benchmark::State& state) {
  return state.range(0) ? MakeFourCC('F', 'F', 'V', '1') : 0;
}

void BM_WriteAvi(benchmark::State& state) {
  const TDIB picture = Picture(static_cast<int>(state.range(1)));
  const std::string path = BenchFile(CodecOf(state));
  for (auto _ : state)
    if (!WriteClip(path, picture, CodecOf(state))) state.SkipWithError("write failed");
  state.SetItemsProcessed(state.iterations() * kFrames);
  std::filesystem::remove(path);
}

void BM_ReadAvi(benchmark::State& state) {
  const TDIB picture = Picture(static_cast<int>(state.range(1)));
  const std::string path = BenchFile(CodecOf(state));
  if (!WriteClip(path, picture, CodecOf(state))) state.SkipWithError("write failed");
  TDIB frame;
  for (auto _ : state) {
    TVideoWriter reader;
    if (!reader.OpenInput(path)) state.SkipWithError("open failed");
    for (std::int64_t i = 0; i < reader.InputLength(); ++i) reader.ReadFrame(i, frame);
    reader.CloseInput();
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
  std::filesystem::remove(path);
}

// Arguments: FFV1 (0/1), bits per pixel.
BENCHMARK(BM_WriteAvi)->Args({0, 24})->Args({0, 8})->Args({1, 24})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAvi)->Args({0, 24})->Args({0, 8})->Args({1, 24})->Unit(benchmark::kMillisecond);

// One clip past 1 GB (OpenDML), written and read once; run it with
// --benchmark_filter=BM_LargeAvi when needed.
void BM_LargeAvi(benchmark::State& state) {
  const TDIB picture = Picture(24);
  const std::string path = BenchFile(1);
  constexpr int kLarge = 600;  // 600 x 2.36 MB: about 1.4 GB
  for (auto _ : state) {
    TVideoWriter writer;
    bool ok = writer.OpenOutput(&picture, path);
    for (int i = 0; ok && i < kLarge; ++i) ok = writer.WriteFrame(picture.Bits(), i);
    ok = writer.CloseOutput() && ok;
    TVideoWriter reader;
    TDIB frame;
    ok = ok && reader.OpenInput(path) && reader.InputLength() == kLarge &&
         reader.ReadFrame(kLarge - 1, frame) && frame.Width() == 1024;
    if (!ok) state.SkipWithError("large file failed");
  }
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
  std::filesystem::remove(path);
}
BENCHMARK(BM_LargeAvi)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
