#include "engine/stereo_settings.h"

#include <gtest/gtest.h>

namespace {

TStereoParams Load(const std::string& text) {
  TStereoParams p;
  p.Colors.clear();
  LoadStereoParams(TIniFile::FromText(text), p);
  return p;
}

TEST(StereoSettings, FirstStartGivesTheDefaults) {
  const TStereoParams p = Load("");
  const TStereoParams d;
  EXPECT_EQ(p.PWidth, 640);
  EXPECT_EQ(p.PHeight, 480);
  EXPECT_EQ(p.BitRate, 24);
  EXPECT_EQ(p.Base, 88);
  EXPECT_FALSE(p.Randm);
  EXPECT_EQ(p.Colors, std::vector<TColor>{16777215});
  EXPECT_EQ(p.DDepth, d.DDepth);
  EXPECT_EQ(p.Oversampling, d.Oversampling);
  EXPECT_EQ(p.Algorithm, d.Algorithm);
  EXPECT_EQ(p.RenderDirection, 1);
  EXPECT_TRUE(p.UseGradient);
  EXPECT_TRUE(p.AutoBase);
}

TEST(StereoSettings, LoadingRules) {
  struct Case {
    const char* text;
    int width, height, base, jpegQual;
  } cases[] = {
      {"[Options]\nBase=89\n", 640, 480, 90, 80},
      {"[Options]\nBase=-3\n", 640, 480, -3, 80},
      {"[Options]\nCustomRez=0\nResolution=2\nPWidth=700\n", 1024, 768, 88, 80},
      {"[Options]\nCustomRez=0\nResolution=1\n", 800, 600, 88, 80},
      {"[Options]\nCustomRez=0\nResolution=9\nPWidth=700\n", 640, 480, 88, 80},
      {"[Options]\nCustomRez=1\nResolution=2\nPWidth=700\n", 700, 480, 88, 80},
      {"[OPTIONS]\ncustomrez=0x1\npheight=300\nJpegQual=0x50\n", 640, 300, 88, 80},
      {"[Options]\nJpegQual=high\nBase=ninety\n", 640, 480, 88, 80},
  };
  for (const Case& c : cases) {
    const TStereoParams p = Load(c.text);
    EXPECT_EQ(p.PWidth, c.width) << c.text;
    EXPECT_EQ(p.PHeight, c.height) << c.text;
    EXPECT_EQ(p.Base, c.base) << c.text;
    EXPECT_EQ(p.JpegQual, c.jpegQual) << c.text;
  }
}

TEST(StereoSettings, ColourListComesFromKeyNames) {
  struct Case {
    const char* text;
    std::vector<TColor> colors;
  } cases[] = {
      {"[Colors]\n255=255\nabc=abc\n65280=65280\n", {255, 65280}},
      {"[Colors]\n255=1\n8388608=whatever\n", {255, 8388608}},
      {"[Colors]\n", {16777215}},
      {"[Colors]\nabc=abc\n", {16777215}},  // a render needs at least one colour
      {"[colors]\n0xFF=0\n", {255}},
  };
  for (const Case& c : cases) EXPECT_EQ(Load(c.text).Colors, c.colors) << c.text;
}

TEST(StereoSettings, CheckRenderableRefusesWhatTheRendererCannotDo) {
  struct Case {
    void (*change)(TStereoParams&);
    bool ok;
  } cases[] = {
      {[](TStereoParams&) {}, true},
      {[](TStereoParams& p) { p.DDepth = 0; }, false},
      {[](TStereoParams& p) { p.DDepth = -30; }, true},
      {[](TStereoParams& p) { p.BitRate = 16; }, false},
      {[](TStereoParams& p) { p.Oversampling = 0; }, false},
      {[](TStereoParams& p) { p.Oversampling = 103; }, false},  // 640 * 103 >= 65536
      {[](TStereoParams& p) { p.Oversampling = 10; }, true},
      {[](TStereoParams& p) { p.Base = 0; }, false},
      {[](TStereoParams& p) { p.Base = 641; }, false},
      {[](TStereoParams& p) { p.PWidth = 0; }, false},
      {[](TStereoParams& p) { p.PHeight = 40000; }, false},
      {[](TStereoParams& p) { p.RenderDirection = 0; }, false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    TStereoParams p;
    cases[i].change(p);
    EXPECT_EQ(CheckRenderable(p).empty(), cases[i].ok)
        << "case " << i << ": " << CheckRenderable(p);
  }
}

TEST(StereoSettings, AutoBaseRule) {
  struct Case {
    int width, base;
  } cases[] = {{640, 88}, {800, 110}, {1024, 142}, {320, 44}, {10000, 1376}};
  for (const Case& c : cases) EXPECT_EQ(AutoBaseFor(c.width), c.base) << c.width;
}

}  // namespace
