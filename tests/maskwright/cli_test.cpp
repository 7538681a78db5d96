// maskwright-cli run as a user would: exit status, the one error line, and the files written.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "maskwright/core/model_3ds_writer.h"
#include "maskwright/core/rasterizer.h"
#include "maskwright/core/reader_3ds.h"
#include "platform/bmp.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

struct TRun {
  int status = -1;
  std::string out, err;
};

class CliTest : public ::testing::Test {
 protected:
  TRun Run(const std::string& args) {
    // New files each run: re-truncating the same ones makes ext4 flush them on close.
    const std::string n = std::to_string(runs_++);
    const std::string out = dir_.File("stdout" + n), err = dir_.File("stderr" + n);
    const std::string cmd =
        std::string("'") + MASKWRIGHT_CLI + "' " + args + " >'" + out + "' 2>'" + err + "'";
    TRun r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  std::string Torus() { return dir_.Write("torus.3ds", Encode3DS(MakeTorus(3, 1.2f, 24, 12))); }
  static double DifferingShare(const TDIB& a, const TDIB& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return 1.0;
    long differing = 0;
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x) differing += a.ScanLine(y)[x] != b.ScanLine(y)[x];
    return static_cast<double>(differing) / (a.Width() * a.Height());
  }

  TTempDir dir_;
  int runs_ = 0;
};

TEST_F(CliTest, RenderWritesTheMaskTheCoreDraws) {
  const std::string model = Torus(), mask = dir_.File("mask.bmp");
  const TRun r = Run("render '" + model + "' -o '" + mask + "' --size 200x150 --rotate 1,0,0");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const TDIB written = ReadBmp(mask);
  EXPECT_EQ(written.BitCount(), 8);
  EXPECT_EQ(written.ColorTable(), GreyRamp());

  TMaskCore core;
  TQuietMaskHost host;
  ASSERT_TRUE(LoadModel(core, host, model));
  CaptureLoadedModel(core);
  core.View.ModelFrame->SetRotation(1, 0, 0, 0.05f);
  core.View.Scene.Move(1.0);
  core.PicWidth = 200;
  core.PicHeight = 150;
  RenderObject(core, host);
  EXPECT_TRUE(written == core.Mask);
}

TEST_F(CliTest, TurnAndTurnBackGiveTheUnturnedMask) {
  const std::string model = Torus();
  ASSERT_EQ(Run("render " + model + " -o " + dir_.File("a.bmp") + " --size 160x120").status, 0);
  ASSERT_EQ(Run("render " + model + " -o " + dir_.File("b.bmp") +
                " --size=160x120 --rotate 0,1,1 --move 0,0,3 --rotate 0,-1,-1 --move=0,0,-3")
                .status,
            0);
  EXPECT_LT(DifferingShare(ReadBmp(dir_.File("a.bmp")), ReadBmp(dir_.File("b.bmp"))), 0.005);
}

TEST_F(CliTest, ExportedTurnReturnsToTheStartingView) {
  const std::string model = Torus();
  const TRun turn = Run("export " + model + " -o " + dir_.File("turn.bmp") +
                        " --size 160x120 --frames 60 --progress");
  ASSERT_EQ(turn.status, 0) << turn.err;
  EXPECT_NE(turn.err.find("100%"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_.File("turn.bmp0059.bmp")));
  EXPECT_FALSE(fs::exists(dir_.File("turn.bmp0060.bmp")));
  ASSERT_EQ(Run("export " + model + " -o " + dir_.File("still.bmp") +
                " --size 160x120 --frames 2 --turns 0,0,0 --scale-by xz")
                .status,
            0);
  const TDIB start = ReadBmp(dir_.File("still.bmp0000.bmp"));
  EXPECT_LT(DifferingShare(ReadBmp(dir_.File("turn.bmp0059.bmp")), start), 0.005);
  EXPECT_TRUE(ReadBmp(dir_.File("still.bmp0001.bmp")) == start);
  // Half way round a torus about its vertical axis looks alike; a quarter about x does not.
  ASSERT_EQ(Run("export " + model + " -o " + dir_.File("x.bmp") +
                " --size 160x120 --frames 4 --turns 1,0,0 --scale-by xyz")
                .status,
            0);
  EXPECT_GT(DifferingShare(ReadBmp(dir_.File("x.bmp0000.bmp")), start), 0.05);
}

