// Reading AVI files that other programs wrote (made here with the ffmpeg tool).
#include <gtest/gtest.h>

#include <fstream>

#include "avi_test_util.h"
#include "shared/avi_video.h"

using namespace avitest;

namespace {

constexpr int kW = 48, kH = 32, kFrames = 10;

struct TForeignCase {
  const char* name;
  const char* args;     // ffmpeg encoding options
  const char* encoder;  // must exist in the ffmpeg tool
  int bits;             // what ReadFrame gives
  double tolerance;     // mean difference to ffmpeg's own decoding
};

class AviForeignTest : public TempDirTest, public ::testing::WithParamInterface<TForeignCase> {
 protected:
  // ffmpeg's own decoding of every frame, as 24-bit rows.
  std::vector<std::vector<std::uint8_t>> Reference(const std::string& path) {
    const std::string raw = RunCommand("ffmpeg -v error -i " + Quote(path) +
                                       " -sws_flags neighbor+accurate_rnd+bitexact -f rawvideo "
                                       "-pix_fmt bgr24 -");
    std::vector<std::vector<std::uint8_t>> frames;
    const std::size_t size = kW * kH * 3;
    for (std::size_t at = 0; at + size <= raw.size(); at += size)
      frames.emplace_back(raw.begin() + at, raw.begin() + at + size);
    return frames;
  }
  static double Diff(const TDIB& dib, const std::vector<std::uint8_t>& ref) {
    const TDIB rgb = dib.ToTrueColor();
    double sum = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW * 3; ++x) sum += std::abs(rgb.ScanLine(y)[x] - ref[y * kW * 3 + x]);
    return sum / (kW * kH * 3);
  }
};

INSTANTIATE_TEST_SUITE_P(
    Files, AviForeignTest,
    ::testing::Values(TForeignCase{"bgr24", "-c:v rawvideo -pix_fmt bgr24", "rawvideo", 24, 0},
                      TForeignCase{"pal8", "-c:v rawvideo -pix_fmt pal8", "rawvideo", 8, 0},
                      TForeignCase{"mjpeg", "-c:v mjpeg -q:v 3", "mjpeg", 24, 3},
                      TForeignCase{"h264", "-c:v libx264 -g 4 -pix_fmt yuv420p", "libx264", 24, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(AviForeignTest, FramesReadInOrderAndOutOfOrder) {
  const TForeignCase c = GetParam();
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg missing";
  if (RunCommand("ffmpeg -hide_banner -encoders 2>/dev/null").find(c.encoder) == std::string::npos)
    GTEST_SKIP() << c.encoder << " missing";
  const std::string path = Path("foreign.avi");
  int status = 0;
  RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=s=48x32:r=10:d=1 " + std::string(c.args) +
                 " " + Quote(path),
             &status);
  ASSERT_EQ(status, 0);
  const auto reference = Reference(path);
  ASSERT_EQ(reference.size(), static_cast<std::size_t>(kFrames));

  TVideoWriter reader;
  ASSERT_TRUE(reader.OpenInput(path));
  EXPECT_EQ(reader.InputStart(), 0);
  ASSERT_EQ(reader.InputLength(), kFrames);
  TDIB frame;
  for (int i = 0; i < kFrames; ++i) {
    ASSERT_TRUE(reader.ReadFrame(i, frame)) << i;
    EXPECT_EQ(frame.BitCount(), c.bits);
    EXPECT_LE(Diff(frame, reference[i]), c.tolerance) << "frame " << i;
  }
  for (int i : {7, 2, 3, 9, 0}) {  // backwards, across key frames
    ASSERT_TRUE(reader.ReadFrame(i, frame)) << i;
    EXPECT_LE(Diff(frame, reference[i]), c.tolerance) << "frame " << i << " out of order";
  }
  EXPECT_FALSE(reader.ReadFrame(kFrames, frame));
  EXPECT_FALSE(reader.ReadFrame(-1, frame));
  EXPECT_TRUE(reader.CloseInput());
  EXPECT_FALSE(reader.CloseInput());
}

class AviReaderTest : public TempDirTest {};

// Frame numbers count from the stream's dwStart, as the file's index does.
TEST_F(AviReaderTest, StartFromStreamHeader) {
  const std::string path = Path("start.avi");
  TVideoWriter writer;
  std::vector<TDIB> pictures;
  for (int i = 0; i < 3; ++i) pictures.push_back(MakePicture(16, 8, 24, i));
  ASSERT_TRUE(writer.OpenOutput(&pictures[0], path));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(writer.WriteFrame(pictures[i].Bits(), i));
  ASSERT_TRUE(writer.CloseOutput());
  {
    TRiffFile riff = ReadRiff(path);
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(riff.Find("strh")->offset + 28);
    const char five[4] = {5, 0, 0, 0};
    f.write(five, 4);
  }
  ASSERT_TRUE(writer.OpenInput(path));
  EXPECT_EQ(writer.InputStart(), 5);
  EXPECT_EQ(writer.InputLength(), 3);
  TDIB frame;
  EXPECT_FALSE(writer.ReadFrame(0, frame));
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(writer.ReadFrame(5 + i, frame));
    EXPECT_TRUE(SamePixels(frame, pictures[i])) << i;
  }
}

TEST_F(AviReaderTest, UnreadableFiles) {
  std::ofstream(Path("junk.avi")) << "RIFF\x10\0\0\0AVI LIST";
  TVideoWriter reader;
  for (const std::string& path : {Path("missing.avi"), Path("junk.avi"), dir_.string()}) {
    EXPECT_FALSE(reader.OpenInput(path)) << path;
    EXPECT_EQ(reader.InputLength(), 0);
    TDIB frame;
    EXPECT_FALSE(reader.ReadFrame(0, frame));
  }
  EXPECT_FALSE(reader.CloseInput());
}

// A file cut short keeps the frames that made it to disk readable.
TEST_F(AviReaderTest, TruncatedFile) {
  const std::string path = Path("cut.avi");
  TVideoWriter writer;
  const TDIB picture = MakePicture(16, 8, 8, 0);
  ASSERT_TRUE(writer.OpenOutput(&picture, path));
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(writer.WriteFrame(picture.Bits(), i));
  ASSERT_TRUE(writer.CloseOutput());
  const TRiffFile riff = ReadRiff(path);
  std::filesystem::resize_file(path, riff.Find("00dc", 2)->offset + 10);
  ASSERT_TRUE(writer.OpenInput(path));
  TDIB frame;
  EXPECT_TRUE(writer.ReadFrame(writer.InputStart(), frame));
  EXPECT_TRUE(SamePixels(frame, picture));
  for (std::int64_t i = 1; i < writer.InputLength(); ++i) writer.ReadFrame(i, frame);
  EXPECT_TRUE(writer.CloseInput());
}

}  // namespace
