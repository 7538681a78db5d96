#pragma once
// Turning and moving the model frame, the model's bounds in scene coordinates, and the mouse and
// wheel rules of the 3D view as plain functions, so that the window only forwards its events.
#include "maskwright/core/mask_core.h"
#include "maskwright/core/mask_host.h"

inline constexpr float kTurnStep = 0.05f;  // radians per arrow press or mouse-move event
inline constexpr float kMoveStep = 0.1f;   // scene units per arrow press or wheel step

// One turn of kTurnStep about (x, y, z) in scene directions; the setting stays on the frame.
// Does nothing while the view is not ready.
void RotateModel(TMaskCore& core, TMaskHost& host, float x, float y, float z);
// Moves the model frame by (dx, dy, dz); does nothing while the view is not ready.
void MoveModel(TMaskCore& core, TMaskHost& host, float dx, float dy, float dz);
// Gives the model frame the turn that every later Move applies, without applying it.
void SetRotation(TMaskCore& core, float x, float y, float z, float theta);

// ModelBox for an animation: the bounds of the model as last captured, with a z range whose depth
// comes from the chosen extents, so that grey levels stay the same while the model turns.
void GetMaxBox(TMaskCore& core, bool byX, bool byY, bool byZ);

// The rotation axis and the signed number of turns per cycle for the evolution counts (X, Y, Z):
// the counts divided by the dominant one (ties go to Y, then Z); all zero gives (1, 1, 1) and 0.
int GetRotationParms(int X, int Y, int Z, float& x, float& y, float& z);

struct TMousePoint {
  int x = 0, y = 0;
  friend bool operator==(const TMousePoint&, const TMousePoint&) = default;
};
enum TMouseButton { kLeftButton = 1, kRightButton = 2 };

// What one mouse or wheel event asks of the model.
struct TPlacementStep {
  enum TKind { kNone, kRotate, kMove } kind = kNone;
  float x = 0, y = 0, z = 0;
};

// The mouse moved from `last` to `now` with `buttons` held (TMouseButton bits).
TPlacementStep MouseMoveStep(TMousePoint last, TMousePoint now, int buttons, bool shift);
// A wheel turn; only counts when the pointer is over the 3D view.
TPlacementStep WheelStep(int delta, bool overView);
// The wheel's test: the pointer (main window client coordinates) against the view's edges, the
// top and bottom shifted by the top of the view's panel, edges included.
bool PointOverView(TMousePoint p, int left, int top, int right, int bottom, int panelTop);

void ApplyStep(TMaskCore& core, TMaskHost& host, const TPlacementStep& step);
// The view's mouse-move handler: applies the step and remembers the new point.
void DXDrawMouseMove(TMaskCore& core, TMaskHost& host, TMousePoint& last, TMousePoint now,
                     int buttons, bool shift);
