// The commands of the main window: enabling, preview, files, render, save.
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QToolButton>
#include <cstdint>
#include <filesystem>
#include <stdexcept>

#include "dotweave/core/window_rules.h"
#include "dotweave/main_form.h"
#include "dotweave/preview_box.h"
#include "engine/fit_mask.h"
#include "engine/pipeline.h"
#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/png.h"
#include "shared/MediaDialogs.h"

namespace {

const char kOwnEnabled[] = "dwOwnEnabled";

const char kMaskFilter[] =
    "All available (*.dib;*.bmp;*.jpg)|*.dib;*.bmp;*.jpg|DIB (*.dib)|*.dib|BITMAP (*.bmp)|*.bmp|"
    "Jpeg files|*.jpg";
const char kTextureFilter[] =
    "All available (*.dib;*.bmp;*.gif;*.jpg)|*.dib;*.bmp;*.gif;*.jpg|DIB (*.dib)|*.dib|"
    "BITMAP (*.bmp)|*.bmp|Gif images (*.gif)|*.gif|Jpeg files|*.jpg";
// PNG is read too; it comes last so the familiar entries keep their places.
const char kPngFilter[] = "|PNG images (*.png)|*.png";
const char kSaveFilter[] = "BITMAP|*.bmp|JPEG files|*.jpg|PNG images|*.png";

bool FileExists(const std::string& name) {
  std::error_code ec;
  return !name.empty() && std::filesystem::is_regular_file(name, ec);
}

QString FolderOf(const QString& path) {
  return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

}  // namespace

// ---- Enabling ----

// A command's shortcut must do nothing while its menu is disabled, also when the menu is hidden.
void TMainForm::SetCommandEnabled(QAction* action, bool enabled) {
  action->setProperty(kOwnEnabled, enabled);
  bool menuEnabled = true;
  for (QMenu* menu : {textureMenu_, maskMenu_})
    if (menu->actions().contains(action)) menuEnabled = menu->menuAction()->isEnabled();
  action->setEnabled(enabled && menuEnabled);
}

void TMainForm::SetMenuEnabled(QMenu* menu, bool enabled) {
  menu->menuAction()->setEnabled(enabled);
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    const QVariant own = action->property(kOwnEnabled);
    action->setEnabled(enabled && (!own.isValid() || own.toBool()));
  }
}

void TMainForm::SetButtonEnabled(const char* name, bool enabled) {
  buttons_.at(name)->setEnabled(enabled);
}

void TMainForm::UpdateCommands() {
  const TStereoParams& p = engine_.Params;
  TCommandInputs in;
  in.Randm = p.Randm;
  in.TextureFileExists = FileExists(p.FonFileName);
  in.MaskFileExists = FileExists(p.MaskFileName);
  in.OutputBitCount = engine_.OutputImage.Empty() ? 0 : engine_.OutputImage.BitCount();
  const TCommandState s = UpdateCommandState(in);
  SetButtonEnabled("SpExport", s.SpExport);
  SetCommandEnabled(BitmapSequencer1, s.SpExport);
  SetCommandEnabled(Randomdotcolors1, s.RandomDotColors);
  SetButtonEnabled("SpRnd", s.RandomDotColors);
  SetMenuEnabled(textureMenu_, s.Texture);
  SetButtonEnabled("SpText", s.Texture);
  SetButtonEnabled("BlendButton", s.Blending);
  SetCommandEnabled(Blending1, s.Blending);
  SetButtonEnabled("SpRun", s.SpRun);
}

void TMainForm::LockCommands(bool busy) {
  if (AnimationDialogOpen()) return;
  SetMenuEnabled(textureMenu_, !busy);
  SetMenuEnabled(maskMenu_, !busy);
  for (QAction* action : {SaveAs1, Options1, Stereogramwizard1, FullScreen1, Render1,
                          BitmapSequencer1, Blending1, Randomdotcolors1, Print1})
    SetCommandEnabled(action, !busy);
  for (const char* name : {"SpText", "SpMask", "SpSave", "SpOptions", "SPWizard", "SpFull", "SpRun",
                           "SpExport", "BlendButton", "SpRnd", "btnPrint"})
    SetButtonEnabled(name, !busy);
  if (!busy) UpdateCommands();
}

