#include "shared/avi_video.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <fstream>

#include "avi_test_util.h"
#include "shared/video_codecs.h"

using namespace avitest;

namespace {

class AviVideoTest : public TempDirTest {
 protected:
  // Writes `frames` pictures of that kind; they are kept in `written_`.
  bool WriteFile(const std::string& path, int width, int height, int bits, int frames,
                 std::uint32_t codec = 0) {
    TVideoWriter writer;
    TCompressOptions options;
    options.fccHandler = codec;
    writer.SetCompressOptions(options);
    writer.SetFrameRate(7);
    written_.clear();
    for (int i = 0; i < frames; ++i) written_.push_back(MakePicture(width, height, bits, i));
    if (!writer.OpenOutput(&written_[0], path)) return false;
    usedCodec_ = writer.OutputCodec();
    for (int i = 0; i < frames; ++i)
      if (!writer.WriteFrame(written_[i].Bits(), i)) return false;
    return writer.CloseOutput();
  }
  std::vector<TDIB> ReadAll(const std::string& path) {
    TVideoWriter reader;
    std::vector<TDIB> frames;
    if (!reader.OpenInput(path)) return frames;
    for (std::int64_t i = 0; i < reader.InputLength(); ++i) {
      TDIB dib;
      if (!reader.ReadFrame(reader.InputStart() + i, dib)) break;
      frames.push_back(dib);
    }
    EXPECT_TRUE(reader.CloseInput());
    return frames;
  }

  std::vector<TDIB> written_;
  std::uint32_t usedCodec_ = 0;
};

struct TRawCase {
  int width, height, bits;
};

class AviRawTest : public AviVideoTest, public ::testing::WithParamInterface<TRawCase> {};

// Odd widths exercise the row padding, which the file stores exactly as a DIB does.
INSTANTIATE_TEST_SUITE_P(Sizes, AviRawTest,
                         ::testing::Values(TRawCase{64, 48, 24}, TRawCase{61, 47, 24},
                                           TRawCase{64, 48, 8}, TRawCase{13, 9, 8}));

TEST_P(AviRawTest, UncompressedFramesReadBackExactly) {
  const TRawCase c = GetParam();
  const std::string path = Path("raw.avi");
  ASSERT_TRUE(WriteFile(path, c.width, c.height, c.bits, 4));
  EXPECT_EQ(usedCodec_, 0u);
  const std::vector<TDIB> frames = ReadAll(path);
  ASSERT_EQ(frames.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(SamePixels(frames[i], written_[i])) << "frame " << i;
    // The stream palette is the first picture's table, in every frame.
    if (c.bits == 8) {
      EXPECT_EQ(frames[i].ColorTable(), written_[0].ColorTable()) << i;
    }
  }
}

TEST_P(AviRawTest, RiffHeaders) {
  const TRawCase c = GetParam();
  const std::string path = Path("layout.avi");
  ASSERT_TRUE(WriteFile(path, c.width, c.height, c.bits, 3));
  const TRiffFile riff = ReadRiff(path);
  ASSERT_NE(riff.Find("RIFF:AVI "), nullptr);
  ASSERT_EQ(riff.Count("strh"), 1) << "exactly one stream";
  const TRiffChunk* strh = riff.Find("strh");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&riff.bytes[strh->offset]), 4), "vids");
  EXPECT_EQ(riff.U32(strh->offset + 20), 1u) << "dwScale";
  EXPECT_EQ(riff.U32(strh->offset + 24), 7u) << "dwRate";
  EXPECT_EQ(riff.U32(strh->offset + 28), 0u) << "dwStart";
  EXPECT_EQ(riff.U32(strh->offset + 32), 3u) << "dwLength";

  const TRiffChunk* strn = riff.Find("strn");
  ASSERT_NE(strn, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(&riff.bytes[strn->offset]), "Deepix video");

  const TRiffChunk* strf = riff.Find("strf");
  ASSERT_NE(strf, nullptr);
  const std::uint32_t bi = strf->offset;
  EXPECT_EQ(riff.I32(bi + 4), c.width);
  EXPECT_EQ(riff.I32(bi + 8), c.height) << "positive: bottom-up rows";
  EXPECT_EQ(riff.U16(bi + 14), c.bits);
  EXPECT_EQ(riff.U32(bi + 16), 0u) << "BI_RGB";
  if (c.bits == 8) {
    EXPECT_EQ(riff.U32(bi + 32), 256u) << "biClrUsed";
    ASSERT_GE(strf->size, 40u + 1024u);
    for (int i = 0; i < 256; ++i) {
      const TRGBQuad& q = written_[0].ColorTable()[i];
      const std::uint8_t* p = &riff.bytes[bi + 40 + 4 * i];
      EXPECT_TRUE(p[0] == q.rgbBlue && p[1] == q.rgbGreen && p[2] == q.rgbRed) << "entry " << i;
    }
  }
}

