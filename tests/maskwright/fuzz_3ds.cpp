// libFuzzer target for the 3DS reader and the rasterizer behind it (clang only):
//   cmake -DCMAKE_CXX_COMPILER=clang++ -DMASKWRIGHT_FUZZ=ON ...; ./fuzz_3ds -max_total_time=60
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "maskwright/core/rasterizer.h"
#include "maskwright/core/reader_3ds.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/fuzz_3ds_" + std::to_string(::getpid()) + ".3ds";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  TMaskCore core;
  TQuietMaskHost host;
  core.PicWidth = core.PicHeight = 100;
  try {
    if (LoadModel(core, host, path)) {
      CaptureLoadedModel(core);
      RenderObject(core, host);
    }
  } catch (const TFileError&) {
  }
  return 0;
}
