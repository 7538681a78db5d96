// Every setting the command line passes on reaches the engine unchanged: the written picture is
// the one the engine makes in process from the same settings.
#include <gtest/gtest.h>

#include <cstring>

#include "cli_test_support.h"
#include "engine/blender.h"
#include "engine/pipeline.h"
#include "engine/stereo_settings.h"
#include "platform/bmp.h"

namespace {

const std::string kCli = DW_CLI;

struct TCase {
  const char* name;
  std::vector<std::string> settings;  // KEY=VALUE or SECTION.KEY=VALUE
  bool texture = false;
  bool blend = false;
};

std::vector<TCase> Cases() {
  std::vector<TCase> cases;
  for (int mode = 0; mode <= 4; ++mode)
    for (int bits : {8, 24})
      cases.push_back({"texture mode",
                       {"StretchMode=" + std::to_string(mode), "BitRate=" + std::to_string(bits)},
                       true});
  for (int bits : {8, 24})
    for (int gradient : {0, 1})
      cases.push_back({"random dots",
                       {"Randm=1", "UseGradient=" + std::to_string(gradient),
                        "BitRate=" + std::to_string(bits)}});
  for (int ov = 1; ov <= 4; ++ov)
    for (int direction : {1, -1})
      for (int algorithm = 0; algorithm <= 2; ++algorithm)
        cases.push_back({"oversampling",
                         {"Randm=1", "Oversampling=" + std::to_string(ov),
                          "RenderDirection=" + std::to_string(direction),
                          "Algorithm=" + std::to_string(algorithm)}});
  for (int effect = 0; effect <= 6; ++effect)
    for (int bits : {8, 24})
      cases.push_back({"blend effect",
                       {"Randm=1", "BitRate=" + std::to_string(bits),
                        "Blending.Effect=" + std::to_string(effect),
                        "Blending.Inverse=" + std::to_string(effect % 2), "Blending.Volume=70",
                        "Blending.Color=65535"},
                       false,
                       true});
  cases.push_back(
      {"blur and depth", {"Randm=1", "Blur=2", "DDepth=60", "PerSent=50", "DotNum=50"}});
  return cases;
}

void ExpectSamePicture(const TDIB& written, const TDIB& made) {
  ASSERT_EQ(written.Width(), made.Width());
  ASSERT_EQ(written.Height(), made.Height());
  ASSERT_EQ(written.BitCount(), made.BitCount());
  for (int y = 0; y < made.Height(); ++y)
    ASSERT_EQ(0, std::memcmp(written.ScanLine(y), made.ScanLine(y), made.WidthBytes()))
        << "row " << y;
  if (made.BitCount() == 8) {
    EXPECT_TRUE(written.ColorTable() == made.ColorTable());
  }
}

class DotweaveCliSettings : public cli_test::TScratch {};

TEST_F(DotweaveCliSettings, WrittenPictureIsTheEngineOwn) {
  TDIB mask;
  mask.SetColorTable(GreyRamp());
  mask.SetSize(90, 60, 8);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 90; ++x)
      mask.ScanLine(y)[x] = static_cast<std::uint8_t>((x * 3 + y * 2) % 256);
  WriteBmp(mask, Path("mask.bmp"));
  TDIB texture;
  texture.SetSize(37, 23, 24);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      std::uint8_t* p = texture.ScanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(x * 7), p[1] = static_cast<std::uint8_t>(y * 11),
      p[2] = static_cast<std::uint8_t>(x * y);
    }
  WriteBmp(texture, Path("texture.bmp"));

  for (const TCase& c : Cases()) {
    std::vector<std::string> all = {"CustomRez=1", "PWidth=200", "PHeight=90", "Base=32"};
    all.insert(all.end(), c.settings.begin(), c.settings.end());
    SCOPED_TRACE(std::string(c.name) + ": " + ::testing::PrintToString(all));

    std::vector<std::string> args = {"render", Path("mask.bmp"), "-o", Path("out.bmp")};
    if (c.texture) args.insert(args.end(), {"--texture", Path("texture.bmp")});
    if (c.blend) args.push_back("--blend");
    for (const auto& s : all) args.insert(args.end(), {"--set", s});
    const cli_test::TResult r = Run(kCli, args);
    ASSERT_EQ(r.status, 0) << r.err;

    std::string ini;
    for (const auto& s : all) {
      const auto dot = s.find('.'), eq = s.find('=');
      if (dot < eq)
        ini.append("[").append(s, 0, dot).append("]\n").append(s, dot + 1).append("\n");
      else
        ini.append("[Options]\n").append(s).append("\n");
    }
    const TIniFile settings = TIniFile::FromText(ini);
    TEngine engine;
    LoadStereoParams(settings, engine.Params);
    engine.Params.MaskFileName = Path("mask.bmp");
    engine.Params.FonFileName = c.texture ? Path("texture.bmp") : "";
    ReloadPix(engine, true);
    if (c.blend) {
      TBlender blender;
      LoadBlending(settings, blender);
      blender.Blend(engine.OutputImage, engine.OutputImage);
    }
    ExpectSamePicture(ReadBmp(Path("out.bmp")), engine.OutputImage);
  }
}

}  // namespace
