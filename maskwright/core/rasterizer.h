#pragma once
// The depth mask: the model's triangles, transformed with the model matrix and projected straight
// along z, scan-converted into an 8-bit grey picture (GreyRamp) where the nearest point of the
// depth range is 255 and the far end 0; the background and the top row stay 0.
#include <vector>

#include "maskwright/core/mask_core.h"
#include "maskwright/core/mask_host.h"

// What one render needs per face, fixed at the start of the render.
struct TRasterParams {
  int W = 0, H = 0;
  TMatrix4 M = IdentityMatrix();
  float s = 0;     // pixels per scene unit
  float zMin = 0;  // the nearest depth of ModelBox
  float k = 0;     // grey levels per scene unit of depth
  std::vector<double> xs, ys;  // scene x of each column, scene y of each row
};

// Fills `p` for a W x H mask of `core`'s model as now placed; false when nothing can be drawn
// (no extent in depth or at all, or the model not in front of the observer).
bool PrepareRaster(const TMaskCore& core, TRasterParams& p);

// Draws one triangle (mesh-builder coordinates) into the 8-bit mask; the larger grey wins.
// Triangles whose projection has no area are skipped.
void DrawTriangle(TDIB& mask, const TRasterParams& p, const TVector3& a, const TVector3& b,
                  const TVector3& c);
// Reads the face's three vertices and draws it; a face whose vertices cannot be read is
// reported as "Can not open vertex" and skipped.
void DrawFace(TDIB& mask, const TRasterParams& p, const TFace& face, TMaskHost& host);

// Builds core.Mask (PicWidth x PicHeight) from the model's placement now.
void RenderObject(TMaskCore& core, TMaskHost& host);

// The preview's size for a W x H mask, a bw x bh preview box and a SW x SH screen.
void PreviewSize(int W, int H, int bw, int bh, int SW, int SH, int& pw, int& ph);
// Makes core.Preview from the mask and has the host show it.
void UpdatePreview(TMaskCore& core, TMaskHost& host);
