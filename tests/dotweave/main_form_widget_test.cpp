#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "../shared/qt_test_app.h"
#include "../support/temp_dir.h"
#include "dotweave/main_form.h"
#include "dotweave/preview_box.h"
#include "platform/bmp.h"
#include "platform/color.h"
#include "platform/ini_file.h"

namespace {

namespace fs = std::filesystem;

// A window on a fresh program folder, with the sample mask and texture beside it.
class MainFormTest : public testsupport::TTempDirTest {
 protected:
  void SetUp() override {
    TTempDirTest::SetUp();
    TestApp();
    fs::create_directories(dir_ / "Masks");
    fs::create_directories(dir_ / "Textures");
    mask_ = Path("Masks/sphere_ring.bmp");
    texture_ = Path("Textures/waves_texture.bmp");
    fs::copy_file(std::string(DW_SOURCE_DIR) + "/assets/samples/sphere_ring.bmp", mask_);
    fs::copy_file(std::string(DW_SOURCE_DIR) + "/assets/samples/waves_texture.bmp", texture_);
  }
  void TearDown() override {
    form_.reset();
    TTempDirTest::TearDown();
  }
  std::string Cfg() const { return Path("Dotweave.cfg"); }
  void WriteCfg(const std::string& text) const { std::ofstream(Cfg()) << text; }
  TMainForm& Open() {
    form_ = std::make_unique<TMainForm>(QString::fromStdString(dir_.string()));
    return *form_;
  }
  TMainForm& OpenShown() {
    TMainForm& form = Open();
    form.setGeometry(60, 50, 700, 560);
    form.show();
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    return form;
  }
  // A shown window set for a random-dot render of side x side pixels, long enough to interrupt.
  TMainForm& OpenForLongRender(int side) {
    TMainForm& form = OpenShown();
    TStereoParams& p = form.Engine().Params;
    p.Randm = true;
    p.CustomRez = true;
    p.PWidth = side;
    p.PHeight = side;
    p.MaskFileName = mask_;
    form.UpdateCommands();
    return form;
  }
  // A small grey mask of its own.
  std::string MakeMask(const std::string& name) const {
    TDIB mask;
    mask.SetColorTable(GreyRamp());
    mask.SetSize(32, 24, 8);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 32; ++x) mask.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 8);
    WriteBmp(mask, Path(name));
    return Path(name);
  }
  template <class T>
  T* Find(const char* name) const {
    T* found = form_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  bool Enabled(const char* name) const {
    if (auto* button = form_->findChild<QToolButton*>(QString::fromLatin1(name)))
      return button->isEnabled();
    if (auto* menu = form_->findChild<QMenu*>(QString::fromLatin1(name)))
      return menu->menuAction()->isEnabled();
    auto* action = Find<QAction>(name);
    return action && action->isEnabled();
  }
  QString Status(int panel) const {
    return Find<QLabel>(("StatusPanel" + std::to_string(panel)).c_str())->text();
  }
  // Runs `act` on the next modal window of the class (a message box unless told) once it is up.
  static void WhenModal(std::function<void(QWidget*)> act, const char* className = "QMessageBox") {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act, className] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->inherits(className)) return;
      timer->stop();
      timer->deleteLater();
      act(modal);
    });
    timer->start();
  }
  static void Answer(QWidget* modal, QMessageBox::StandardButton button) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    box->button(button)->click();
  }

  std::unique_ptr<TMainForm> form_;
  std::string mask_;
  std::string texture_;
};

