#include "engine/pipeline.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "engine/render_error.h"
#include "platform/bmp.h"
#include "platform/errors.h"
#include "platform/jpeg.h"
#include "platform/palette.h"
#include "platform/png.h"

namespace fs = std::filesystem;

namespace {

// Records what the pipeline asks of the window, in order.
struct TRecordingHost : TRenderHost {
  std::vector<std::string> events;
  bool animationOpen = false;
  bool translate = false;
  bool cancelWhileRendering = false;
  TEngine* engine = nullptr;
  bool rendering = false;

  void SetStatusText(int panel, const std::string& text) override {
    events.push_back("status" + std::to_string(panel) + ":" + text);
    if (text.find("Rendering...") != std::string::npos) rendering = true;
  }
  void SetProgress(int) override { Poke(); }
  void ProcessMessages() override { Poke(); }
  void LockCommands(bool busy) override { events.push_back(busy ? "lock:on" : "lock:off"); }
  void ShowPreview() override { events.push_back("preview"); }
  bool AnimationDialogOpen() const override { return animationOpen; }
  std::string Localize(const std::string& text) override {
    if (!translate) return text;
    if (text == "%dx%d %d color bits image") return "%d by %d, %d bits, 100%%";
    return "[" + text + "]";
  }
  // Esc pressed as soon as the render runs.
  void Poke() {
    if (cancelWhileRendering && rendering) engine->CancelRequested = true;
  }
  bool Has(const std::string& event) const {
    return std::find(events.begin(), events.end(), event) != events.end();
  }
  // Position of each wanted event, which must appear in this order.
  bool InOrder(const std::vector<std::string>& wanted) const {
    auto it = events.begin();
    for (const std::string& w : wanted) {
      it = std::find(it, events.end(), w);
      if (it == events.end()) return false;
    }
    return true;
  }
};

class PipelineTest : public testsupport::TTempDirTest {
 protected:
  void SetUp() override {
    TTempDirTest::SetUp();
    host_.engine = &engine_;
    engine_.Host = &host_;
    TStereoParams& p = engine_.Params;
    p.PWidth = 120, p.PHeight = 40, p.Base = 20, p.Oversampling = 2, p.PerSent = 100;
    p.MaskFileName = WriteMask("mask.bmp");
    p.FonFileName = WriteTexture24("texture.bmp");
  }

  // 8-bit mask: a bright square on depth 0, with a table that is not a grey ramp.
  std::string WriteMask(const std::string& name, int w = 60, int h = 20) {
    TColorTable red{};
    red.fill(QuadOf(MakeColor(255, 0, 0)));
    TDIB mask;
    mask.SetColorTable(red);
    mask.SetSize(w, h, 8);
    for (int y = h / 4; y < 3 * h / 4; ++y)
      for (int x = w / 4; x < 3 * w / 4; ++x) mask.ScanLine(y)[x] = 200;
    WriteBmp(mask, Path(name));
    return Path(name);
  }
  std::string WriteTexture24(const std::string& name) {
    TDIB t;
    t.SetSize(16, 16, 24);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        std::uint8_t* p = t.ScanLine(y) + 3 * x;
        p[0] = static_cast<std::uint8_t>(16 * x), p[1] = static_cast<std::uint8_t>(16 * y);
        p[2] = static_cast<std::uint8_t>(x * y);
      }
    if (name.ends_with(".jpg") || name.ends_with(".jpeg"))
      WriteJpeg(t, Path(name), 90);
    else
      WriteBmp(t, Path(name));
    return Path(name);
  }

  TEngine engine_;
  TRecordingHost host_;
};

