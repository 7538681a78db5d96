#include "maskwright/core/rasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

// Round half to even of a value known to be finite, kept within [lo, hi] so that positions far
// outside the mask cannot overflow an int.
int RoundClamped(double v, int lo, int hi) {
  v = std::clamp(v, lo - 1.0, hi + 1.0);
  return std::clamp(static_cast<int>(std::nearbyint(v)), lo, hi);
}

bool Finite(const TPoint3d& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

std::string ReplaceFirst(std::string text, const std::string& what, const std::string& with) {
  const auto at = text.find(what);
  if (at != std::string::npos) text.replace(at, what.size(), with);
  return text;
}

}  // namespace

bool PrepareRaster(const TMaskCore& core, TRasterParams& p) {
  p.W = core.PicWidth;
  p.H = core.PicHeight;
  p.M = core.ModelMatrix;
  const TBox& box = core.ModelBox;
  const float sx = std::fabs(box.max.x - box.min.x);
  const float sy = std::fabs(box.max.y - box.min.y);
  const float sz = std::fabs(box.max.z - box.min.z);
  p.zMin = box.min.z;
  p.k = 255.0f / sz;
  p.s = static_cast<float>(0.8 * std::min(p.W, p.H) / std::max({sx, sy, sz}));
  const float zc = p.M[3][2];
  p.s = static_cast<float>(double{p.s} * core.Z0 / zc);
  // A flat or empty model has no depth scale; a model at or behind the observer would be drawn
  // mirrored or at an infinite scale. Such masks stay all 0.
  if (!(sz > 0) || !std::isfinite(p.k) || !(zc > 0) || !(p.s > 0) || !std::isfinite(p.s))
    return false;
  p.xs.resize(p.W);
  p.ys.resize(p.H);
  for (int c = 0; c < p.W; ++c) p.xs[c] = c / double{p.s} - p.W * 0.5 / p.s;
  for (int r = 0; r < p.H; ++r) p.ys[r] = r / double{p.s} - p.H * 0.5 / p.s;
  return true;
}

