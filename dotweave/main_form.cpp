#include "dotweave/main_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <stdexcept>

#include "dotweave/core/window_rules.h"
#include "dotweave/jpeg_resource.h"
#include "dotweave/preview_box.h"
#include "dotweave/tool_glyphs.h"
#include "engine/stereo_settings.h"
#include "platform/atomic_file.h"

namespace {

constexpr int kPanelWidths[3] = {100, 150, 350};

}  // namespace

TMainForm::TMainForm(const QString& programDir, QWidget* parent)
    : QMainWindow(parent),
      EndApplication([] { QCoreApplication::exit(0); }),
      programDir_(QDir(programDir).absolutePath()) {
  FormCreate();
}

TMainForm::~TMainForm() {
  // The placement is kept even when the run never wrote it (ended during a render, for one).
  if (!placementWritten_) SavePlacement();
  engine_.Host = nullptr;
}

// The order of the start-up steps matters: the start-up picture is always shown in 24 bits, and
// the stored file names are checked only after the picture is up.
void TMainForm::FormCreate() {
  animationDialog_ = nullptr;
  const std::string folder = SettingsFolder(programDir_.toStdString(), "dotweave");
  settings_ = std::make_unique<TIniFile>(folder + "/Dotweave.cfg");
  engine_.Host = this;
  setObjectName(QStringLiteral("MainForm"));
  createActions();
  createMenus();
  createToolBar();
  preview_ = new TDXPaintBox(this);
  preview_->setObjectName(QStringLiteral("DXPaintBox1"));
  SetPreviewBackground(palette().color(QPalette::Button));
  setCentralWidget(preview_);
  createStatusBar();
  LoadSettings();
  setWindowTitle(L(kCaption));
  ReportSettingsError(WriteProblem(settings_->FileName()));
}

void TMainForm::LoadSettings() {
  LoadStereoParams(*settings_, engine_.Params);
  options_ = LoadWindowOptions(*settings_, programDir_.toStdString());
  recentMasks_.Load(*settings_, "Recent Masks");
  recentTextures_.Load(*settings_, "Recent Textures");
  RebuildRecentMenu(maskMenu_, recentMasks_, "MRU1_", &TMainForm::MRU1Click);
  RebuildRecentMenu(textureMenu_, recentTextures_, "MRU2_", &TMainForm::MRU2Click);
  ToolBar1->setChecked(options_.ToolBar);
  StatusBar1->setChecked(options_.StatusBar);
  Showhints1->setChecked(options_.Showhints);
  UseDirectXmode->setChecked(options_.UseDirectXmode);
  toolBar_->setVisible(options_.ToolBar);
  statusBar()->setVisible(options_.StatusBar);
  ApplyHints();
  // The start-up picture is shown in 24 bits whatever the stored colour depth.
  const int bitRate = engine_.Params.BitRate;
  engine_.Params.BitRate = 24;
  try {
    LoadJpegResource("logo", engine_.OutputImage);
  } catch (const std::exception&) {
    engine_.OutputImage = TDIB();  // a damaged build still starts, with an empty preview
  }
  ShowPreview();
  engine_.Params.BitRate = bitRate;
  ClearMissingFiles(engine_.Params);
  UpdateCommands();
}

void TMainForm::ShowAtPlacement() {
  TWindowPlacement placement;
  if (!ReadPlacement(*settings_, placement)) {
    // Without a window manager "maximised" means nothing; fill the screen by hand too.
    if (screen()) setGeometry(screen()->availableGeometry());
    showMaximized();
    activateWindow();
    return;
  }
  setGeometry(placement.Left, placement.Top, placement.Width, placement.Height);
  if (placement.Maximized)
    showMaximized();
  else
    show();
  activateWindow();
}

void TMainForm::SavePlacement() {
  const QRect bounds = fullScreen_ ? savedBounds_ : normalGeometry();
  TWindowPlacement placement;
  placement.Left = bounds.left();
  placement.Top = bounds.top();
  placement.Width = bounds.width();
  placement.Height = bounds.height();
  placement.Maximized = !fullScreen_ && isMaximized();
  if (placement.Width < 1 || placement.Height < 1) return;  // never shown: nothing worth keeping
  WritePlacement(*settings_, placement);
  placementWritten_ = true;
  ReportSettingsError(settings_->LastError());
}

