#include "maskwright/core/model_3ds_writer.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace {

class TChunkWriter {
 public:
  void Begin(std::uint16_t id) {
    open_.push_back(out_.size());
    U16(id);
    U32(0);  // patched by End
  }
  void End() {
    const std::size_t start = open_.back();
    open_.pop_back();
    const auto length = static_cast<std::uint32_t>(out_.size() - start);
    std::memcpy(out_.data() + start + 2, &length, 4);
  }
  void U16(std::uint16_t v) { Raw(&v, 2); }
  void U32(std::uint32_t v) { Raw(&v, 4); }
  void F32(float v) { Raw(&v, 4); }
  void Name(const std::string& s) { Raw(s.c_str(), s.size() + 1); }
  void Raw(const void* p, std::size_t n) { out_.append(static_cast<const char*>(p), n); }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
  std::vector<std::size_t> open_;
};

void WriteObject(TChunkWriter& w, const T3DSObject& object) {
  w.Begin(0x4000);
  w.Name(object.name);
  w.Begin(0x4100);
  w.Begin(0x4110);
  w.U16(static_cast<std::uint16_t>(object.vertices.size()));
  for (const TVector3& v : object.vertices) w.F32(v.x), w.F32(v.y), w.F32(v.z);
  w.End();
  w.Begin(0x4160);  // local axes and origin
  for (int i = 0; i < 12; ++i) w.F32(i % 4 == 0 ? 1.0f : 0.0f);
  w.End();
  w.Begin(0x4120);
  const auto n = static_cast<std::uint16_t>(object.faces.size());
  w.U16(n);
  for (const auto& f : object.faces) w.U16(f[0]), w.U16(f[1]), w.U16(f[2]), w.U16(7);
  w.Begin(0x4130);  // every face uses the one material
  w.Name("Default");
  w.U16(n);
  for (std::uint16_t i = 0; i < n; ++i) w.U16(i);
  w.End();
  w.Begin(0x4150);  // smoothing groups
  for (std::uint16_t i = 0; i < n; ++i) w.U32(1);
  w.End();
  w.End();
  w.End();
  w.End();
}

}  // namespace

std::string Encode3DS(const std::vector<T3DSObject>& objects) {
  TChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0x0002);
  w.U32(3);
  w.End();
  w.Begin(0x3D3D);
  w.Begin(0x3D3E);
  w.U32(3);
  w.End();
  w.Begin(0xAFFF);
  w.Begin(0xA000);
  w.Name("Default");
  w.End();
  w.End();
  w.Begin(0x0100);
  w.F32(1.0f);
  w.End();
  for (const T3DSObject& object : objects) WriteObject(w, object);
  w.End();
  w.Begin(0xB000);
  w.End();
  w.End();
  return w.Take();
}

std::vector<T3DSObject> MakeTorus(float R, float r, int segments, int sides, int parts) {
  std::vector<T3DSObject> objects;
  const double step = 2 * std::numbers::pi / segments, side = 2 * std::numbers::pi / sides;
  for (int part = 0; part < parts; ++part) {
    const int first = segments * part / parts, last = segments * (part + 1) / parts;
    T3DSObject o;
    o.name = "Torus" + std::to_string(part);
    for (int i = first; i <= last; ++i) {
      for (int j = 0; j < sides; ++j) {
        const double ring = R + r * std::cos(j * side);
        o.vertices.push_back({static_cast<float>(ring * std::cos(i * step)),
                              static_cast<float>(ring * std::sin(i * step)),
                              static_cast<float>(r * std::sin(j * side))});
      }
    }
    for (int i = 0; i < last - first; ++i) {
      for (int j = 0; j < sides; ++j) {
        const auto a = static_cast<std::uint16_t>(i * sides + j);
        const auto b = static_cast<std::uint16_t>(i * sides + (j + 1) % sides);
        const auto c = static_cast<std::uint16_t>(a + sides), d = static_cast<std::uint16_t>(b + sides);
        o.faces.push_back({a, c, d});
        o.faces.push_back({a, d, b});
      }
    }
    objects.push_back(std::move(o));
  }
  return objects;
}

T3DSObject MakeSteppedPyramid(int steps) {
  T3DSObject o;
  o.name = "Pyramid";
  // Each slab is a closed box of 8 corners and 12 triangles.
  static constexpr std::uint16_t kBoxFaces[12][3] = {
      {0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6}, {0, 1, 4}, {1, 5, 4},
      {2, 6, 3}, {3, 6, 7}, {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
  for (int s = 0; s < steps; ++s) {
    const auto base = static_cast<std::uint16_t>(o.vertices.size());
    const float half = static_cast<float>(steps - s), z0 = static_cast<float>(s);
    for (int k = 0; k < 8; ++k)
      o.vertices.push_back({(k & 1) ? half : -half, (k & 2) ? half : -half, (k & 4) ? z0 + 1 : z0});
    for (const auto& f : kBoxFaces)
      o.faces.push_back({static_cast<std::uint16_t>(base + f[0]),
                         static_cast<std::uint16_t>(base + f[1]),
                         static_cast<std::uint16_t>(base + f[2])});
  }
  return o;
}