// ---- Preview ----

void TMainForm::ShowPreview() {
  const TDIB& out = engine_.OutputImage;
  if (out.Empty() || preview_->width() <= 0 || preview_->height() <= 0) return;
  const QSize screenSize = screen() ? screen()->size() : QSize(1024, 768);
  const TPixelSize size =
      PreviewBufferSize(out.Width(), out.Height(), preview_->width(), preview_->height(),
                        screenSize.width(), screenSize.height());
  TDIB& buffer = preview_->DIB();
  const int bits = engine_.Params.BitRate == 8 ? 8 : 24;
  if (bits == 8)
    buffer.SetColorTable(engine_.PatternImage.Empty() ? out.ColorTable()
                                                      : engine_.PatternImage.ColorTable());
  buffer.SetSize(size.Width, size.Height, bits);
  if (!buffer.Empty()) StretchCopy(out, buffer, 0, 0, size.Width, size.Height);
  preview_->DIBChanged();  // repaints all, so a smaller picture leaves nothing behind
}

void TMainForm::SetPreviewBackground(const QColor& color) {
  QPalette pal = preview_->palette();
  pal.setColor(QPalette::Window, color);
  preview_->setPalette(pal);
  preview_->update();
}

// ---- Files ----

void TMainForm::RebuildRecentMenu(QMenu* menu, const TRecentFiles& list, const char* prefix,
                                  void (TMainForm::*handler)(const QString&)) {
  for (QAction* action : menu->actions())
    if (action->objectName().startsWith(QLatin1String(prefix))) {
      removeAction(action);
      delete action;
    }
  int index = 0;
  for (const std::string& path : list.Items()) {
    QString caption = QString::fromStdString(TRecentFiles::Caption(path));
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));  // no access keys in file names
    auto* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(prefix) + QString::number(index++));
    action->setData(QString::fromStdString(path));
    action->setEnabled(menu->menuAction()->isEnabled());
    addAction(action);
    connect(action, &QAction::triggered, this,
            [this, handler, path = QString::fromStdString(path)] { (this->*handler)(path); });
  }
}

// The open dialog of masks and textures; an empty name when the user cancels.
QString TMainForm::ChoosePicture(const char* title, const char* filter, const std::string& folder) {
  TMediaOpenDialog dialog;
  dialog.Title = L(title);
  dialog.Filter = L(filter) + QLatin1String(kPngFilter);
  dialog.DefaultExt = QStringLiteral("bmp");
  dialog.InitialDir = QString::fromStdString(folder);
  const bool chosen = dialog.Execute(this);
  activateWindow();  // a session without window manager gives the keyboard back to nobody
  return chosen ? dialog.FileName : QString();
}

void TMainForm::OpenMaskBitMap1Click() {
  const QString path = ChoosePicture("Open depth mask file", kMaskFilter, options_.MaskDir);
  if (!path.isEmpty()) OpenMask(path);
  UpdateCommands();
}

void TMainForm::OpenMask(const QString& path) {
  engine_.Params.MaskFileName = path.toStdString();
  RunReloadPix(true);
  recentMasks_.Add(path.toStdString());
  RebuildRecentMenu(maskMenu_, recentMasks_, "MRU1_", &TMainForm::MRU1Click);
  options_.MaskDir = FolderOf(path).toStdString();
  UpdateCommands();
}

void TMainForm::OpenPalleteBitMap1Click() {
  const QString path = ChoosePicture("Open texture image file", kTextureFilter, options_.FonDir);
  if (!path.isEmpty()) OpenTexture(path);
  UpdateCommands();
}

