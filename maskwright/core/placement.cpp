#include "maskwright/core/placement.h"

#include <cmath>
#include <cstdlib>

void RotateModel(TMaskCore& core, TMaskHost& host, float x, float y, float z) {
  if (!host.ViewReady() || !core.View.ModelFrame) return;
  core.View.ModelFrame->SetRotation(x, y, z, kTurnStep);
  core.View.Scene.Move(1.0);
  host.RenderView();
}

void MoveModel(TMaskCore& core, TMaskHost& host, float dx, float dy, float dz) {
  if (!host.ViewReady() || !core.View.ModelFrame) return;
  const TVector3 p = core.View.ModelFrame->GetPosition();
  core.View.ModelFrame->SetPosition(p.x + dx, p.y + dy, p.z + dz);
  host.RenderView();
}

void SetRotation(TMaskCore& core, float x, float y, float z, float theta) {
  if (core.View.ModelFrame) core.View.ModelFrame->SetRotation(x, y, z, theta);
}

void GetMaxBox(TMaskCore& core, bool byX, bool byY, bool byZ) {
  const TBox box = core.View.MeshBuilder ? core.View.MeshBuilder->GetBox() : TBox{};
  core.ModelBox = TransformBox(box, core.ModelMatrix);
  const double dx = double{core.ModelBox.max.x} - core.ModelBox.min.x;
  const double dy = double{core.ModelBox.max.y} - core.ModelBox.min.y;
  const double dz = double{core.ModelBox.max.z} - core.ModelBox.min.z;
  double r;
  if (byX && byY && byZ) {
    r = 0.5 * std::sqrt(dx * dx + dy * dy + dz * dz);
  } else if (byX && byZ) {
    r = 0.5 * std::sqrt(dx * dx + dz * dz);
  } else if (byX && byY) {
    r = 0.5 * std::sqrt(dx * dx + dy * dy);
  } else if (byY && byZ) {
    r = 0.5 * std::sqrt(dy * dy + dz * dz);
  } else if (byX) {
    r = 0.5 * dx;
  } else if (byY) {
    r = 0.5 * dy;
  } else {
    r = 0.5 * dz;
  }
  const double c = (double{core.ModelBox.max.z} + core.ModelBox.min.z) / 2;
  core.ModelBox.min.z = static_cast<float>(c - r);
  core.ModelBox.max.z = static_cast<float>(c + r);
}

int GetRotationParms(int X, int Y, int Z, float& x, float& y, float& z) {
  int n = X;
  x = 1;
  if (X != 0) {
    y = static_cast<float>(Y) / X;
    z = static_cast<float>(Z) / X;
  } else {
    y = z = 1;
  }
  if (std::abs(Y) >= std::abs(X) && std::abs(Y) >= std::abs(Z)) {
    if (Y != 0) {
      x = static_cast<float>(X) / Y;
      z = static_cast<float>(Z) / Y;
    }
    y = 1;
    n = Y;
  } else if (std::abs(Z) >= std::abs(Y) && std::abs(Z) >= std::abs(X)) {
    if (Z != 0) {
      x = static_cast<float>(X) / Z;
      y = static_cast<float>(Y) / Z;
    }
    z = 1;
    n = Z;
  }
  return n;
}

TPlacementStep MouseMoveStep(TMousePoint last, TMousePoint now, int buttons, bool shift) {
  if (now == last) return {};
  float a = (last.x - now.x) * 0.1f;
  float b = (last.y - now.y) * 0.1f;
  if (buttons & kLeftButton) return {TPlacementStep::kRotate, b, a, 0};
  if (!(buttons & kRightButton)) return {};
  a /= 3;
  b /= 3;
  if (shift) return {TPlacementStep::kMove, 0, 0, b};
  return {TPlacementStep::kMove, -a, b, 0};
}

TPlacementStep WheelStep(int delta, bool overView) {
  if (!overView) return {};
  return {TPlacementStep::kMove, 0, 0, delta > 0 ? kMoveStep : -kMoveStep};
}

bool PointOverView(TMousePoint p, int left, int top, int right, int bottom, int panelTop) {
  return p.x >= left && p.x <= right && p.y >= top + panelTop && p.y <= bottom + panelTop;
}

void ApplyStep(TMaskCore& core, TMaskHost& host, const TPlacementStep& step) {
  if (step.kind == TPlacementStep::kRotate) RotateModel(core, host, step.x, step.y, step.z);
  if (step.kind == TPlacementStep::kMove) MoveModel(core, host, step.x, step.y, step.z);
}

void DXDrawMouseMove(TMaskCore& core, TMaskHost& host, TMousePoint& last, TMousePoint now,
                     int buttons, bool shift) {
  if (now == last) return;
  ApplyStep(core, host, MouseMoveStep(last, now, buttons, shift));
  last = now;
}