TEST_F(MainFormTest, FirstStartWithoutSettingsFile) {
  TMainForm& form = Open();
  const TStereoParams& p = form.Engine().Params;
  EXPECT_EQ(form.windowTitle(), "Deepix 1.74");
  EXPECT_EQ(p.PWidth, 640);
  EXPECT_EQ(p.PHeight, 480);
  EXPECT_EQ(p.BitRate, 24);
  EXPECT_EQ(p.Base, 88);
  EXPECT_FALSE(p.Randm);
  EXPECT_EQ(p.Colors, std::vector<TColor>{16777215});
  for (const char* check : {"ToolBar1", "StatusBar1", "Showhints1", "UseDirectXmode"})
    EXPECT_TRUE(Find<QAction>(check)->isChecked()) << check;
  EXPECT_TRUE(form.WindowOptions().ShowWizard);
  // The start-up picture is up, in 24 bits.
  EXPECT_EQ(form.Engine().OutputImage.Width(), 320);
  EXPECT_EQ(form.Engine().OutputImage.BitCount(), 24);
  EXPECT_FALSE(Find<TDXPaintBox>("DXPaintBox1")->DIB().Empty());
  // Texture mode without a texture.
  EXPECT_FALSE(Enabled("SpExport"));
  EXPECT_FALSE(Enabled("SpRun"));
  EXPECT_TRUE(Enabled("Texture1"));
  EXPECT_TRUE(Enabled("SpText"));
  EXPECT_FALSE(Enabled("Randomdotcolors1"));
  EXPECT_FALSE(Enabled("SpRnd"));
  EXPECT_TRUE(Enabled("BlendButton"));
  EXPECT_FALSE(fs::exists(Cfg())) << "nothing is written before the first close";
}

TEST_F(MainFormTest, SettingsFileEdgeCasesLoadAndSaveBack) {
  WriteCfg(
      "[Options]\nBase=89\nCustomRez=0\nResolution=2\nPWidth=700\nJpegQual=0x50\nRandm=1\n"
      "BitRate=8\nToolBar=0\nMaskFileName=" +
      Path("gone.bmp") + "\nFonFileName=" + texture_ +
      "\n[Colors]\n255=255\nabc=abc\n65280=65280\n[Blending]\nVolume=33\n");
  {
    TMainForm& form = Open();
    const TStereoParams& p = form.Engine().Params;
    EXPECT_EQ(p.Base, 90);
    EXPECT_EQ(p.PWidth, 1024);
    EXPECT_EQ(p.PHeight, 768);
    EXPECT_EQ(p.JpegQual, 80);
    EXPECT_EQ(p.BitRate, 8);
    EXPECT_EQ(form.Engine().OutputImage.BitCount(), 24) << "start-up picture in 24 bits";
    EXPECT_EQ(p.Colors, (std::vector<TColor>{255, 65280}));
    EXPECT_EQ(p.MaskFileName, "") << "missing file cleared";
    EXPECT_EQ(p.FonFileName, texture_);
    EXPECT_FALSE(Find<QAction>("ToolBar1")->isChecked());
    EXPECT_TRUE(Find<QToolBar>("ToolBar")->isHidden());
    EXPECT_TRUE(form.close());
  }
  const TIniFile saved(Cfg());
  EXPECT_EQ(saved.ReadString("Options", "Base", ""), "90");
  EXPECT_EQ(saved.ReadString("Options", "PWidth", ""), "1024");
  EXPECT_EQ(saved.ReadString("Options", "PHeight", ""), "768");
  EXPECT_EQ(saved.ReadString("Options", "JpegQual", ""), "80");
  EXPECT_EQ(saved.ReadString("Options", "ToolBar", ""), "0");
  EXPECT_EQ(saved.ReadString("Options", "MaskFileName", "x"), "");
  EXPECT_EQ(saved.ReadSection("Colors"), (std::vector<std::string>{"255", "65280"}));
  EXPECT_EQ(saved.ReadInteger("Blending", "Volume", 0), 33) << "other sections untouched";
  EXPECT_TRUE(saved.SectionExists("window"));
}

TEST_F(MainFormTest, SettingsThatCannotBeWrittenAreReportedNotLost) {
  fs::create_directories(Cfg());  // the name is taken by a folder
  TMainForm& form = Open();
  EXPECT_TRUE(Status(2).startsWith("Settings cannot be saved: ")) << Status(2).toStdString();
  EXPECT_TRUE(Status(2).contains("Dotweave.cfg"));
  // The close asks before the settings are given up.
  QString asked;
  WhenModal([&](QWidget* modal) {
    asked = qobject_cast<QMessageBox*>(modal)->text();
    Answer(modal, QMessageBox::No);
  });
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(asked.startsWith("The settings could not be saved:")) << asked.toStdString();
  WhenModal([&](QWidget* modal) { Answer(modal, QMessageBox::Yes); });
  EXPECT_TRUE(form.close());
}

