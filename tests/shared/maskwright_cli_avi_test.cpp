// maskwright-cli export to .avi goes through TVideoWriter.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "avi_test_util.h"
#include "platform/color.h"
#include "shared/avi_video.h"
#include "shared/video_codecs.h"

using namespace avitest;

namespace {

const std::string kCli = DW_BINARY_DIR "/cli/maskwright-cli/maskwright-cli";
const std::string kModel = DW_SOURCE_DIR "/assets/samples/torus.3ds";

class MaskwrightCliAviTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    if (!fs::exists(kCli) || !fs::exists(kModel)) GTEST_SKIP() << "maskwright-cli not built";
  }
  int Export(const std::string& out, const std::string& extra) {
    int status = 0;
    RunCommand(Quote(kCli) + " export " + Quote(kModel) + " -o " + Quote(out) +
                   " --size 120x100 --frames 6 " + extra + " 2>/dev/null",
               &status);
    return WEXITSTATUS(status);
  }
};

TEST_F(MaskwrightCliAviTest, UncompressedDepthMasks) {
  const std::string out = Path("turn.avi");
  ASSERT_EQ(Export(out, "--fps 12 --turns 1,0,0"), 0);
  const TRiffFile riff = ReadRiff(out);
  ASSERT_NE(riff.Find("strh"), nullptr);
  EXPECT_EQ(riff.U32(riff.Find("strh")->offset + 24), 12u) << "dwRate";
  TVideoWriter reader;
  ASSERT_TRUE(reader.OpenInput(out));
  ASSERT_EQ(reader.InputLength(), 6);
  TDIB first, last;
  ASSERT_TRUE(reader.ReadFrame(0, first));
  ASSERT_TRUE(reader.ReadFrame(2, last));
  EXPECT_EQ(first.BitCount(), 8);
  EXPECT_EQ(first.Width(), 120);
  EXPECT_EQ(first.ColorTable(), GreyRamp()) << "depth masks keep their grey table";
  EXPECT_FALSE(SamePixels(first, last)) << "the model turns";
}

TEST_F(MaskwrightCliAviTest, CodecAndErrors) {
  if (FindAvailableCodec(MakeFourCC('F', 'F', 'V', '1'))) {
    ASSERT_EQ(Export(Path("ffv1.avi"), "--codec FFV1"), 0);
    const TRiffFile riff = ReadRiff(Path("ffv1.avi"));
    EXPECT_EQ(riff.U32(riff.Find("strh")->offset + 4), MakeFourCC('F', 'F', 'V', '1'));
  }
  EXPECT_EQ(Export(Path("none.avi"), "--codec ABCD"), 0) << "unknown codecs write uncompressed";
  EXPECT_EQ(Export(Path("missing/out.avi"), ""), 1);
  EXPECT_EQ(Export(Path("bad.avi"), "--codec TOOLONG"), 2);
  EXPECT_EQ(Export(Path("bad.avi"), "--fps 0"), 2);
}

}  // namespace
