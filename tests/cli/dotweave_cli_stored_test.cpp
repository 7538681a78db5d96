// Stored results of a few whole renders of the bundled samples. The engine tests pin the rules;
// these pin the pixels, so a faster loop or a changed draw order cannot slip through unnoticed.
// A deliberate change of the pictures updates the numbers here (the failure prints the new one).
#include <gtest/gtest.h>

#include <cstdio>

#include "cli_test_support.h"
#include "platform/bmp.h"

namespace {

const std::string kCli = DW_CLI;
const std::string kSamples = std::string(DW_SOURCE_DIR) + "/assets/samples/";

// FNV-1a over the pixel rows (without padding) and, for 8-bit pictures, the colour table.
std::uint64_t PixelHash(const TDIB& d) {
  std::uint64_t h = 1469598103934665603ull;
  auto add = [&](const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  };
  const std::size_t rowBytes = static_cast<std::size_t>(d.Width()) * d.BitCount() / 8;
  for (int y = 0; y < d.Height(); ++y) add(d.ScanLine(y), rowBytes);
  if (d.BitCount() == 8) add(reinterpret_cast<const std::uint8_t*>(d.ColorTable().data()), 1024);
  return h;
}

class DotweaveCliStored : public cli_test::TScratch {};

TEST_F(DotweaveCliStored, SampleRendersKeepTheirPixels) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::uint64_t hash;
  } cases[] = {
      {"random dots, sample colours",
       {"render", kSamples + "sphere_ring.bmp", "--config", kSamples + "Dotweave.cfg"},
       0xceae27fdab28c31full},
      {"random dots 8-bit, algorithm 0",
       {"render", kSamples + "sphere_ring.bmp", "--set", "Randm=1", "--set", "BitRate=8", "--set",
        "Algorithm=0"},
       0x685594d525f2f060ull},
      {"texture clone, cross-eyed, blended",
       {"render", kSamples + "text_mask.png", "--texture", kSamples + "waves_texture.bmp", "--set",
        "StretchMode=1", "--set", "RenderDirection=-1", "--blend"},
       0x850b0f9107fc3f9cull},
      {"texture 8-bit, mirrored, algorithm 1, blur",
       {"render", kSamples + "text_mask.png", "--texture", kSamples + "waves_texture.bmp", "--set",
        "StretchMode=3", "--set", "BitRate=8", "--set", "Algorithm=1", "--set", "Blur=1", "--set",
        "Oversampling=3"},
       0x78c14b8aa127e0b6ull},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", Path("out.bmp")});
    const cli_test::TResult r = Run(kCli, args);
    ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
    char text[32];
    std::snprintf(text, sizeof text, "0x%016llx",
                  static_cast<unsigned long long>(PixelHash(ReadBmp(Path("out.bmp")))));
    EXPECT_EQ(PixelHash(ReadBmp(Path("out.bmp"))), c.hash) << c.name << ": now " << text;
  }
}

}  // namespace
