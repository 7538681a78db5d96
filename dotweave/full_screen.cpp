// Full screen: the main window itself turns black and borderless, without menus, bars or cursor.
// The display mode is never changed here; the "DirectX" kind shows the picture inside a centred
// frame of the mode it would have chosen, so preset sizes appear pixel for pixel.
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "dotweave/core/window_rules.h"
#include "dotweave/main_form.h"
#include "dotweave/preview_box.h"

void TMainForm::FullScreen1Click() {
  const bool directX = options_.UseDirectXmode;
  if (!directX && !fullScreen_) {
    setWindowState(Qt::WindowNoState);
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
  }
  SetPreviewBackground(palette().color(QPalette::Button));
  SavePlacement();
  if (fullScreen_)
    LeaveFullScreen();
  else
    EnterFullScreen(directX);
  if (fullScreen_) toolBar_->hide();
}

void TMainForm::EnterFullScreen(bool directX) {
  savedBounds_ = normalGeometry();
  savedMaximized_ = isMaximized();
  menuBar()->hide();
  statusBar()->hide();
  setWindowFlag(Qt::FramelessWindowHint, true);
  setCursor(Qt::BlankCursor);
  preview_->setCursor(Qt::BlankCursor);
  move(0, 0);
  fullScreen_ = true;
  SetPreviewBackground(Qt::black);
  if (directX) {
    const TPixelSize mode =
        FullScreenMode(engine_.OutputImage.Width(), engine_.OutputImage.Height());
    preview_->SetFrame(QSize(mode.Width, mode.Height));
    showFullScreen();
  } else {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    showMaximized();
  }
  raise();
  activateWindow();
}

void TMainForm::LeaveFullScreen() {
  menuBar()->show();
  toolBar_->setVisible(options_.ToolBar);
  statusBar()->setVisible(options_.StatusBar);
  setWindowFlag(Qt::FramelessWindowHint, false);
  setWindowFlag(Qt::WindowStaysOnTopHint, false);
  fullScreen_ = false;
  unsetCursor();
  preview_->unsetCursor();
  preview_->SetFrame(QSize());
  SetPreviewBackground(palette().color(QPalette::Button));
  if (savedMaximized_) {
    setGeometry(savedBounds_);
    showMaximized();
  } else {
    showNormal();
    setGeometry(savedBounds_);
  }
  activateWindow();
}
