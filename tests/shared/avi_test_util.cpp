#include "avi_test_util.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace avitest {

TDIB MakePicture(int width, int height, int bitCount, int frame) {
  TDIB dib;
  if (bitCount == 8) {
    TColorTable table{};
    for (int i = 0; i < 256; ++i)
      table[i] = TRGBQuad{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                          static_cast<std::uint8_t>(i / 2 + frame * 10), 0};
    dib.SetColorTable(table);
  }
  dib.SetSize(width, height, bitCount);
  const int bytes = width * bitCount / 8;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = dib.ScanLine(y);
    for (int x = 0; x < bytes; ++x) row[x] = static_cast<std::uint8_t>(x * 3 + y * 5 + frame * 11);
  }
  return dib;
}

bool SamePixels(const TDIB& a, const TDIB& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount())
    return false;
  const std::size_t bytes = static_cast<std::size_t>(a.Width()) * a.BitCount() / 8;
  for (int y = 0; y < a.Height(); ++y)
    if (std::memcmp(a.ScanLine(y), b.ScanLine(y), bytes) != 0) return false;
  return true;
}

double MeanAbsDiff(const TDIB& a, const TDIB& b) {
  double sum = 0;
  const int bytes = a.Width() * 3;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < bytes; ++x) sum += std::abs(a.ScanLine(y)[x] - b.ScanLine(y)[x]);
  return sum / (static_cast<double>(bytes) * a.Height());
}

const TRiffChunk* TRiffFile::Find(const std::string& id, int nth) const {
  for (const TRiffChunk& c : chunks)
    if (c.id == id && nth-- == 0) return &c;
  return nullptr;
}

int TRiffFile::Count(const std::string& id) const {
  int n = 0;
  for (const TRiffChunk& c : chunks) n += c.id == id;
  return n;
}

std::uint32_t TRiffFile::U32(std::uint32_t at) const {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
         (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

std::uint16_t TRiffFile::U16(std::uint32_t at) const {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

namespace {

void Walk(TRiffFile& file, std::uint32_t begin, std::uint32_t end) {
  std::uint32_t at = begin;
  while (at + 8 <= end) {
    const std::string id(reinterpret_cast<const char*>(&file.bytes[at]), 4);
    const std::uint32_t size = file.U32(at + 4);
    if (id == "LIST" || id == "RIFF") {
      const std::string type(reinterpret_cast<const char*>(&file.bytes[at + 8]), 4);
      file.chunks.push_back({id + ":" + type, at + 12, size - 4});
      Walk(file, at + 12, std::min<std::uint32_t>(end, at + 8 + size));
    } else {
      file.chunks.push_back({id, at + 8, size});
    }
    at += 8 + size + (size & 1);
  }
}

}  // namespace

TRiffFile ReadRiff(const std::string& path) {
  TRiffFile file;
  std::ifstream in(path, std::ios::binary);
  file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  Walk(file, 0, static_cast<std::uint32_t>(file.bytes.size()));
  return file;
}

std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int rc = ::pclose(pipe);
  if (status) *status = rc;
  return out;
}

bool HaveTool(const std::string& name) {
  int status = 0;
  RunCommand("command -v " + name + " >/dev/null 2>&1", &status);
  return status == 0;
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

}  // namespace avitest
