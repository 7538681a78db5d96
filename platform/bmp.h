#pragma once
// BMP files. Reading: 1, 4, 8, 16, 24 and 32 bits, RLE4 and RLE8, bit fields, top-down and
// bottom-up, OS/2 and Windows headers. 1/4/8-bit files keep their depth and colour table; 16- and
// 32-bit files and bit-field files arrive as 24-bit. Writing: 8-bit with the picture's colour table
// and 24-bit, bottom-up, uncompressed; other depths are written as 24-bit.
// Errors: TFileError (missing, truncated, corrupt, zero-sized, unsupported, unwritable).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dib.h"

TDIB ReadBmp(const std::string& path);
// `name` only labels error messages.
TDIB ReadBmpFromMemory(const std::uint8_t* data, std::size_t size, const std::string& name);

void WriteBmp(const TDIB& picture, const std::string& path);  // atomic
std::vector<std::uint8_t> EncodeBmp(const TDIB& picture);