// Once per run, so the status bar is not taken over by the same complaint again and again.
void TMainForm::ReportSettingsError(const std::string& problem) {
  if (settingsErrorReported_ || problem.empty()) return;
  settingsErrorReported_ = true;
  SetStatusText(2, Localize("Settings cannot be saved: ") + problem);
}

// ---- Actions, menus, tool bar, status bar ----

QAction* TMainForm::NewAction(const char* name, const char* caption, const QKeySequence& shortcut) {
  auto* action = new QAction(L(caption), this);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(shortcut);
  // Held by the window too, so the shortcut works while the menus are hidden (full screen).
  addAction(action);
  return action;
}

void TMainForm::createActions() {
  Stereogramwizard1 = NewAction("Stereogramwizard1", "Stereogram &wizard", Qt::CTRL | Qt::Key_W);
  Stop1 = NewAction("Stop1", "S&top", Qt::Key_Escape);
  SaveAs1 = NewAction("SaveAs1", "&Save as", Qt::CTRL | Qt::Key_S);
  Options1 = NewAction("Options1", "&Options", Qt::CTRL | Qt::Key_O);
  Blending1 = NewAction("Blending1", "&Blending", Qt::CTRL | Qt::Key_B);
  Randomdotcolors1 = NewAction("Randomdotcolors1", "Random &dot colors", Qt::CTRL | Qt::Key_D);
  Render1 = NewAction("Render1", "&Render", Qt::CTRL | Qt::Key_R);
  Print1 = NewAction("Print1", "&Print", Qt::CTRL | Qt::Key_P);
  Exit1 = NewAction("Exit1", "E&xit", Qt::ALT | Qt::Key_X);
  OpenPalleteBitMap1 = NewAction("OpenPalleteBitMap1", "Open &Texture", Qt::CTRL | Qt::Key_T);
  OpenMaskBitMap1 = NewAction("OpenMaskBitMap1", "Open &Mask", Qt::CTRL | Qt::Key_M);
  // Shows Ctrl+P but does not take it: the key belongs to "Print", first in menu order.
  BitmapSequencer1 = NewAction("BitmapSequencer1", "Im&port animated mask");
  BitmapSequencer1->setText(BitmapSequencer1->text() + QStringLiteral("\tCtrl+P"));
  ToolBar1 = NewAction("ToolBar1", "&ToolBar");
  StatusBar1 = NewAction("StatusBar1", "&StatusBar");
  Showhints1 = NewAction("Showhints1", "Show &hints");
  UseDirectXmode = NewAction("UseDirectXmode", "&Use DirectX FullScreen mode");
  for (QAction* check : {ToolBar1, StatusBar1, Showhints1, UseDirectXmode})
    check->setCheckable(true);
  FullScreen1 = NewAction("FullScreen1", "&Full Screen");
  FullScreen1->setShortcuts(
      {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});
  N1 = NewAction("N1", "&Help Topics");
  Website1 = NewAction("Website1", "&Web site");
  OnlineHelp1 = NewAction("OnlineHelp1", "O&nline Help");
  About1 = NewAction("About1", "&About", Qt::CTRL | Qt::Key_A);
  FormHelp = NewAction("FormHelp", "Help", Qt::Key_F1);  // F1 anywhere in the window; never shown
  connect(Stop1, &QAction::triggered, this, &TMainForm::Stop1Click);
  connect(SaveAs1, &QAction::triggered, this, &TMainForm::SaveAsClick);
  connect(Render1, &QAction::triggered, this, &TMainForm::SpRunClick);
  connect(Exit1, &QAction::triggered, this, &TMainForm::Exit1Click);
  connect(OpenPalleteBitMap1, &QAction::triggered, this, &TMainForm::OpenPalleteBitMap1Click);
  connect(OpenMaskBitMap1, &QAction::triggered, this, &TMainForm::OpenMaskBitMap1Click);
  connect(FullScreen1, &QAction::triggered, this, &TMainForm::FullScreen1Click);
  connect(ToolBar1, &QAction::toggled, this, [this](bool on) {
    options_.ToolBar = on;
    if (!fullScreen_) toolBar_->setVisible(on);
  });
  connect(StatusBar1, &QAction::toggled, this, [this](bool on) {
    options_.StatusBar = on;
    if (!fullScreen_) statusBar()->setVisible(on);
  });
  connect(Showhints1, &QAction::toggled, this, [this](bool on) {
    options_.Showhints = on;
    ApplyHints();
  });
  connect(UseDirectXmode, &QAction::toggled, this,
          [this](bool on) { options_.UseDirectXmode = on; });
  // The dialogs behind these commands come with later versions.
  const std::pair<QAction*, const char*> pending[] = {{Stereogramwizard1, "Stereogram wizard"},
                                                      {Options1, "Options"},
                                                      {Blending1, "Blending"},
                                                      {Randomdotcolors1, "Random dot colors"},
                                                      {Print1, "Print"},
                                                      {BitmapSequencer1, "Import animated mask"},
                                                      {N1, "Help Topics"},
                                                      {Website1, "Web site"},
                                                      {OnlineHelp1, "Online Help"},
                                                      {FormHelp, "Help"},
                                                      {About1, "About"}};
  for (const auto& [action, name] : pending)
    connect(action, &QAction::triggered, this, [this, name = name] { NotAvailable(L(name)); });
}

