// What the main window does with a finished stereogram before the user sees it: scale it into the
// preview buffer and turn that into a paintable image.
#include <benchmark/benchmark.h>

#include "dotweave/preview_box.h"
#include "engine/fit_mask.h"
#include "platform/color.h"

namespace {

TDIB Noise(int width, int height, int bits) {
  TDIB picture;
  if (bits == 8) picture.SetColorTable(HalftonePalette());
  picture.SetSize(width, height, bits);
  std::uint32_t seed = 1;
  for (std::size_t i = 0; i < picture.Size(); ++i) {
    seed = seed * 134775813u + 1u;
    picture.Bits()[i] = static_cast<std::uint8_t>(seed >> 24);
  }
  return picture;
}

// args: width, height, bits; the buffer is the picture's size up to a 1920x1080 screen.
void BM_PreviewOfOutput(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int bits = static_cast<int>(state.range(2));
  const TDIB out = Noise(w, h, bits);
  const int pw = h > 1080 ? 1920 : w, ph = h > 1080 ? h * 1920 / w : h;
  TDIB buffer;
  if (bits == 8) buffer.SetColorTable(out.ColorTable());
  buffer.SetSize(pw, ph, bits);
  for (auto _ : state) {
    StretchCopy(out, buffer, 0, 0, pw, ph);
    QImage image = ImageOfDIB(buffer);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetLabel(std::to_string(pw) + "x" + std::to_string(ph));
}
BENCHMARK(BM_PreviewOfOutput)
    ->Args({640, 480, 24})
    ->Args({1024, 768, 24})
    ->Args({1024, 768, 8})
    ->Args({4000, 3000, 24})
    ->Unit(benchmark::kMillisecond);

}  // namespace
