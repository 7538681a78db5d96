#pragma once
// Depth mask fitting and the nearest-neighbour stretch shared by the texture fill, the views and
// printing.
#include "engine/render_error.h"
#include "platform/dib.h"

// Where FitMask places a sw x sh mask in a width x height frame at `percent`.
struct TFitRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  friend bool operator==(const TFitRect&, const TFitRect&) = default;
};
// An empty rectangle for an empty mask.
TFitRect FitRect(int sw, int sh, int percent, int width, int height);

// Replaces `mask` by an 8-bit width x height picture with the GreyRamp table: the mask scaled with
// its aspect kept to `percent` of the frame in the limiting dimension, centred, depth 0 around it.
// 8-bit masks keep their values; other depths take the nearest grey. Throws TRenderError for an
// empty mask.
void FitMask(TDIB& mask, int percent, int width, int height);

// Draws the whole source scaled to w x h into destination (8 or 24 bits) at (x, y). The start is
// clamped onto the destination, the far edges are clipped. 8-bit to 8-bit copies indices; any
// other pair converts colours (nearest entry of the destination's table for 8-bit destinations).
// Throws std::invalid_argument for a destination of another depth.
void StretchCopy(const TDIB& source, TDIB& destination, int x, int y, int w, int h);
