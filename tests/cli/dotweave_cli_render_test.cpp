#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli_test_support.h"
#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/png.h"

namespace {

using cli_test::TResult;

const std::string kCli = DW_CLI;

// Six pattern colours A..F; all lie in the halftone cube, so 8-bit mode keeps them exactly.
const TColor kLetters[6] = {MakeColor(255, 0, 0),   MakeColor(0, 255, 0),   MakeColor(0, 0, 255),
                            MakeColor(255, 255, 0), MakeColor(0, 255, 255), MakeColor(255, 0, 255)};

TDIB Grey8(int w, int h, int value) {
  TDIB d;
  d.SetColorTable(GreyRamp());
  d.SetSize(w, h, 8);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) d.ScanLine(y)[x] = static_cast<std::uint8_t>(value);
  return d;
}

void SetPixel24(TDIB& d, int x, int y, TColor c) {
  std::uint8_t* p = d.ScanLine(y) + 3 * x;
  p[0] = static_cast<std::uint8_t>(ColorB(c));
  p[1] = static_cast<std::uint8_t>(ColorG(c));
  p[2] = static_cast<std::uint8_t>(ColorR(c));
}

std::string Letters(const TDIB& row) {
  std::string s;
  for (int x = 0; x < row.Width(); ++x) {
    const TColor c = row.PixelColor(x, 0);
    char letter = '?';
    for (int i = 0; i < 6; ++i)
      if (kLetters[i] == c) letter = static_cast<char>('A' + i);
    s += letter;
  }
  return s;
}

class DotweaveCli : public cli_test::TScratch {
 protected:
  void WriteOneRowFixture() {
    TDIB mask = Grey8(24, 1, 0);
    for (int x = 10; x <= 13; ++x) mask.ScanLine(0)[x] = 255;
    WriteBmp(mask, Path("row_mask.bmp"));
    TDIB tex;
    tex.SetSize(6, 1, 24);
    for (int i = 0; i < 6; ++i) SetPixel24(tex, i, 0, kLetters[i]);
    WriteBmp(tex, Path("letters.bmp"));
  }
  std::vector<std::string> OneRowArgs(int algorithm, int direction, int bits,
                                      const std::string& out) {
    return {"render",    Path("row_mask.bmp"),
            "-o",        Path(out),
            "--texture", Path("letters.bmp"),
            "--set",     "CustomRez=1",
            "--set",     "PWidth=24",
            "--set",     "PHeight=1",
            "--set",     "Base=6",
            "--set",     "Oversampling=1",
            "--set",     "DDepth=14",
            "--set",     "PerSent=100",
            "--set",     "StretchMode=0",
            "--set",     "Algorithm=" + std::to_string(algorithm),
            "--set",     "RenderDirection=" + std::to_string(direction),
            "--set",     "BitRate=" + std::to_string(bits)};
  }
  void WriteSphereMask(const std::string& name) {
    TDIB mask = Grey8(64, 48, 0);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) {
        const int dx = x - 32, dy = y - 24;
        if (dx * dx + dy * dy < 400)
          mask.ScanLine(y)[x] = static_cast<std::uint8_t>(255 - 10 * (dx * dx + dy * dy) / 40);
      }
    WriteBmp(mask, Path(name));
  }
};

TEST_F(DotweaveCli, OneRowExampleGivesTheDefinedStrings) {
  WriteOneRowFixture();
  struct Case {
    int algorithm, direction;
    const char* expected;
  } cases[] = {
      {0, 1, "ABCDEFABCDEFADEFAFADEFAF"},
      {1, 1, "DEDEFCDEDEFCDEFCDCDEFCDC"},
      {2, 1, "DDDABCDDDABCDABCCCDABCCC"},
      {2, -1, "DABABCDABABCDEFABCDEFABC"},
  };
  for (int bits : {24, 8}) {
    for (const Case& c : cases) {
      SCOPED_TRACE("algorithm " + std::to_string(c.algorithm) + " direction " +
                   std::to_string(c.direction) + " bits " + std::to_string(bits));
      const TResult r = Run(kCli, OneRowArgs(c.algorithm, c.direction, bits, "row.bmp"));
      ASSERT_EQ(r.status, 0) << r.err;
      const TDIB out = ReadBmp(Path("row.bmp"));
      EXPECT_EQ(out.BitCount(), bits);
      EXPECT_EQ(Letters(out), c.expected);
    }
  }
}

TEST_F(DotweaveCli, SameCommandTwiceWritesIdenticalFiles) {
  WriteSphereMask("mask.bmp");
  for (const char* ext : {".png", ".bmp", ".jpg"}) {
    std::vector<std::string> args = {"render", Path("mask.bmp"), "-o",    "",
                                     "--set",  "Randm=1",        "--set", "BitRate=8"};
    args[3] = Path(std::string("a") + ext);
    ASSERT_EQ(Run(kCli, args).status, 0);
    args[3] = Path(std::string("b") + ext);
    ASSERT_EQ(Run(kCli, args).status, 0);
    EXPECT_EQ(cli_test::Slurp(Path(std::string("a") + ext)),
              cli_test::Slurp(Path(std::string("b") + ext)))
        << ext;
  }
}

