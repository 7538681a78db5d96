#include "dotweave/preview_box.h"

#include <QPainter>
#include <algorithm>

QImage ImageOfDIB(const TDIB& dib) {
  if (dib.Empty()) return {};
  if (dib.BitCount() != 8 && dib.BitCount() != 24) return ImageOfDIB(dib.ToTrueColor());
  const QImage::Format format =
      dib.BitCount() == 8 ? QImage::Format_Indexed8 : QImage::Format_BGR888;
  // The view wraps the DIB's rows as they are (top-down, padded to 4); copy() detaches from them.
  QImage view(dib.Bits(), dib.Width(), dib.Height(), static_cast<qsizetype>(dib.WidthBytes()),
              format);
  QImage image = view.copy();
  if (dib.BitCount() == 8) {
    QList<QRgb> table(256);
    for (int i = 0; i < 256; ++i) {
      const TRGBQuad& q = dib.ColorTable()[i];
      table[i] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    image.setColorTable(table);
  }
  return image;
}

TDXPaintBox::TDXPaintBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

void TDXPaintBox::DIBChanged() {
  image_ = ImageOfDIB(dib_);
  update();
}

void TDXPaintBox::SetFrame(QSize frame) {
  frame_ = frame;
  update();
}

QRect TDXPaintBox::PictureRect() const {
  if (image_.isNull()) return {};
  QSize area = size();
  if (frame_.isValid() && !frame_.isEmpty()) area = area.boundedTo(frame_);
  QSize shown = image_.size();
  if (shown.width() > area.width() || shown.height() > area.height())
    shown = shown.scaled(area, Qt::KeepAspectRatio);
  return QRect(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
}

void TDXPaintBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  const QRect target = PictureRect();
  if (target.isEmpty()) return;
  // Shrinking a random-dot picture by nearest neighbour makes moiré; smooth it.
  if (target.size() != image_.size()) painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image_);
}
