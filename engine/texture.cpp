#include "engine/texture.h"

#include <algorithm>

#include "engine/fit_mask.h"
#include "engine/renderer.h"

namespace {

// Tiles of `w` x `h` at (x, y), y = first, first + step, ... while y is inside the strip.
void TileColumn(const TDIB& texture, TDIB& strip, int x, int first, int step, int w, int h) {
  for (int y = first; y < strip.Height(); y += step) StretchCopy(texture, strip, x, y, w, h);
}

void FillMirrorBoth(TDIB& texture, TDIB& strip, int base, int tileH) {
  const int hw = base / 2, hh = tileH / 2;
  TileColumn(texture, strip, 0, 0, tileH, hw, hh);
  texture.MirrorLeftRight();
  TileColumn(texture, strip, hw, 0, tileH, base - hw, hh);
  texture.MirrorTopBottom();
  TileColumn(texture, strip, hw, hh, tileH, base - hw, tileH - hh);
  texture.MirrorLeftRight();
  TileColumn(texture, strip, 0, hh, tileH, hw, tileH - hh);
}

void FillTextureSize(const TDIB& texture, TDIB& strip, int base) {
  const int tw = texture.Width(), th = texture.Height();
  for (int y = 0; y < strip.Height(); y += th)
    for (int x = 0; x < base; x += tw) StretchCopy(texture, strip, x, y, tw, th);
}

void Fill(TDIB& texture, TDIB& strip, int mode, int base) {
  // A texture far wider than tall would give tiles of height 0 and a run that never advances.
  const int tileH = std::max(1, texture.Height() * base / texture.Width());
  switch (mode) {
    case smStretchClone:
      return TileColumn(texture, strip, 0, 0, tileH, base, tileH);
    case smMirrorVertClone:
      TileColumn(texture, strip, 0, 0, 2 * tileH, base, tileH);
      texture.MirrorTopBottom();
      return TileColumn(texture, strip, 0, tileH, 2 * tileH, base, tileH);
    case smMirrorBothClone:
      return FillMirrorBoth(texture, strip, base, tileH);
    case smTextureSize:
      return FillTextureSize(texture, strip, base);
    default:  // smSimpleStretch, and any value the dialogs never store
      return StretchCopy(texture, strip, 0, 0, base, strip.Height());
  }
}

}  // namespace

void MakeTexturePattern(TEngine& engine) {
  const TStereoParams& p = engine.Params;
  TDIB& texture = engine.PatternImage;
  // The period and depth the renderer will use, so settings out of range cannot break the fill.
  const int base = RenderBase(p);
  TDIB strip;
  strip.SetColorTable(texture.ColorTable());
  strip.SetSize(base, std::max(0, p.PHeight), RenderBitCount(p));
  if (!texture.Empty()) Fill(texture, strip, p.StretchMode, base);
  texture = std::move(strip);
}

void Render(TEngine& engine) {
  MakeTexturePattern(engine);
  if (!engine.MaskImage.Empty()) RenderDotweave(engine);
}
