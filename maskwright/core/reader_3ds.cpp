#include "maskwright/core/reader_3ds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/errors.h"

namespace {

constexpr std::uint16_t kEditor = 0x3D3D;
constexpr std::uint16_t kObject = 0x4000;
constexpr std::uint16_t kMesh = 0x4100;
constexpr std::uint16_t kVertices = 0x4110;
constexpr std::uint16_t kFaces = 0x4120;
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kMaxNameLength = 70;

struct TChunkHeader {
  std::uint16_t id = 0;
  std::uint32_t length = 0;
};

// One import: the file in memory with a read position, the face counter and the pending
// vertex list.
class T3DSReader {
 public:
  T3DSReader(TMaskCore& core, TMaskHost& host, const std::string& name, std::string data)
      : core_(core), host_(host), name_(name), data_(std::move(data)) {}

  bool Parse();

 private:
  void ReadObject(std::size_t end);
  void ReadMesh(std::size_t end);
  void ReadVertices();
  void ReadFaces();
  std::string ReadName();
  // Walks the children between the read position and `end`, calling `child` for each whole one;
  // stops at a child that is too short or runs past `end`, and after any child once a cancel
  // is requested.
  template <typename F>
  void WalkChildren(std::size_t end, F child);

  void Need(std::size_t bytes, const char* reason) const {
    if (bytes > data_.size() - pos_) throw TFileError(name_, reason);
  }
  std::uint16_t U16() {
    Need(2, kParseError);
    std::uint16_t v;
    std::memcpy(&v, data_.data() + pos_, 2);
    pos_ += 2;
    return v;
  }
  TChunkHeader Header(std::size_t at) const {
    TChunkHeader h;
    std::memcpy(&h.id, data_.data() + at, 2);
    std::memcpy(&h.length, data_.data() + at + 2, 4);
    return h;
  }

  TMaskCore& core_;
  TMaskHost& host_;
  std::string name_;
  std::string data_;
  std::size_t pos_ = 0;
  long long faceCounter_ = 0;
  std::vector<TVector3> pending_;
  bool hasPending_ = false;
  std::vector<std::uint32_t> faceData_;
};

bool T3DSReader::Parse() {
  const std::size_t size = data_.size();
  if (size == 0) throw TFileError(name_, "empty file");
  if (size < kHeaderSize) throw TFileError(name_, kParseError);
  if (Header(0).length != size) {
    host_.ShowError(host_.Localize(kParseError));
    return false;
  }
  std::size_t walk = kHeaderSize;
  while (size - walk >= kHeaderSize) {
    const TChunkHeader h = Header(walk);
    if (h.id == kEditor) {  // its children are walked as its siblings
      walk += kHeaderSize;
      continue;
    }
    if (h.length < kHeaderSize || h.length > size - walk) break;
    const std::size_t start = walk;
    walk += h.length;
    if (h.id == kObject) {
      pos_ = start + kHeaderSize;
      ReadObject(walk);
    }
  }
  host_.SetStatusText(0, std::to_string(faceCounter_) + host_.Localize(" faces imported"));
  host_.SetStatusText(2, "");
  SetColor(core_.View, core_.ObjColor);
  host_.SetProgress(0);
  return true;
}

template <typename F>
void T3DSReader::WalkChildren(std::size_t end, F child) {
  std::size_t at = pos_;
  while (at < end && end - at >= kHeaderSize) {
    const TChunkHeader h = Header(at);
    if (h.length < kHeaderSize || h.length > end - at) break;
    pos_ = at + kHeaderSize;
    child(h.id, at + h.length);
    at += h.length;
    if (core_.CancelRequested) break;
  }
}

void T3DSReader::ReadObject(std::size_t end) {
  host_.SetStatusText(0, ReadName());
  WalkChildren(end, [this](std::uint16_t id, std::size_t childEnd) {
    if (id == kMesh) ReadMesh(childEnd);
  });
  host_.SetStatusText(0, "");
}

void T3DSReader::ReadMesh(std::size_t end) {
  WalkChildren(end, [this](std::uint16_t id, std::size_t) {
    if (id == kVertices) ReadVertices();
    if (id == kFaces) ReadFaces();
  });
}

std::string T3DSReader::ReadName() {
  const void* nul = std::memchr(data_.data() + pos_, 0, data_.size() - pos_);
  if (!nul) throw TFileError(name_, kParseError);
  const std::size_t length = static_cast<const char*>(nul) - (data_.data() + pos_);
  std::string name = data_.substr(pos_, std::min(length, kMaxNameLength));
  pos_ += length + 1;
  return name;
}

void T3DSReader::ReadVertices() {
  host_.SetProgress(static_cast<int>(pos_ * 100 / data_.size()));
  const std::uint16_t count = U16();
  Need(std::size_t{count} * 12, kParseError);
  pending_.resize(count);
  const char* p = data_.data() + pos_;
  for (TVector3& v : pending_) {
    float xyz[3];
    std::memcpy(xyz, p, sizeof xyz);
    p += sizeof xyz;
    v = {xyz[0], xyz[2], xyz[1]};  // the file's z is the scene's height
  }
  pos_ += std::size_t{count} * 12;
  hasPending_ = true;
}

void T3DSReader::ReadFaces() {
  const std::uint16_t n = U16();
  if (!hasPending_) return;  // no vertex list to use: the face list is skipped
  faceCounter_ += n;
  Need(std::size_t{n} * 8, kParseError);
  if (n > 11) host_.SetStatusText(2, host_.Localize(" Press ESC to skip"));
  faceData_.clear();
  for (std::uint16_t i = 0; i < n; ++i) {
    std::uint16_t f[4];
    std::memcpy(f, data_.data() + pos_ + std::size_t{i} * 8, sizeof f);
    host_.ProcessMessages();
    faceData_.insert(faceData_.end(), {3u, f[2], f[1], f[0]});  // reversed winding
    host_.ProcessMessages();
    if (core_.CancelRequested) {
      hasPending_ = false;
      return;
    }
  }
  pos_ += std::size_t{n} * 8;
  faceData_.push_back(0);
  core_.View.MeshBuilder->AddFaces(pending_, faceData_);
  hasPending_ = false;
}

// Clears the cancel request however the walk ends.
struct TCancelReset {
  bool& flag;
  ~TCancelReset() { flag = false; }
};

}  // namespace