TEST_P(AviRawTest, RiffFramesAndIndex) {
  const TRawCase c = GetParam();
  const std::string path = Path("frames.avi");
  ASSERT_TRUE(WriteFile(path, c.width, c.height, c.bits, 3));
  const TRiffFile riff = ReadRiff(path);
  // The first stored row is the bottom one.
  const std::uint32_t stride = ((c.width * c.bits + 31) / 32) * 4;
  // FFmpeg's muxer names every video chunk "dc"; readers accept both names.
  const std::string chunk = riff.Find("00db") ? "00db" : "00dc";
  const TRiffChunk* frame = riff.Find(chunk);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->size, stride * c.height);
  EXPECT_EQ(std::memcmp(&riff.bytes[frame->offset], written_[0].ScanLine(c.height - 1),
                        c.width * c.bits / 8),
            0);
  EXPECT_EQ(riff.Count(chunk), 3);
  const TRiffChunk* idx1 = riff.Find("idx1");
  ASSERT_NE(idx1, nullptr);
  ASSERT_EQ(idx1->size, 3u * 16u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(riff.U32(idx1->offset + 16 * i + 4) & 0x10u, 0x10u) << "key frame flag " << i;
}

// Depths without a stream format of their own are stored as 24-bit frames.
TEST_F(AviVideoTest, OtherDepthsBecomeTrueColor) {
  for (int bits : {1, 4, 16, 32}) {
    const std::string path = Path("depth.avi");
    ASSERT_TRUE(WriteFile(path, 21, 11, bits, 2)) << bits;
    const std::vector<TDIB> frames = ReadAll(path);
    ASSERT_EQ(frames.size(), 2u) << bits;
    for (int i = 0; i < 2; ++i) {
      TDIB indexed = written_[i];
      indexed.SetColorTable(written_[0].ColorTable());
      EXPECT_TRUE(SamePixels(frames[i], indexed.ToTrueColor())) << bits << " bits, frame " << i;
    }
  }
}

TEST_F(AviVideoTest, FfprobeAgreesOnFramesAndRate) {
  if (!HaveTool("ffprobe")) GTEST_SKIP() << "ffprobe missing";
  struct Case {
    int bits;
    std::uint32_t codec;
  } cases[] = {{24, 0}, {8, 0}, {24, MakeFourCC('F', 'F', 'V', '1')}};
  for (const Case& c : cases) {
    const std::string path = Path("probe.avi");
    ASSERT_TRUE(WriteFile(path, 32, 24, c.bits, 5, c.codec));
    int status = 0;
    const std::string out = RunCommand(
        "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
        "stream=nb_read_frames,r_frame_rate,width,height -of csv=p=0 " +
            Quote(path),
        &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "32,24,7/1,5\n") << "bits " << c.bits << " codec " << FourCCText(c.codec);
  }
}

// Every codec we offer, from a 24-bit and from an 8-bit picture (converted to true colour).
class AviCodecTest : public AviVideoTest,
                     public ::testing::WithParamInterface<std::tuple<TVideoCodec, int>> {};

INSTANTIATE_TEST_SUITE_P(Codecs, AviCodecTest,
                         ::testing::Combine(::testing::ValuesIn(KnownCodecs()),
                                            ::testing::Values(24, 8)),
                         [](const auto& info) {
                           return FourCCText(std::get<0>(info.param).fourcc) + "_" +
                                  std::to_string(std::get<1>(info.param));
                         });

