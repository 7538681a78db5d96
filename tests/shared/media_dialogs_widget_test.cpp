#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <fstream>

#include "avi_test_util.h"
#include "qt_test_app.h"
#include "shared/MediaDialogs.h"
#include "shared/avi_video.h"

using namespace avitest;

namespace {

class MediaDialogsTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    TestApp();
  }
  std::string WriteAvi(int frames) {
    const std::string path = Path("clip.avi");
    TVideoWriter writer;
    const TDIB picture = MakePicture(40, 30, 8, 0);
    EXPECT_TRUE(writer.OpenOutput(&picture, path));
    for (int i = 0; i < frames; ++i) EXPECT_TRUE(writer.WriteFrame(picture.Bits(), i));
    EXPECT_TRUE(writer.CloseOutput());
    return path;
  }
};

TEST(MediaDialogFilters, VclFiltersBecomeQtFilters) {
  struct Case {
    const char* filter;
    QStringList expected;
  } cases[] = {
      {"AVI files (*.avi)|*.avi|Bitmap files (*.bmp)|*.bmp|All files (*.*)|*.*",
       {"AVI files (*.avi)", "Bitmap files (*.bmp)", "All files (*)"}},
      {"BitMap Files|*.bmp", {"BitMap Files (*.bmp)"}},
      {"Pictures|*.bmp;*.jpg", {"Pictures (*.bmp *.jpg)"}},
      {"", {}},
      {"Odd entry", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(NameFiltersOf(c.filter), c.expected) << c.filter;
}

TEST(MediaDialogFilters, SuffixOfTheFirstPattern) {
  struct Case {
    const char* filter;
    const char* suffix;
  } cases[] = {{"JPEG files (*.jpg)", "jpg"},
               {"Pictures (*.png *.bmp)", "png"},
               {"All files (*)", "bmp"},
               {"BITMAP (*.bmp)", "bmp"},
               {"Odd", "bmp"}};
  for (const Case& c : cases) EXPECT_EQ(SuffixOfFilter(c.filter, "bmp"), c.suffix) << c.filter;
}

TEST_F(MediaDialogsTest, SaveDialogTakesTheExtensionOfTheChosenType) {
  TMediaSaveDialog dialog;
  dialog.Filter = "BITMAP|*.bmp|JPEG files|*.jpg";
  dialog.DefaultExt = "bmp";
  dialog.InitialDir = QString::fromStdString(dir_.string());
  QTimer::singleShot(0, [&] {
    auto* fileDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(fileDialog, nullptr);
    fileDialog->selectNameFilter("JPEG files (*.jpg)");
    emit fileDialog->filterSelected("JPEG files (*.jpg)");
    fileDialog->selectFile(QString::fromStdString(Path("picture")));
    static_cast<QDialog*>(fileDialog)->accept();
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName.toStdString(), Path("picture.jpg"));
  EXPECT_EQ(dialog.FilterIndex, 2);
}

TEST_F(MediaDialogsTest, PreviewOfAviPictureAndOtherFiles) {
  const std::string avi = WriteAvi(3);
  QImage bmp(20, 10, QImage::Format_RGB888);
  bmp.fill(Qt::red);
  ASSERT_TRUE(bmp.save(QString::fromStdString(Path("pic.bmp"))));
  std::ofstream(Path("notes.txt")) << "hello";
  std::ofstream(Path("fake.avi")) << "RIFF";
  struct Case {
    std::string path;
    bool ok;
    QString info;
  } cases[] = {{avi, true, "40 x 30, 3 frames"},
               {Path("pic.bmp"), true, "20 x 10"},
               {Path("notes.txt"), false, ""},
               {Path("fake.avi"), false, ""},
               {dir_.string(), false, ""}};
  for (const Case& c : cases) {
    QImage image;
    QString info;
    EXPECT_EQ(MediaPreviewOf(QString::fromStdString(c.path), image, info), c.ok) << c.path;
    EXPECT_EQ(info, c.info) << c.path;
    EXPECT_EQ(image.isNull(), !c.ok) << c.path;
  }
  TMediaPreview preview;
  preview.ShowFile(QString::fromStdString(avi));
  EXPECT_TRUE(preview.HasImage());
  EXPECT_EQ(preview.InfoText(), "40 x 30, 3 frames");
  preview.ShowFile(QString::fromStdString(Path("notes.txt")));
  EXPECT_FALSE(preview.HasImage());
  EXPECT_EQ(preview.InfoText(), "");
}

TEST_F(MediaDialogsTest, OpenDialogReturnsTheChosenFile) {
  const std::string avi = WriteAvi(1);
  TMediaOpenDialog dialog;
  dialog.Filter = "AVI files (*.avi)|*.avi|All files (*.*)|*.*";
  dialog.InitialDir = QString::fromStdString(dir_.string());
  QTimer::singleShot(0, [&] {
    auto* fileDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(fileDialog, nullptr);
    EXPECT_TRUE(fileDialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_NE(fileDialog->findChild<TMediaPreview*>("MediaPreview"), nullptr);
    EXPECT_EQ(fileDialog->nameFilters(), QStringList({"AVI files (*.avi)", "All files (*)"}));
    fileDialog->selectFile(QString::fromStdString(avi));
    static_cast<QDialog*>(fileDialog)->accept();  // QFileDialog::accept runs
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName.toStdString(), avi);
}

TEST_F(MediaDialogsTest, APresetFileIsPreviewedAtOnce) {
  WriteAvi(2);
  TMediaOpenDialog dialog;
  dialog.Filter = "AVI files (*.avi)|*.avi";
  dialog.InitialDir = QString::fromStdString(dir_.string());
  dialog.FileName = "clip.avi";  // relative to the starting folder
  QString info;
  QTimer::singleShot(0, [&] {
    QWidget* fileDialog = QApplication::activeModalWidget();
    ASSERT_NE(fileDialog, nullptr);
    auto* preview = fileDialog->findChild<TMediaPreview*>("MediaPreview");
    ASSERT_NE(preview, nullptr);
    info = preview->InfoText();
    fileDialog->close();
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(info, "40 x 30, 2 frames");
}

TEST_F(MediaDialogsTest, SaveDialogAddsTheExtensionAndCancelKeepsTheName) {
  TMediaSaveDialog dialog;
  dialog.Filter = "Avi files (*.avi)|*.avi";
  dialog.DefaultExt = "avi";
  dialog.Options |= TMediaFileDialog::ofOverwritePrompt;
  dialog.InitialDir = QString::fromStdString(dir_.string());
  QTimer::singleShot(0, [&] {
    auto* fileDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(fileDialog, nullptr);
    EXPECT_EQ(fileDialog->acceptMode(), QFileDialog::AcceptSave);
    fileDialog->selectFile(QString::fromStdString(Path("movie")));
    static_cast<QDialog*>(fileDialog)->accept();  // QFileDialog::accept runs
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName.toStdString(), Path("movie.avi"));

  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName.toStdString(), Path("movie.avi"));
}

}  // namespace
