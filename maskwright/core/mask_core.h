#pragma once
// The state the depth-mask generator's window, its export dialog and the command-line tool share:
// the scene with the model, the captured model matrix and box, the render settings and the mask.
#include <cstdint>

#include "maskwright/core/geometry.h"
#include "maskwright/core/scene.h"
#include "platform/color.h"
#include "platform/dib.h"

struct TMaskCore {
  TModelScene View;

  // Captured with GetTransform at load and at every render; row vectors, fourth row translation.
  TMatrix4 ModelMatrix = IdentityMatrix();
  TBox ModelBox;
  float Z0 = 15.0f;  // the model frame's z translation right after a load

  int PicWidth = 640;   // W
  int PicHeight = 480;  // H
  TDIB Mask;
  TDIB Preview;
  bool MaskReady = false;
  bool ModelLoaded = false;
  // While the export dialog exists the rasterizer keeps the box GetMaxBox prepared.
  bool ExportOpen = false;
  // Set by Esc or a Cancel button, read by the model reader and the export loop.
  bool CancelRequested = false;

  TColor ObjColor = 16777113;
  TColor LightColor = 4210752;
};
