#include "shared/compress_options.h"

#include <gtest/gtest.h>

#include <fstream>

#include "avi_test_util.h"
#include "platform/ini_file.h"
#include "shared/video_codecs.h"

using namespace avitest;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Le32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class CodecStateTest : public TempDirTest {
 protected:
  void Write(const Bytes& bytes) {
    std::ofstream(Path("comprd1.dat"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
};

TEST_F(CodecStateTest, ReadRules) {
  const Bytes fmt = {1, 2, 3}, parms = {9, 8, 7, 6, 5};
  struct Case {
    const char* name;
    Bytes file;
    TCodecBlocks expected;
  } cases[] = {
      {"empty file", {}, {}},
      {"three bytes", {3, 0, 0}, {}},
      {"count 0 only: no parameter count", Le32(0), {}},
      {"both empty", Cat({Le32(0), Le32(0)}), {}},
      {"both blocks", Cat({Le32(3), fmt, Le32(5), parms}), {fmt, parms}},
      {"parameters only", Cat({Le32(0), Le32(5), parms}), {{}, parms}},
      {"short format block", Cat({Le32(4), fmt}), {}},
      {"missing parameter count", Cat({Le32(3), fmt}), {fmt, {}}},
      {"short parameter count", Cat({Le32(3), fmt, {5, 0}}), {fmt, {}}},
      {"short parameter block", Cat({Le32(3), fmt, Le32(6), parms}), {fmt, {}}},
      {"huge format count", Cat({Le32(0x7fffffff), fmt}), {}},
      {"negative format count", Cat({Le32(-3), fmt}), {}},
      {"negative parameter count", Cat({Le32(3), fmt, Le32(-1), parms}), {}},
      {"trailing bytes ignored", Cat({Le32(3), fmt, Le32(5), parms, {1, 2}}), {fmt, parms}},
  };
  for (const Case& c : cases) {
    Write(c.file);
    EXPECT_EQ(ReadCodecState(Path("comprd1.dat")), c.expected) << c.name;
  }
  EXPECT_EQ(ReadCodecState(Path("missing.dat")), TCodecBlocks{});
  EXPECT_EQ(ReadCodecState(dir_.string()), TCodecBlocks{}) << "a folder reads as nothing";
}

TEST_F(CodecStateTest, WriteLayout) {
  ASSERT_TRUE(WriteCodecState(Path("comprd2.dat"), {{1, 2, 3}, {4}}));
  std::ifstream in(Path("comprd2.dat"), std::ios::binary);
  const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, Cat({Le32(3), {1, 2, 3}, Le32(1), {4}}));
  EXPECT_FALSE(WriteCodecState(Path("missing/comprd2.dat"), {}));
}

// What the dialog saves at destruction is what the next dialog loads at creation.
TEST_F(CodecStateTest, OptionsSurviveARestart) {
  TCompressOptions saved;
  saved.fccHandler = MakeFourCC('F', 'F', 'V', '1');
  saved.dwKeyFrameEvery = 15;
  saved.dwQuality = 7500;
  saved.dwBytesPerSecond = 300000;
  saved.dwFlags = kCompressKeyFrames | kCompressDataRate;
  saved.dwInterleaveEvery = 2;
  saved.format = MakeCodecFormat(saved.fccHandler, 64, 48);
  saved.parms = MakeCodecParms(saved.fccHandler, 0);
  {
    TIniFile ini(Path("Dotweave.cfg"));
    SaveCompressOptions(ini, Path("comprd1.dat"), saved);
  }
  TIniFile ini(Path("Dotweave.cfg"));
  EXPECT_EQ(LoadCompressOptions(ini, Path("comprd1.dat")), saved);
  EXPECT_EQ(ini.ReadString("Video", "fccHandler", ""), "827737670") << "signed decimal";

  // Without the codec-state file the options come from the six keys alone.
  std::filesystem::remove(Path("comprd1.dat"));
  const TCompressOptions keysOnly = LoadCompressOptions(ini, Path("comprd1.dat"));
  EXPECT_EQ(keysOnly.fccHandler, saved.fccHandler);
  EXPECT_EQ(keysOnly.dwQuality, 7500);
  EXPECT_TRUE(keysOnly.format.empty() && keysOnly.parms.empty());
}

TEST_F(CodecStateTest, MissingSettingsGiveDefaults) {
  TIniFile ini(Path("none.cfg"));
  EXPECT_EQ(LoadCompressOptions(ini, Path("none.dat")), TCompressOptions{});
}

TEST(CodecOptions, QualityKeyFramesAndDataRate) {
  const TVideoCodec* h264 = nullptr;
  for (const TVideoCodec& c : KnownCodecs())
    if (c.fourcc == MakeFourCC('H', '2', '6', '4')) h264 = &c;
  ASSERT_NE(h264, nullptr);
  TCompressOptions o;
  o.dwQuality = 10000;
  o.dwKeyFrameEvery = 10;
  TEncoderSettings s = MapCompressOptions(*h264, o);
  EXPECT_EQ(s.gopSize, 0) << "key frames only when their flag is set";
  EXPECT_EQ(s.qscale, 1);
  EXPECT_EQ(s.crf, 0);
  o.dwFlags = kCompressKeyFrames | kCompressDataRate;
  o.dwBytesPerSecond = 1000;
  s = MapCompressOptions(*h264, o);
  EXPECT_EQ(s.gopSize, 10);
  EXPECT_EQ(s.bitRate, 8000);
  EXPECT_EQ(s.crf, -1) << "a data rate replaces the quality";
  o.dwFlags = 0;
  o.dwQuality = 0;
  s = MapCompressOptions(*h264, o);
  EXPECT_EQ(s.qscale, 0);
  EXPECT_EQ(s.crf, -1) << "quality 0 keeps the encoder's default";
}

TEST(CodecOptions, ParameterBlockBelongsToItsCodec) {
  const std::uint32_t h264 = MakeFourCC('H', '2', '6', '4');
  EXPECT_EQ(PresetFromParms(MakeCodecParms(h264, 3), h264), 3);
  EXPECT_EQ(PresetFromParms(MakeCodecParms(h264, 3), MakeFourCC('X', '2', '6', '4')), 0);
  EXPECT_EQ(PresetFromParms({1, 2, 3}, h264), 0);
  EXPECT_EQ(PresetFromParms(MakeCodecParms(h264, 99), h264), 0);
}

}  // namespace