TEST_F(MainFormTest, EverySettingAndBothRecentListsComeBackAfterRestart) {
  const std::string second = MakeMask("second.bmp");
  {
    TMainForm& form = Open();
    form.OpenTexture(QString::fromStdString(texture_));
    form.OpenMask(QString::fromStdString(mask_));
    form.OpenMask(QString::fromStdString(second));
    form.Engine().Params.DotNum = 321;
    Find<QAction>("Showhints1")->trigger();
    Find<QAction>("UseDirectXmode")->trigger();
    EXPECT_TRUE(form.close());
  }
  TMainForm& form = Open();
  EXPECT_EQ(form.Engine().Params.MaskFileName, second);
  EXPECT_EQ(form.Engine().Params.FonFileName, texture_);
  EXPECT_EQ(form.Engine().Params.DotNum, 321);
  EXPECT_FALSE(Find<QAction>("Showhints1")->isChecked());
  EXPECT_FALSE(Find<QAction>("UseDirectXmode")->isChecked());
  EXPECT_EQ(form.RecentMasks().Items(), (std::vector<std::string>{second, mask_}));
  EXPECT_EQ(form.RecentTextures().Items(), std::vector<std::string>{texture_});
  EXPECT_EQ(Find<QAction>("MRU1_0")->text(), "second.bmp");
  EXPECT_EQ(Find<QAction>("MRU1_1")->text(), "sphere_ring.bmp");
  EXPECT_EQ(Find<QAction>("MRU2_0")->text(), "waves_texture.bmp");
  EXPECT_EQ(form.WindowOptions().MaskDir, dir_.string());
  EXPECT_TRUE(Enabled("SpRun"));
}

TEST_F(MainFormTest, RecentMasksKeepTenNewestFirstWithoutRepeats) {
  TMainForm& form = Open();
  std::vector<std::string> masks;
  for (int i = 0; i < 12; ++i) {
    char name[16];  // GCC 12 warns wrongly (-Wrestrict) on "m" + std::to_string(i)
    std::snprintf(name, sizeof name, "m%d.bmp", i);
    masks.push_back(MakeMask(name));
  }
  for (const std::string& m : masks) form.OpenMask(QString::fromStdString(m));
  std::vector<std::string> expected(masks.rbegin(), masks.rbegin() + 10);
  EXPECT_EQ(form.RecentMasks().Items(), expected);
  // Choosing a listed file again (in other case) moves it up instead of adding it.
  QString again = QString::fromStdString(masks[5]);
  again.replace("m5.bmp", "M5.BMP");
  fs::copy_file(masks[5], again.toStdString());
  form.OpenMask(again);
  EXPECT_EQ(form.RecentMasks().Items().size(), 10u);
  EXPECT_EQ(form.RecentMasks().Items()[0], again.toStdString());
  EXPECT_EQ(Find<QMenu>("Mask1")->actions().size(), 2 + 10);
  EXPECT_EQ(form.findChild<QAction*>("MRU1_10"), nullptr);
}

TEST_F(MainFormTest, RecentMaskWhoseFileWasDeletedRendersNothingAndStays) {
  TMainForm& form = Open();
  form.Engine().Params.Randm = true;
  const std::string gone = MakeMask("gone.bmp");
  form.OpenMask(QString::fromStdString(gone));
  EXPECT_EQ(Status(2), "640x480 24 color bits image");
  Find<TDXPaintBox>("DXPaintBox1");
  fs::remove(gone);
  form.Engine().OutputImage = TDIB();
  form.SetStatusText(2, "");
  Find<QAction>("MRU1_0")->trigger();
  EXPECT_TRUE(form.Engine().OutputImage.Empty()) << "nothing rendered";
  EXPECT_EQ(Status(2), "");
  EXPECT_EQ(form.RecentMasks().Items(), std::vector<std::string>{gone});
  EXPECT_FALSE(Enabled("SpRun"));
}

