#include "platform/jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "test_support.h"

// clang-format off
#include <jpeglib.h>
// clang-format on

using namespace testsupport;

namespace {

// A solid w x h JPEG in a colour space our encoder never writes (greyscale, CMYK).
Bytes MakeSolidJpeg(J_COLOR_SPACE space, std::vector<std::uint8_t> pixel, bool adobeMarker,
                    int w = 8, int h = 8) {
  jpeg_compress_struct ci{};
  jpeg_error_mgr err{};
  ci.err = jpeg_std_error(&err);
  jpeg_create_compress(&ci);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&ci, &buffer, &size);
  ci.image_width = static_cast<JDIMENSION>(w);
  ci.image_height = static_cast<JDIMENSION>(h);
  ci.input_components = static_cast<int>(pixel.size());
  ci.in_color_space = space;
  jpeg_set_defaults(&ci);
  jpeg_set_colorspace(&ci, space);
  ci.write_Adobe_marker = adobeMarker ? TRUE : FALSE;
  jpeg_set_quality(&ci, 100, TRUE);
  jpeg_start_compress(&ci, TRUE);
  std::vector<std::uint8_t> row;
  for (int x = 0; x < w; ++x) row.insert(row.end(), pixel.begin(), pixel.end());
  while (ci.next_scanline < ci.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&ci, &r, 1);
  }
  jpeg_finish_compress(&ci);
  jpeg_destroy_compress(&ci);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

int MaxChannelDifference(TColor a, TColor b) {
  return std::max({std::abs(ColorR(a) - ColorR(b)), std::abs(ColorG(a) - ColorG(b)),
                   std::abs(ColorB(a) - ColorB(b))});
}

// A smooth picture plus a few hard edges, as masks and textures have.
TDIB Gradient(int w, int h) {
  return TrueColourPicture(w, h, [&](int x, int y) {
    return MakeColor(x * 255 / (w - 1), y * 255 / (h - 1), (x + y) < w ? 40 : 220);
  });
}

struct SolidCase {
  const char* name;
  J_COLOR_SPACE space;
  std::vector<std::uint8_t> pixel;
  bool adobe;
  TColor expected;
};

class JpegSolidTest : public TempDirTest, public ::testing::WithParamInterface<SolidCase> {};

