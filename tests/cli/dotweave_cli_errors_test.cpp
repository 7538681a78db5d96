#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "cli_test_support.h"
#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/png.h"

namespace {

using cli_test::TResult;

const std::string kCli = DW_CLI;

TDIB Gradient24(int w, int h) {
  TDIB d;
  d.SetSize(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = d.ScanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(x * 4);
      p[1] = static_cast<std::uint8_t>(y * 4);
      p[2] = static_cast<std::uint8_t>((x + y) * 2);
    }
  return d;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A BMP header that claims a picture of 0 x 5 pixels.
std::string ZeroWidthBmp() {
  std::string b(54, '\0');
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 255);
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, 54);
  put32(10, 54);
  put32(14, 40);
  put32(18, 0);
  put32(22, 5);
  b[26] = 1;
  b[28] = 24;
  return b;
}

// The smallest usual GIF: one white pixel.
const unsigned char kTinyGif[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B,
};

class DotweaveCliErrors : public cli_test::TScratch {
 protected:
  void SetUp() override {
    TScratch::SetUp();
    const TDIB picture = Gradient24(40, 30);
    WriteBmp(picture, Path("good.bmp"));
    WritePng(picture, Path("good.png"));
    WriteJpeg(picture, Path("good.jpg"), 90);
    WriteBytes(Path("good.gif"),
               std::string(reinterpret_cast<const char*>(kTinyGif), sizeof kTinyGif));
  }
  std::string Truncated(const std::string& good, const std::string& name, double keep) {
    const std::string bytes = cli_test::Slurp(Path(good));
    WriteBytes(Path(name), bytes.substr(0, static_cast<std::size_t>(bytes.size() * keep)));
    return Path(name);
  }
  std::string Corrupt(const std::string& good, const std::string& name, std::size_t from) {
    std::string bytes = cli_test::Slurp(Path(good));
    for (std::size_t i = from; i < bytes.size(); i += 7)
      bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    WriteBytes(Path(name), bytes);
    return Path(name);
  }
};

TEST_F(DotweaveCliErrors, UnreadableInputsExitWithOneAndNameTheFile) {
  WriteBytes(Path("empty.bmp"), "");
  WriteBytes(Path("empty.png"), "");
  WriteBytes(Path("zero.bmp"), ZeroWidthBmp());
  WriteBytes(Path("junk.gif"), "GIF89a\x10\x00\x10\x00garbage");
  WriteBytes(Path("text.jpg"), "this is not a picture");
  std::filesystem::create_directory(Path("folder.bmp"));
  const std::vector<std::string> masks = {
      Path("missing.bmp"),
      Path("empty.bmp"),
      Path("empty.png"),
      Path("zero.bmp"),
      Path("junk.gif"),
      Path("text.jpg"),
      Path("folder.bmp"),
      Truncated("good.bmp", "half.bmp", 0.5),
      Truncated("good.bmp", "header.bmp", 0.1),
      Truncated("good.png", "half.png", 0.5),
      Truncated("good.jpg", "half.jpg", 0.3),
      Corrupt("good.png", "bad.png", 40),
      Corrupt("good.jpg", "bad.jpg", 2),
      Truncated("good.gif", "head.gif", 0.25),
      Truncated("good.gif", "half.gif", 0.5),
      Truncated("good.gif", "most.gif", 0.8),
  };
  for (const std::string& mask : masks) {
    for (const char* out : {"o.bmp", "o.png"}) {
      const TResult r = Run(kCli, {"render", mask, "-o", Path(out), "--set", "Randm=1"});
      EXPECT_EQ(r.status, 1) << mask << ": " << r.err;
      EXPECT_EQ(cli_test::LineCount(r.err), 1) << r.err;
      EXPECT_NE(r.err.find(std::filesystem::path(mask).filename().string()), std::string::npos)
          << r.err;
      EXPECT_FALSE(std::filesystem::exists(Path(out))) << "no output after a failure: " << mask;
    }
  }
}

TEST_F(DotweaveCliErrors, TheSameFilesWholeAreRead) {
  for (const char* mask : {"good.bmp", "good.png", "good.jpg", "good.gif"}) {
    const TResult r = Run(kCli, {"render", Path(mask), "-o", Path("o.png"), "--set", "Randm=1"});
    EXPECT_EQ(r.status, 0) << mask << ": " << r.err;
  }
}

TEST_F(DotweaveCliErrors, UnreadableTextureOrConfigExitWithOne) {
  WriteBytes(Path("empty.gif"), "");
  const std::vector<std::vector<std::string>> cases = {
      {"--texture", Path("missing.bmp")},
      {"--texture", Truncated("good.png", "half.png", 0.4)},
      {"--texture", Path("empty.gif")},
      {"--config", Path("missing.cfg")},
  };
  for (const auto& extra : cases) {
    std::vector<std::string> args = {"render", Path("good.bmp"), "-o", Path("o.png")};
    args.insert(args.end(), extra.begin(), extra.end());
    if (extra[0] == "--config") args.insert(args.end(), {"--set", "Randm=1"});
    const TResult r = Run(kCli, args);
    EXPECT_EQ(r.status, 1) << extra[1] << ": " << r.err;
    EXPECT_EQ(cli_test::LineCount(r.err), 1);
    EXPECT_NE(r.err.find(std::filesystem::path(extra[1]).filename().string()), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Path("o.png")));
  }
}

TEST_F(DotweaveCliErrors, SettingsTheRendererCannotUseAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"DDepth=0"},
      {"BitRate=16"},
      {"Oversampling=0"},
      {"Base=0"},
      {"CustomRez=1", "PWidth=100000"},
      {"CustomRez=1", "PWidth=-5"},
  };
  for (const auto& settings : cases) {
    std::vector<std::string> args = {"render",      Path("good.bmp"), "-o",
                                     Path("o.png"), "--set",          "Randm=1"};
    for (const auto& s : settings) args.insert(args.end(), {"--set", s});
    const TResult r = Run(kCli, args);
    EXPECT_EQ(r.status, 1) << settings.back() << ": " << r.err;
    EXPECT_EQ(cli_test::LineCount(r.err), 1);
    EXPECT_FALSE(std::filesystem::exists(Path("o.png")));
  }
}

TEST_F(DotweaveCliErrors, UnwritableOutputExitsWithOneAndKeepsNoPartialFile) {
  const TResult missingFolder =
      Run(kCli, {"render", Path("good.bmp"), "-o", Path("nofolder/o.png"), "--set", "Randm=1"});
  EXPECT_EQ(missingFolder.status, 1) << missingFolder.err;
  EXPECT_NE(missingFolder.err.find("o.png"), std::string::npos);

  if (::geteuid() != 0) {  // root writes anywhere
    std::filesystem::create_directory(Path("ro"));
    ::chmod(Path("ro").c_str(), 0555);
    const TResult readOnly =
        Run(kCli, {"render", Path("good.bmp"), "-o", Path("ro/o.bmp"), "--set", "Randm=1"});
    EXPECT_EQ(readOnly.status, 1);
    ::chmod(Path("ro").c_str(), 0755);
  }
  // An existing output is replaced whole or not at all.
  WriteBytes(Path("keep.bmp"), "old");
  const TResult bad =
      Run(kCli, {"render", Path("missing.bmp"), "-o", Path("keep.bmp"), "--set", "Randm=1"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(cli_test::Slurp(Path("keep.bmp")), "old");
}

}  // namespace