TEST_F(MainFormTest, CommandsFollowTheModeAndTheFiles) {
  struct Case {
    bool randm;
    bool mask;
    bool texture;
    bool spExport, spRun, textureMenu, dotColors;
  } cases[] = {
      {false, false, false, false, false, true, false},
      {false, true, false, false, false, true, false},
      {false, false, true, true, false, true, false},
      {false, true, true, true, true, true, false},
      {true, false, false, true, false, false, true},
      {true, true, false, true, true, false, true},
  };
  TMainForm& form = Open();
  for (const Case& c : cases) {
    TStereoParams& p = form.Engine().Params;
    p.Randm = c.randm;
    p.MaskFileName = c.mask ? mask_ : "";
    p.FonFileName = c.texture ? texture_ : Path("none.bmp");
    form.UpdateCommands();
    const std::string at = "randm " + std::to_string(c.randm) + " mask " + std::to_string(c.mask) +
                           " texture " + std::to_string(c.texture);
    EXPECT_EQ(Enabled("SpExport"), c.spExport) << at;
    EXPECT_EQ(Enabled("BitmapSequencer1"), c.spExport) << at;
    EXPECT_EQ(Enabled("SpRun"), c.spRun) << at;
    EXPECT_TRUE(Enabled("Render1")) << at;
    EXPECT_EQ(Enabled("Texture1"), c.textureMenu) << at;
    EXPECT_EQ(Enabled("OpenPalleteBitMap1"), c.textureMenu) << at << ": its shortcut too";
    EXPECT_EQ(Enabled("SpText"), c.textureMenu) << at;
    EXPECT_EQ(Enabled("Randomdotcolors1"), c.dotColors) << at;
    EXPECT_EQ(Enabled("SpRnd"), c.dotColors) << at;

    form.LockCommands(true);
    for (const char* name : {"Texture1",
                             "Mask1",
                             "OpenMaskBitMap1",
                             "OpenPalleteBitMap1",
                             "SaveAs1",
                             "Options1",
                             "Stereogramwizard1",
                             "FullScreen1",
                             "Render1",
                             "BitmapSequencer1",
                             "Blending1",
                             "Randomdotcolors1",
                             "Print1",
                             "SpText",
                             "SpMask",
                             "SpSave",
                             "SpOptions",
                             "SPWizard",
                             "SpFull",
                             "SpRun",
                             "SpExport",
                             "BlendButton",
                             "SpRnd",
                             "btnPrint"})
      EXPECT_FALSE(Enabled(name)) << at << ": " << name << " while busy";
    for (const char* name : {"ToolBar1", "StatusBar1", "Showhints1", "UseDirectXmode", "N1",
                             "About1", "Exit1", "Stop1", "SpHelp", "SpExit"})
      EXPECT_TRUE(Enabled(name)) << at << ": " << name << " while busy";
    form.LockCommands(false);
    EXPECT_EQ(Enabled("SpRun"), c.spRun) << at << " after the render";
    EXPECT_EQ(Enabled("Texture1"), c.textureMenu) << at << " after the render";
    EXPECT_TRUE(Enabled("Mask1")) << at;
  }
}

TEST_F(MainFormTest, EightBitPictureDisablesBlending) {
  TMainForm& form = Open();
  TStereoParams& p = form.Engine().Params;
  p.Randm = true;
  p.BitRate = 8;
  form.OpenMask(QString::fromStdString(mask_));
  EXPECT_EQ(form.Engine().OutputImage.BitCount(), 8);
  EXPECT_EQ(Status(2), "640x480 8 color bits image");
  EXPECT_FALSE(Enabled("BlendButton"));
  EXPECT_FALSE(Enabled("Blending1"));
  EXPECT_EQ(Find<TDXPaintBox>("DXPaintBox1")->DIB().BitCount(), 8);
}

