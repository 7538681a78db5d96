#pragma once
// JPEG through libjpeg. Decoding always gives a 24-bit picture (greyscale and CMYK are converted).
// With quantize true the colours are first reduced to a palette of at most 256 colours (two-pass,
// Floyd-Steinberg); the pixels then hold palette colours and the colour table is that palette.
// Encoding writes progressive JPEG at the given quality (5..100), 8-bit pictures through their
// table. Errors: TFileError.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dib.h"

TDIB ReadJpeg(const std::string& path, bool quantize = false);
TDIB ReadJpegFromMemory(const std::uint8_t* data, std::size_t size, const std::string& name,
                        bool quantize = false);

void WriteJpeg(const TDIB& picture, const std::string& path, int quality);  // atomic
std::vector<std::uint8_t> EncodeJpeg(const TDIB& picture, int quality);
