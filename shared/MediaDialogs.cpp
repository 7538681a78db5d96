#include "shared/MediaDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cstring>

#include "shared/avi_video.h"

namespace {

constexpr int kPreviewWidth = 200, kPreviewHeight = 150;

QImage ImageOf(const TDIB& dib) {
  const TDIB rgb = dib.ToTrueColor();
  QImage image(rgb.Width(), rgb.Height(), QImage::Format_BGR888);
  for (int y = 0; y < rgb.Height(); ++y)
    std::memcpy(image.scanLine(y), rgb.ScanLine(y), static_cast<std::size_t>(rgb.Width()) * 3);
  return image;
}

bool AviPreview(const QString& path, QImage& image, QString& info) {
  TVideoWriter reader;
  if (!reader.OpenInput(path.toStdString())) return false;
  TDIB frame;
  if (!reader.ReadFrame(reader.InputStart(), frame)) return false;
  image = ImageOf(frame);
  info = QStringLiteral("%1 x %2, %3 frames")
             .arg(frame.Width())
             .arg(frame.Height())
             .arg(reader.InputLength());
  return true;
}

}  // namespace

QStringList NameFiltersOf(const QString& filter) {
  QStringList result;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      p = p.trimmed();
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");  // Qt's "*.*" needs a dot
    }
    const QString text = parts[i].trimmed();
    // Qt reads the patterns from the last parentheses; a text that names them already keeps them.
    if (text.endsWith(QLatin1Char(')')) && text.contains(QLatin1Char('(')))
      result << text.left(text.lastIndexOf(QLatin1Char('('))) + QLatin1Char('(') +
                    patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    else
      result << text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return result;
}

bool MediaPreviewOf(const QString& path, QImage& image, QString& info) {
  image = QImage();
  info.clear();
  const QFileInfo file(path);
  if (!file.isFile()) return false;
  if (file.suffix().compare(QLatin1String("avi"), Qt::CaseInsensitive) == 0)
    return AviPreview(path, image, info);
  QImageReader reader(path);
  if (!reader.read(&image)) return false;
  info = QStringLiteral("%1 x %2").arg(image.width()).arg(image.height());
  return true;
}

TMediaPreview::TMediaPreview(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("MediaPreview"));
  PreviewImage = new QLabel(this);
  PreviewImage->setObjectName(QStringLiteral("PreviewImage"));
  PreviewImage->setFixedSize(kPreviewWidth, kPreviewHeight);
  PreviewImage->setAlignment(Qt::AlignCenter);
  PreviewImage->setFrameShape(QFrame::Box);
  PreviewInfo = new QLabel(this);
  PreviewInfo->setObjectName(QStringLiteral("PreviewInfo"));
  PreviewInfo->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PreviewImage);
  layout->addWidget(PreviewInfo);
  layout->addStretch();
}

void TMediaPreview::ShowFile(const QString& path) {
  QImage image;
  QString info;
  MediaPreviewOf(path, image, info);
  PreviewInfo->setText(info);
  if (image.isNull()) {
    PreviewImage->clear();
    return;
  }
  // Shrunk to fit, never enlarged.
  if (image.width() > kPreviewWidth || image.height() > kPreviewHeight)
    image =
        image.scaled(kPreviewWidth, kPreviewHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  PreviewImage->setPixmap(QPixmap::fromImage(image));
}

QString TMediaPreview::InfoText() const { return PreviewInfo->text(); }

bool TMediaPreview::HasImage() const { return !PreviewImage->pixmap().isNull(); }

QString SuffixOfFilter(const QString& nameFilter, const QString& fallback) {
  static const QRegularExpression firstPattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)[ )]"));
  const QRegularExpressionMatch match = firstPattern.match(nameFilter + QLatin1Char(' '));
  return match.hasMatch() ? match.captured(1) : fallback;
}

bool TMediaFileDialog::Execute(QWidget* parent) {
  QFileDialog dialog(parent, Title, InitialDir);
  dialog.setObjectName(Saving() ? QStringLiteral("MediaSaveDialog")
                                : QStringLiteral("MediaOpenDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(Saving() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(Saving() ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Options & ofOverwritePrompt));
  const QStringList filters = NameFiltersOf(Filter);
  dialog.setNameFilters(filters);
  if (FilterIndex >= 1 && FilterIndex <= filters.size())
    dialog.selectNameFilter(filters[FilterIndex - 1]);
  dialog.setDefaultSuffix(DefaultExt);
  // A typed name without extension takes the chosen type's, so "picture" saved as JPEG is a .jpg.
  if (Saving() && !DefaultExt.isEmpty())
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [this, &dialog](const QString& f) {
                       dialog.setDefaultSuffix(SuffixOfFilter(f, DefaultExt));
                     });
  if (!FileName.isEmpty()) dialog.selectFile(FileName);
  auto* preview = new TMediaPreview(&dialog);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
  QObject::connect(&dialog, &QFileDialog::currentChanged, preview, &TMediaPreview::ShowFile);
  // The list reports a current file only once the user moves in it; show the preset one now.
  if (!FileName.isEmpty()) preview->ShowFile(QDir(InitialDir).absoluteFilePath(FileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  FileName = dialog.selectedFiles().first();
  FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  return true;
}
