#pragma once
// Shared by the maskwright tests: a host that records what the core shows, a temporary folder,
// and a tiny chunk builder for hand-made (also damaged) 3DS files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "maskwright/core/mask_core.h"
#include "maskwright/core/mask_host.h"

struct TRecordingHost : TQuietMaskHost {
  std::vector<std::string> status[3];
  std::vector<std::string> errors;
  std::vector<int> progress;
  std::string caption;
  int pumps = 0;
  int renders = 0;
  bool ready = true;
  // Sets the cancel flag at the pump with this number (1-based); 0 never.
  int cancelAtPump = 0;
  TMaskCore* core = nullptr;

  void SetStatusText(int panel, const std::string& text) override { status[panel].push_back(text); }
  void SetProgress(int position) override { progress.push_back(position); }
  void ProcessMessages() override {
    ++pumps;
    if (cancelAtPump != 0 && pumps == cancelAtPump && core) core->CancelRequested = true;
  }
  void SetCaption(const std::string& text) override { caption = text; }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  bool ViewReady() const override { return ready; }
  void RenderView() override { ++renders; }
  std::string Last(int panel) const { return status[panel].empty() ? "" : status[panel].back(); }
  bool Shown(int panel, const std::string& text) const {
    for (const auto& s : status[panel])
      if (s == text) return true;
    return false;
  }
};

class TTempDir {
 public:
  TTempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("mw_") + info->test_suite_name() + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    path_ = std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(path_);
  }
  ~TTempDir() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    // A fresh file rather than a truncated one: ext4 flushes truncated files on close.
    std::filesystem::remove(File(name));
    std::ofstream(File(name), std::ios::binary) << bytes;
    return File(name);
  }

 private:
  std::filesystem::path path_;
};

namespace chunk3ds {

template <typename T>
std::string Bytes(T v) {
  std::string s(sizeof v, '\0');
  std::memcpy(s.data(), &v, sizeof v);
  return s;
}
inline std::string Header(std::uint16_t id, std::uint32_t length) {
  return Bytes(id) + Bytes(length);
}
inline std::string Chunk(std::uint16_t id, const std::string& body) {
  return Header(id, static_cast<std::uint32_t>(body.size() + 6)) + body;
}
inline std::string Vertices(std::initializer_list<std::array<float, 3>> vs) {
  std::string body = Bytes(static_cast<std::uint16_t>(vs.size()));
  for (const auto& v : vs) body += Bytes(v[0]) + Bytes(v[1]) + Bytes(v[2]);
  return Chunk(0x4110, body);
}
// A face list with a material sub-chunk after the records, as modelling programs write it.
inline std::string Faces(std::initializer_list<std::array<std::uint16_t, 3>> fs) {
  std::string body = Bytes(static_cast<std::uint16_t>(fs.size()));
  for (const auto& f : fs) body += Bytes(f[0]) + Bytes(f[1]) + Bytes(f[2]) + Bytes(std::uint16_t{7});
  body += Chunk(0x4130, std::string("Mat\0", 4) + Bytes(std::uint16_t{0}));
  return Chunk(0x4120, body);
}
inline std::string Mesh(const std::string& children) { return Chunk(0x4100, children); }
inline std::string Object(const std::string& name, const std::string& children) {
  return Chunk(0x4000, name + std::string(1, '\0') + children);
}
// Main chunk with a version chunk, an editor holding a material and the given children.
inline std::string File(const std::string& editorChildren) {
  const std::string material = Chunk(0xAFFF, Chunk(0xA000, std::string("Mat\0", 4)));
  return Chunk(0x4D4D, Chunk(0x0002, Bytes(std::uint32_t{3})) +
                           Chunk(0x3D3D, material + editorChildren));
}
// n faces over three vertices, all the same triangle.
inline std::string FaceListOf(int n) {
  std::string body = Bytes(static_cast<std::uint16_t>(n));
  for (int i = 0; i < n; ++i)
    body += Bytes(std::uint16_t{0}) + Bytes(std::uint16_t{1}) + Bytes(std::uint16_t{2}) +
            Bytes(std::uint16_t{0});
  return Chunk(0x4120, body);
}
inline std::string Triangle() { return Vertices({{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}}); }

}  // namespace chunk3ds