TEST_F(MainFormTest, RenderFromTheMenuStopsOnEscHalfWay) {
  TMainForm& form = OpenForLongRender(2000);
  TStereoParams& p = form.Engine().Params;
  form.UpdateCommands();
  auto* progress = Find<QProgressBar>("ProgressBar");
  bool busyDuringRender = false;
  int stoppedAt = -1;
  QObject::connect(progress, &QProgressBar::valueChanged, [&](int value) {
    if (value < 50 || stoppedAt >= 0) return;
    stoppedAt = value;
    busyDuringRender =
        !Enabled("SpRun") && !Enabled("Mask1") && Status(2) == "Press Esc to interrupt.";
    QTest::keyClick(&form, Qt::Key_Escape);
  });
  QTest::keyClick(&form, Qt::Key_R, Qt::ControlModifier);
  EXPECT_GE(stoppedAt, 50);
  EXPECT_TRUE(busyDuringRender);
  EXPECT_TRUE(form.Engine().CancelRequested);
  EXPECT_FALSE(form.Engine().RenderInProgress);
  EXPECT_EQ(Status(2), "Rendering was canceled by user");
  EXPECT_EQ(progress->value(), 0);
  EXPECT_TRUE(Enabled("SpRun")) << "commands come back";
  // A render that is left alone reports the picture.
  QObject::disconnect(progress, nullptr, nullptr, nullptr);
  p.PWidth = 640;
  p.PHeight = 480;
  Find<QToolButton>("SpRun")->click();
  EXPECT_FALSE(form.Engine().CancelRequested);
  EXPECT_EQ(Status(2), "640x480 24 color bits image");
  EXPECT_EQ(Find<TDXPaintBox>("DXPaintBox1")->DIB().Width(), 640);
}

TEST_F(MainFormTest, DamagedMaskIsReportedAndTheWindowGoesOn) {
  TMainForm& form = Open();
  form.Engine().Params.Randm = true;
  const std::string bad = Path("bad.bmp");
  std::ofstream(bad) << "BM this is not a picture";
  QString shown;
  WhenModal([&](QWidget* modal) {
    shown = qobject_cast<QMessageBox*>(modal)->text();
    Answer(modal, QMessageBox::Ok);
  });
  form.OpenMask(QString::fromStdString(bad));
  EXPECT_TRUE(shown.contains("bad.bmp")) << shown.toStdString();
  EXPECT_FALSE(form.Engine().RenderInProgress);
  EXPECT_TRUE(Enabled("Mask1"));
}

TEST_F(MainFormTest, SaveWritesTheChosenTypeAndHoldsTheJpegLimit) {
  TMainForm& form = Open();
  TStereoParams& p = form.Engine().Params;
  struct Case {
    int width, height, filterIndex;
    const char* name;
    bool written;
    const char* magic;
  } cases[] = {
      {640, 480, 1, "plain.bmp", true, "BM"},
      {640, 480, 1, "named.jpg", true, "BM"},  // the type decides, not the name
      {640, 480, 2, "photo.jpg", true, "\xFF\xD8"},
      {640, 480, 3, "lossless.png", true, "\x89PNG"},
      {1920, 1500, 2, "limit.jpg", true, "\xFF\xD8"},
      {1921, 1500, 2, "over.jpg", false, ""},
      {1921, 1500, 1, "over.bmp", true, "BM"},
  };
  for (const Case& c : cases) {
    p.PWidth = c.width;
    p.PHeight = c.height;
    TDIB& out = form.Engine().OutputImage;
    out.SetSize(c.width, c.height, 24);
    if (!c.written) WhenModal([](QWidget* modal) { Answer(modal, QMessageBox::Ok); });
    EXPECT_EQ(form.SaveImage(QString::fromStdString(Path(c.name)), c.filterIndex), c.written)
        << c.name;
    ASSERT_EQ(fs::exists(Path(c.name)), c.written) << c.name;
    if (!c.written) continue;
    std::ifstream in(Path(c.name), std::ios::binary);
    std::string head(std::strlen(c.magic), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head, c.magic) << c.name;
  }
}

TEST_F(MainFormTest, SaveDialogSetsTheFolderOnlyWhenSomethingIsSaved) {
  TMainForm& form = Open();
  fs::create_directories(dir_ / "out");
  const std::string target = Path("out/picture.jpg");
  auto choose = [&](const char* filter) {
    WhenModal(
        [=](QWidget* modal) {
          auto* dialog = qobject_cast<QFileDialog*>(modal);
          EXPECT_EQ(dialog->windowTitle(), "Save image as");
          dialog->selectNameFilter(filter);
          dialog->selectFile(QString::fromStdString(target));
          QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        },
        "QFileDialog");
  };
  // Too large for JPEG: the message, nothing written, the folder stays.
  form.Engine().Params.PWidth = 1921;
  form.Engine().Params.PHeight = 1500;
  choose("JPEG files (*.jpg)");
  QString message;
  WhenModal([&](QWidget* modal) {
    message = qobject_cast<QMessageBox*>(modal)->text();
    Answer(modal, QMessageBox::Ok);
  });
  form.SaveAsClick();
  EXPECT_TRUE(message.startsWith("Selected image size is too large")) << message.toStdString();
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(form.WindowOptions().SaveDir, "");
  // A normal size is saved and the folder remembered.
  form.Engine().Params.PWidth = 640;
  form.Engine().Params.PHeight = 480;
  form.Engine().OutputImage.SetSize(640, 480, 24);
  choose("JPEG files (*.jpg)");
  form.SaveAsClick();
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(form.WindowOptions().SaveDir, (dir_ / "out").string());
}

