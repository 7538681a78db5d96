#include "dotweave/core/window_rules.h"

#include <gtest/gtest.h>

#include "../support/temp_dir.h"
#include "platform/atomic_file.h"

namespace {

TEST(WindowRules, CommandEnabling) {
  struct Case {
    const char* what;
    TCommandInputs in;
    TCommandState expected;  // SpExport, RandomDotColors, Texture, Blending, SpRun
  } cases[] = {
      {"first start: texture mode, no files",
       {false, false, false, 24},
       {false, false, true, true, false}},
      {"texture mode, mask alone is not enough",
       {false, false, true, 24},
       {false, false, true, true, false}},
      {"texture mode, texture only", {false, true, false, 24}, {true, false, true, true, false}},
      {"texture mode, both files", {false, true, true, 24}, {true, false, true, true, true}},
      {"8-bit picture cannot be blended", {false, true, true, 8}, {true, false, true, false, true}},
      {"random dots need no texture", {true, false, false, 24}, {true, true, false, true, false}},
      {"random dots with mask", {true, false, true, 24}, {true, true, false, true, true}},
      {"empty output picture", {true, true, true, 0}, {true, true, false, false, true}},
      {"32-bit picture is not 24-bit", {true, false, true, 32}, {true, true, false, false, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(UpdateCommandState(c.in), c.expected) << c.what;
}

TEST(WindowRules, FullScreenModeIsTheSmallestThatHoldsThePicture) {
  struct Case {
    int width, height;
    TPixelSize mode;
  } cases[] = {
      {640, 480, {640, 480}},  {800, 600, {800, 600}},   {801, 600, {1024, 768}},
      {800, 601, {1024, 768}}, {1024, 768, {1024, 768}}, {1600, 1200, {1024, 768}},
      {641, 1, {800, 600}},    {1, 481, {800, 600}},     {0, 0, {640, 480}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FullScreenMode(c.width, c.height), c.mode) << c.width << "x" << c.height;
}

TEST(WindowRules, PreviewBufferIsThePictureOrScaledToTheScreen) {
  struct Case {
    int w, h, aw, ah;
    TPixelSize buffer;
  } cases[] = {
      {640, 480, 1000, 700, {640, 480}},  // fits: as it is
      {4000,
       1000,
       800,
       600,
       {4000, 1000}},  // wide, but only the height is tested against the screen
      {4000, 2000, 800, 600, {1920, 960}},  // wide and higher than the screen: screen width
      {1000,
       3000,
       800,
       600,
       {1000, 3000}},                       // high, but only the width is tested against the screen
      {2000, 3000, 800, 600, {720, 1080}},  // high and wider than the screen: screen height
      {0, 0, 800, 600, {0, 0}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PreviewBufferSize(c.w, c.h, c.aw, c.ah, 1920, 1080), c.buffer)
        << c.w << "x" << c.h << " in " << c.aw << "x" << c.ah;
}

TEST(WindowRules, PlacementRoundTrip) {
  const TWindowPlacement cases[] = {
      {0, 0, 800, 600, false},
      {-1200, 50, 1024, 768, true},
      {10, 20, 1, 1, false},
      {-100000, -100000, 100000, 100000, true},
  };
  for (const TWindowPlacement& p : cases) {
    TIniFile ini = TIniFile::FromText("");
    WritePlacement(ini, p);
    TWindowPlacement read;
    ASSERT_TRUE(ReadPlacement(ini, read)) << p.Left << "," << p.Top;
    EXPECT_EQ(read, p) << p.Left << "," << p.Top;
  }
}

TEST(WindowRules, PlacementReadsWhatTheFileSays) {
  struct Case {
    const char* text;
    TWindowPlacement expected;
  } cases[] = {
      {"[window]\nNormPos=10,20,810,620\n", {10, 20, 800, 600, false}},
      {"[WINDOW]\nshowcmd=3\nnormpos= 10 , 20 , 810 , 620 \n", {10, 20, 800, 600, true}},
      {"[window]\nShowCmd=2\nNormPos=0,0,0x100,0x100\n", {0, 0, 256, 256, false}},
      {"[window]\nShowCmd=max\nNormPos=-5,-5,5,5\n", {-5, -5, 10, 10, false}},
  };
  for (const Case& c : cases) {
    TWindowPlacement read;
    ASSERT_TRUE(ReadPlacement(TIniFile::FromText(c.text), read)) << c.text;
    EXPECT_EQ(read, c.expected) << c.text;
  }
}

TEST(WindowRules, UnusablePlacementIsRefusedAndLeavesTheOldOne) {
  const char* cases[] = {
      "",
      "[Options]\nNormPos=0,0,800,600\n",
      "[window]\nShowCmd=1\n",
      "[window]\nNormPos=\n",
      "[window]\nNormPos=0,0,800\n",
      "[window]\nNormPos=0,0,800,600,5\n",
      "[window]\nNormPos=0,0,800,600,\n",
      "[window]\nNormPos=0,,800,600\n",
      "[window]\nNormPos=a,b,c,d\n",
      "[window]\nNormPos=0;0;800;600\n",
      "[window]\nNormPos=0,0,800,600px\n",
      "[window]\nNormPos=10,10,10,500\n",
      "[window]\nNormPos=10,10,500,5\n",
      "[window]\nNormPos=0,0,100001,600\n",
      "[window]\nNormPos=-2147483648,0,2147483647,600\n",
      "[window]\nNormPos=200000,0,200800,600\n",
      "[window]\nNormPos=0,-200000,800,-199400\n",
      "[window]\nNormPos=0,0,99999999999,600\n",
  };
  const TWindowPlacement old{1, 2, 3, 4, true};
  for (const char* text : cases) {
    TWindowPlacement p = old;
    EXPECT_FALSE(ReadPlacement(TIniFile::FromText(text), p)) << text;
    EXPECT_EQ(p, old) << text;
  }
}

class PlacementFileTest : public testsupport::TTempDirTest {};

TEST_F(PlacementFileTest, WritesTheSectionAndKeepsTheRest) {
  const std::string path = Path("Dotweave.cfg");
  WriteFileAtomically(path, "[Options]\nBase=90\n[window]\nNormPos=1,1,2,2\nExtra=x\n");
  TIniFile ini(path);
  WritePlacement(ini, {10, 20, 800, 600, true});
  EXPECT_TRUE(ini.LastError().empty());
  EXPECT_EQ(ReadWholeFile(path),
            "[Options]\nBase=90\n\n[window]\nNormPos=10,20,810,620\nExtra=x\nFlags=0\n"
            "ShowCmd=3\nPixelsPerInch=96\nMinMaxPos=-1,-1,-1,-1\n\n");
}

}  // namespace