TEST_P(AviCodecTest, RoundTrip) {
  const auto [codec, bits] = GetParam();
  if (!FindAvailableCodec(codec.fourcc)) GTEST_SKIP() << codec.encoder << " not built in";
  const std::string path = Path("codec.avi");
  ASSERT_TRUE(WriteFile(path, 64, 48, bits, 5, codec.fourcc));
  EXPECT_EQ(usedCodec_, codec.fourcc) << "fell back to uncompressed";
  const TRiffFile riff = ReadRiff(path);
  ASSERT_NE(riff.Find("strh"), nullptr);
  EXPECT_EQ(riff.U32(riff.Find("strh")->offset + 4), codec.fourcc) << "fccHandler";
  const std::vector<TDIB> frames = ReadAll(path);
  ASSERT_EQ(frames.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(frames[i].BitCount(), 24);
    // 8-bit frames go through the colour table the picture had at opening.
    TDIB indexed = written_[i];
    indexed.SetColorTable(written_[0].ColorTable());
    const TDIB expected = indexed.ToTrueColor();
    if (codec.kind == TCodecKind::kLossless)
      EXPECT_TRUE(SamePixels(frames[i], expected)) << "frame " << i;
    else
      EXPECT_LT(MeanAbsDiff(frames[i], expected), 12.0) << "frame " << i;
  }
}

// Key-frame interval and quality reach the encoder: the file's index and size show them.
class AviOptionsTest : public AviVideoTest {
 protected:
  TRiffFile Write(std::uint32_t code, std::int32_t quality, std::int32_t keyEvery) {
    TCompressOptions options;
    options.fccHandler = code;
    options.dwQuality = quality;
    options.dwKeyFrameEvery = keyEvery;
    options.dwFlags = kCompressKeyFrames;
    TVideoWriter writer;
    writer.SetCompressOptions(options);
    std::vector<TDIB> pictures;
    for (int i = 0; i < 8; ++i) pictures.push_back(MakePicture(64, 48, 24, i));
    const std::string path = Path("options.avi");
    EXPECT_TRUE(writer.OpenOutput(&pictures[0], path));
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(writer.WriteFrame(pictures[i].Bits(), i));
    EXPECT_TRUE(writer.CloseOutput());
    return ReadRiff(path);
  }
  static std::uint32_t FrameBytes(const TRiffFile& riff) {
    std::uint32_t sum = 0;
    for (const TRiffChunk& c : riff.chunks) sum += c.id == "00dc" ? c.size : 0;
    return sum;
  }
};

TEST_F(AviOptionsTest, KeyFrameInterval) {
  const std::uint32_t mpeg4 = MakeFourCC('F', 'M', 'P', '4');
  if (!FindAvailableCodec(mpeg4)) GTEST_SKIP() << "no MPEG-4 encoder";
  const TRiffFile riff = Write(mpeg4, 9000, 3);
  const TRiffChunk* idx1 = riff.Find("idx1");
  ASSERT_NE(idx1, nullptr);
  ASSERT_EQ(idx1->size, 8u * 16u);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ((riff.U32(idx1->offset + 16 * i + 4) & 0x10u) != 0, i % 3 == 0) << "frame " << i;
}

TEST_F(AviOptionsTest, QualityChangesTheData) {
  for (const char* code : {"FMP4", "MJPG", "H264"}) {
    const std::uint32_t fourcc = MakeFourCC(code[0], code[1], code[2], code[3]);
    if (!FindAvailableCodec(fourcc)) continue;
    const std::uint32_t high = FrameBytes(Write(fourcc, 9000, 0));
    const std::uint32_t low = FrameBytes(Write(fourcc, 500, 0));
    EXPECT_LT(low, high) << code;
  }
}

TEST_F(AviVideoTest, CodecNames) {
  TVideoWriter writer;
  std::string text;
  writer.CodecName(text);
  EXPECT_EQ(text, "UNCOMPRESSED");
  TCompressOptions options;
  options.fccHandler = MakeFourCC('F', 'F', 'V', '1');
  writer.SetCompressOptions(options);
  writer.CodecName(text);
  EXPECT_EQ(text, "FFV1\n\rFFV1 lossless video codec");
  options.fccHandler = MakeFourCC('Z', 'Z', 'Z', 'Z');
  writer.SetCompressOptions(options);
  writer.CodecName(text);
  EXPECT_EQ(text, "UNCOMPRESSED");
}

// A stored code we cannot encode, or a size the codec refuses, still gives a playable file.
TEST_F(AviVideoTest, UnusableCodecWritesUncompressed) {
  struct Case {
    std::uint32_t code;
    int width, height;
  } cases[] = {{MakeFourCC('Z', 'Z', 'Z', 'Z'), 32, 24}, {MakeFourCC('F', 'M', 'P', '4'), 33, 25}};
  for (const Case& c : cases) {
    const std::string path = Path("fallback.avi");
    ASSERT_TRUE(WriteFile(path, c.width, c.height, 24, 2, c.code)) << FourCCText(c.code);
    EXPECT_EQ(usedCodec_, 0u);
    const std::vector<TDIB> frames = ReadAll(path);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(SamePixels(frames[1], written_[1]));
  }
}

