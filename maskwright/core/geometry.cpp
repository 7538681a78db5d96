#include "maskwright/core/geometry.h"

#include <algorithm>

TMatrix4 IdentityMatrix() {
  TMatrix4 m{};
  for (int i = 0; i < 4; ++i) m[i][i] = 1.0f;
  return m;
}

TBox TransformBox(const TBox& box, const TMatrix4& m) {
  TPoint3d lo{}, hi{};
  for (int i = 0; i < 8; ++i) {
    const TVector3 corner{(i & 1) ? box.max.x : box.min.x, (i & 2) ? box.max.y : box.min.y,
                          (i & 4) ? box.max.z : box.min.z};
    const TPoint3d p = TransformPoint(corner, m);
    if (i == 0) {
      lo = hi = p;
      continue;
    }
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  return {{static_cast<float>(lo.x), static_cast<float>(lo.y), static_cast<float>(lo.z)},
          {static_cast<float>(hi.x), static_cast<float>(hi.y), static_cast<float>(hi.z)}};
}
