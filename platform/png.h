#pragma once
// PNG through libpng. Reading: grey (1-16 bits) as 8-bit with GreyRamp (16-bit depths scaled to
// 8 by rounding), palette as 8-bit with its table, RGB and RGBA as 24-bit (alpha dropped, pixels
// taken as stored). Writing: an 8-bit picture with its palette; a 24-bit picture with at most 256
// colours as a palette PNG, otherwise RGB. Errors: TFileError.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dib.h"

TDIB ReadPng(const std::string& path);
// `name` only labels error messages.
TDIB ReadPngFromMemory(const std::uint8_t* data, std::size_t size, const std::string& name);
void WritePng(const TDIB& picture, const std::string& path);  // atomic
// The bytes WritePng writes; throws TFileError (labelled "picture") when encoding fails.
std::vector<std::uint8_t> EncodePng(const TDIB& picture);