TEST_F(PipelineTest, MissingFilesDoNothing) {
  fs::create_directories(dir_ / "folder.bmp");
  struct Case {
    const char* what;
    bool reloadMask, randm;
    std::string mask, texture;
  } cases[] = {
      {"no mask file set", true, true, "", ""},
      {"mask file deleted", true, false, Path("gone.bmp"), Path("texture.bmp")},
      {"mask is a folder", true, true, Path("folder.bmp"), ""},
      {"no texture file set", true, false, Path("mask.bmp"), ""},
      {"texture deleted", false, false, "", Path("gone.bmp")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine_.Params.Randm = c.randm;
    engine_.Params.MaskFileName = c.mask;
    engine_.Params.FonFileName = c.texture;
    engine_.OutputImage.SetSize(3, 3, 24);
    engine_.OutputImage.Bits()[0] = 42;
    const TDIB before = engine_.OutputImage;
    host_.events.clear();
    ReloadPix(engine_, c.reloadMask);
    EXPECT_TRUE(host_.events.empty());
    EXPECT_EQ(engine_.OutputImage, before);
  }
}

TEST_F(PipelineTest, TextureRenderReportsInOrder) {
  ReloadPix(engine_, true);
  ASSERT_FALSE(host_.events.empty());
  EXPECT_EQ(host_.events.front(), "lock:on");
  EXPECT_EQ(host_.events.back(), "lock:off");
  EXPECT_TRUE(
      host_.InOrder({"lock:on", "status0:Loading 3d mask...", "status0:Preparing texture...",
                     "status0:Rendering...", "status2:Press Esc to interrupt.",
                     "status2:120x40 24 color bits image", "lock:off"}));
  EXPECT_EQ(std::count(host_.events.begin(), host_.events.end(), "lock:on"), 1);
  EXPECT_EQ(engine_.OutputImage.Width(), 120);
  EXPECT_EQ(engine_.OutputImage.Height(), 40);
  EXPECT_EQ(engine_.OutputImage.BitCount(), 24);
  EXPECT_EQ(engine_.PatternImage.Width(), 20);
  EXPECT_FALSE(engine_.RenderInProgress);
  // The mask was fitted: its own red table plays no part, its values are the depths.
  EXPECT_EQ(engine_.MaskImage.ColorTable(), GreyRamp());
  EXPECT_EQ(engine_.MaskImage.ScanLine(20)[60], 200);
}

TEST_F(PipelineTest, RandomDotsNeedNoTexture) {
  for (int bits : {24, 8}) {
    SCOPED_TRACE(bits);
    engine_.Params.Randm = true;
    engine_.Params.FonFileName.clear();
    engine_.Params.BitRate = bits;
    host_.events.clear();
    ReloadPix(engine_, true);
    EXPECT_FALSE(host_.Has("status0:Preparing texture..."));
    EXPECT_TRUE(host_.Has("status2:120x40 " + std::to_string(bits) + " color bits image"));
    EXPECT_EQ(engine_.OutputImage.BitCount(), bits);
    if (bits == 8) {
      EXPECT_EQ(engine_.OutputImage.ColorTable(), engine_.PatternImage.ColorTable());
    }
  }
}

TEST_F(PipelineTest, EightBitSizeText) {
  engine_.Params.PWidth = 800, engine_.Params.PHeight = 600, engine_.Params.Base = 110;
  engine_.Params.BitRate = 8, engine_.Params.Oversampling = 1, engine_.Params.Randm = true;
  ReloadPix(engine_, true);
  EXPECT_TRUE(host_.InOrder({"status2:800x600 8 color bits image", "lock:off"}));
}

TEST_F(PipelineTest, TextsPassThroughLocalize) {
  host_.translate = true;
  ReloadPix(engine_, true);
  EXPECT_TRUE(host_.InOrder({"status0:[Loading 3d mask...]", "status0:[Preparing texture...]",
                             "status0:[Rendering...]", "status2:[Press Esc to interrupt.]",
                             "status2:120 by 40, 24 bits, 100%"}));
}

TEST_F(PipelineTest, NoEscHintWhileAnimationDialogIsOpen) {
  host_.animationOpen = true;
  ReloadPix(engine_, true);
  EXPECT_FALSE(host_.Has("status2:Press Esc to interrupt."));
  EXPECT_FALSE(host_.Has("preview"));
  EXPECT_TRUE(host_.Has("status2:120x40 24 color bits image"));
}

TEST_F(PipelineTest, CancelIsReported) {
  host_.cancelWhileRendering = true;
  ReloadPix(engine_, true);
  EXPECT_TRUE(engine_.CancelRequested);
  EXPECT_TRUE(host_.InOrder({"status2:Rendering was canceled by user", "lock:off"}));
  EXPECT_FALSE(host_.Has("status2:120x40 24 color bits image"));
  EXPECT_FALSE(engine_.RenderInProgress);
}

TEST_F(PipelineTest, BusyEndsOnEveryError) {
  std::ofstream(Path("junk.bmp")) << "this is no picture";
  struct Case {
    const char* what;
    std::string mask, texture;
    bool reloadMask;
  } cases[] = {
      {"undecodable mask", Path("junk.bmp"), Path("texture.bmp"), true},
      {"undecodable texture", Path("mask.bmp"), Path("junk.bmp"), true},
      {"empty mask in memory", "", Path("texture.bmp"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine_.Params.MaskFileName = c.mask;
    engine_.Params.FonFileName = c.texture;
    engine_.MaskImage.Clear();
    host_.events.clear();
    EXPECT_THROW(ReloadPix(engine_, c.reloadMask), std::runtime_error);
    ASSERT_FALSE(host_.events.empty());
    EXPECT_EQ(host_.events.back(), "lock:off");
    EXPECT_FALSE(engine_.RenderInProgress);
  }
  engine_.Params.FonFileName = Path("texture.bmp");
  EXPECT_THROW(ReloadPix(engine_, false), TRenderError);
  engine_.Params.MaskFileName = Path("junk.bmp");
  EXPECT_THROW(ReloadPix(engine_, true), TFileError);
}

TEST_F(PipelineTest, SettingsOutOfRangeStillRender) {
  struct Case {
    const char* what;
    int bitRate, base, stretchMode, pWidth;
    int bits;  // of the stereogram
  } cases[] = {
      {"bit rate 16", 16, 20, 1, 120, 24},
      {"base 0", 24, 0, 3, 120, 24},
      {"base past the width", 8, 5000, 2, 120, 8},
      {"unknown fill", 24, 20, 9, 120, 24},
      {"no width", 24, 20, 4, 0, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TStereoParams& p = engine_.Params;
    p.BitRate = c.bitRate, p.Base = c.base, p.StretchMode = c.stretchMode, p.PWidth = c.pWidth;
    host_.events.clear();
    ASSERT_NO_THROW(ReloadPix(engine_, true));
    EXPECT_EQ(host_.events.back(), "lock:off");
    EXPECT_EQ(engine_.OutputImage.Width(), c.pWidth);
    EXPECT_EQ(engine_.OutputImage.BitCount(), c.bits);
  }
}

TEST_F(PipelineTest, MaskFromMemory) {
  // The animation path: the caller has put a frame into MaskImage.
  engine_.Params.MaskFileName.clear();
  engine_.MaskImage = ReadBmp(WriteMask("frame.bmp", 30, 10));
  ReloadPix(engine_, false);
  EXPECT_EQ(engine_.MaskImage.Width(), 120);
  EXPECT_EQ(engine_.MaskImage.ScanLine(20)[60], 200);
  EXPECT_TRUE(host_.Has("status2:120x40 24 color bits image"));
}

TEST_F(PipelineTest, EightBitModeKeepsMaskDepths) {
  engine_.Params.BitRate = 8;
  ReloadPix(engine_, true);
  EXPECT_EQ(engine_.MaskImage.ScanLine(20)[60], 200);
  EXPECT_EQ(engine_.MaskImage.ScanLine(0)[0], 0);
}

TEST_F(PipelineTest, JpegTextureInEightBitModeGivesItsPalette) {
  engine_.Params.BitRate = 8;
  engine_.Params.FonFileName = WriteTexture24("texture.jpg");
  ReloadPix(engine_, true);
  const TColorTable palette = ReadJpeg(Path("texture.jpg"), true).ColorTable();
  EXPECT_EQ(engine_.OutputImage.ColorTable(), palette);
  EXPECT_EQ(engine_.PatternImage.ColorTable(), palette);
  EXPECT_EQ(engine_.OutputImage.BitCount(), 8);
}

TEST_F(PipelineTest, FourLetterJpegExtensionIsReadAsBmp) {
  engine_.Params.FonFileName = WriteTexture24("texture.jpeg");
  EXPECT_THROW(ReloadPix(engine_, true), TFileError);
  EXPECT_EQ(host_.events.back(), "lock:off");
  TDIB picture;
  fs::copy_file(Path("texture.jpeg"), Path("UPPER.JPG"));
  EXPECT_TRUE(LoadInDib(picture, Path("UPPER.JPG"), 24));
  EXPECT_EQ(picture.Width(), 16);
}

// LoadInDib on its own.

TEST_F(PipelineTest, LoadInDibLeavesPictureAloneForMissingFile) {
  TDIB picture;
  picture.SetSize(2, 2, 8);
  const TDIB before = picture;
  EXPECT_FALSE(LoadInDib(picture, Path("absent.bmp"), 24));
  EXPECT_FALSE(LoadInDib(picture, "", 8));
  EXPECT_EQ(picture, before);
}

TEST_F(PipelineTest, LoadInDibBmpByMode) {
  TColorTable table{};
  const TColor colours[] = {MakeColor(255, 0, 0), MakeColor(0, 51, 102), MakeColor(250, 250, 250),
                            MakeColor(10, 200, 90)};
  for (int i = 0; i < 4; ++i) table[10 + 20 * i] = QuadOf(colours[i]);
  TDIB source;
  source.SetColorTable(table);
  source.SetSize(4, 1, 8);
  for (int i = 0; i < 4; ++i) source.ScanLine(0)[i] = static_cast<std::uint8_t>(10 + 20 * i);
  WriteBmp(source, Path("t8.bmp"));
  WritePng(source, Path("t8.png"));

  TDIB as24;
  ASSERT_TRUE(LoadInDib(as24, Path("t8.bmp"), 24));
  EXPECT_EQ(as24.BitCount(), 8);
  EXPECT_EQ(as24.ColorTable(), table);  // as stored
  for (const char* name : {"t8.bmp", "t8.png"}) {
    SCOPED_TRACE(name);
    TDIB as8;
    ASSERT_TRUE(LoadInDib(as8, Path(name), 8));
    EXPECT_EQ(as8.BitCount(), 8);
    EXPECT_EQ(as8.ColorTable(), HalftonePalette());
    for (int i = 0; i < 4; ++i) {
      const TColor c = colours[i];
      const int expected = NearestPaletteIndex(HalftonePalette(), ColorR(c), ColorG(c), ColorB(c));
      EXPECT_EQ(as8.ScanLine(0)[i], expected) << i;
    }
    EXPECT_EQ(as8.PixelColor(0, 0), colours[0]);  // on the halftone cube: kept exactly
    EXPECT_EQ(as8.PixelColor(1, 0), colours[1]);
  }
  // True colour stays true colour, with the halftone table for 8-bit work.
  WriteBmp(as24.ToTrueColor(), Path("t24.bmp"));
  TDIB t24;
  ASSERT_TRUE(LoadInDib(t24, Path("t24.bmp"), 8));
  EXPECT_EQ(t24.BitCount(), 24);
  EXPECT_EQ(t24.ColorTable(), HalftonePalette());
  EXPECT_EQ(t24.PixelColor(3, 0), colours[3]);
}

TEST_F(PipelineTest, LoadInDibOneBitBmpInEightBitMode) {
  // 2 x 1, 1 bit: pixel 0 is entry 1 (yellow), pixel 1 entry 0 (blue). In 8-bit mode it becomes
  // 8-bit with halftone indices of those colours.
  const unsigned char
      bmp[] = {'B',  'M', 66, 0, 0, 0, 0, 0, 0,   0, 62, 0, 0, 0,  // file header
               40,   0,   0,  0, 2, 0, 0, 0, 1,   0, 0,  0, 1, 0,   1,   0,
               0,    0,   0,  0, 4, 0, 0, 0, 0,   0, 0,  0, 0, 0,   0,   0,
               2,    0,   0,  0, 0, 0, 0, 0, 255, 0, 0,  0, 0, 255, 255, 0,  // blue, yellow
               0x80, 0,   0,  0};
  std::ofstream(Path("mono.bmp"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp), sizeof bmp);
  TDIB picture;
  ASSERT_TRUE(LoadInDib(picture, Path("mono.bmp"), 8));
  EXPECT_EQ(picture.BitCount(), 8);
  EXPECT_EQ(picture.ColorTable(), HalftonePalette());
  EXPECT_EQ(picture.PixelColor(0, 0), MakeColor(255, 255, 0));
  EXPECT_EQ(picture.PixelColor(1, 0), MakeColor(0, 0, 255));
}

TEST_F(PipelineTest, LoadInDibGif) {
  // 1 x 1 GIF, global table red, blue; the pixel is entry 0.
  const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 1,   0,    1,    0, 0x80, 0,
                               0,   255, 0,   0,   0,   0,   255, 0x2C, 0,    0, 0,    0,
                               1,   0,   1,   0,   0,   2,   2,   0x44, 0x01, 0, 0x3B};
  std::ofstream(Path("dot.GIF"), std::ios::binary)
      .write(reinterpret_cast<const char*>(gif), sizeof gif);
  TDIB picture;
  ASSERT_TRUE(LoadInDib(picture, Path("dot.GIF"), 8));
  EXPECT_EQ(picture.BitCount(), 24);
  EXPECT_EQ(picture.PixelColor(0, 0), MakeColor(255, 0, 0));
  EXPECT_EQ(ColorOf(picture.ColorTable()[1]), MakeColor(0, 0, 255));
}

TEST(FormatNumbersTest, FillsOnlyNumbers) {
  struct Case {
    const char* format;
    const char* expected;
  } cases[] = {
      {"%dx%d %d color bits image", "640x480 24 color bits image"},
      {"%d%% of %d", "640% of 480"},
      {"%s %n %x %", "%s %n %x %"},  // a hostile translation cannot reach printf
      {"%d %d %d %d", "640 480 24 %d"},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatNumbers(c.format, {640, 480, 24}), c.expected) << c.format;
}

}  // namespace
