#pragma once
// The stereogram renderer: builds OutputImage row by row from the fitted MaskImage and the
// pattern strip in PatternImage (made here when Params.Randm is set).
//
// Settings outside the dialogs' ranges never make it read or write outside a picture: Oversampling
// below 1 counts as 1 and is lowered until a row has at most 65535 positions; Base is held within
// 2 and PWidth; DDepth 0 counts as 1; every depth shift stays within the period less one; a
// BitRate other than 8 renders 24-bit; an output of the wrong size or depth is made PWidth x
// PHeight at that depth; mask pixels it lacks are depth 0; a pattern of the wrong size repeats
// (colours converted when its depth differs); an empty pattern writes no row.
#include <cstdint>

#include "engine/engine.h"

void RenderDotweave(TEngine& engine);

// Signed shift, in oversampled pixels, of depth d (0..255) for period p (oversampled):
// Round(p * 7.26 * d / dDepth * 0.0025) times the direction.
int DepthShift(int p, int depth, int dDepth, int renderDirection);

// Averages `oversampling` positions of the row buffer into each pixel of output row y: channel
// means in 24-bit; in 8-bit the mean colour through the output's table, stored as the nearest
// entry of its palette.
void ReduceRow(const std::uint8_t* row, int oversampling, TDIB& output, int y);

// The period and bit depth a render actually uses (see above).
int RenderBase(const TStereoParams& params);
int RenderBitCount(const TStereoParams& params);