TEST_F(MainFormTest, CloseDuringRenderAsksAndYesSavesNothing) {
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    fs::remove(Cfg());
    TMainForm& form = OpenForLongRender(1500);
    bool ended = false;
    form.EndApplication = [&] { ended = true; };
    QString question;
    bool asked = false;
    QObject::connect(Find<QProgressBar>("ProgressBar"), &QProgressBar::valueChanged,
                     [&](int value) {
                       if (value < 30 || asked) return;
                       asked = true;
                       WhenModal([&](QWidget* modal) {
                         question = qobject_cast<QMessageBox*>(modal)->text();
                         Answer(modal, yes ? QMessageBox::Yes : QMessageBox::No);
                       });
                       form.close();
                     });
    form.SpRunClick();
    EXPECT_TRUE(asked);
    EXPECT_EQ(question, "Rendering is in progress.\nTerminate process and exit?");
    EXPECT_EQ(form.Engine().CancelRequested, yes);
    EXPECT_EQ(ended, yes);
    EXPECT_EQ(Status(2), yes ? "Rendering was canceled by user" : "1500x1500 24 color bits image");
    EXPECT_FALSE(fs::exists(Cfg())) << "no settings written during the render";
    EXPECT_TRUE(form.isVisible()) << "the window stays until the event loop ends";
    form_.reset();
    EXPECT_FALSE(TIniFile(Cfg()).SectionExists("Options"));
  }
}

TEST_F(MainFormTest, FullScreenEnterAndLeaveRestoreTheWindow) {
  struct Case {
    bool directX;
    int width, height;
    QSize frame;
  } cases[] = {{true, 640, 480, {640, 480}},
               {true, 801, 600, {1024, 768}},
               {true, 1600, 1200, {1024, 768}},
               {false, 640, 480, {}}};
  TMainForm& form = OpenShown();
  for (const Case& c : cases) {
    const std::string at = std::to_string(c.width) + "x" + std::to_string(c.height);
    form.setGeometry(60, 50, 700, 560);
    QTest::qWait(10);
    const QRect before = form.geometry();
    Find<QAction>("UseDirectXmode")->setChecked(c.directX);
    form.Engine().OutputImage.SetSize(c.width, c.height, 24);
    QTest::keyClick(&form, Qt::Key_Return, Qt::AltModifier);
    ASSERT_TRUE(form.IsFullScreen()) << at;
    EXPECT_TRUE(form.menuBar()->isHidden()) << at;
    EXPECT_TRUE(form.statusBar()->isHidden()) << at;
    EXPECT_TRUE(Find<QToolBar>("ToolBar")->isHidden()) << at;
    EXPECT_EQ(Find<TDXPaintBox>("DXPaintBox1")->Frame(), c.frame) << at;
    EXPECT_EQ(Find<TDXPaintBox>("DXPaintBox1")->palette().color(QPalette::Window), Qt::black);
    EXPECT_EQ(form.SavedBounds(), before) << at;
    // The shortcuts of the hidden menus still work.
    EXPECT_TRUE(Enabled("Render1"));
    QTest::keyClick(&form, Qt::Key_Escape);
    ASSERT_FALSE(form.IsFullScreen()) << at;
    QTest::qWait(10);
    EXPECT_EQ(form.geometry(), before) << at;
    EXPECT_FALSE(form.menuBar()->isHidden()) << at;
    EXPECT_FALSE(form.statusBar()->isHidden()) << at;
    EXPECT_FALSE(Find<QToolBar>("ToolBar")->isHidden()) << at;
    EXPECT_FALSE(Find<TDXPaintBox>("DXPaintBox1")->Frame().isValid()) << at;
  }
  // Alt+Enter twice goes and comes back too.
  QTest::keyClick(&form, Qt::Key_Return, Qt::AltModifier);
  EXPECT_TRUE(form.IsFullScreen());
  QTest::keyClick(&form, Qt::Key_Return, Qt::AltModifier);
  EXPECT_FALSE(form.IsFullScreen());
}

