#pragma once
// Scene coordinates: left-handed, y up, the observer looks along +z. Points are row vectors,
// p' = p * M, and the fourth row of a matrix is the translation.
#include <array>

struct TVector3 {
  float x = 0, y = 0, z = 0;
  friend bool operator==(const TVector3&, const TVector3&) = default;
};

// m[row][column], rows and columns counted from 0 (m[3][2] is the z translation).
using TMatrix4 = std::array<std::array<float, 4>, 4>;

TMatrix4 IdentityMatrix();

// Minimum and maximum corner.
struct TBox {
  TVector3 min;
  TVector3 max;
  friend bool operator==(const TBox&, const TBox&) = default;
};

// p * M with the translation row; computed in double.
struct TPoint3d {
  double x = 0, y = 0, z = 0;
};
inline TPoint3d TransformPoint(const TVector3& p, const TMatrix4& m) {
  const double x = p.x, y = p.y, z = p.z;
  return {x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0],
          x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1],
          x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2]};
}

// The axis-aligned bounds of the box's eight corners transformed with `m`.
TBox TransformBox(const TBox& box, const TMatrix4& m);
