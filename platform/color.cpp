#include "platform/color.h"

#include <cmath>

TColorTable GreyRamp() {
  TColorTable t{};
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<std::uint8_t>(i);
    t[i] = TRGBQuad{v, v, v, 0};
  }
  return t;
}

TColorTable HalftonePalette() {
  TColorTable t{};
  int i = 0;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) t[i++] = QuadOf(MakeColor(r * 51, g * 51, b * 51));
  // 40 greys between the cube's grey levels, so grey pictures keep their shading.
  for (int k = 1; k <= 40; ++k) {
    const int v = static_cast<int>(std::lround(k * 255.0 / 41.0));
    t[i++] = QuadOf(MakeColor(v, v, v));
  }
  return t;
}
