#pragma once
// GIF through giflib: the first image, drawn onto the logical screen as a 24-bit picture; the
// colour table is the GIF's palette (global, else the first image's local one).
// Errors: TFileError.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/dib.h"

TDIB ReadGif(const std::string& path);
// `name` only labels error messages.
TDIB ReadGifFromMemory(const std::uint8_t* data, std::size_t size, const std::string& name);
