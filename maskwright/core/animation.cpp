#include "maskwright/core/animation.h"

#include <cstdio>
#include <numbers>

#include "maskwright/core/placement.h"
#include "maskwright/core/rasterizer.h"

int PrepareRotation(TMaskCore& core, int X, int Y, int Z, int frames) {
  core.CancelRequested = false;
  float x = 0, y = 0, z = 0;
  const int n = GetRotationParms(X, Y, Z, x, y, z);
  const double step = frames > 0 ? 2.0 * n * std::numbers::pi / frames : 0.0;
  SetRotation(core, x, y, z, static_cast<float>(step));
  return n;
}

void RenderFrame(TMaskCore& core, TMaskHost& host) {
  core.View.Scene.Move(1.0);
  host.RenderView();
  host.ProcessMessages();
  RenderObject(core, host);
  UpdatePreview(core, host);
}

std::string SequenceFileName(const std::string& prefix, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", number);
  return prefix + digits + ".bmp";
}
