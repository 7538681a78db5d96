#include "shared/avi_video.h"

#include <gtest/gtest.h>

#include <cstring>

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

TEST_P(AviRawTest, RiffLayout) {
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
    const std::string out = RunCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                "stream=nb_read_frames,r_frame_rate,width,height -of csv=p=0 " +
                                    Quote(path),
                                &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "32,24,7/1,5\n") << "bits " << c.bits << " codec " << FourCCText(c.codec);
  }
}

}  // namespace
