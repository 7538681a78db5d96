#include "dotweave/tool_glyphs.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>

namespace {

constexpr int kGlyphSize = 16;

// Outlines stay dark so that the disabled picture, which keeps only the dark parts as its
// embossed shape, still shows every glyph's form.
const QColor kInk(24, 24, 24);

QPen Outline(const QColor& colour = kInk, qreal width = 1.0) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A rectangle whose 1-pixel outline covers pixel columns x..x+w-1 and rows y..y+h-1.
QRectF PixelRect(int x, int y, int w, int h) { return QRectF(x + 0.5, y + 0.5, w - 1, h - 1); }

void Shape(QPainter& p, const QPolygonF& shape, const QBrush& fill, const QPen& pen = Outline()) {
  p.setPen(pen);
  p.setBrush(fill);
  p.drawPolygon(shape);
}

void Box(QPainter& p, const QRectF& box, const QBrush& fill, const QPen& pen = Outline()) {
  p.setPen(pen);
  p.setBrush(fill);
  p.drawRect(box);
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& from, const QColor& to) {
  QLinearGradient g(0, top, 0, bottom);
  g.setColorAt(0, from);
  g.setColorAt(1, to);
  return g;
}

// ---- Masks and textures: an open folder with a badge of what it holds.

void DrawFolder(QPainter& p) {
  const QColor edge(120, 84, 0);
  Shape(p, QPolygonF({{0.5, 4.5}, {4.5, 4.5}, {5.5, 5.5}, {11.5, 5.5}, {11.5, 14.5}, {0.5, 14.5}}),
        QColor(214, 164, 40), Outline(edge));
  Shape(p, QPolygonF({{0.5, 14.5}, {3.5, 8.5}, {14.5, 8.5}, {11.5, 14.5}}),
        Vertical(8, 15, QColor(255, 232, 120), QColor(240, 188, 50)), Outline(edge));
}

void DrawBadge(QPainter& p, const QBrush& fill) { Box(p, PixelRect(8, 0, 8, 8), fill); }

void DrawMask(QPainter& p) {
  DrawFolder(p);
  QRadialGradient depth(QPointF(12, 4), 4.5, QPointF(11.2, 3.2));
  depth.setColorAt(0, Qt::white);
  depth.setColorAt(1, QColor(40, 40, 40));
  DrawBadge(p, depth);
}

void DrawTexture(QPainter& p) {
  DrawFolder(p);
  DrawBadge(p, QColor(255, 255, 255));
  const QColor tiles[] = {QColor(220, 30, 30), QColor(30, 90, 230), QColor(40, 170, 40),
                          QColor(250, 210, 0)};
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 4; ++i) {
    p.setBrush(tiles[i]);
    p.drawRect(QRectF(9 + (i % 2) * 3, 1 + (i / 2) * 3, 3, 3));
  }
}

// ---- Files and output.

void DrawSave(QPainter& p) {
  const QPolygonF disk({{1.5, 1.5}, {13.5, 1.5}, {14.5, 2.5}, {14.5, 14.5}, {1.5, 14.5}});
  Shape(p, disk, Vertical(1, 15, QColor(70, 90, 190), QColor(20, 30, 120)));
  Box(p, PixelRect(4, 2, 8, 6), Qt::white, Outline(QColor(20, 30, 90)));
  p.setPen(Outline(QColor(150, 160, 200)));
  p.drawLine(QPointF(5.5, 4.5), QPointF(10.5, 4.5));
  Box(p, PixelRect(4, 10, 8, 5), QColor(200, 200, 205), Outline(QColor(20, 30, 90)));
  p.fillRect(QRectF(6, 11, 2, 3), QColor(40, 40, 60));
}

void DrawPrinter(QPainter& p) {
  Box(p, PixelRect(4, 1, 8, 7), Qt::white);
  p.setPen(Outline(QColor(140, 140, 140)));
  p.drawLine(QPointF(5.5, 3.5), QPointF(10.5, 3.5));
  p.drawLine(QPointF(5.5, 5.5), QPointF(9.5, 5.5));
  p.setPen(Outline());
  p.setBrush(Vertical(6, 13, QColor(225, 225, 225), QColor(140, 140, 140)));
  p.drawRoundedRect(PixelRect(0, 6, 16, 7), 1.5, 1.5);
  p.fillRect(QRectF(12, 8, 2, 1), QColor(30, 200, 30));
  Shape(p, QPolygonF({{3.5, 11.5}, {12.5, 11.5}, {13.5, 15.5}, {2.5, 15.5}}), Qt::white);
}

