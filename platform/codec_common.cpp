#include "platform/codec_common.h"

#include <cstring>

#include "platform/atomic_file.h"
#include "platform/errors.h"

namespace codec {

void CheckPictureSize(const std::string& name, long long width, long long height, int bitCount) {
  if (width < 0 || height < 0) throw TFileError(name, "invalid picture size");
  if (width == 0 || height == 0) throw TFileError(name, "picture has no pixels");
  if (width > kMaxSide || height > kMaxSide) throw TFileError(name, "picture too large");
  const auto stride = static_cast<std::size_t>((width * bitCount + 31) / 32 * 4);
  if (stride * static_cast<std::size_t>(height) > kMaxPixelBytes)
    throw TFileError(name, "picture too large");
}

std::string ReadFileForDecoding(const std::string& path) {
  std::string data = ReadWholeFile(path);
  if (data.empty()) throw TFileError(path, "empty file");
  return data;
}

void WriteBytesAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  WriteFileAtomically(path, [&](std::FILE* f) {
    return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  });
}

void RowToBgr(const TDIB& picture, int y, std::uint8_t* bgr) {
  const int w = picture.Width();
  const std::uint8_t* row = picture.ScanLine(y);
  switch (picture.BitCount()) {
    case 24:
      std::memcpy(bgr, row, static_cast<std::size_t>(w) * 3);
      return;
    case 8: {
      const TColorTable& t = picture.ColorTable();
      for (int x = 0; x < w; ++x) {
        const TRGBQuad& q = t[row[x]];
        bgr[3 * x] = q.rgbBlue;
        bgr[3 * x + 1] = q.rgbGreen;
        bgr[3 * x + 2] = q.rgbRed;
      }
      return;
    }
    case 32:
      for (int x = 0; x < w; ++x) std::memcpy(bgr + 3 * x, row + 4 * x, 3);
      return;
    default:
      for (int x = 0; x < w; ++x) {
        const TColor c = picture.PixelColor(x, y);
        bgr[3 * x] = static_cast<std::uint8_t>(ColorB(c));
        bgr[3 * x + 1] = static_cast<std::uint8_t>(ColorG(c));
        bgr[3 * x + 2] = static_cast<std::uint8_t>(ColorR(c));
      }
  }
}

}  // namespace codec
