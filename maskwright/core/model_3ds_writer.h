#pragma once
// Writes triangle meshes as 3DS files with the chunk layout modelling programs use (version,
// editor with mesh version, a material, objects with vertex list, local axes and a face list with
// material and smoothing sub-chunks, an empty keyframer). For sample models, tests and benchmarks.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "maskwright/core/geometry.h"

struct T3DSObject {
  std::string name;
  std::vector<TVector3> vertices;  // file coordinates: z is the height
  std::vector<std::array<std::uint16_t, 3>> faces;
};

std::string Encode3DS(const std::vector<T3DSObject>& objects);

// A torus about the file's z axis (major radius R, tube radius r), `segments` around the axis and
// `sides` around the tube, split into `parts` objects so that every list stays within 65535
// entries. 2 * segments * sides faces in all.
std::vector<T3DSObject> MakeTorus(float R, float r, int segments, int sides, int parts = 1);
// A pyramid of `steps` square slabs, each one unit high and one unit narrower on every side.
T3DSObject MakeSteppedPyramid(int steps);