void DrawFilm(QPainter& p) {
  Box(p, PixelRect(0, 2, 16, 12), QColor(50, 50, 55));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(235, 235, 235));
  for (int x = 1; x < 15; x += 3) {
    p.drawRect(QRectF(x + 0.5, 3, 2, 1.5));
    p.drawRect(QRectF(x + 0.5, 11.5, 2, 1.5));
  }
  const QColor sky(120, 200, 255), sea(20, 110, 200);
  for (int x : {2, 9}) {
    p.setBrush(Vertical(6, 10, sky, sea));
    p.drawRect(QRectF(x, 5.5, 5, 5));
  }
}

// ---- Picture effects and settings.

// Red, green and blue lights added where they overlap: the mixing reads as blending.
void DrawBlend(QPainter& p) {
  const struct {
    QPointF centre;
    QColor colour;
  } discs[] = {{{5.5, 5.8}, QColor(240, 0, 0)},
               {{10.5, 5.8}, QColor(0, 220, 0)},
               {{8, 10.2}, QColor(0, 40, 255)}};
  QPainterPath outline;
  p.setPen(Qt::NoPen);
  p.setCompositionMode(QPainter::CompositionMode_Plus);
  for (const auto& disc : discs) {
    p.setBrush(disc.colour);
    p.drawEllipse(disc.centre, 4.6, 4.6);
    QPainterPath round;
    round.addEllipse(disc.centre, 4.6, 4.6);
    outline = outline.united(round);
  }
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setBrush(Qt::NoBrush);
  p.setPen(Outline(QColor(0, 0, 0, 90), 0.7));
  for (const auto& disc : discs) p.drawEllipse(disc.centre, 4.6, 4.6);
  p.setPen(Outline(QColor(40, 40, 40), 0.9));
  p.drawPath(outline);
}

void DrawGear(QPainter& p) {
  QPainterPath gear;
  gear.addEllipse(QPointF(8, 8), 5.2, 5.2);
  for (int i = 0; i < 8; ++i) {
    QPainterPath tooth;
    tooth.addRect(QRectF(-1.6, -7.6, 3.2, 4));
    gear = gear.united(QTransform().translate(8, 8).rotate(45.0 * i).map(tooth));
  }
  QPainterPath hole;
  hole.addEllipse(QPointF(8, 8), 2.2, 2.2);
  p.setPen(Outline());
  p.setBrush(Vertical(1, 15, QColor(230, 230, 235), QColor(120, 120, 130)));
  p.drawPath(gear.subtracted(hole));
}

// A four-pointed sparkle.
QPolygonF Star(QPointF c, qreal r) {
  const qreal k = r * 0.28;
  return QPolygonF({c + QPointF(0, -r), c + QPointF(k, -k), c + QPointF(r, 0), c + QPointF(k, k),
                    c + QPointF(0, r), c + QPointF(-k, k), c + QPointF(-r, 0),
                    c + QPointF(-k, -k)});
}

void DrawWand(QPainter& p) {
  p.setPen(QPen(kInk, 3.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(2.5, 13.5), QPointF(9.5, 6.5));
  p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(8, 8), QPointF(9.5, 6.5));
  const QColor gold(255, 215, 0), edge(150, 110, 0);
  Shape(p, Star(QPointF(12, 3.8), 3.6), gold, Outline(edge, 0.8));
  Shape(p, Star(QPointF(5, 3), 2.2), gold, Outline(edge, 0.7));
  Shape(p, Star(QPointF(13, 11), 2.2), gold, Outline(edge, 0.7));
}

void DrawDots(QPainter& p) {
  const struct {
    QPointF centre;
    QColor colour;
  } dots[] = {{{3, 3.5}, QColor(230, 30, 30)},    {{8.5, 2.5}, QColor(40, 170, 40)},
              {{13, 4}, QColor(30, 80, 240)},     {{4.5, 8.5}, QColor(250, 210, 0)},
              {{10, 8}, QColor(210, 40, 210)},    {{2.5, 13}, QColor(0, 190, 210)},
              {{7.5, 13.5}, QColor(250, 130, 0)}, {{13, 12.5}, QColor(120, 40, 200)}};
  for (const auto& dot : dots) {
    p.setPen(Outline(dot.colour.darker(200)));
    p.setBrush(dot.colour);
    p.drawEllipse(dot.centre, 2.1, 2.1);
  }
}

// ---- Running and leaving.

void DrawRun(QPainter& p) {
  Shape(p, QPolygonF({{3.5, 1.5}, {14, 8}, {3.5, 14.5}}),
        Vertical(1, 15, QColor(120, 240, 90), QColor(20, 150, 20)), Outline(QColor(0, 80, 0)));
}

