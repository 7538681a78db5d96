// Damaged files of every format: each reader either decodes or throws TFileError, never anything
// else. Run under the sanitizer build, this also catches reads and writes out of bounds.
#include <gtest/gtest.h>

#include <functional>

#include "bmp_fixture.h"
#include "platform/bmp.h"
#include "platform/gif.h"
#include "platform/jpeg.h"
#include "platform/png.h"
#include "test_support.h"

using namespace testsupport;

namespace {

using Reader = std::function<TDIB(const Bytes&)>;

struct FormatCase {
  const char* name;
  std::function<Bytes()> sample;
  Reader read;
  // Every byte in turn; the quantising decoder costs a few milliseconds per call, so its
  // variant takes the random rounds only (its parsing is the plain decoder's).
  bool everyByte = true;
};

// Test listings show the format's name rather than the case's bytes.
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

TDIB Noise(int w, int h, int colours) {
  Lcg rng(3);
  return TrueColourPicture(w, h, [&](int, int) {
    const int k = static_cast<int>(rng.Next() % colours);
    return MakeColor(k * 37, k * 91, k * 13);
  });
}

Bytes PngSample(int colours) {
  // Written through a file: the PNG writer has no memory form.
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("dw_damaged_" + std::to_string(::getpid()) + ".png"))
                               .string();
  WritePng(Noise(9, 7, colours), path);
  std::ifstream in(path, std::ios::binary);
  Bytes bytes((std::istreambuf_iterator<char>(in)), {});
  std::filesystem::remove(path);
  return bytes;
}

Bytes RleSample() {
  BmpLayout s;
  s.width = 6;
  s.height = 4;
  s.compression = 1;
  s.palette = {1, 2, 3, 4};
  s.pixels = {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 1, 6, 2, 0, 0, 2, 3, 0, 1};
  return MakeBmp(s);
}

Bytes GifSample() {
  // 3 x 2, global table of 4, 9-bit codes: clear, 0 1 2 3 0 1, end.
  ByteWriter w;
  w.Text("GIF89a").U16(3).U16(2).U8(0xF1).U8(0).U8(0);
  for (int i = 0; i < 12; ++i) w.U8(i * 20);
  w.U8(0x2C).U16(0).U16(0).U16(3).U16(2).U8(0).U8(8);
  const int codes[] = {256, 0, 1, 2, 3, 0, 1, 257};
  Bytes packed;
  std::uint32_t acc = 0;
  int bits = 0;
  for (int c : codes) {
    acc |= static_cast<std::uint32_t>(c) << bits;
    for (bits += 9; bits >= 8; bits -= 8, acc >>= 8) packed.push_back(acc & 255);
  }
  if (bits) packed.push_back(acc & 255);
  w.U8(static_cast<unsigned>(packed.size())).Append(packed).U8(0).U8(0x3B);
  return w.Get();
}

std::vector<FormatCase> Formats() {
  const auto bmp = [](const Bytes& b) { return ReadBmpFromMemory(b.data(), b.size(), "d.bmp"); };
  return {
      {"Bmp24", [] { return EncodeBmp(Noise(5, 3, 1000)); }, bmp},
      {"Bmp8", [] { return MakeBmp(SmallIndexedBmp()); }, bmp},
      {"BmpRle8", RleSample, bmp},
      {"Jpeg", [] { return EncodeJpeg(Noise(16, 16, 1000), 70); },
       [](const Bytes& b) { return ReadJpegFromMemory(b.data(), b.size(), "d.jpg"); }},
      {"JpegQuantised", [] { return EncodeJpeg(Noise(16, 16, 1000), 70); },
       [](const Bytes& b) { return ReadJpegFromMemory(b.data(), b.size(), "d.jpg", true); }, false},
      {"PngPalette", [] { return PngSample(5); },
       [](const Bytes& b) { return ReadPngFromMemory(b.data(), b.size(), "d.png"); }},
      {"PngRgb", [] { return PngSample(1000); },
       [](const Bytes& b) { return ReadPngFromMemory(b.data(), b.size(), "d.png"); }},
      {"Gif", GifSample,
       [](const Bytes& b) { return ReadGifFromMemory(b.data(), b.size(), "d.gif"); }},
  };
}

class DamagedInputTest : public ::testing::TestWithParam<FormatCase> {
 protected:
  // Decodes or throws TFileError; anything else fails the test.
  void Survives(const Bytes& file, const std::string& what) {
    try {
      const TDIB dib = GetParam().read(file);
      EXPECT_FALSE(dib.Empty()) << what;
    } catch (const TFileError&) {
    } catch (const std::exception& e) {
      ADD_FAILURE() << what << ": " << e.what();
    }
  }
};

TEST_P(DamagedInputTest, SampleDecodes) {
  const Bytes file = GetParam().sample();
  EXPECT_NO_THROW(GetParam().read(file));
}

// Every byte in turn, for the formats whose parsers differ.
class DamagedEveryByteTest : public DamagedInputTest {};

TEST_P(DamagedEveryByteTest, EveryByteSetToTelltaleValues) {
  const Bytes good = GetParam().sample();
  for (std::size_t i = 0; i < good.size(); ++i)
    for (std::uint8_t v : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      Bytes bad = good;
      bad[i] = v;
      Survives(bad, "byte " + std::to_string(i) + " = " + std::to_string(v));
    }
}

TEST_P(DamagedInputTest, RandomDamage) {
  const Bytes good = GetParam().sample();
  Lcg rng(99);
  for (int round = 0; round < 300; ++round) {
    Bytes bad = good;
    const int hits = 1 + static_cast<int>(rng.Next() % 8);
    for (int k = 0; k < hits; ++k)
      bad[rng.Next() % bad.size()] = static_cast<std::uint8_t>(rng.Next());
    if (rng.Next() % 4 == 0) bad.resize(rng.Next() % bad.size());
    Survives(bad, "round " + std::to_string(round));
  }
}

std::vector<FormatCase> EveryByteFormats() {
  std::vector<FormatCase> cases;
  for (const auto& c : Formats())
    if (c.everyByte) cases.push_back(c);
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Formats, DamagedInputTest, ::testing::ValuesIn(Formats()),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Formats, DamagedEveryByteTest, ::testing::ValuesIn(EveryByteFormats()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
