#include "platform/gif.h"

#include <gtest/gtest.h>

#include "test_support.h"

using namespace testsupport;

namespace {

// A one-image GIF written byte by byte. The image data uses 9-bit LZW codes without ever
// growing the table (a clear code every 200 pixels), which any decoder reads.
struct GifLayout {
  int screenW = 2, screenH = 2;
  std::vector<TColor> global;  // empty: no global table
  int background = 0;
  int left = 0, top = 0, w = 2, h = 2;
  bool interlace = false;
  std::vector<TColor> local;
  std::vector<int> pixels;  // image rows top-down
  bool extension = false;
  bool image = true;
};

void PutTable(ByteWriter& out, const std::vector<TColor>& table) {
  std::size_t n = 2;
  while (n < table.size()) n *= 2;
  for (std::size_t i = 0; i < n; ++i) {
    const TColor c = i < table.size() ? table[i] : 0;
    out.U8(ColorR(c)).U8(ColorG(c)).U8(ColorB(c));
  }
}

int SizeField(const std::vector<TColor>& table) {
  int k = 0;
  while ((2u << k) < table.size()) ++k;
  return k;
}

Bytes Lzw(const std::vector<int>& codes) {
  Bytes packed;
  std::uint32_t acc = 0;
  int bits = 0;
  auto put = [&](int code) {
    acc |= static_cast<std::uint32_t>(code) << bits;
    for (bits += 9; bits >= 8; bits -= 8, acc >>= 8) packed.push_back(acc & 255);
  };
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (i % 200 == 0) put(256);
    put(codes[i]);
  }
  put(257);
  if (bits > 0) packed.push_back(acc & 255);
  return packed;
}

std::vector<int> StoredOrder(const GifLayout& s) {
  std::vector<int> rows;
  if (!s.interlace) {
    for (int y = 0; y < s.h; ++y) rows.push_back(y);
  } else {
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p)
      for (int y = start[p]; y < s.h; y += step[p]) rows.push_back(y);
  }
  std::vector<int> out;
  for (int y : rows)
    for (int x = 0; x < s.w; ++x) out.push_back(s.pixels[static_cast<std::size_t>(y * s.w + x)]);
  return out;
}

Bytes MakeGif(const GifLayout& s) {
  ByteWriter out;
  out.Text("GIF89a").U16(static_cast<unsigned>(s.screenW)).U16(static_cast<unsigned>(s.screenH));
  out.U8(s.global.empty() ? 0 : (0x80 | 0x70 | SizeField(s.global))).U8(s.background).U8(0);
  if (!s.global.empty()) PutTable(out, s.global);
  if (s.extension) out.U8(0x21).U8(0xF9).U8(4).U8(0).U16(10).U8(0).U8(0);
  if (s.image) {
    out.U8(0x2C).U16(static_cast<unsigned>(s.left)).U16(static_cast<unsigned>(s.top));
    out.U16(static_cast<unsigned>(s.w)).U16(static_cast<unsigned>(s.h));
    out.U8((s.local.empty() ? 0 : (0x80 | SizeField(s.local))) | (s.interlace ? 0x40 : 0));
    if (!s.local.empty()) PutTable(out, s.local);
    out.U8(8);
    const Bytes data = Lzw(StoredOrder(s));
    for (std::size_t i = 0; i < data.size(); i += 255) {
      const std::size_t n = std::min<std::size_t>(255, data.size() - i);
      out.U8(static_cast<unsigned>(n))
          .Append(
              Bytes(data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(i + n)));
    }
    out.U8(0);
  }
  out.U8(0x3B);
  return out.Get();
}

constexpr TColor kRed = MakeColor(255, 0, 0), kGreen = MakeColor(0, 255, 0),
                 kBlue = MakeColor(0, 0, 255), kBlack = 0, kTeal = MakeColor(0, 128, 128),
                 kPink = MakeColor(255, 150, 150);

std::vector<TColor> Ramp(int n) {
  std::vector<TColor> t;
  for (int i = 0; i < n; ++i) t.push_back(MakeColor(i * 10, 255 - i * 10, i));
  return t;
}

struct DrawCase {
  const char* name;
  GifLayout layout;
  std::vector<std::vector<TColor>> expected;
  std::vector<TColor> table;  // expected first entries of the colour table; the rest zero
};

GifLayout Layout(const std::function<void(GifLayout&)>& f) {
  GifLayout s;
  s.global = {kRed, kGreen, kBlue, kBlack};
  s.pixels = {0, 1, 2, 3};
  f(s);
  return s;
}

