#pragma once
// The stereogram renderer: builds OutputImage row by row from the fitted MaskImage and the
// pattern strip in PatternImage (made here when Params.Randm is set).
#include "engine/engine.h"

void RenderDotweave(TEngine& engine);

// Signed shift, in oversampled pixels, of depth d (0..255) for period p (oversampled).
int DepthShift(int p, int depth, int dDepth, int renderDirection);
