#include "platform/bmp.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "bmp_fixture.h"
#include "test_support.h"

using namespace testsupport;

namespace {

constexpr TColor kRed = MakeColor(255, 0, 0);
constexpr TColor kGreen = MakeColor(0, 255, 0);
constexpr TColor kBlue = MakeColor(0, 0, 255);
constexpr TColor kBlack = MakeColor(0, 0, 0);
constexpr TColor kGrey = MakeColor(10, 20, 30);

std::vector<TColor> Palette16() {
  std::vector<TColor> p;
  for (int i = 0; i < 16; ++i) p.push_back(MakeColor(i * 16, 255 - i * 16, i * 3));
  return p;
}
TColor P16(int i) { return Palette16()[i]; }

struct VariantCase {
  const char* name;
  BmpLayout layout;
  int expectedBits;
  std::vector<std::vector<TColor>> expected;  // top row first
};

BmpLayout Layout(int bits, long w, long h, Bytes pixels) {
  BmpLayout s;
  s.bits = bits;
  s.width = w;
  s.height = h;
  s.pixels = std::move(pixels);
  return s;
}

BmpLayout With(BmpLayout s, const std::function<void(BmpLayout&)>& f) {
  f(s);
  return s;
}

std::vector<VariantCase> Variants() {
  const Bytes px24 = {
      0,  0,  255, 0, 255, 0, 255, 0,   0,   0, 0, 0,  // bottom: red green blue, pad
      30, 20, 10,  0, 0,   0, 255, 255, 255, 0, 0, 0};
  const Bytes px565 = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0,   // red, green, blue
                       0x10, 0x84, 0x00, 0x04, 0xFF, 0xFF, 0, 0};  // (16,32,16), g=32, white
  const std::vector<std::vector<TColor>> rgbRows = {{kGrey, kBlack, MakeColor(255, 255, 255)},
                                                    {kRed, kGreen, kBlue}};
  return {
      {"OneBit",
       With(Layout(1, 3, 2, {0xA0, 0, 0, 0, 0x60, 0, 0, 0}),
            [](BmpLayout& s) {
              s.palette = {kGrey, kBlue};
            }),
       1,
       {{kGrey, kBlue, kBlue}, {kBlue, kGrey, kBlue}}},
      {"FourBit",
       With(Layout(4, 3, 2, {0x45, 0xF0, 0, 0, 0x12, 0x30, 0, 0}),
            [](BmpLayout& s) { s.palette = Palette16(); }),
       4,
       {{P16(1), P16(2), P16(3)}, {P16(4), P16(5), P16(15)}}},
      {"EightBitShortPalette",
       With(Layout(8, 3, 2, {0, 1, 2, 0, 2, 5, 0, 0}),
            [](BmpLayout& s) {
              s.palette = {kGrey, kRed, kGreen};
              s.clrUsed = 3;
            }),
       8,
       {{kGreen, kBlack, kGrey}, {kGrey, kRed, kGreen}}},
      {"TwentyFourBottomUp", Layout(24, 3, 2, px24), 24, rgbRows},
      {"TwentyFourTopDown", Layout(24, 3, -2, px24), 24, {rgbRows[1], rgbRows[0]}},
      {"SixteenBit555",
       Layout(16, 3, 2,
              {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0,  //
               0x10, 0x42, 0x41, 0x04, 0xFF, 0x7F, 0, 0}),
       24,
       {{MakeColor(132, 132, 132), MakeColor(8, 16, 8), MakeColor(255, 255, 255)},
        {kRed, kGreen, kBlue}}},
      {"Bitfields565",
       With(Layout(16, 3, 2, px565),
            [](BmpLayout& s) {
              s.compression = 3;
              s.masks = {0xF800, 0x07E0, 0x001F};
            }),
       24,
       {{MakeColor(132, 130, 132), MakeColor(0, 130, 0), MakeColor(255, 255, 255)},
        {kRed, kGreen, kBlue}}},
      {"V4HeaderBitfields565",
       With(Layout(16, 3, 2, px565),
            [](BmpLayout& s) {
              s.header = 108;
              s.compression = 3;
              s.masks = {0xF800, 0x07E0, 0x001F};
            }),
       24,
       {{MakeColor(132, 130, 132), MakeColor(0, 130, 0), MakeColor(255, 255, 255)},
        {kRed, kGreen, kBlue}}},
      {"V5Header24", With(Layout(24, 3, 2, px24), [](BmpLayout& s) { s.header = 124; }), 24,
       rgbRows},
      {"ThirtyTwoBgrx", Layout(32, 2, 1, {0, 0, 255, 0x80, 30, 20, 10, 0xFF}), 24, {{kRed, kGrey}}},
      {"Bitfields32Rgbx",
       With(Layout(32, 2, 1, {0x77, 0, 0, 255, 0x77, 30, 20, 10}),
            [](BmpLayout& s) {
              s.compression = 3;
              s.masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
            }),
       24,
       {{kRed, kGrey}}},
      {"Os2CoreHeader",
       With(Layout(4, 3, 2, {0x45, 0xF0, 0, 0, 0x12, 0x30, 0, 0}),
            [](BmpLayout& s) {
              s.header = 12;
              s.palette = Palette16();
            }),
       4,
       {{P16(1), P16(2), P16(3)}, {P16(4), P16(5), P16(15)}}},
      {"PackedDibWithoutFileHeader",
       With(Layout(8, 3, 1, {1, 0, 1, 0}),
            [](BmpLayout& s) {
              s.fileHeader = false;
              s.palette = {kGrey, kRed};
              s.clrUsed = 2;
            }),
       8,
       {{kRed, kGrey, kRed}}},
      // Bottom row: run of 2, absolute run of 3 (one pixel past the row, padded), end of line.
      // Then a delta of (2, 1) into the top row, a run of 1 and the end of the picture.
      {"Rle8",
       With(Layout(8, 4, 3, {2, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 2, 1, 1, 3, 0, 1}),
            [](BmpLayout& s) {
              s.compression = 1;
              s.palette = {kGrey, kRed, kGreen, kBlue};
            }),
       8,
       {{kGrey, kGrey, kBlue, kGrey}, {kGrey, kGrey, kGrey, kGrey}, {kRed, kRed, kGreen, kBlue}}},
      // Bottom row: run "1 2 1", absolute "3 4 5" (the 5 falls past the row), end of line.
      // Top row: delta (1, 0), run "6 7", end of picture.
      {"Rle4",
       With(Layout(4, 5, 2, {3, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 1, 0, 2, 0x67, 0, 1}),
            [](BmpLayout& s) {
              s.compression = 2;
              s.palette = Palette16();
            }),
       4,
       {{P16(0), P16(6), P16(7), P16(0), P16(0)}, {P16(1), P16(2), P16(1), P16(3), P16(4)}}},
      {"Rle8TopDown",
       With(Layout(8, 2, -2, {2, 1, 0, 0, 1, 2, 0, 1}),
            [](BmpLayout& s) {
              s.compression = 1;
              s.palette = {kGrey, kRed, kGreen};
            }),
       8,
       {{kRed, kRed}, {kGreen, kGrey}}},
  };
}