TEST_P(JpegSolidTest, ConvertsToTrueColour) {
  const SolidCase& c = GetParam();
  const std::string path = Save("s.jpg", MakeSolidJpeg(c.space, c.pixel, c.adobe));
  for (bool quantize : {false, true}) {
    const TDIB dib = ReadJpeg(path, quantize);
    ASSERT_EQ(dib.BitCount(), 24);
    ASSERT_EQ(dib.Width(), 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        // The quantiser's histogram is coarser than 8 bits per channel.
        ASSERT_LE(MaxChannelDifference(dib.PixelColor(x, y), c.expected), quantize ? 6 : 2)
            << "quantize " << quantize << " at " << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Spaces, JpegSolidTest,
    ::testing::Values(
        SolidCase{"Grey", JCS_GRAYSCALE, {77}, false, MakeColor(77, 77, 77)},
        // Adobe writers store CMYK inverted: 255 means no ink.
        SolidCase{"AdobeCmykWhite", JCS_CMYK, {255, 255, 255, 255}, true, MakeColor(255, 255, 255)},
        SolidCase{"AdobeCmykMagenta", JCS_CMYK, {255, 0, 255, 255}, true, MakeColor(255, 0, 255)},
        SolidCase{
            "AdobeCmykHalfBlack", JCS_CMYK, {255, 255, 255, 128}, true, MakeColor(128, 128, 128)},
        SolidCase{"PlainCmykWhite", JCS_CMYK, {0, 0, 0, 0}, false, MakeColor(255, 255, 255)},
        SolidCase{"PlainCmykCyan", JCS_CMYK, {255, 0, 0, 0}, false, MakeColor(0, 255, 255)},
        SolidCase{"PlainCmykBlack", JCS_CMYK, {0, 0, 0, 255}, false, MakeColor(0, 0, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

using JpegFileTest = TempDirTest;

TEST_F(JpegFileTest, QualityHundredRoundTripIsNearlyExact) {
  const TDIB pic = Gradient(24, 16);
  WriteJpeg(pic, Path("q.jpg"), 100);
  const TDIB back = ReadJpeg(Path("q.jpg"));
  ASSERT_EQ(back.Width(), 24);
  ASSERT_EQ(back.Height(), 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x)
      EXPECT_LE(MaxChannelDifference(back.PixelColor(x, y), pic.PixelColor(x, y)), 4)
          << x << "," << y;
}

TEST_F(JpegFileTest, QuantisedPixelsAreDrawnFromTheTable) {
  WriteJpeg(Gradient(64, 48), Path("g.jpg"), 90);
  const TDIB plain = ReadJpeg(Path("g.jpg"));
  const TDIB dib = ReadJpeg(Path("g.jpg"), true);
  ASSERT_EQ(dib.BitCount(), 24);
  std::set<TColor> table;
  for (const TRGBQuad& q : dib.ColorTable()) table.insert(ColorOf(q));
  std::set<TColor> used;
  long long error = 0;
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x) {
      const TColor c = dib.PixelColor(x, y);
      used.insert(c);
      ASSERT_TRUE(table.count(c)) << "pixel " << x << "," << y << " is not a table colour";
      error += MaxChannelDifference(c, plain.PixelColor(x, y));
    }
  EXPECT_LE(used.size(), 256u);
  EXPECT_GT(used.size(), 16u) << "a gradient needs many palette colours";
  EXPECT_LT(error / (64 * 48), 12) << "dithered colours stay close to the decoded ones";
}

TEST_F(JpegFileTest, FewColoursQuantiseToAPaletteWithZeroTail) {
  const TDIB pic = TrueColourPicture(16, 16, [](int x, int y) {
    return (x < 8) == (y < 8) ? MakeColor(250, 0, 0) : MakeColor(0, 0, 250);
  });
  WriteJpeg(pic, Path("f.jpg"), 100);
  const TDIB dib = ReadJpeg(Path("f.jpg"), true);
  EXPECT_EQ(dib.ColorTable()[255], TRGBQuad{}) << "a handful of colours leaves the tail unused";
  EXPECT_LE(MaxChannelDifference(dib.PixelColor(2, 2), MakeColor(250, 0, 0)), 8);
  EXPECT_LE(MaxChannelDifference(dib.PixelColor(12, 2), MakeColor(0, 0, 250)), 8);
}

TEST_F(JpegFileTest, EncodesProgressiveAndClampsQuality) {
  const TDIB pic = Gradient(16, 16);
  const Bytes low = EncodeJpeg(pic, 5), high = EncodeJpeg(pic, 100);
  EXPECT_EQ(EncodeJpeg(pic, -20), low);
  EXPECT_EQ(EncodeJpeg(pic, 150), high);
  EXPECT_LT(low.size(), high.size());
  bool progressive = false;
  for (std::size_t i = 0; i + 1 < high.size(); ++i)
    progressive |= high[i] == 0xFF && high[i + 1] == 0xC2;
  EXPECT_TRUE(progressive) << "SOF2 marker";
}

TEST_F(JpegFileTest, EightBitPictureIsWrittenThroughItsTable) {
  TColorTable table{};
  table[3] = QuadOf(MakeColor(200, 30, 90));
  TDIB pic;
  pic.SetColorTable(table);
  pic.SetSize(8, 8, 8);
  for (int y = 0; y < 8; ++y) std::fill_n(pic.ScanLine(y), 8, 3);
  WriteJpeg(pic, Path("e.jpg"), 100);
  EXPECT_LE(MaxChannelDifference(ReadJpeg(Path("e.jpg")).PixelColor(4, 4), MakeColor(200, 30, 90)),
            2);
}

TEST_F(JpegFileTest, BadFilesGiveOneClearError) {
  const Bytes good = EncodeJpeg(Gradient(16, 16), 80);
  Bytes badMarker = good;
  badMarker[3] = 0xC3;  // the first marker after SOI becomes a lossless frame
  const std::vector<BadFile> cases = {
      {"empty", {}, "empty file"},
      {"bmp", {'B', 'M', 0, 0, 0, 0}, "Not a JPEG file"},
      {"marker", badMarker, "Unsupported JPEG process"},
      {"headerOnly", Bytes(good.begin(), good.begin() + 20), "truncated file"},
      {"noEnd", Bytes(good.begin(), good.end() - 2), "truncated file"},
  };
  ExpectBadFiles(
      cases, ".jpg",
      {[](const std::string& f) { ReadJpeg(f); }, [](const std::string& f) { ReadJpeg(f, true); }});
}

TEST_F(JpegFileTest, EveryTruncationIsAnError) {
  const Bytes full = EncodeJpeg(Gradient(16, 8), 75);
  for (std::size_t n = 0; n < full.size(); ++n) {
    EXPECT_THROW(ReadJpegFromMemory(full.data(), n, "cut.jpg"), TFileError) << "cut at " << n;
    EXPECT_THROW(ReadJpegFromMemory(full.data(), n, "cut.jpg", true), TFileError) << "cut at " << n;
  }
}

TEST_F(JpegFileTest, WritingAnEmptyPictureFailsWithoutAFile) {
  ExpectFileError([&] { WriteJpeg(TDIB(), Path("e.jpg"), 80); }, Path("e.jpg"),
                  "picture has no pixels");
  EXPECT_FALSE(std::filesystem::exists(Path("e.jpg")));
}

}  // namespace
