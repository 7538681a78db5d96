// The JPEG, PNG and GIF readers must decode or throw TFileError on any input. The first byte picks
// the reader, so one corpus serves all three.
#include <cstddef>
#include <cstdint>

#include "platform/errors.h"
#include "platform/gif.h"
#include "platform/jpeg.h"
#include "platform/png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t* rest = data + 1;
  const std::size_t n = size - 1;
  try {
    switch (data[0] % 4) {
      case 0:
        ReadJpegFromMemory(rest, n, "fuzz.jpg");
        break;
      case 1:
        ReadJpegFromMemory(rest, n, "fuzz.jpg", true);
        break;
      case 2:
        ReadPngFromMemory(rest, n, "fuzz.png");
        break;
      default:
        ReadGifFromMemory(rest, n, "fuzz.gif");
        break;
    }
  } catch (const TFileError&) {
  }
  return 0;
}
