#include "maskwright/core/scene.h"

#include <algorithm>
#include <cmath>

#include "platform/color.h"

TFrame::TFrame() {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) orientation_[i][j] = (i == j) ? 1.0 : 0.0;
}

void TFrame::SetPosition(float x, float y, float z) {
  position_[0] = x;
  position_[1] = y;
  position_[2] = z;
}

TVector3 TFrame::GetPosition() const {
  return {static_cast<float>(position_[0]), static_cast<float>(position_[1]),
          static_cast<float>(position_[2])};
}

void TFrame::SetRotation(float x, float y, float z, float theta) {
  axis_[0] = x;
  axis_[1] = y;
  axis_[2] = z;
  theta_ = theta;
}

void TFrame::Move(double delta) {
  const double len = std::sqrt(axis_[0] * axis_[0] + axis_[1] * axis_[1] + axis_[2] * axis_[2]);
  const double angle = theta_ * delta;
  if (!(len > 0) || !std::isfinite(len) || angle == 0 || !std::isfinite(angle)) return;
  const double u[3] = {axis_[0] / len, axis_[1] / len, axis_[2] / len};
  const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  // Row-vector form of the rotation (the transpose of the column-vector matrix).
  const double r[3][3] = {
      {t * u[0] * u[0] + c, t * u[0] * u[1] + s * u[2], t * u[0] * u[2] - s * u[1]},
      {t * u[0] * u[1] - s * u[2], t * u[1] * u[1] + c, t * u[1] * u[2] + s * u[0]},
      {t * u[0] * u[2] + s * u[1], t * u[1] * u[2] - s * u[0], t * u[2] * u[2] + c}};
  double o[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      o[i][j] = orientation_[i][0] * r[0][j] + orientation_[i][1] * r[1][j] +
                orientation_[i][2] * r[2][j];
  std::copy(&o[0][0], &o[0][0] + 9, &orientation_[0][0]);
}

TMatrix4 TFrame::GetTransform() const {
  TMatrix4 m{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[i][j] = static_cast<float>(orientation_[i][j]);
  for (int j = 0; j < 3; ++j) m[3][j] = static_cast<float>(position_[j]);
  m[3][3] = 1.0f;
  return m;
}

bool TFace::GetVertex(int k, TVector3& out) const {
  const auto triangles = mesh_->Triangles();
  if (k < 0 || k > 2 || index_ >= triangles.size()) return false;
  out = mesh_->Vertices()[triangles[index_][k]];
  return true;
}

std::size_t TFaceArray::GetSize() const { return mesh_->Triangles().size(); }

void TMeshBuilder::AddFaces(std::span<const TVector3> vertices,
                            std::span<const std::uint32_t> faceData) {
  const auto base = static_cast<std::uint32_t>(vertices_.size());
  vertices_.insert(vertices_.end(), vertices.begin(), vertices.end());
  std::size_t i = 0;
  while (i < faceData.size() && faceData[i] != 0) {
    const std::uint32_t count = faceData[i++];
    if (count > faceData.size() - i) break;
    const std::uint32_t* idx = faceData.data() + i;
    i += count;
    if (count != 3) continue;
    if (idx[0] >= vertices.size() || idx[1] >= vertices.size() || idx[2] >= vertices.size())
      continue;
    triangles_.push_back({base + idx[0], base + idx[1], base + idx[2]});
  }
}

TBox TMeshBuilder::GetBox() const {
  TBox box;
  bool first = true;
  for (const TVector3& v : vertices_) {
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) continue;
    if (first) {
      box.min = box.max = v;
      first = false;
      continue;
    }
    box.min = {std::min(box.min.x, v.x), std::min(box.min.y, v.y), std::min(box.min.z, v.z)};
    box.max = {std::max(box.max.x, v.x), std::max(box.max.y, v.y), std::max(box.max.z, v.z)};
  }
  return box;
}

void TMeshBuilder::Translate(float dx, float dy, float dz) {
  for (TVector3& v : vertices_) v = {v.x + dx, v.y + dy, v.z + dz};
}

void TMeshBuilder::Scale(float sx, float sy, float sz) {
  for (TVector3& v : vertices_) v = {v.x * sx, v.y * sy, v.z * sz};
}

void TMeshBuilder::SetMaterial(float power, TVector3 specular, TVector3 emissive) {
  power_ = power;
  specular_ = specular;
  emissive_ = emissive;
}

TScene::TScene() = default;

TFrame& TScene::CreateFrame() {
  frames_.push_back(std::make_unique<TFrame>());
  return *frames_.back();
}

void TScene::Move(double delta) {
  for (auto& frame : frames_) frame->Move(delta);
}

namespace {

TVector3 Channels(std::uint32_t color) {
  return {ColorR(color) / 255.0f, ColorG(color) / 255.0f, ColorB(color) / 255.0f};
}

}  // namespace

void DXDrawInitialize(TModelScene& view, std::uint32_t objColor, std::uint32_t lightColor) {
  view.Scene = TScene();
  view.LightFrame = &view.Scene.CreateFrame();
  view.ModelFrame = &view.Scene.CreateFrame();
  view.LightFrame->AddLight(std::make_shared<TLight>(TLightType::Directional, 0.85f, 0.85f, 0.85f));
  const TVector3 ambient = Channels(lightColor);
  view.Scene.AddLight(std::make_shared<TLight>(TLightType::Ambient, ambient.x, ambient.y, ambient.z));
  view.LightFrame->SetPosition(2, 0, -2);
  view.ModelFrame->SetPosition(0, 0, 15);
  view.ModelFrame->SetRotation(0, 1, 0, 0.05f);
  view.MeshBuilder = std::make_shared<TMeshBuilder>();
  view.MeshBuilder->SetMaterial(35000, {0.2f, 0.2f, 0.2f}, {0.05f, 0.05f, 0.05f});
  SetColor(view, objColor);
  view.ModelFrame->AddVisual(view.MeshBuilder);
}

void SetColor(TModelScene& view, std::uint32_t color) {
  if (!view.MeshBuilder) return;
  const TVector3 c = Channels(color);
  view.MeshBuilder->SetColorRGB(c.x, c.y, c.z);
}

bool SetColorBright(TModelScene& view, std::uint32_t objColor, std::uint32_t lightColor) {
  SetColor(view, objColor);
  for (const auto& light : view.Scene.GetLights()) {
    if (light->GetType() != TLightType::Ambient) continue;
    const TVector3 c = Channels(lightColor);
    light->SetColorRGB(c.x, c.y, c.z);
    return true;
  }
  return false;
}