void TMainForm::OpenTexture(const QString& path) {
  engine_.Params.FonFileName = path.toStdString();
  if (!engine_.Params.Randm) RunReloadPix(true);
  recentTextures_.Add(path.toStdString());
  RebuildRecentMenu(textureMenu_, recentTextures_, "MRU2_", &TMainForm::MRU2Click);
  options_.FonDir = FolderOf(path).toStdString();
  UpdateCommands();
}

void TMainForm::MRU1Click(const QString& path) {
  engine_.Params.MaskFileName = path.toStdString();
  RunReloadPix(true);
  UpdateCommands();
}

void TMainForm::MRU2Click(const QString& path) {
  engine_.Params.FonFileName = path.toStdString();
  RunReloadPix(true);
  UpdateCommands();
}

// ---- Render ----

void TMainForm::SpRunClick() { RunReloadPix(true); }

// Errors of a render end the command with a message; nothing throws through the event loop.
void TMainForm::RunReloadPix(bool reloadMask) {
  if (engine_.RenderInProgress) return;
  try {
    ReloadPix(engine_, reloadMask);
  } catch (const std::bad_alloc&) {
    SetStatusText(0, "");
    QMessageBox::critical(this, windowTitle(), L("Not enough memory for a picture of this size."));
  } catch (const std::exception& error) {
    SetStatusText(0, "");
    QMessageBox::critical(this, windowTitle(), QString::fromStdString(error.what()));
  }
  SetProgress(0);
  if (!terminating_) UpdateCommands();
}

void TMainForm::Stop1Click() {
  engine_.CancelRequested = true;
  if (fullScreen_) FullScreen1Click();
}

void TMainForm::NotAvailable(const QString& command) {
  QMessageBox::information(this, windowTitle(),
                           command + QStringLiteral(": ") + L("not available in this version."));
}

// ---- Save ----

void TMainForm::SaveAsClick() {
  TMediaSaveDialog dialog;
  dialog.Title = L("Save image as");
  dialog.Filter = L(kSaveFilter);
  dialog.DefaultExt = QStringLiteral("bmp");
  dialog.InitialDir = QString::fromStdString(options_.SaveDir);
  dialog.FileName =
      saveFileName_.isEmpty() ? QStringLiteral("Untitled1") : QFileInfo(saveFileName_).fileName();
  dialog.Options |= TMediaFileDialog::ofOverwritePrompt;
  const bool chosen = dialog.Execute(this);
  activateWindow();
  if (chosen) {
    const bool tooLarge =
        dialog.FilterIndex == 2 && !JpegSizeAllowed(engine_.Params.PWidth, engine_.Params.PHeight);
    SaveImage(dialog.FileName, dialog.FilterIndex);  // says why when it writes nothing
    if (tooLarge) return;                            // the folder stays as it was
    saveFileName_ = dialog.FileName;
  }
  options_.SaveDir = FolderOf(saveFileName_).toStdString();
}

bool TMainForm::SaveImage(const QString& path, int filterIndex) {
  const TStereoParams& p = engine_.Params;
  const TDIB& out = engine_.OutputImage;
  if (filterIndex == 2 && !JpegSizeAllowed(p.PWidth, p.PHeight)) {
    QMessageBox::information(
        this, windowTitle(),
        L("Selected image size is too large\n\rfor JPEG. Use BMP format to save this image.")
            .remove(QLatin1Char('\r')));
    return false;
  }
  if (out.Empty()) {
    QMessageBox::information(this, windowTitle(), L("There is no image to save."));
    return false;
  }
  try {
    const std::string name = path.toStdString();
    if (filterIndex == 2)
      WriteJpeg(out, name, p.JpegQual);
    else if (filterIndex == 3)
      WritePng(out, name);
    else
      WriteBmp(out, name);
  } catch (const std::exception& error) {
    QMessageBox::critical(this, windowTitle(), QString::fromStdString(error.what()));
    return false;
  }
  return true;
}
