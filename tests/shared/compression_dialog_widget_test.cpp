#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <functional>

#include "avi_test_util.h"
#include "platform/ini_file.h"
#include "qt_test_app.h"
#include "shared/avi_video.h"
#include "shared/compression_dialog.h"
#include "shared/video_codecs.h"

using namespace avitest;

namespace {

constexpr std::uint32_t kFFV1 = MakeFourCC('F', 'F', 'V', '1');
constexpr std::uint32_t kH264 = MakeFourCC('H', '2', '6', '4');

class CompressionDialogTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    TestApp();
  }
  // Runs `act` on the compression dialog once it is shown modally.
  static void WhenShown(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->objectName(), "CompressionDialog");
      act(dialog);
    });
  }
  static void Pick(QWidget* dialog, std::uint32_t code) {
    auto* box = dialog->findChild<QComboBox*>("CodecBox");
    ASSERT_NE(box, nullptr);
    const int index = box->findData(code);
    ASSERT_GE(index, 0) << FourCCText(code) << " not offered";
    box->setCurrentIndex(index);
  }
  static void Click(QWidget* dialog, const char* button) {
    dialog->findChild<QPushButton*>(button)->click();
  }
};

TEST_F(CompressionDialogTest, OkRewritesTheOptions) {
  TVideoWriter writer;
  const TDIB picture = MakePicture(64, 48, 24, 0);
  ASSERT_TRUE(writer.OpenOutput(&picture, Path("choose.avi")));
  WhenShown([](QWidget* dialog) {
    Pick(dialog, kFFV1);
    EXPECT_FALSE(dialog->findChild<QSlider*>("QualitySlider")->isEnabled()) << "lossless";
    Click(dialog, "OKButton");
  });
  EXPECT_EQ(writer.ChooseCompression(), 1);
  TCompressOptions options;
  writer.GetCompressOptions(options);
  EXPECT_EQ(options.fccHandler, kFFV1);
  EXPECT_EQ(options.format.size(), 40u) << "the codec's format block";
  EXPECT_FALSE(options.parms.empty());
  std::string name;
  writer.CodecName(name);
  EXPECT_EQ(name.rfind("FFV1\n\r", 0), 0u);
}

TEST_F(CompressionDialogTest, CancelKeepsTheOptions) {
  TVideoWriter writer;
  TCompressOptions before;
  before.fccHandler = kFFV1;
  before.dwInterleaveEvery = 3;
  before.parms = {1, 2, 3};
  writer.SetCompressOptions(before);
  WhenShown([](QWidget* dialog) {
    Pick(dialog, 0);
    Click(dialog, "CancelButton");
  });
  EXPECT_EQ(writer.ChooseCompression(), 0);
  TCompressOptions after;
  writer.GetCompressOptions(after);
  EXPECT_EQ(after, before);
}

// Codecs that need even sizes are not offered for an odd picture.
TEST_F(CompressionDialogTest, EveryCaptionWithAnAccessKeyHasABuddy) {
  TCompressionDialog dialog(TCompressOptions{}, 64, 48);
  for (QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->text().contains('&')) {
      EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString() << " shows its '&'";
    }
  }
  auto* slider = dialog.findChild<QSlider*>("QualitySlider");
  ASSERT_NE(slider, nullptr);
  bool found = false;
  for (QLabel* label : dialog.findChildren<QLabel*>()) found |= label->buddy() == slider;
  EXPECT_TRUE(found);
}

TEST_F(CompressionDialogTest, OffersWhatFitsThePicture) {
  if (!FindAvailableCodec(kH264)) GTEST_SKIP() << "no H.264 encoder";
  struct Case {
    int width, height;
    bool h264;
  } cases[] = {{64, 48, true}, {63, 47, false}};
  for (const Case& c : cases) {
    TCompressionDialog dialog(TCompressOptions{}, c.width, c.height);
    auto* box = dialog.findChild<QComboBox*>("CodecBox");
    EXPECT_EQ(box->findData(kH264) >= 0, c.h264) << c.width;
    EXPECT_GE(box->findData(0u), 0) << "uncompressed is always there";
  }
}

// The whole road: the button, the dialog, the six keys and the codec-state file, a new dialog.
TEST_F(CompressionDialogTest, ChoiceSurvivesARestart) {
  if (!FindAvailableCodec(kH264)) GTEST_SKIP() << "no H.264 encoder";
  const std::string cfg = Path("Depthsmith.cfg"), state = Path("comprd2.dat");
  TCompressOptions chosen;
  {
    TVideoWriter writer;
    const TDIB mask = MakePicture(64, 48, 8, 0);
    WhenShown([](QWidget* dialog) {
      Pick(dialog, kH264);
      dialog->findChild<QSlider*>("QualitySlider")->setValue(60);
      dialog->findChild<QCheckBox*>("KeyFrameCheck")->setChecked(true);
      dialog->findChild<QSpinBox*>("KeyFrameEdit")->setValue(12);
      dialog->findChild<QComboBox*>("PresetBox")->setCurrentIndex(2);
      Click(dialog, "OKButton");
    });
    const std::string label = CompressionButtonSteps(writer, &mask);
    EXPECT_EQ(label, "H.264\n\rH.264 / AVC video codec (x264)");
    EXPECT_FALSE(fs::exists(fs::temp_directory_path() / "~TMP1.AVI"));
    writer.GetCompressOptions(chosen);
    TIniFile ini(cfg);
    SaveCompressOptions(ini, state, chosen);
  }
  EXPECT_EQ(chosen.dwQuality, 6000);
  EXPECT_EQ(chosen.dwKeyFrameEvery, 12);
  EXPECT_TRUE(chosen.dwFlags & kCompressKeyFrames);
  TIniFile ini(cfg);
  TVideoWriter next;
  next.SetCompressOptions(LoadCompressOptions(ini, state));
  TCompressOptions restored;
  next.GetCompressOptions(restored);
  EXPECT_EQ(restored, chosen);
  // And the next dialog shows them again.
  WhenShown([](QWidget* dialog) {
    EXPECT_EQ(dialog->findChild<QComboBox*>("CodecBox")->currentData().toUInt(), kH264);
    EXPECT_EQ(dialog->findChild<QSlider*>("QualitySlider")->value(), 60);
    EXPECT_EQ(dialog->findChild<QSpinBox*>("KeyFrameEdit")->value(), 12);
    EXPECT_EQ(dialog->findChild<QComboBox*>("PresetBox")->currentIndex(), 2);
    Click(dialog, "CancelButton");
  });
  EXPECT_EQ(next.ChooseCompression(), 0);
}

TEST_F(CompressionDialogTest, ButtonStepsDeleteTheTemporaryFileOnCancel) {
  TVideoWriter writer;
  const TDIB picture = MakePicture(16, 16, 24, 0);
  WhenShown([](QWidget* dialog) {
    EXPECT_TRUE(fs::exists(fs::temp_directory_path() / "~TMP1.AVI"));
    Click(dialog, "CancelButton");
  });
  EXPECT_EQ(CompressionButtonSteps(writer, &picture), "UNCOMPRESSED");
  EXPECT_FALSE(fs::exists(fs::temp_directory_path() / "~TMP1.AVI"));
  EXPECT_FALSE(writer.OutputOpen());
}

}  // namespace