TEST_F(AviVideoTest, OpenOutputReplacesOnlyFiles) {
  TVideoWriter writer;
  const std::string path = Path("old.avi");
  std::ofstream(path) << "old";
  EXPECT_FALSE(writer.OpenOutput(nullptr, path));
  EXPECT_TRUE(fs::exists(path)) << "no picture: nothing is touched";
  TDIB empty;
  EXPECT_FALSE(writer.OpenOutput(&empty, path));
  EXPECT_FALSE(fs::exists(path)) << "the old file goes even when creation fails";
  EXPECT_FALSE(writer.WriteFrame(empty.Bits(), 0));
  EXPECT_FALSE(writer.CloseOutput());

  const TDIB picture = MakePicture(8, 8, 24, 0);
  const std::string folder = Path("folder.avi");
  fs::create_directory(folder);
  EXPECT_FALSE(writer.OpenOutput(&picture, folder));
  EXPECT_TRUE(fs::is_directory(folder)) << "a folder of that name is never removed";
}

TEST_F(AviVideoTest, ErrorTextOfUnwritablePlaces) {
  const TDIB picture = MakePicture(8, 8, 24, 0);
  std::ofstream(Path("file")) << "x";
  for (const std::string& path : {Path("missing/out.avi"), Path("file/out.avi")}) {
    TVideoWriter writer;
    std::string text = "unchanged";
    writer.ErrorText(text);
    EXPECT_EQ(text, "unchanged") << "success has no text";
    EXPECT_FALSE(writer.OpenOutput(&picture, path));
    EXPECT_FALSE(writer.WriteFrame(picture.Bits(), 0));
    writer.ErrorText(text);
    EXPECT_EQ(text, "Error opening file") << path;
  }
}

TEST_F(AviVideoTest, FrameWriteRules) {
  const TDIB picture = MakePicture(8, 8, 24, 0);
  TVideoWriter writer;
  ASSERT_TRUE(writer.OpenOutput(&picture, Path("rules.avi")));
  EXPECT_TRUE(writer.WriteFrame(picture.Bits(), 0));
  EXPECT_TRUE(writer.WriteFrame(picture.Bits(), 1));
  std::string text;
  EXPECT_FALSE(writer.WriteFrame(picture.Bits(), 1)) << "a frame index cannot repeat";
  writer.ErrorText(text);
  EXPECT_EQ(text, "Bad parameter");
  EXPECT_FALSE(writer.WriteFrame(nullptr, 2));
  EXPECT_TRUE(writer.WriteFrame(picture.Bits(), 2)) << "a refused frame does not end the file";
  EXPECT_TRUE(writer.CloseOutput());
  EXPECT_FALSE(writer.CloseOutput());
  EXPECT_EQ(ReadAll(Path("rules.avi")).size(), 3u);
}

// A disk that fills up: the file size limit makes every write past it fail with EFBIG.
TEST_F(AviVideoTest, FullDiskIsErrorWritingFile) {
  const std::string path = Path("full.avi");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const TDIB picture = MakePicture(64, 48, 24, 0);
    TVideoWriter writer;
    if (!writer.OpenOutput(&picture, path)) ::_exit(2);
    int i = 0;
    while (i < 100 && writer.WriteFrame(picture.Bits(), i)) ++i;
    std::string text;
    writer.ErrorText(text);
    const bool closed = writer.CloseOutput();
    ::_exit(i < 100 && text == "Error writing file" && !closed ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(AviVideoTest, ZeroFrameRateBecomesOne) {
  TVideoWriter writer;
  writer.SetFrameRate(0);
  const TDIB picture = MakePicture(8, 8, 24, 0);
  ASSERT_TRUE(writer.OpenOutput(&picture, Path("slow.avi")));
  ASSERT_TRUE(writer.WriteFrame(picture.Bits(), 0));
  ASSERT_TRUE(writer.CloseOutput());
  const TRiffFile riff = ReadRiff(Path("slow.avi"));
  ASSERT_NE(riff.Find("strh"), nullptr);
  EXPECT_EQ(riff.U32(riff.Find("strh")->offset + 20), 1u);
  EXPECT_EQ(riff.U32(riff.Find("strh")->offset + 24), 1u);
}

}  // namespace