TEST_F(DotweaveCli, SettingsComeFromDefaultsThenConfigThenSet) {
  WriteSphereMask("mask.bmp");
  std::ofstream(Path("Dotweave.cfg")) << "[options]\nRandm=1\nResolution=2\nPWidth=700\nBitRate=8\n"
                                         "[Colors]\n255=255\nabc=abc\n65280=65280\n";
  struct Case {
    std::vector<std::string> extra;
    int width, height, bits;
  } cases[] = {
      {{}, 1024, 768, 8},                       // preset of Resolution wins
      {{"--set", "CustomRez=1"}, 700, 480, 8},  // PWidth from the file
      {{"--set", "Resolution=1", "--set", "BitRate=24"}, 800, 600, 24},
      {{"--set", "Resolution=7"}, 640, 480, 8},  // unknown preset: 640 x 480
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"render",        Path("mask.bmp"), "-o",
                                     Path("out.bmp"), "--config",       Path("Dotweave.cfg")};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const TResult r = Run(kCli, args);
    ASSERT_EQ(r.status, 0) << r.err;
    const TDIB out = ReadBmp(Path("out.bmp"));
    EXPECT_EQ(out.Width(), c.width);
    EXPECT_EQ(out.Height(), c.height);
    EXPECT_EQ(out.BitCount(), c.bits);
  }
}

TEST_F(DotweaveCli, OddBaseIsRaisedToEven) {
  // With a flat mask algorithm 0 repeats the pattern row at exactly Base pixels.
  TDIB flat = Grey8(32, 32, 0);
  WriteBmp(flat, Path("flat.bmp"));
  const TResult r = Run(
      kCli, {"render", Path("flat.bmp"), "-o", Path("out.bmp"), "--set", "Randm=1", "--set",
             "Base=89", "--set", "Algorithm=0", "--set", "Oversampling=1", "--set", "DotNum=640"});
  ASSERT_EQ(r.status, 0) << r.err;
  const TDIB out = ReadBmp(Path("out.bmp"));
  int period = 0;
  for (int p : {89, 90}) {
    bool repeats = true;
    for (int x = p; x < out.Width() && repeats; ++x)
      repeats = out.PixelColor(x, 7) == out.PixelColor(x - p, 7);
    if (repeats) period = p;
  }
  EXPECT_EQ(period, 90);
}

TEST_F(DotweaveCli, OutputFormatsFollowTheExtension) {
  WriteSphereMask("mask.bmp");
  for (int bits : {8, 24}) {
    for (const char* name : {"s.bmp", "s.png", "s.jpg", "S.PNG"}) {
      const TResult r = Run(kCli, {"render", Path("mask.bmp"), "-o", Path(name), "--set", "Randm=1",
                                   "--set", "BitRate=" + std::to_string(bits)});
      ASSERT_EQ(r.status, 0) << name << ": " << r.err;
      const std::string ext = std::filesystem::path(name).extension().string();
      const TDIB back = (ext == ".bmp")   ? ReadBmp(Path(name))
                        : (ext == ".jpg") ? ReadJpeg(Path(name))
                                          : ReadPng(Path(name));
      EXPECT_EQ(back.Width(), 640) << name;
      EXPECT_EQ(back.Height(), 480) << name;
      if (ext == ".bmp") {
        EXPECT_EQ(back.BitCount(), bits);
      }
    }
  }
}

TEST_F(DotweaveCli, BlendLaysSectionBlendingOverTheResult) {
  WriteSphereMask("mask.bmp");
  const std::vector<std::string> base = {"render", Path("mask.bmp"), "-o", "", "--set", "Randm=1"};
  auto run = [&](const std::string& out, std::vector<std::string> extra) {
    std::vector<std::string> args = base;
    args[3] = Path(out);
    args.insert(args.end(), extra.begin(), extra.end());
    const TResult r = Run(kCli, args);
    EXPECT_EQ(r.status, 0) << r.err;
    return ReadBmp(Path(out));
  };
  const TDIB plain = run("plain.bmp", {});
  const TDIB blended = run("blend.bmp", {"--blend"});
  const TDIB silent = run("silent.bmp", {"--blend", "--set", "Blending.Volume=0"});
  EXPECT_FALSE(plain == blended);
  EXPECT_TRUE(plain == silent) << "Volume 0 leaves the picture unchanged";
  // Default effect "Circle" at the centre: the centre pixel is untouched, a corner is navy-tinted.
  EXPECT_EQ(blended.PixelColor(320, 240), plain.PixelColor(320, 240));
  EXPECT_NE(blended.PixelColor(0, 0), plain.PixelColor(0, 0));
}

TEST_F(DotweaveCli, UsageErrorsExitWithTwo) {
  WriteSphereMask("mask.bmp");
  const std::string m = Path("mask.bmp"), o = Path("o.bmp");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"draw", m, "-o", o},
      {"render", m},
      {"render", "-o", o},
      {"render", m, m, "-o", o},
      {"render", m, "-o", o, "--bogus"},
      {"render", m, "-o", o, "--set", "Randm"},
      {"render", m, "-o", o, "--set", ".x=1"},
      {"render", m, "-o", o, "--texture"},
      {"render", m, "-o", Path("o.gif"), "--set", "Randm=1"},
      {"render", m, "-o", o},  // texture mode without a texture
  };
  for (const auto& args : cases) {
    const TResult r = Run(kCli, args);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args) << r.err;
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
  }
  EXPECT_TRUE(OtherFiles({"mask.bmp"}).empty());
}

TEST_F(DotweaveCli, HelpDocumentsEveryOption) {
  const TResult r = Run(kCli, {"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* option :
       {"--output", "--texture", "--config", "--set", "--blend", "--progress", "--help"})
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

TEST_F(DotweaveCli, ProgressBarGoesToStandardError) {
  WriteSphereMask("mask.bmp");
  const TResult r = Run(
      kCli, {"render", Path("mask.bmp"), "-o", Path("o.png"), "--set", "Randm=1", "--progress"});
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("100%"), std::string::npos);
  EXPECT_TRUE(r.out.empty());
}

}  // namespace
