#pragma once
// TMainForm: the one main window of Dotweave. It owns the settings file, the engine (settings,
// pictures, render flags) and the recent-file lists, offers every command through the menu bar and
// the tool bar, and hosts the render pipeline (status panels, progress, message pump, enabling).
#include <QMainWindow>
#include <QRect>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "dotweave/core/dotweave_settings.h"
#include "engine/engine.h"
#include "platform/ini_file.h"
#include "platform/recent_files.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QToolBar;
class QToolButton;
class TDXPaintBox;

class TMainForm : public QMainWindow, public TRenderHost {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Deepix 1.74";

  // `programDir` is the folder of the program: settings, masks and textures are looked up there.
  explicit TMainForm(const QString& programDir, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Shows the window at its stored placement, maximised the first time.
  void ShowAtPlacement();

  // The engine's host.
  void SetStatusText(int panel, const std::string& text) override;
  void SetProgress(int position) override;
  void ProcessMessages() override;
  void LockCommands(bool busy) override;
  void ShowPreview() override;
  bool AnimationDialogOpen() const override { return animationDialog_ != nullptr; }
  std::string Localize(const std::string& text) override;

  void UpdateCommands();

  TEngine& Engine() { return engine_; }
  TIniFile& Settings() { return *settings_; }
  const TWindowOptions& WindowOptions() const { return options_; }
  const TRecentFiles& RecentMasks() const { return recentMasks_; }
  const TRecentFiles& RecentTextures() const { return recentTextures_; }
  bool IsFullScreen() const { return fullScreen_; }
  QRect SavedBounds() const { return savedBounds_; }
  // The file type of the last save dialog (1 BMP, 2 JPEG, 3 PNG) and its file, for the next one.
  const QString& SaveFileName() const { return saveFileName_; }

  // Commands (menu entries and tool buttons run these).
  void OpenMaskBitMap1Click();
  void OpenPalleteBitMap1Click();
  void OpenMask(const QString& path);     // what the open dialog's OK does
  void OpenTexture(const QString& path);  // what the open dialog's OK does
  void MRU1Click(const QString& path);
  void MRU2Click(const QString& path);
  void SpRunClick();
  void SaveAsClick();
  // What the save dialog's OK does; `filterIndex` 1 BMP, 2 JPEG, 3 PNG. False when nothing was
  // written.
  bool SaveImage(const QString& path, int filterIndex);
  void Stop1Click();
  void FullScreen1Click();
  void Exit1Click();

  // How a confirmed close during a render ends the program (tests keep their application).
  std::function<void()> EndApplication;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void LoadSettings();
  bool FormCloseQuery();
  void SavePlacement();
  void ReportSettingsError(const std::string& problem);

  void createActions();
  void createMenus();
  void createToolBar();
  void createStatusBar();
  QAction* NewAction(const char* name, const char* caption, const QKeySequence& shortcut = {});
  QToolButton* NewButton(const char* name, const char* hint, QAction* command);
  void SetCommandEnabled(QAction* action, bool enabled);
  void SetMenuEnabled(QMenu* menu, bool enabled);
  void SetButtonEnabled(const char* name, bool enabled);
  void ApplyHints();
  void RebuildRecentMenu(QMenu* menu, const TRecentFiles& list, const char* prefix,
                         void (TMainForm::*handler)(const QString&));
  QString ChoosePicture(const char* title, const char* filter, const std::string& folder);
  void RunReloadPix(bool reloadMask);
  void NotAvailable(const QString& command);
  void PositionProgressBar();
  void EnterFullScreen(bool directX);
  void LeaveFullScreen();
  void SetPreviewBackground(const QColor& color);
  QString L(const char* text);

  QString programDir_;
  std::unique_ptr<TIniFile> settings_;
  TEngine engine_;
  TWindowOptions options_;
  TRecentFiles recentMasks_;
  TRecentFiles recentTextures_;
  QWidget* animationDialog_ = nullptr;

  TDXPaintBox* preview_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QLabel* statusPanels_[3] = {};
  std::map<std::string, QToolButton*> buttons_;
  std::map<QToolButton*, QString> hints_;

  QMenu* fileMenu_ = nullptr;
  QMenu* textureMenu_ = nullptr;
  QMenu* maskMenu_ = nullptr;
  QMenu* viewMenu_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QMenu* languageMenu_ = nullptr;

  QAction* Stereogramwizard1 = nullptr;
  QAction* Stop1 = nullptr;
  QAction* SaveAs1 = nullptr;
  QAction* Options1 = nullptr;
  QAction* Blending1 = nullptr;
  QAction* Randomdotcolors1 = nullptr;
  QAction* Render1 = nullptr;
  QAction* Print1 = nullptr;
  QAction* Exit1 = nullptr;
  QAction* OpenPalleteBitMap1 = nullptr;
  QAction* OpenMaskBitMap1 = nullptr;
  QAction* BitmapSequencer1 = nullptr;
  QAction* ToolBar1 = nullptr;
  QAction* StatusBar1 = nullptr;
  QAction* Showhints1 = nullptr;
  QAction* UseDirectXmode = nullptr;
  QAction* FullScreen1 = nullptr;
  QAction* N1 = nullptr;
  QAction* Website1 = nullptr;
  QAction* OnlineHelp1 = nullptr;
  QAction* About1 = nullptr;
  QAction* FormHelp = nullptr;

  QString saveFileName_;
  bool fullScreen_ = false;
  bool savedMaximized_ = false;
  QRect savedBounds_;
  bool placementWritten_ = false;
  bool terminating_ = false;
  bool activatedOnce_ = false;
  bool settingsErrorReported_ = false;
};