bool Has3dsExtension(const std::string& name) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || name.size() - dot != 4) return false;
  std::string ext = name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".3ds";
}

bool Parse3DS(TMaskCore& core, TMaskHost& host, const std::string& name) {
  TCancelReset reset{core.CancelRequested};
  T3DSReader reader(core, host, name, ReadWholeFile(name));
  return reader.Parse();
}

bool LoadModel(TMaskCore& core, TMaskHost& host, const std::string& name) {
  DXDrawInitialize(core.View, core.ObjColor, core.LightColor);
  bool loaded = Parse3DS(core, host, name);
  if (loaded) {
    TMeshBuilder& mesh = *core.View.MeshBuilder;
    const TBox box = mesh.GetBox();
    const double size[3] = {std::fabs(double{box.max.x} - box.min.x),
                            std::fabs(double{box.max.y} - box.min.y),
                            std::fabs(double{box.max.z} - box.min.z)};
    mesh.Translate(static_cast<float>(size[0] / 2 - box.max.x),
                   static_cast<float>(size[1] / 2 - box.max.y),
                   static_cast<float>(size[2] / 2 - box.max.z));
    const double largest = std::max({size[0], size[1], size[2]});
    // A model without extent (no vertices, or one point) stays as it is instead of becoming NaN.
    if (largest > 0 && std::isfinite(largest)) {
      const auto factor = static_cast<float>(9.0 / largest);
      mesh.Scale(factor, factor, factor);
    }
  }
  host.RenderView();
  host.SetStatusText(1, "");
  return loaded;
}

void CaptureLoadedModel(TMaskCore& core) {
  core.ModelMatrix = core.View.ModelFrame->GetTransform();
  core.Z0 = core.ModelMatrix[3][2];
}

bool Open3DS(TMaskCore& core, TMaskHost& host, const std::string& name) {
  if (!Has3dsExtension(name)) {
    host.ShowError(host.Localize(kUnsupportedInputType));
    return false;
  }
  host.SetBusy(true);
  std::string error;
  try {
    core.ModelLoaded = LoadModel(core, host, name);
  } catch (const TFileError& e) {
    core.ModelLoaded = false;
    error = e.what();
  }
  host.SetBusy(false);  // also after a read error, so the window stays usable
  std::string caption = host.Localize(kCaption);
  if (core.ModelLoaded) caption += " : " + name.substr(name.find_last_of('/') + 1);
  host.SetCaption(caption);
  if (!error.empty()) host.ShowError(error);
  if (core.ModelLoaded) CaptureLoadedModel(core);
  return core.ModelLoaded;
}
