// The BMP reader must decode or throw TFileError on any input.
#include <cstddef>
#include <cstdint>

#include "platform/bmp.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    ReadBmpFromMemory(data, size, "fuzz.bmp");
  } catch (const TFileError&) {
  }
  return 0;
}
