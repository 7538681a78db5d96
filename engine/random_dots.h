#pragma once
// Random-dot patterns: the pattern strip of a random-dot stereogram and the dot palette of the
// 8-bit form. Every draw goes through the engine's generator, so the number and order of draws
// decide the picture: the same settings after the same renders give the same dots.
#include <vector>

#include "engine/engine.h"

// Replaces PatternImage by a Base x PHeight strip of square dots at BitRate bits, about DotNum
// dots across the stereogram's width. In 8-bit mode the strip carries the dot palette.
void MakeRandomPattern(TEngine& engine);

// Fills every pixel of an 8-bit or 24-bit picture with one-pixel random dots; an 8-bit picture
// first gets the palette of MakeDotPalette. Other depths are left alone. An empty colour list
// counts as white.
void FillRandomDots(const std::vector<TColor>& colours, TDIB& picture, bool gradient,
                    TRandom& random);

// 256 entries: the colours drawn at random (no gradient), or 32 gradient colours through the
// list, each at full, 1/2, ... 1/8 brightness.
TColorTable MakeDotPalette(const std::vector<TColor>& colours, bool gradient, TRandom& random);
