#include "platform/gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "platform/codec_common.h"
#include "platform/errors.h"

namespace {

struct TMemorySource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* src = static_cast<TMemorySource*>(gif->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(count), src->size - src->pos);
  std::memcpy(buffer, src->data + src->pos, n);
  src->pos += n;
  return static_cast<int>(n);
}

struct TGifCloser {
  GifFileType* gif = nullptr;
  ~TGifCloser() {
    int error = 0;
    if (gif) DGifCloseFile(gif, &error);
  }
};

std::string Reason(int code) {
  if (code == D_GIF_ERR_READ_FAILED || code == D_GIF_ERR_EOF_TOO_SOON) return "truncated file";
  const char* text = GifErrorString(code);
  return text ? text : "GIF error " + std::to_string(code);
}

// A colour map as a full 256-entry table; indices past the map's end stay black.
TColorTable TableOf(const ColorMapObject* map) {
  TColorTable table{};
  if (!map) return table;
  const int count = std::min(map->ColorCount, 256);
  for (int i = 0; i < count; ++i) {
    const GifColorType& c = map->Colors[i];
    table[i] = TRGBQuad{c.Blue, c.Green, c.Red, 0};
  }
  return table;
}

void FillScreen(TDIB& screen, const TRGBQuad& colour) {
  for (int y = 0; y < screen.Height(); ++y) {
    std::uint8_t* row = screen.ScanLine(y);
    for (int x = 0; x < screen.Width(); ++x) {
      row[3 * x] = colour.rgbBlue;
      row[3 * x + 1] = colour.rgbGreen;
      row[3 * x + 2] = colour.rgbRed;
    }
  }
}

// Image rows in the order the file stores them (interlaced: four passes).
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> order;
  order.reserve(static_cast<std::size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  return order;
}

// Draws the image just described onto the screen, clipped to it.
void DrawImage(GifFileType* gif, TDIB& screen, const std::string& name) {
  const GifImageDesc& d = gif->Image;
  if (d.Width <= 0 || d.Height <= 0) return;
  codec::CheckPictureSize(name, d.Width, d.Height, 8);
  const TColorTable colours = TableOf(d.ColorMap ? d.ColorMap : gif->SColorMap);
  std::vector<GifPixelType> line(static_cast<std::size_t>(d.Width));
  for (const int r : RowOrder(d.Height, d.Interlace)) {
    const long long sy = static_cast<long long>(d.Top) + r;
    if (!d.Interlace && sy >= screen.Height()) break;  // nothing further is visible
    if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) throw TFileError(name, Reason(gif->Error));
    if (sy < 0 || sy >= screen.Height()) continue;
    std::uint8_t* dst = screen.ScanLine(static_cast<int>(sy));
    for (int x = 0; x < d.Width; ++x) {
      const long long sx = static_cast<long long>(d.Left) + x;
      if (sx >= screen.Width()) break;
      const TRGBQuad& q = colours[line[x]];
      dst[3 * sx] = q.rgbBlue;
      dst[3 * sx + 1] = q.rgbGreen;
      dst[3 * sx + 2] = q.rgbRed;
    }
  }
}

void SkipExtension(GifFileType* gif, const std::string& name) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) throw TFileError(name, Reason(gif->Error));
  while (block)
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) throw TFileError(name, Reason(gif->Error));
}

// The logical screen; a screen of size 0 (seen in the wild) takes the image's extent.
void SetUpScreen(GifFileType* gif, TDIB& screen, const std::string& name) {
  const GifImageDesc& d = gif->Image;
  const long long w = gif->SWidth > 0 ? gif->SWidth : static_cast<long long>(d.Left) + d.Width;
  const long long h = gif->SHeight > 0 ? gif->SHeight : static_cast<long long>(d.Top) + d.Height;
  codec::CheckPictureSize(name, w, h, 24);
  const ColorMapObject* map = gif->SColorMap ? gif->SColorMap : d.ColorMap;
  screen.SetColorTable(map ? TableOf(map) : GreyRamp());
  screen.SetSize(static_cast<int>(w), static_cast<int>(h), 24);
  if (gif->SColorMap) FillScreen(screen, TableOf(gif->SColorMap)[gif->SBackGroundColor & 255]);
}

TDIB ReadGifFromMemory(const std::uint8_t* data, std::size_t size, const std::string& name) {
  TMemorySource src{data, size, 0};
  int error = 0;
  TGifCloser closer{DGifOpen(&src, ReadFromMemory, &error)};
  GifFileType* gif = closer.gif;
  if (!gif) throw TFileError(name, Reason(error));
  GifRecordType type = UNDEFINED_RECORD_TYPE;
  do {
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) throw TFileError(name, Reason(gif->Error));
    if (type == EXTENSION_RECORD_TYPE) SkipExtension(gif, name);
    if (type == IMAGE_DESC_RECORD_TYPE) {
      if (DGifGetImageDesc(gif) == GIF_ERROR) throw TFileError(name, Reason(gif->Error));
      TDIB screen;
      SetUpScreen(gif, screen, name);
      DrawImage(gif, screen, name);
      return screen;
    }
  } while (type != TERMINATE_RECORD_TYPE);
  throw TFileError(name, "no picture in the file");
}

}  // namespace

TDIB ReadGif(const std::string& path) {
  const std::string data = codec::ReadFileForDecoding(path);
  return ReadGifFromMemory(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), path);
}
