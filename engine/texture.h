#pragma once
// The texture pattern: scales and tiles the texture picture in PatternImage into the pattern strip
// (Base x PHeight at BitRate bits, with the texture's colour table) by StretchMode, then renders.
#include "engine/engine.h"

enum TStretchMode {
  smSimpleStretch = 0,
  smStretchClone = 1,
  smMirrorVertClone = 2,
  smMirrorBothClone = 3,
  smTextureSize = 4,
};

// Builds the strip only; an unknown StretchMode fills as "Simple stretch".
void MakeTexturePattern(TEngine& engine);

// MakeTexturePattern, then RenderDotweave when MaskImage is not empty.
void Render(TEngine& engine);
