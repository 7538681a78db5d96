#pragma once
// Checks and little helpers shared by the picture readers and writers (not part of the public API).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/dib.h"

namespace codec {

constexpr int kMaxSide = 30000;
constexpr std::size_t kMaxPixelBytes = std::size_t{1} << 30;

// Throws TFileError for zero, negative or absurd sizes, before anything is allocated.
void CheckPictureSize(const std::string& name, long long width, long long height, int bitCount);

// Reads the whole file; a missing or empty file is a TFileError.
std::string ReadFileForDecoding(const std::string& path);

// Writes a byte buffer through WriteFileAtomically.
void WriteBytesAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

// One row of any picture as blue, green, red triples (1/4/8 bits through the table).
void RowToBgr(const TDIB& picture, int y, std::uint8_t* bgr);

}  // namespace codec