TEST_F(CliTest, UnreadableInputAndOutputGiveOneLineAndStatus1) {
  const std::string good = Encode3DS({MakeSteppedPyramid(2)});
  std::string corrupt = Encode3DS({});  // an editor, then a vertex list that runs off the end
  corrupt += chunk3ds::Chunk(
      0x4000, std::string("o\0", 2) + chunk3ds::Chunk(0x4100, chunk3ds::Chunk(0x4110, "\x30")));
  const auto size = static_cast<std::uint32_t>(corrupt.size());
  std::memcpy(corrupt.data() + 2, &size, 4);
  const struct {
    const char* what;
    std::string model;
    std::string output;
    const char* reason;
  } cases[] = {
      {"missing", dir_.File("none.3ds"), dir_.File("o.bmp"), "none.3ds: file not found"},
      {"truncated", dir_.Write("cut.3ds", good.substr(0, good.size() / 2)), dir_.File("o.bmp"),
       "cut.3ds: Error parsing 3DS file"},
      {"corrupt", dir_.Write("bad.3ds", corrupt), dir_.File("o.bmp"),
       "bad.3ds: Error parsing 3DS file"},
      {"empty", dir_.Write("empty.3ds", ""), dir_.File("o.bmp"), "empty.3ds: empty file"},
      {"wrong type", dir_.Write("model.obj", good), dir_.File("o.bmp"),
       "model.obj: Unsupported input file type"},
      {"folder missing", dir_.Write("ok.3ds", good), dir_.File("no/such/o.bmp"), "o.bmp: "},
      {"output is a folder", dir_.Write("ok.3ds", good), dir_.File(""), ": "},
  };
  for (const auto& c : cases) {
    const TRun r = Run("render '" + c.model + "' -o '" + c.output + "' --size 100x100");
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.what << ": " << r.err;
    EXPECT_FALSE(fs::exists(dir_.File("o.bmp"))) << c.what;
  }
}

TEST_F(CliTest, UsageErrorsGiveStatus2) {
  const std::string m = Torus(), o = dir_.File("o.bmp");
  const std::string cases[] = {
      "",
      "draw " + m + " -o " + o,
      "render " + m,
      "render -o " + o,
      "render " + m + " " + m + " -o " + o,
      "render " + m + " -o " + o + " --size 99x100",
      "render " + m + " -o " + o + " --size 640",
      "render " + m + " -o " + o + " --rotate 1,2",
      "render " + m + " -o " + o + " --move 1,x,2",
      "render " + m + " -o " + o + " --frames 10",
      "render " + m + " -o " + o + " --bogus",
      "render " + m + " -o",
      "export " + m + " -o " + o + " --frames 1",
      "export " + m + " -o " + o + " --turns 0,101,0",
      "export " + m + " -o " + o + " --scale-by xw",
      "export " + m + " -o " + o + " --rotate 1,0,0",
      "export " + m + " -o " + dir_.File("o.png"),
      "render " + m + " -o " + o + " --fps 10",
      "export " + m + " -o " + dir_.File("o.avi") + " --codec FFV",
  };
  for (const std::string& args : cases) {
    const TRun r = Run(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("usage: maskwright-cli"), std::string::npos) << args;
    EXPECT_FALSE(fs::exists(o)) << args;
  }
}

TEST_F(CliTest, HelpNamesEveryOption) {
  const TRun r = Run("--help");
  EXPECT_EQ(r.status, 0);
  for (const char* option : {"render", "export", "-o", "--size", "--rotate", "--move", "--frames",
                             "--turns", "--scale-by", "--fps", "--codec", "--progress", "--help"})
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

}  // namespace