void DrawTriangle(TDIB& mask, const TRasterParams& p, const TVector3& a, const TVector3& b,
                  const TVector3& c) {
  const TPoint3d A = TransformPoint(a, p.M), B = TransformPoint(b, p.M), C = TransformPoint(c, p.M);
  if (!Finite(A) || !Finite(B) || !Finite(C)) return;
  const double D = A.x * B.y - A.x * C.y - A.y * B.x + A.y * C.x + B.x * C.y - C.x * B.y;
  const TPoint3d u{B.x - A.x, B.y - A.y, B.z - A.z}, v{C.x - A.x, C.y - A.y, C.z - A.z};
  const TPoint3d N{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
  if (D == 0 || N.z == 0) return;  // seen edge-on: no area, no defined depth
  const double Q = A.x * (B.y * C.z - B.z * C.y) + A.y * (B.z * C.x - B.x * C.z) +
                   A.z * (B.x * C.y - B.y * C.x);
  const double s = p.s;
  const int r0 = std::max(RoundClamped(std::min({A.y, B.y, C.y}) * s + p.H * 0.5, 0, p.H), 1);
  const int r1 = RoundClamped(std::max({A.y, B.y, C.y}) * s + p.H * 0.5, -1, p.H - 1);
  const int c0 = RoundClamped(std::min({A.x, B.x, C.x}) * s + p.W * 0.5, 0, p.W);
  const int c1 = RoundClamped(std::max({A.x, B.x, C.x}) * s + p.W * 0.5, -1, p.W - 1);
  const double sign = D > 0 ? 1.0 : -1.0;  // e / D >= 0 is e * sign >= 0
  for (int r = r0; r <= r1; ++r) {
    const double y = p.ys[r];
    std::uint8_t* row = mask.ScanLine(p.H - r);
    for (int col = c0; col <= c1; ++col) {
      const double x = p.xs[col];
      const double e1 = (B.y - C.y) * x - (B.x - C.x) * y + B.x * C.y - C.x * B.y;
      const double e2 = (y - C.y) * A.x - (x - C.x) * A.y + x * C.y - C.x * y;
      const double e3 = (B.y - y) * A.x - (B.x - x) * A.y + B.x * y - x * B.y;
      if (e1 * sign < 0 || e2 * sign < 0 || e3 * sign < 0) continue;
      const double z = (Q - N.x * x - N.y * y) / N.z;
      // Depths outside the range (an export's fixed box) saturate instead of wrapping around.
      const double level = std::clamp(std::nearbyint((z - p.zMin) * p.k), 0.0, 255.0);
      const auto g = static_cast<std::uint8_t>(255 - static_cast<int>(level));
      if (g > row[col]) row[col] = g;
    }
  }
}

void DrawFace(TDIB& mask, const TRasterParams& p, const TFace& face, TMaskHost& host) {
  TVector3 v[3];
  for (int k = 0; k < 3; ++k) {
    if (!face.GetVertex(k, v[k])) {
      host.ShowError(host.Localize("Can not open vertex"));
      return;
    }
  }
  DrawTriangle(mask, p, v[0], v[1], v[2]);
}

void RenderObject(TMaskCore& core, TMaskHost& host) {
  core.ModelMatrix = core.View.ModelFrame ? core.View.ModelFrame->GetTransform() : IdentityMatrix();
  const TMeshBuilder empty;
  const TMeshBuilder& mesh = core.View.MeshBuilder ? *core.View.MeshBuilder : empty;
  if (!core.ExportOpen) core.ModelBox = TransformBox(mesh.GetBox(), core.ModelMatrix);
  core.Mask = TDIB();
  core.Mask.SetColorTable(GreyRamp());
  core.Mask.SetSize(core.PicWidth, core.PicHeight, 8);
  TRasterParams p;
  const bool drawable = PrepareRaster(core, p);
  const TFaceArray faces = mesh.GetFaces();
  const auto n = static_cast<long long>(faces.GetSize());
  host.SetStatusText(2, host.Localize("Processing faces..."));
  const long long last = n - 1;
  for (long long i = 0; i < n; ++i) {
    if (last > 10 && i % (last / 10) == 0) host.SetProgress(static_cast<int>(i * 100 / last));
    if (drawable) DrawFace(core.Mask, p, faces.GetElement(i), host);
    host.ProcessMessages();
  }
  host.SetProgress(0);
  host.SetStatusText(2, host.Localize("Drawing..."));
  core.MaskReady = true;
}

void PreviewSize(int W, int H, int bw, int bh, int SW, int SH, int& pw, int& ph) {
  pw = W;
  ph = H;
  if (static_cast<double>(W) / H < static_cast<double>(bw) / bh) {
    if (W > SW) {
      ph = SH;
      pw = static_cast<int>(static_cast<long long>(W) * SH / H);
    }
  } else if (H > SH) {
    pw = SW;
    ph = static_cast<int>(static_cast<long long>(H) * SW / W);
  }
  pw = std::max(pw, 1);
  ph = std::max(ph, 1);
}

void UpdatePreview(TMaskCore& core, TMaskHost& host) {
  int bw = 0, bh = 0, SW = 0, SH = 0;
  host.PreviewBoxSize(bw, bh);
  host.ScreenSize(SW, SH);
  const int W = core.Mask.Width(), H = core.Mask.Height();
  if (core.Mask.Empty() || core.Mask.BitCount() != 8 || bw < 1 || bh < 1) return;
  host.SetStatusText(2, host.Localize("Drawing..."));
  int pw = 0, ph = 0;
  PreviewSize(W, H, bw, bh, std::max(SW, 1), std::max(SH, 1), pw, ph);
  core.Preview = TDIB();
  core.Preview.SetColorTable(GreyRamp());
  core.Preview.SetSize(pw, ph, 8);
  for (int y = 0; y < ph; ++y) {
    const std::uint8_t* src = core.Mask.ScanLine(static_cast<int>(static_cast<long long>(y) * H / ph));
    std::uint8_t* dst = core.Preview.ScanLine(y);
    for (int x = 0; x < pw; ++x) dst[x] = src[static_cast<long long>(x) * W / pw];
  }
  const std::string size = std::to_string(W) + " x " + std::to_string(H);
  host.SetStatusText(2, ReplaceFirst(host.Localize("%s depth mask ready"), "%s", size));
  host.ShowPreview();
}
