#include "platform/png.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <filesystem>

#include "test_support.h"

using namespace testsupport;

namespace {

// A PNG of any kind, made with libpng directly so the reader meets files it did not write.
struct PngLayout {
  int colorType = PNG_COLOR_TYPE_GRAY;
  int depth = 8;
  int width = 3;
  int height = 2;
  std::vector<unsigned> samples;  // row by row, all channels of a pixel in turn
  std::vector<TColor> palette;
  bool trns = false;
  bool interlace = false;
};

int Channels(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 1;
  }
}

Bytes PackRow(const PngLayout& s, int y) {
  const int n = s.width * Channels(s.colorType);
  Bytes row(static_cast<std::size_t>((n * s.depth + 7) / 8), 0);
  for (int i = 0; i < n; ++i) {
    const unsigned v = s.samples[static_cast<std::size_t>(y) * n + i];
    if (s.depth == 16) {
      row[2 * i] = static_cast<std::uint8_t>(v >> 8);
      row[2 * i + 1] = static_cast<std::uint8_t>(v);
    } else {
      const int bit = i * s.depth;
      row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - s.depth - bit % 8));
    }
  }
  return row;
}

void AppendBytes(png_structp png, png_bytep data, std::size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

Bytes MakePng(const PngLayout& s) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendBytes, nullptr);
  png_set_IHDR(png, info, s.width, s.height, s.depth, s.colorType,
               s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> plte;
  for (TColor c : s.palette)
    plte.push_back(png_color{static_cast<png_byte>(ColorR(c)), static_cast<png_byte>(ColorG(c)),
                             static_cast<png_byte>(ColorB(c))});
  if (!plte.empty()) png_set_PLTE(png, info, plte.data(), static_cast<int>(plte.size()));
  png_byte alpha[1] = {0};
  if (s.trns) png_set_tRNS(png, info, alpha, 1, nullptr);
  png_write_info(png, info);
  std::vector<Bytes> rows;
  std::vector<png_bytep> pointers;
  for (int y = 0; y < s.height; ++y) rows.push_back(PackRow(s, y));
  for (auto& r : rows) pointers.push_back(r.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

constexpr TColor Grey(int v) { return MakeColor(v, v, v); }

struct ReadCase {
  const char* name;
  PngLayout layout;
  int bits;
  std::vector<std::vector<TColor>> expected;
};

PngLayout Layout(int type, int depth, std::vector<unsigned> samples) {
  PngLayout s;
  s.colorType = type;
  s.depth = depth;
  s.samples = std::move(samples);
  return s;
}

PngLayout WithPalette(PngLayout s, std::vector<TColor> palette, bool trns) {
  s.palette = std::move(palette);
  s.trns = trns;
  return s;
}

const TColor kA = MakeColor(250, 10, 20), kB = MakeColor(5, 200, 60), kC = MakeColor(1, 2, 3),
             kD = MakeColor(90, 90, 255);

std::vector<ReadCase> ReadCases() {
  const int kGrey = PNG_COLOR_TYPE_GRAY, kGreyA = PNG_COLOR_TYPE_GRAY_ALPHA,
            kPal = PNG_COLOR_TYPE_PALETTE, kRgb = PNG_COLOR_TYPE_RGB,
            kRgba = PNG_COLOR_TYPE_RGB_ALPHA;
  return {
      {"Grey1",
       Layout(kGrey, 1, {0, 1, 1, 1, 0, 0}),
       8,
       {{Grey(0), Grey(255), Grey(255)}, {Grey(255), Grey(0), Grey(0)}}},
      {"Grey2",
       Layout(kGrey, 2, {0, 1, 2, 3, 2, 1}),
       8,
       {{Grey(0), Grey(85), Grey(170)}, {Grey(255), Grey(170), Grey(85)}}},
      {"Grey4",
       Layout(kGrey, 4, {0, 5, 15, 1, 10, 14}),
       8,
       {{Grey(0), Grey(85), Grey(255)}, {Grey(17), Grey(170), Grey(238)}}},
      {"Grey8",
       Layout(kGrey, 8, {0, 7, 255, 128, 1, 254}),
       8,
       {{Grey(0), Grey(7), Grey(255)}, {Grey(128), Grey(1), Grey(254)}}},
      // v / 257 rounded: 128 -> 0.498, 129 -> 0.502, 65406 -> 254.498, 65407 -> 254.502.
      {"Grey16Rounding",
       Layout(kGrey, 16, {128, 129, 32896, 65406, 65407, 65535}),
       8,
       {{Grey(0), Grey(1), Grey(128)}, {Grey(254), Grey(255), Grey(255)}}},
      {"GreyAlpha8",
       Layout(kGreyA, 8, {10, 0, 20, 255, 30, 7, 40, 1, 50, 2, 60, 3}),
       8,
       {{Grey(10), Grey(20), Grey(30)}, {Grey(40), Grey(50), Grey(60)}}},
      {"GreyAlpha16",
       Layout(kGreyA, 16, {129, 0, 257, 9, 65535, 65535, 0, 0, 1000, 1, 40000, 2}),
       8,
       {{Grey(1), Grey(1), Grey(255)}, {Grey(0), Grey(4), Grey(156)}}},
      {"Palette1",
       WithPalette(Layout(kPal, 1, {0, 1, 0, 1, 1, 0}), {kA, kB}, true),
       8,
       {{kA, kB, kA}, {kB, kB, kA}}},
      {"Palette2",
       WithPalette(Layout(kPal, 2, {0, 1, 2, 3, 2, 1}), {kA, kB, kC, kD}, false),
       8,
       {{kA, kB, kC}, {kD, kC, kB}}},
      {"Palette4",
       WithPalette(Layout(kPal, 4, {3, 2, 1, 0, 3, 3}), {kA, kB, kC, kD}, true),
       8,
       {{kD, kC, kB}, {kA, kD, kD}}},
      {"Palette8",
       WithPalette(Layout(kPal, 8, {1, 1, 0, 0, 2, 3}), {kA, kB, kC, kD}, false),
       8,
       {{kB, kB, kA}, {kA, kC, kD}}},
      {"Rgb8",
       Layout(kRgb, 8, {250, 10, 20, 5, 200, 60, 1, 2, 3, 90, 90, 255, 0, 0, 0, 9, 9, 9}),
       24,
       {{kA, kB, kC}, {kD, Grey(0), Grey(9)}}},
      {"Rgba8",
       Layout(kRgba, 8, {250, 10, 20,  0, 5, 200, 60, 9, 1, 2, 3, 255,  //
                         90,  90, 255, 1, 0, 0,   0,  2, 9, 9, 9, 3}),
       24,
       {{kA, kB, kC}, {kD, Grey(0), Grey(9)}}},
      {"Rgb16Rounding",
       Layout(kRgb, 16,
              {65535, 128, 129, 257, 0, 65407, 32896, 32896, 32896,  //
               0, 0, 0, 65406, 65406, 65406, 1000, 40000, 1000}),
       24,
       {{MakeColor(255, 0, 1), MakeColor(1, 0, 255), Grey(128)},
        {Grey(0), Grey(254), MakeColor(4, 156, 4)}}},
      {"Rgba16",
       Layout(kRgba, 16, {65535, 0,   0,   0, 0, 65535, 0, 5, 0,     0,     65535, 65535,  //
                          129,   129, 129, 7, 0, 0,     0, 0, 65535, 65535, 65535, 9}),
       24,
       {{MakeColor(255, 0, 0), MakeColor(0, 255, 0), MakeColor(0, 0, 255)},
        {Grey(1), Grey(0), Grey(255)}}},
  };
}

class PngReadTest : public TempDirTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(PngReadTest, DecodesEveryKind) {
  for (bool interlace : {false, true}) {
    PngLayout layout = GetParam().layout;
    layout.interlace = interlace;
    const TDIB dib = ReadPng(Save("in.png", MakePng(layout)));
    EXPECT_EQ(dib.BitCount(), GetParam().bits) << "interlaced " << interlace;
    EXPECT_EQ(ColoursOf(dib), GetParam().expected) << "interlaced " << interlace;
    if (layout.colorType == PNG_COLOR_TYPE_PALETTE) {
      EXPECT_EQ(ColorOf(dib.ColorTable()[layout.palette.size() - 1]), layout.palette.back());
      EXPECT_EQ(ColorOf(dib.ColorTable()[layout.palette.size()]), 0u) << "rest of the table is 0";
    } else if (dib.BitCount() == 8) {
      EXPECT_EQ(dib.ColorTable(), GreyRamp());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, PngReadTest, ::testing::ValuesIn(ReadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

using PngFileTest = TempDirTest;

TEST_F(PngFileTest, InterlacedPicturePlacesEveryPass) {
  PngLayout s;
  s.colorType = PNG_COLOR_TYPE_RGB;
  s.width = 11;
  s.height = 9;
  s.interlace = true;
  for (int i = 0; i < 11 * 9; ++i)
    for (int c = 0; c < 3; ++c) s.samples.push_back(static_cast<unsigned>((i * 7 + c * 50) & 255));
  const TDIB dib = ReadPng(Save("i.png", MakePng(s)));
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 11; ++x) {
      const int i = y * 11 + x;
      ASSERT_EQ(dib.PixelColor(x, y),
                MakeColor((i * 7) & 255, (i * 7 + 50) & 255, (i * 7 + 100) & 255))
          << x << "," << y;
    }
}

TDIB IndexedPicture(int w, int h, std::uint32_t seed) {
  Lcg rng(seed);
  TColorTable table{};
  for (auto& q : table) q = QuadOf(rng.Next() & 0xFFFFFF);
  TDIB dib;
  dib.SetColorTable(table);
  dib.SetSize(w, h, 8);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) dib.ScanLine(y)[x] = static_cast<std::uint8_t>(rng.Next());
  return dib;
}

TEST_F(PngFileTest, EightBitRoundTripKeepsIndicesAndTable) {
  const TDIB pic = IndexedPicture(7, 5, 3);
  WritePng(pic, Path("p.png"));
  EXPECT_EQ(ReadPng(Path("p.png")), pic);
  EXPECT_EQ(Load("p.png")[25], PNG_COLOR_TYPE_PALETTE);
}

struct FewColoursCase {
  int colours;
  int expectedDepth;
  int expectedType;
};

class PngFewColoursTest : public TempDirTest,
                          public ::testing::WithParamInterface<FewColoursCase> {};

TEST_P(PngFewColoursTest, TrueColourRoundTripPicksTheSmallestLayout) {
  const int n = GetParam().colours;
  Lcg rng(11);
  const TDIB pic = TrueColourPicture(37, 9, [&](int x, int y) {
    const int k = (x + y * 37) < n ? (x + y * 37) : static_cast<int>(rng.Next() % n);
    return MakeColor(k * 3, 255 - k / 2, k / 5 * 7);  // n distinct colours, all present
  });
  WritePng(pic, Path("t.png"));
  const Bytes file = Load("t.png");
  EXPECT_EQ(file[24], GetParam().expectedDepth);
  EXPECT_EQ(file[25], GetParam().expectedType);
  const TDIB back = ReadPng(Path("t.png"));
  EXPECT_EQ(back.BitCount(), GetParam().expectedType == PNG_COLOR_TYPE_RGB ? 24 : 8);
  EXPECT_EQ(ColoursOf(back), ColoursOf(pic));
}

INSTANTIATE_TEST_SUITE_P(Counts, PngFewColoursTest,
                         ::testing::Values(FewColoursCase{1, 1, PNG_COLOR_TYPE_PALETTE},
                                           FewColoursCase{2, 1, PNG_COLOR_TYPE_PALETTE},
                                           FewColoursCase{3, 2, PNG_COLOR_TYPE_PALETTE},
                                           FewColoursCase{16, 4, PNG_COLOR_TYPE_PALETTE},
                                           FewColoursCase{17, 8, PNG_COLOR_TYPE_PALETTE},
                                           FewColoursCase{256, 8, PNG_COLOR_TYPE_PALETTE},
                                           FewColoursCase{257, 8, PNG_COLOR_TYPE_RGB}));

TEST_F(PngFileTest, OtherDepthsKeepTheirColours) {
  for (int bits : {1, 4, 16, 32}) {
    TDIB pic;
    pic.SetColorTable(IndexedPicture(1, 1, 5).ColorTable());
    pic.SetSize(6, 4, bits);
    Lcg rng(static_cast<std::uint32_t>(bits));
    for (std::size_t i = 0; i < pic.Size(); ++i)
      pic.Bits()[i] = static_cast<std::uint8_t>(rng.Next());
    WritePng(pic, Path("o.png"));
    EXPECT_EQ(ColoursOf(ReadPng(Path("o.png"))), ColoursOf(pic)) << bits;
  }
}

// Sets IHDR width and height of a valid file and fixes the chunk's CRC.
Bytes WithSize(Bytes file, std::uint32_t w, std::uint32_t h) {
  for (int i = 0; i < 4; ++i) {
    file[16 + i] = static_cast<std::uint8_t>(w >> (24 - 8 * i));
    file[20 + i] = static_cast<std::uint8_t>(h >> (24 - 8 * i));
  }
  const auto crc = static_cast<std::uint32_t>(crc32(0, file.data() + 12, 17));
  for (int i = 0; i < 4; ++i) file[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  return file;
}

TEST_F(PngFileTest, BadFilesGiveOneClearError) {
  const Bytes good = MakePng(Layout(PNG_COLOR_TYPE_GRAY, 8, {1, 2, 3, 4, 5, 6}));
  Bytes badCrc = good;
  badCrc[18] ^= 1;
  const std::vector<BadFile> cases = {
      {"empty", {}, "empty file"},
      {"bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0}, "not a PNG file"},
      {"crc", badCrc, "CRC"},
      {"wide", WithSize(good, 30001, 2), "picture too large"},
      {"zero", WithSize(good, 0, 2), "Invalid"},
  };
  ExpectBadFiles(cases, ".png", {[](const std::string& f) { ReadPng(f); }});
}

TEST_F(PngFileTest, EveryTruncationIsAnError) {
  for (bool interlace : {false, true}) {
    PngLayout s = Layout(PNG_COLOR_TYPE_RGB, 16, {});
    s.interlace = interlace;
    for (int i = 0; i < 18; ++i) s.samples.push_back(static_cast<unsigned>(i * 3000));
    const Bytes full = MakePng(s);
    for (std::size_t n = 0; n < full.size(); ++n) {
      EXPECT_THROW(ReadPngFromMemory(full.data(), n, "cut.png"), TFileError) << "cut at " << n;
    }
  }
}

TEST_F(PngFileTest, WritingAnEmptyPictureFailsWithoutAFile) {
  ExpectFileError([&] { WritePng(TDIB(), Path("e.png")); }, Path("e.png"), "picture has no pixels");
  EXPECT_FALSE(std::filesystem::exists(Path("e.png")));
}

}  // namespace
