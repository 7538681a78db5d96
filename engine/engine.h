#pragma once
// The state one render works on: settings, the three pictures, the two flags shared with the
// window, the random generator and the host. The main window owns one for the whole run.
#include <cstdint>

#include "engine/host.h"
#include "engine/stereo_params.h"
#include "platform/dib.h"

// The program's pseudo-random generator: seed = seed * 134775813 + 1, result the upper 32 bits of
// seed * k. Starts at 0 and is never reseeded.
class TRandom {
 public:
  std::uint32_t Seed = 0;
  int RandomInt(int k) {
    Seed = Seed * 134775813u + 1u;
    if (k <= 0) return 0;
    return static_cast<int>((static_cast<std::uint64_t>(Seed) * static_cast<std::uint32_t>(k)) >>
                            32);
  }
};

struct TEngine {
  TStereoParams Params;
  TDIB MaskImage;
  TDIB PatternImage;
  TDIB OutputImage;
  bool RenderInProgress = false;
  bool CancelRequested = false;
  TRandom Random;
  TRenderHost* Host = nullptr;  // never null while rendering; defaults to a quiet host

  TEngine();
  TEngine(const TEngine&) = delete;
  TEngine& operator=(const TEngine&) = delete;
  TRenderHost& host() { return *Host; }

 private:
  TQuietHost quiet_;
};
