#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <iterator>

#include "dotweave/tool_glyphs.h"
#include "tests/shared/qt_test_app.h"

namespace {

const char* const kButtons[] = {"SpMask",      "SpText",    "SpSave",   "btnPrint", "SpExport",
                                "BlendButton", "SpOptions", "SPWizard", "SpRnd",    "SpRun",
                                "SpFull",      "SpHelp",    "SpExit"};

QImage ImageOf(const QPixmap& pixmap) {
  return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

int VisiblePixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 0;
  return count;
}

// Whether some clearly visible pixel is at least as light as `low` and at most as light as `high`.
bool HasGrey(const QImage& image, int low, int high) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = QColor::fromRgba(image.pixel(x, y));
      if (c.alpha() >= 96 && c.lightness() >= low && c.lightness() <= high) return true;
    }
  return false;
}

// Largest colour saturation (0..255) among the visible pixels.
int MaxSaturation(const QImage& image) {
  int most = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = QColor::fromRgba(image.pixel(x, y));
      if (c.alpha() > 0) most = std::max(most, c.hsvSaturation());
    }
  return most;
}

class ToolGlyphsTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { TestApp(); }
};

TEST_P(ToolGlyphsTest, NormalAndDisabledPictures) {
  const QImage normal = ImageOf(ToolGlyphPixmap(GetParam(), false));
  const QImage disabled = ImageOf(ToolGlyphPixmap(GetParam(), true));
  ASSERT_FALSE(normal.isNull());
  ASSERT_FALSE(disabled.isNull());
  EXPECT_EQ(normal.size(), QSize(16, 16));
  EXPECT_EQ(disabled.size(), QSize(16, 16));
  // A glyph, not a blank or a filled square: the tool bar shows through around it.
  EXPECT_GT(VisiblePixels(normal), 16);
  EXPECT_LT(VisiblePixels(normal), 256);
  EXPECT_GT(VisiblePixels(disabled), 16);
  EXPECT_NE(normal, disabled);
  EXPECT_LE(MaxSaturation(disabled), 8) << "the disabled picture is grey";
  EXPECT_TRUE(HasGrey(disabled, 240, 255)) << "white highlight of the emboss";
  EXPECT_TRUE(HasGrey(disabled, 96, 150)) << "dark-grey shape";
}

TEST_P(ToolGlyphsTest, IconHoldsBothPictures) {
  const QIcon icon = ToolGlyph(GetParam());
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(ImageOf(icon.pixmap(16, 16, QIcon::Normal)),
            ImageOf(ToolGlyphPixmap(GetParam(), false)));
  EXPECT_EQ(ImageOf(icon.pixmap(16, 16, QIcon::Disabled)),
            ImageOf(ToolGlyphPixmap(GetParam(), true)));
}

INSTANTIATE_TEST_SUITE_P(EveryButton, ToolGlyphsTest, ::testing::ValuesIn(kButtons));

TEST(ToolGlyphs, UnknownNamesGiveNothing) {
  TestApp();
  for (const char* name : {"", "SpNothing", "spmask", "SpMask "}) {
    EXPECT_TRUE(ToolGlyph(name).isNull()) << '"' << name << '"';
    EXPECT_TRUE(ToolGlyphPixmap(name, false).isNull()) << '"' << name << '"';
    EXPECT_TRUE(ToolGlyphPixmap(name, true).isNull()) << '"' << name << '"';
  }
}

TEST(ToolGlyphs, EveryButtonHasItsOwnPicture) {
  TestApp();
  const std::size_t count = std::size(kButtons);
  for (std::size_t i = 0; i < count; ++i)
    for (std::size_t j = i + 1; j < count; ++j)
      EXPECT_NE(ImageOf(ToolGlyphPixmap(kButtons[i], false)),
                ImageOf(ToolGlyphPixmap(kButtons[j], false)))
          << kButtons[i] << " and " << kButtons[j];
}

}  // namespace
