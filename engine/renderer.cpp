#include "engine/renderer.h"

// Placeholder until the renderer lands.
void RenderDotweave(TEngine&) {}
int DepthShift(int, int, int, int) { return 0; }