void DrawFull(QPainter& p) {
  const QColor navy(20, 40, 140);
  p.setPen(Outline(QColor(150, 150, 160)));
  p.setBrush(QColor(200, 225, 255));
  p.drawRect(PixelRect(5, 5, 6, 6));
  for (int i = 0; i < 4; ++i) {
    p.save();
    p.translate(8, 8);
    p.rotate(90.0 * i);
    p.setPen(QPen(navy, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-3.2, -3.2), QPointF(-5.5, -5.5));
    Shape(p, QPolygonF({{-7.5, -7.5}, {-2.8, -7.5}, {-7.5, -2.8}}), navy, Outline(navy, 0.6));
    p.restore();
  }
}

void DrawHelp(QPainter& p) {
  const QColor blue(20, 60, 200);
  QPainterPath hook;
  hook.moveTo(4.6, 5.2);
  hook.arcTo(QRectF(4.6, 1.4, 7, 7), 180, -250);
  hook.quadTo(QPointF(8, 8.2), QPointF(8, 10.2));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kInk, 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(hook);
  p.setPen(QPen(blue, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(hook);
  p.setPen(Outline());
  p.setBrush(blue);
  p.drawEllipse(QPointF(8, 13.5), 1.7, 1.7);
}

void DrawExit(QPainter& p) {
  Box(p, PixelRect(5, 1, 10, 15), QColor(30, 30, 40));
  Shape(p, QPolygonF({{5.5, 1.5}, {10.5, 3.5}, {10.5, 15.5}, {5.5, 15.5}}),
        Vertical(1, 15, QColor(200, 130, 60), QColor(130, 70, 20)), Outline(QColor(70, 35, 0)));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 215, 0));
  p.drawEllipse(QPointF(9.2, 9.5), 0.9, 0.9);
  const QColor red(220, 20, 20);
  p.setPen(QPen(red, 1.8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(5, 8.5), QPointF(1.5, 8.5));
  Shape(p, QPolygonF({{0, 8.5}, {3.2, 5.3}, {3.2, 11.7}}), red, Outline(red.darker(160), 0.6));
}

using TDrawGlyph = void (*)(QPainter&);

struct TGlyphEntry {
  const char* name;
  TDrawGlyph draw;
};

constexpr TGlyphEntry kGlyphs[] = {
    {"SpMask", DrawMask},      {"SpText", DrawTexture}, {"SpSave", DrawSave},
    {"btnPrint", DrawPrinter}, {"SpExport", DrawFilm},  {"BlendButton", DrawBlend},
    {"SpOptions", DrawGear},   {"SPWizard", DrawWand},  {"SpRnd", DrawDots},
    {"SpRun", DrawRun},        {"SpFull", DrawFull},    {"SpHelp", DrawHelp},
    {"SpExit", DrawExit}};

TDrawGlyph DrawingOf(const QString& buttonName) {
  for (const TGlyphEntry& entry : kGlyphs)
    if (buttonName == QLatin1String(entry.name)) return entry.draw;
  return nullptr;
}

QImage Drawn(TDrawGlyph draw) {
  QImage image(kGlyphSize, kGlyphSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  draw(p);
  return image;
}

// The glyph's dark parts (outlines, dark fills) in one grey; light fills drop out as on the
// classic disabled buttons, so inner detail such as a label or a sheet of paper stays readable.
QImage Silhouette(const QImage& glyph, int grey) {
  QImage shape(glyph.size(), QImage::Format_ARGB32);
  for (int y = 0; y < glyph.height(); ++y) {
    const QRgb* in = reinterpret_cast<const QRgb*>(glyph.constScanLine(y));
    QRgb* out = reinterpret_cast<QRgb*>(shape.scanLine(y));
    for (int x = 0; x < glyph.width(); ++x) {
      const QColor c = QColor::fromRgba(qUnpremultiply(in[x]));
      const qreal dark = std::clamp((0.8 - c.lightnessF()) * 2.5, 0.0, 1.0);
      out[x] = qRgba(grey, grey, grey, qRound(c.alpha() * dark));
    }
  }
  return shape;
}

// The classic disabled picture: a white copy one pixel down and right under a dark-grey one.
QImage Embossed(const QImage& glyph) {
  QImage image(glyph.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.drawImage(QPoint(1, 1), Silhouette(glyph, 255));
  p.drawImage(QPoint(0, 0), Silhouette(glyph, 128));
  return image;
}

}  // namespace

QPixmap ToolGlyphPixmap(const QString& buttonName, bool disabled) {
  const TDrawGlyph draw = DrawingOf(buttonName);
  if (!draw) return QPixmap();
  const QImage glyph = Drawn(draw);
  return QPixmap::fromImage(disabled ? Embossed(glyph) : glyph);
}

QIcon ToolGlyph(const QString& buttonName) {
  if (!DrawingOf(buttonName)) return QIcon();
  QIcon icon;
  icon.addPixmap(ToolGlyphPixmap(buttonName, false), QIcon::Normal);
  icon.addPixmap(ToolGlyphPixmap(buttonName, true), QIcon::Disabled);
  return icon;
}
