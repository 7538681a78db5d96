#pragma once
// A small retained-mode scene without windows: a scene frame with a camera, child frames that can
// carry lights and a mesh, and one rotation setting per frame that the scene's Move applies.
// A positive turn follows the right-hand rule on the coordinate numbers: a turn of +90 degrees
// about +y takes +z to +x and +x to -z; about +x it takes +y to +z; about +z it takes +x to +y.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "maskwright/core/geometry.h"

enum class TLightType { Ambient, Directional };

class TLight {
 public:
  TLight(TLightType type, float r, float g, float b) : type_(type), r_(r), g_(g), b_(b) {}
  TLightType GetType() const { return type_; }
  void SetColorRGB(float r, float g, float b) { r_ = r, g_ = g, b_ = b; }
  float Red() const { return r_; }
  float Green() const { return g_; }
  float Blue() const { return b_; }

 private:
  TLightType type_;
  float r_, g_, b_;
};

class TMeshBuilder;

// A frame of the scene; positions and directions are given in scene coordinates.
class TFrame {
 public:
  TFrame();
  void SetPosition(float x, float y, float z);
  TVector3 GetPosition() const;
  // Each later Move(1.0) of the scene turns the frame by theta radians about (x, y, z) through
  // its origin. An axis of zero length turns nothing.
  void SetRotation(float x, float y, float z, float theta);
  void Move(double delta);
  // Model-to-scene matrix, row vectors, fourth row the translation.
  TMatrix4 GetTransform() const;

  void AddLight(const std::shared_ptr<TLight>& light) { lights_.push_back(light); }
  const std::vector<std::shared_ptr<TLight>>& GetLights() const { return lights_; }
  void AddVisual(const std::shared_ptr<TMeshBuilder>& mesh) { visuals_.push_back(mesh); }
  const std::vector<std::shared_ptr<TMeshBuilder>>& Visuals() const { return visuals_; }

 private:
  double position_[3] = {0, 0, 0};
  double orientation_[3][3];  // rows: the frame's axes in scene directions
  double axis_[3] = {0, 0, 0};
  double theta_ = 0;
  std::vector<std::shared_ptr<TLight>> lights_;
  std::vector<std::shared_ptr<TMeshBuilder>> visuals_;
};

class TMeshBuilder;

// One face of a mesh builder, as handed out by GetFaces.
class TFace {
 public:
  TFace(const TMeshBuilder& mesh, std::size_t index) : mesh_(&mesh), index_(index) {}
  // Vertex k (0..2) in mesh-builder coordinates; false when there is no such vertex.
  bool GetVertex(int k, TVector3& out) const;

 private:
  const TMeshBuilder* mesh_;
  std::size_t index_;
};

class TFaceArray {
 public:
  explicit TFaceArray(const TMeshBuilder& mesh) : mesh_(&mesh) {}
  std::size_t GetSize() const;
  TFace GetElement(std::size_t i) const { return TFace(*mesh_, i); }

 private:
  const TMeshBuilder* mesh_;
};

using TTriangle = std::array<std::uint32_t, 3>;

class TMeshBuilder {
 public:
  // Appends the vertices and the faces of `faceData`: per face its vertex count and that many
  // indices into `vertices`, closed by 0. Only triangles are kept; a face with an index not
  // below the vertex count is dropped, so no face ever points outside the vertex list.
  void AddFaces(std::span<const TVector3> vertices, std::span<const std::uint32_t> faceData);
  // Minimum and maximum corner over all finite vertices; all zero without any.
  TBox GetBox() const;
  void Translate(float dx, float dy, float dz);
  void Scale(float sx, float sy, float sz);
  TFaceArray GetFaces() const { return TFaceArray(*this); }

  void SetColorRGB(float r, float g, float b) { color_ = {r, g, b}; }
  TVector3 Color() const { return color_; }
  void SetMaterial(float power, TVector3 specular, TVector3 emissive);

  std::span<const TVector3> Vertices() const { return vertices_; }
  std::span<const TTriangle> Triangles() const { return triangles_; }

 private:
  std::vector<TVector3> vertices_;
  std::vector<TTriangle> triangles_;
  TVector3 color_{1, 1, 1};
  float power_ = 0;
  TVector3 specular_, emissive_;
};

// The scene of the 3D view: a camera frame at the origin looking along +z with +y up, the
// frames made under the scene, and the scene's own lights.
class TScene {
 public:
  TScene();
  TFrame& CreateFrame();
  const TFrame& Camera() const { return camera_; }
  void AddLight(const std::shared_ptr<TLight>& light) { lights_.push_back(light); }
  const std::vector<std::shared_ptr<TLight>>& GetLights() const { return lights_; }
  // Applies every frame's rotation setting `delta` times.
  void Move(double delta);
  static constexpr float kBackPlane = 5000.0f;

 private:
  TFrame camera_;
  std::vector<std::unique_ptr<TFrame>> frames_;
  std::vector<std::shared_ptr<TLight>> lights_;
};

// The scene with the parts the depth-mask generator works on.
struct TModelScene {
  TScene Scene;
  TFrame* LightFrame = nullptr;
  TFrame* ModelFrame = nullptr;
  std::shared_ptr<TMeshBuilder> MeshBuilder;
};

// Discards everything and rebuilds the scene: light frame at (2, 0, -2) with a directional light,
// an ambient light of `lightColor`, the model frame at (0, 0, 15) with a 0.05 rad turn about y
// set (not applied), and an empty mesh builder coloured `objColor`. Colours are colour values.
void DXDrawInitialize(TModelScene& view, std::uint32_t objColor, std::uint32_t lightColor);

// The mesh builder's colour becomes the colour value's channels / 255.
void SetColor(TModelScene& view, std::uint32_t color);
// SetColor, and the first ambient light of the scene takes `lightColor`. False without one.
bool SetColorBright(TModelScene& view, std::uint32_t objColor, std::uint32_t lightColor);