std::vector<DrawCase> DrawCases() {
  const std::vector<TColor> rgbk = {kRed, kGreen, kBlue, kBlack};
  std::vector<std::vector<TColor>> tenRows;
  for (int y = 0; y < 10; ++y) tenRows.push_back({Ramp(16)[y]});
  return {
      {"Plain", Layout([](GifLayout&) {}), {{kRed, kGreen}, {kBlue, kBlack}}, rgbk},
      {"OffsetOnBackground",
       Layout([](GifLayout& s) {
         s.screenW = 4, s.screenH = 3, s.background = 2;
         s.left = 1, s.top = 1, s.w = 2, s.h = 1, s.pixels = {0, 1};
       }),
       {{kBlue, kBlue, kBlue, kBlue}, {kBlue, kRed, kGreen, kBlue}, {kBlue, kBlue, kBlue, kBlue}},
       rgbk},
      {"Interlaced", Layout([](GifLayout& s) {
         s.global = Ramp(16), s.screenW = 1, s.screenH = 10, s.w = 1, s.h = 10;
         s.interlace = true, s.pixels = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
       }),
       tenRows, Ramp(16)},
      {"LocalTableOnly",
       Layout([](GifLayout& s) {
         s.global.clear(), s.local = {kTeal, kPink}, s.w = 2, s.h = 1, s.screenH = 1;
         s.pixels = {1, 0};
       }),
       {{kPink, kTeal}},
       {kTeal, kPink}},
      {"LocalTableDrawsButGlobalIsTheTable",
       Layout([](GifLayout& s) {
         s.local = {kTeal, kPink}, s.w = 2, s.h = 1, s.screenH = 1, s.pixels = {1, 0};
       }),
       {{kPink, kTeal}},
       rgbk},
      {"ImageReachingPastTheScreen",
       Layout([](GifLayout& s) {
         s.left = 1, s.top = 1, s.w = 3, s.h = 3, s.background = 3;
         s.pixels = {1, 2, 2, 2, 2, 2, 2, 2, 2};
       }),
       {{kBlack, kBlack}, {kBlack, kGreen}},
       rgbk},
      {"IndicesPastTheMap",
       Layout([](GifLayout& s) {
         s.global = {kRed, kGreen}, s.w = 2, s.h = 1, s.screenH = 1, s.pixels = {200, 1};
       }),
       {{kBlack, kGreen}},
       {kRed, kGreen}},
      {"ZeroScreenTakesTheImageExtent",
       Layout([](GifLayout& s) {
         s.screenW = s.screenH = 0, s.left = 1, s.w = 1, s.h = 1, s.pixels = {2};
       }),
       {{kRed, kBlue}},
       rgbk},
      {"ExtensionBeforeTheImage",
       Layout([](GifLayout& s) { s.extension = true; }),
       {{kRed, kGreen}, {kBlue, kBlack}},
       rgbk},
  };
}

class GifDrawTest : public TempDirTest, public ::testing::WithParamInterface<DrawCase> {};

TEST_P(GifDrawTest, FirstImageOnTheScreen) {
  const DrawCase& c = GetParam();
  const TDIB dib = ReadGif(Save("in.gif", MakeGif(c.layout)));
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(ColoursOf(dib), c.expected);
  for (std::size_t i = 0; i < 256; ++i) {
    const TColor want = i < c.table.size() ? c.table[i] : 0;
    EXPECT_EQ(ColorOf(dib.ColorTable()[i]), want) << "entry " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Pictures, GifDrawTest, ::testing::ValuesIn(DrawCases()),
                         [](const auto& info) { return std::string(info.param.name); });

using GifFileTest = TempDirTest;

TEST_F(GifFileTest, BadFilesGiveOneClearError) {
  const std::vector<BadFile> cases = {
      {"empty", {}, "empty file"},
      {"bmp", {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, "GIF"},
      {"noImage", MakeGif(Layout([](GifLayout& s) { s.image = false; })), "no picture"},
      {"hugeImage", MakeGif(Layout([](GifLayout& s) {
         s.w = 40000;
         s.h = 1;
         s.pixels.assign(40000, 0);
       })),
       "picture too large"},
      {"nothing", MakeGif(Layout([](GifLayout& s) { s.screenW = s.screenH = s.w = s.h = 0; })),
       "picture has no pixels"},
  };
  ExpectBadFiles(cases, ".gif", {[](const std::string& f) { ReadGif(f); }});
}

TEST_F(GifFileTest, TruncationBeforeTheImageEndsIsAnError) {
  for (bool interlace : {false, true}) {
    const Bytes full = MakeGif(Layout([&](GifLayout& s) {
      s.global = Ramp(16), s.w = s.screenW = 7, s.h = s.screenH = 9, s.interlace = interlace;
      s.pixels.assign(63, 5);
    }));
    for (std::size_t n = 0; n + 1 < full.size(); ++n) {
      EXPECT_THROW(ReadGifFromMemory(full.data(), n, "cut.gif"), TFileError) << "cut at " << n;
    }
    // Only the trailer missing: the image itself is whole.
    const std::string path = Save("cut.gif", Bytes(full.begin(), full.end() - 1));
    EXPECT_EQ(ReadGif(path).PixelColor(6, 8), Ramp(16)[5]);
  }
}

}  // namespace
