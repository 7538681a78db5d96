#pragma once
// TDXPaintBox: the preview area. Paints its own picture centred, shrunk to fit the area (or a
// smaller frame, in full screen) with its aspect kept, and never enlarged.
#include <QImage>
#include <QSize>
#include <QWidget>

#include "platform/dib.h"

class TDXPaintBox : public QWidget {
  Q_OBJECT

 public:
  explicit TDXPaintBox(QWidget* parent = nullptr);

  TDIB& DIB() { return dib_; }
  const TDIB& DIB() const { return dib_; }
  // Call after DIB() changed: rebuilds what is painted and repaints.
  void DIBChanged();

  // Limits the picture to a centred frame of this size (an empty size: the whole area).
  void SetFrame(QSize frame);
  QSize Frame() const { return frame_; }

  // Where the picture lands in the widget at its present size.
  QRect PictureRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TDIB dib_;
  QImage image_;  // shares nothing with dib_: rebuilt by DIBChanged
  QSize frame_;
};

// The picture as a QImage (24-bit and 8-bit pictures; others are converted to 24 bits first).
QImage ImageOfDIB(const TDIB& dib);
