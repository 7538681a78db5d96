#pragma once
// Helpers of the platform tests: a per-test temporary folder, byte builders for hand-made files,
// and small pictures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "platform/dib.h"
#include "platform/errors.h"

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

// A damaged file of a table of bad files: its name, bytes and the words the error must contain.
struct BadFile {
  const char* name;
  Bytes file;
  const char* reason;
};

class TempDirTest : public TTempDirTest {
 protected:
  // Each bad file, saved with the extension, and a missing one give a TFileError that names the
  // file and says the reason; every reader variant is tried.
  void ExpectBadFiles(const std::vector<BadFile>& cases, const std::string& ext,
                      const std::vector<std::function<void(const std::string&)>>& readers) const;
  std::string Save(const std::string& file, const Bytes& bytes) const {
    const std::string path = Path(file);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  Bytes Load(const std::string& file) const {
    std::ifstream in(Path(file), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
};

// Little-endian byte builder.
class ByteWriter {
 public:
  ByteWriter& U8(unsigned v) {
    b_.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  ByteWriter& U16(unsigned v) { return U8(v & 255).U8((v >> 8) & 255); }
  ByteWriter& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  ByteWriter& Append(const Bytes& more) {
    b_.insert(b_.end(), more.begin(), more.end());
    return *this;
  }
  ByteWriter& Text(const std::string& s) {
    for (char c : s) U8(static_cast<unsigned char>(c));
    return *this;
  }
  std::size_t Size() const { return b_.size(); }
  const Bytes& Get() const { return b_; }

 private:
  Bytes b_;
};

// Expects `call` to throw TFileError whose message names `file` and contains `reason`.
inline void ExpectFileError(const std::function<void()>& call, const std::string& file,
                            const std::string& reason) {
  try {
    call();
    ADD_FAILURE() << "no error; expected \"" << reason << "\"";
  } catch (const TFileError& e) {
    EXPECT_EQ(e.FileName(), file);
    EXPECT_NE(std::string(e.what()).find(reason), std::string::npos)
        << "message: " << e.what() << "; expected to contain: " << reason;
  }
}

inline void TempDirTest::ExpectBadFiles(
    const std::vector<BadFile>& cases, const std::string& ext,
    const std::vector<std::function<void(const std::string&)>>& readers) const {
  for (const auto& read : readers) {
    for (const BadFile& c : cases) {
      const std::string path = Save(std::string(c.name) + ext, c.file);
      ExpectFileError([&] { read(path); }, path, c.reason);
    }
    const std::string missing = Path("missing" + ext);
    ExpectFileError([&] { read(missing); }, missing, "file not found");
  }
}

// Rows of colours (top row first) of any picture.
inline std::vector<std::vector<TColor>> ColoursOf(const TDIB& dib) {
  std::vector<std::vector<TColor>> rows(static_cast<std::size_t>(dib.Height()));
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x) rows[y].push_back(dib.PixelColor(x, y));
  return rows;
}

// A 24-bit picture whose pixel (x, y) has the colour f(x, y).
inline TDIB TrueColourPicture(int w, int h, const std::function<TColor(int, int)>& f) {
  TDIB dib;
  dib.SetSize(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TColor c = f(x, y);
      std::uint8_t* p = dib.ScanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(ColorB(c));
      p[1] = static_cast<std::uint8_t>(ColorG(c));
      p[2] = static_cast<std::uint8_t>(ColorR(c));
    }
  return dib;
}

// Deterministic small pseudo-random numbers for fixtures.
class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : s_(seed) {}
  std::uint32_t Next() {
    s_ = s_ * 1664525u + 1013904223u;
    return s_ >> 8;
  }

 private:
  std::uint32_t s_;
};

}  // namespace testsupport
