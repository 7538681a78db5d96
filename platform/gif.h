#pragma once
// GIF through giflib: the first image, drawn onto the logical screen as a 24-bit picture; the
// colour table is the GIF's palette (global, else the first image's local one).
// Errors: TFileError.
#include <string>

#include "platform/dib.h"

TDIB ReadGif(const std::string& path);