TEST_F(MainFormTest, CloseInFullScreenStoresTheWindowedPlacement) {
  {
    TMainForm& form = OpenShown();
    const QRect before = form.geometry();
    form.FullScreen1Click();
    ASSERT_TRUE(form.IsFullScreen());
    EXPECT_TRUE(form.close());
    const TIniFile saved(Cfg());
    const std::string expected =
        std::to_string(before.left()) + "," + std::to_string(before.top()) + "," +
        std::to_string(before.right() + 1) + "," + std::to_string(before.bottom() + 1);
    EXPECT_EQ(saved.ReadString("window", "NormPos", ""), expected);
  }
  TMainForm& form = Open();
  form.ShowAtPlacement();
  EXPECT_EQ(form.geometry(), QRect(60, 50, 700, 560));
}

TEST_F(MainFormTest, AltEnterDoesNothingDuringARenderAndEscStopsIt) {
  TMainForm& form = OpenForLongRender(1500);
  bool fullDuringRender = true;
  bool done = false;
  QObject::connect(Find<QProgressBar>("ProgressBar"), &QProgressBar::valueChanged, [&](int value) {
    if (value < 20 || done) return;
    done = true;
    QTest::keyClick(&form, Qt::Key_Return, Qt::AltModifier);
    fullDuringRender = form.IsFullScreen();
    QTest::keyClick(&form, Qt::Key_Escape);
  });
  form.SpRunClick();
  EXPECT_FALSE(fullDuringRender);
  EXPECT_EQ(Status(2), "Rendering was canceled by user");
}

TEST_F(MainFormTest, CtrlPReachesPrintOnlyAndNothingWhenPrintIsDisabled) {
  TMainForm& form = OpenShown();
  QString shown;
  WhenModal([&](QWidget* modal) {
    shown = qobject_cast<QMessageBox*>(modal)->text();
    Answer(modal, QMessageBox::Ok);
  });
  QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(shown.startsWith("Print")) << "shown: " << shown.toStdString();
  EXPECT_TRUE(Find<QAction>("BitmapSequencer1")->shortcut().isEmpty());
  EXPECT_TRUE(Find<QAction>("BitmapSequencer1")->text().endsWith("\tCtrl+P"));

  form.LockCommands(true);
  bool anyModal = false;
  QTimer::singleShot(0, [&] { anyModal = QApplication::activeModalWidget() != nullptr; });
  QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);
  QTest::keyClick(&form, Qt::Key_T, Qt::ControlModifier);
  QTest::qWait(20);
  EXPECT_FALSE(anyModal);
  form.LockCommands(false);
}

TEST_F(MainFormTest, ViewChecksShowAndHideTheBarsAndHints) {
  TMainForm& form = OpenShown();
  auto* bar = Find<QToolBar>("ToolBar");
  auto* run = Find<QToolButton>("SpRun");
  EXPECT_EQ(run->toolTip(), "Render");
  Find<QAction>("ToolBar1")->trigger();
  EXPECT_TRUE(bar->isHidden());
  Find<QAction>("StatusBar1")->trigger();
  EXPECT_TRUE(form.statusBar()->isHidden());
  Find<QAction>("Showhints1")->trigger();
  EXPECT_EQ(run->toolTip(), "");
  Find<QAction>("ToolBar1")->trigger();
  Find<QAction>("StatusBar1")->trigger();
  EXPECT_FALSE(bar->isHidden());
  EXPECT_FALSE(form.statusBar()->isHidden());
  // The progress bar lies over panel 1.
  const QRect progress = Find<QProgressBar>("ProgressBar")->geometry();
  EXPECT_EQ(progress.topLeft(), QPoint(103, 3));
  EXPECT_EQ(progress.width(), 146);
}

}  // namespace