void TMainForm::createMenus() {
  fileMenu_ = menuBar()->addMenu(L("&File"));
  fileMenu_->setObjectName(QStringLiteral("File1"));
  fileMenu_->addActions(
      {Stereogramwizard1, SaveAs1, Options1, Blending1, Randomdotcolors1, Render1, Print1});
  fileMenu_->addSeparator();
  fileMenu_->addAction(Exit1);
  // "S&top" is never shown; the window holds it, so Esc works.
  textureMenu_ = menuBar()->addMenu(L("&Texture"));
  textureMenu_->setObjectName(QStringLiteral("Texture1"));
  textureMenu_->addAction(OpenPalleteBitMap1);
  maskMenu_ = menuBar()->addMenu(L("&Mask"));
  maskMenu_->setObjectName(QStringLiteral("Mask1"));
  maskMenu_->addActions({OpenMaskBitMap1, BitmapSequencer1});
  viewMenu_ = menuBar()->addMenu(L("&View"));
  viewMenu_->setObjectName(QStringLiteral("View1"));
  viewMenu_->addActions({ToolBar1, StatusBar1, Showhints1, UseDirectXmode, FullScreen1});
  languageMenu_ = viewMenu_->addMenu(L("&Language"));
  languageMenu_->setObjectName(QStringLiteral("Language1"));
  languageMenu_->menuAction()->setVisible(false);  // shown once language files exist
  helpMenu_ = menuBar()->addMenu(L("H&elp"));
  helpMenu_->setObjectName(QStringLiteral("Help1"));
  helpMenu_->addAction(N1);
  helpMenu_->addSeparator();
  helpMenu_->addActions({Website1, OnlineHelp1, About1});
}

QToolButton* TMainForm::NewButton(const char* name, const char* hint, QAction* command) {
  auto* button = new QToolButton(toolBar_);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoRaise(true);
  button->setFixedSize(23, 22);
  button->setIcon(ToolGlyph(button->objectName()));
  button->setIconSize(QSize(16, 16));
  button->setFocusPolicy(Qt::NoFocus);
  hints_[button] = L(hint);
  buttons_[name] = button;
  // The button has its own enabling; it runs the entry's handler whatever the entry's state.
  connect(button, &QToolButton::clicked, command, [command] { emit command->triggered(false); });
  toolBar_->addWidget(button);
  return button;
}