class BmpVariantTest : public ::testing::TestWithParam<VariantCase> {};

TEST_P(BmpVariantTest, DecodesPixelByPixel) {
  const VariantCase& c = GetParam();
  const Bytes file = MakeBmp(c.layout);
  const TDIB dib = ReadBmpFromMemory(file.data(), file.size(), "fixture.bmp");
  EXPECT_EQ(dib.BitCount(), c.expectedBits);
  EXPECT_EQ(ColoursOf(dib), c.expected);
  if (c.expectedBits <= 8) {
    // The file's table is kept; entries past the file's palette are zero.
    for (std::size_t i = 0; i < 256; ++i) {
      const TColor want = i < c.layout.palette.size() ? c.layout.palette[i] : 0;
      EXPECT_EQ(ColorOf(dib.ColorTable()[i]), want) << "entry " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Variants, BmpVariantTest, ::testing::ValuesIn(Variants()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BmpReadTest, StrayBitsPastTheRowAreCleared) {
  // 1-bit, width 3: the file sets all 8 bits of each row's byte.
  BmpLayout s = Layout(1, 3, 1, {0xFF, 0, 0, 0});
  s.palette = {kBlack, kRed};
  const Bytes file = MakeBmp(s);
  const TDIB dib = ReadBmpFromMemory(file.data(), file.size(), "x.bmp");
  EXPECT_EQ(dib.ScanLine(0)[0], 0xE0);
}

TEST(BmpReadTest, LastRowMayLackItsPadding) {
  BmpLayout s = Layout(24, 1, 2, {1, 2, 3, 0, 4, 5, 6});
  const Bytes file = MakeBmp(s);
  const TDIB dib = ReadBmpFromMemory(file.data(), file.size(), "x.bmp");
  EXPECT_EQ(dib.PixelColor(0, 0), MakeColor(6, 5, 4));
  EXPECT_EQ(dib.PixelColor(0, 1), MakeColor(3, 2, 1));
}

TEST(BmpReadTest, PaletteCountThatRunsIntoThePixelsIsCutBack) {
  BmpLayout s = SmallIndexedBmp();
  s.clrUsed = 256;  // only 4 entries lie before the pixels
  const Bytes file = MakeBmp(s);
  const TDIB dib = ReadBmpFromMemory(file.data(), file.size(), "x.bmp");
  EXPECT_EQ(ColorOf(dib.ColorTable()[3]), MakeColor(9, 8, 7));
  EXPECT_EQ(ColorOf(dib.ColorTable()[4]), 0u);
  EXPECT_EQ(dib.PixelValue(3, 0), 0u);
  EXPECT_EQ(dib.PixelValue(3, 1), 3u);
}

TEST(BmpReadTest, RleDeltaAndRunsPastThePictureAreClipped) {
  // A run of 255 in a 2-pixel row, then a delta far past the top: no write outside the picture.
  BmpLayout s = Layout(8, 2, 2, {255, 1, 0, 2, 255, 255, 3, 2, 0, 1});
  s.compression = 1;
  s.palette = {kGrey, kRed, kGreen};
  const Bytes file = MakeBmp(s);
  const TDIB dib = ReadBmpFromMemory(file.data(), file.size(), "x.bmp");
  EXPECT_EQ(ColoursOf(dib), (std::vector<std::vector<TColor>>{{kGrey, kGrey}, {kRed, kRed}}));
}

TEST(BmpReadTest, RleEndingAfterTheLastRowNeedsNoEndMarker) {
  BmpLayout s = Layout(8, 1, 1, {1, 1, 0, 0});
  s.compression = 1;
  s.palette = {kGrey, kRed};
  const Bytes file = MakeBmp(s);
  EXPECT_EQ(ReadBmpFromMemory(file.data(), file.size(), "x.bmp").PixelColor(0, 0), kRed);
}

struct BadCase {
  const char* name;
  std::function<Bytes()> make;
  const char* reason;
};

Bytes Mutated(const std::function<void(BmpLayout&)>& f) {
  BmpLayout s = SmallIndexedBmp();
  f(s);
  return MakeBmp(s);
}

std::vector<BadCase> BadFiles() {
  return {
      {"Empty", [] { return Bytes{}; }, "empty file"},
      {"NotBmp", [] { return Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0}; }, "not a BMP file"},
      {"OnlySignature",
       [] {
         return Bytes{'B', 'M'};
       },
       "truncated file"},
      {"HeaderSize", [] { return Mutated([](BmpLayout& s) { s.header = 50; }); }, "header size"},
      {"ZeroWidth", [] { return Mutated([](BmpLayout& s) { s.width = 0; }); },
       "picture has no pixels"},
      {"ZeroHeight", [] { return Mutated([](BmpLayout& s) { s.height = 0; }); },
       "picture has no pixels"},
      {"NegativeWidth", [] { return Mutated([](BmpLayout& s) { s.width = -4; }); },
       "invalid picture size"},
      {"TooWide", [] { return Mutated([](BmpLayout& s) { s.width = 30001; }); },
       "picture too large"},
      {"TooManyBytes",
       [] {
         return Mutated([](BmpLayout& s) {
           s.width = s.height = 30000;
           s.bits = 32;
         });
       },
       "picture too large"},
      {"MostNegativeHeight", [] { return Mutated([](BmpLayout& s) { s.height = -2147483648L; }); },
       "picture too large"},
      {"JpegInside",
       [] {
         return Mutated([](BmpLayout& s) {
           s.compression = 4;
           s.bits = 0;
         });
       },
       "unsupported compression (JPEG inside BMP)"},
      {"PngInside",
       [] {
         return Mutated([](BmpLayout& s) {
           s.compression = 5;
           s.bits = 0;
         });
       },
       "unsupported compression (PNG inside BMP)"},
      {"UnknownCompression", [] { return Mutated([](BmpLayout& s) { s.compression = 9; }); },
       "unsupported compression 9"},
      {"TwoBits", [] { return Mutated([](BmpLayout& s) { s.bits = 2; }); },
       "unsupported bit depth 2"},
      {"Rle8WithFourBits",
       [] {
         return Mutated([](BmpLayout& s) {
           s.compression = 1;
           s.bits = 4;
         });
       },
       "does not match"},
      {"ZeroMasks",
       [] {
         return Mutated([](BmpLayout& s) {
           s.bits = 16;
           s.compression = 3;
           s.masks = {0, 0, 0};
         });
       },
       "invalid bit-field masks"},
      {"BitfieldsOn8Bits",
       [] {
         return Mutated([](BmpLayout& s) {
           s.compression = 3;
           s.masks = {1, 2, 4};
         });
       },
       "bit fields need"},
      {"OffsetPastEnd", [] { return Mutated([](BmpLayout& s) { s.offBits = 100000; }); },
       "truncated file"},
      {"PixelsMissing", [] { return Mutated([](BmpLayout& s) { s.pixels.resize(5); }); },
       "truncated file"},
      {"RleWithoutEnd",
       [] {
         return Mutated([](BmpLayout& s) {
           s.compression = 1;
           s.pixels = {4, 1, 0, 0, 2};
         });
       },
       "truncated file"},
      {"RleAbsoluteRunPastData",
       [] {
         return Mutated([](BmpLayout& s) {
           s.compression = 1;
           s.pixels = {0, 200, 1, 2};
         });
       },
       "truncated file"},
  };
}

class BmpBadFileTest : public TempDirTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BmpBadFileTest, OneClearError) {
  const std::string path = Save("bad.bmp", GetParam().make());
  ExpectFileError([&] { ReadBmp(path); }, path, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Corrupt, BmpBadFileTest, ::testing::ValuesIn(BadFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

using BmpFileTest = TempDirTest;

TEST_F(BmpFileTest, MissingFile) {
  const std::string path = Path("none.bmp");
  ExpectFileError([&] { ReadBmp(path); }, path, "file not found");
}

TEST_F(BmpFileTest, EveryTruncationIsAnError) {
  for (const auto& c : Variants()) {
    const Bytes full = MakeBmp(c.layout);
    // The last row of uncompressed files may lack its padding; cut at least a whole row's worth.
    for (std::size_t n = 0; n + 4 < full.size(); ++n) {
      const Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
      EXPECT_THROW(ReadBmpFromMemory(cut.data(), cut.size(), "cut.bmp"), TFileError)
          << c.name << " cut at " << n;
    }
  }
}

TEST_F(BmpFileTest, RoundTrips8And24Bit) {
  Lcg rng(7);
  TColorTable table{};
  for (auto& q : table) q = QuadOf(rng.Next() & 0xFFFFFF);
  TDIB indexed;
  indexed.SetColorTable(table);
  indexed.SetSize(5, 3, 8);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) indexed.ScanLine(y)[x] = static_cast<std::uint8_t>(rng.Next());
  const TDIB rgb = TrueColourPicture(5, 3, [&](int, int) { return rng.Next() & 0xFFFFFF; });
  for (const TDIB* pic : std::vector<const TDIB*>{&indexed, &rgb}) {
    WriteBmp(*pic, Path("rt.bmp"));
    const TDIB back = ReadBmp(Path("rt.bmp"));
    EXPECT_EQ(back.BitCount(), pic->BitCount());
    EXPECT_EQ(ColoursOf(back), ColoursOf(*pic));
    if (pic->BitCount() == 8) {
      EXPECT_EQ(back, *pic);  // indices and all 256 entries
    }
  }
}

TEST_F(BmpFileTest, OtherDepthsAreWrittenAs24Bit) {
  for (int bits : {1, 4, 16, 32}) {
    TDIB pic;
    TColorTable table{};
    table[1] = QuadOf(MakeColor(200, 100, 50));
    pic.SetColorTable(table);
    pic.SetSize(3, 2, bits);
    pic.ScanLine(1)[0] = 0xFF;  // some non-zero pixels at every depth
    WriteBmp(pic, Path("d.bmp"));
    const TDIB back = ReadBmp(Path("d.bmp"));
    EXPECT_EQ(back.BitCount(), 24) << bits;
    EXPECT_EQ(ColoursOf(back), ColoursOf(pic)) << bits;
  }
}

TEST_F(BmpFileTest, WrittenHeaderIsBottomUpUncompressed) {
  const TDIB pic =
      TrueColourPicture(2, 2, [](int x, int y) { return x == 0 && y == 0 ? kRed : 0; });
  WriteBmp(pic, Path("h.bmp"));
  const Bytes f = Load("h.bmp");
  ASSERT_EQ(f.size(), 54u + 16u);
  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(f[22], 2);            // positive height: bottom-up
  EXPECT_EQ(f[30], 0);            // BI_RGB
  EXPECT_EQ(f[54 + 8 + 2], 255);  // top-left pixel is in the last row of the file
}

TEST_F(BmpFileTest, WriteFailureLeavesNoFile) {
  TDIB empty;
  ExpectFileError([&] { WriteBmp(empty, Path("e.bmp")); }, Path("e.bmp"), "picture has no pixels");
  EXPECT_FALSE(std::filesystem::exists(Path("e.bmp")));
  const std::string inMissingFolder = Path("no/such/folder/x.bmp");
  EXPECT_THROW(WriteBmp(TrueColourPicture(1, 1, [](int, int) { return 0u; }), inMissingFolder),
               TFileError);
}

}  // namespace
