#pragma once
#include "../support/temp_dir.h"
// Helpers of the AVI tests: temporary folders, test pictures, a small RIFF walker and running the
// ffmpeg tools.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/dib.h"

namespace avitest {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
using TempDirTest = testsupport::TTempDirTest;

// A picture whose pixels differ per frame and per position; 8-bit ones get a colourful table.
TDIB MakePicture(int width, int height, int bitCount, int frame);
// Bytes of every row without the padding, for comparisons.
bool SamePixels(const TDIB& a, const TDIB& b);
double MeanAbsDiff(const TDIB& a, const TDIB& b);  // 24-bit pictures of the same size

struct TRiffChunk {
  std::string id;        // four characters; lists are "LIST:type"
  std::uint32_t offset;  // of the data
  std::uint32_t size;
};

// The chunks of a RIFF file in file order (lists are entered, their members follow them).
struct TRiffFile {
  std::vector<std::uint8_t> bytes;
  std::vector<TRiffChunk> chunks;
  const TRiffChunk* Find(const std::string& id, int nth = 0) const;
  int Count(const std::string& id) const;
  std::uint32_t U32(std::uint32_t at) const;
  std::int32_t I32(std::uint32_t at) const { return static_cast<std::int32_t>(U32(at)); }
  std::uint16_t U16(std::uint32_t at) const;
};
TRiffFile ReadRiff(const std::string& path);

// Runs a shell command; its standard output, and the exit status in `status`.
std::string RunCommand(const std::string& command, int* status = nullptr);
bool HaveTool(const std::string& name);
std::string Quote(const std::string& path);

}  // namespace avitest