void TMainForm::createToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setObjectName(QStringLiteral("ToolBar"));
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->setFixedHeight(28);
  toolBar_->toggleViewAction()->setVisible(false);  // the View menu decides, nothing else
  addToolBar(Qt::TopToolBarArea, toolBar_);
  NewButton("SpMask", "Open depth mask file", OpenMaskBitMap1);
  NewButton("SpText", "Open texture file", OpenPalleteBitMap1);
  NewButton("SpSave", "Save image", SaveAs1);
  NewButton("btnPrint", "Print", Print1);
  NewButton("SpExport", "Animation Export", BitmapSequencer1);
  NewButton("BlendButton", "Blending", Blending1);
  NewButton("SpOptions", "Options", Options1);
  NewButton("SPWizard", "Stereogram Creation Wizard", Stereogramwizard1);
  NewButton("SpRnd", "Random dots colors", Randomdotcolors1);
  NewButton("SpRun", "Render", Render1);
  NewButton("SpFull", "Full Screen", FullScreen1);
  NewButton("SpHelp", "Help Topics", N1);
  NewButton("SpExit", "Exit", Exit1);
}

void TMainForm::createStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(true);
  for (int i = 0; i < 3; ++i) {
    statusPanels_[i] = new QLabel(bar);
    statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    statusPanels_[i]->setFixedWidth(kPanelWidths[i]);
    statusPanels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(statusPanels_[i]);
  }
  progressBar_ = new QProgressBar(bar);
  progressBar_->setObjectName(QStringLiteral("ProgressBar"));
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);
  bar->installEventFilter(this);
  PositionProgressBar();
}

// Over panel 1: 103 pixels from the left, 3 from the top, 146 wide, the bar's height less 3.
void TMainForm::PositionProgressBar() {
  progressBar_->setGeometry(103, 3, 146, std::max(1, statusBar()->height() - 3));
  progressBar_->raise();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == statusBar() && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
    PositionProgressBar();
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ApplyHints() {
  for (const auto& [button, hint] : hints_)
    button->setToolTip(options_.Showhints ? hint : QString());
}

// ---- Host of the engine ----

void TMainForm::SetStatusText(int panel, const std::string& text) {
  if (panel < 0 || panel > 2) return;
  statusPanels_[panel]->setText(QString::fromStdString(text));
}

void TMainForm::SetProgress(int position) { progressBar_->setValue(std::clamp(position, 0, 100)); }

void TMainForm::ProcessMessages() { QCoreApplication::processEvents(); }

std::string TMainForm::Localize(const std::string& text) { return text; }

QString TMainForm::L(const char* text) { return QString::fromStdString(Localize(text)); }

// ---- Close ----

void TMainForm::Exit1Click() { close(); }

void TMainForm::closeEvent(QCloseEvent* event) {
  if (terminating_) {
    event->accept();
    return;
  }
  if (engine_.RenderInProgress) {
    event->ignore();
    const auto answer = QMessageBox::warning(
        this, windowTitle(),
        L("Rendering is in progress.\n\rTerminate process and exit?").remove(QLatin1Char('\r')),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    // Ends the program without the save: the render stops at its next row.
    engine_.CancelRequested = true;
    terminating_ = true;
    if (EndApplication) EndApplication();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  SavePlacement();
  event->accept();
}

bool TMainForm::FormCloseQuery() {
  if (fullScreen_) LeaveFullScreen();
  if (!SaveSettings(*settings_, engine_.Params, options_, recentMasks_, recentTextures_)) {
    const auto answer =
        QMessageBox::warning(this, windowTitle(),
                             L("The settings could not be saved:") + QStringLiteral("\n") +
                                 QString::fromStdString(settings_->LastError()) +
                                 QStringLiteral("\n\n") + L("Close anyway?"),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return false;
  }
  engine_.MaskImage = TDIB();
  engine_.PatternImage = TDIB();
  engine_.OutputImage = TDIB();
  return true;
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::ActivationChange || !isActiveWindow() || activatedOnce_) return;
  activatedOnce_ = true;
  // The creation wizard opens here by itself ("ShowWizard") once it exists.
}
