#include "platform/png_palette.h"

#include <cstring>

namespace {

// Open addressing over 1024 slots: at most 256 colours, so probes stay short.
class TColourIndex {
 public:
  // Index of the colour, adding it when new; -1 once a 257th colour would be needed.
  int Find(std::uint32_t bgr) {
    const std::uint32_t key = bgr | 0x01000000u;
    std::uint32_t slot = (key * 2654435761u) >> 22;
    while (keys_[slot] != 0) {
      if (keys_[slot] == key) return index_[slot];
      slot = (slot + 1) & 1023;
    }
    if (colours_.size() == 256) return -1;
    keys_[slot] = key;
    index_[slot] = static_cast<std::uint8_t>(colours_.size());
    colours_.push_back(MakeColor(bgr >> 16, bgr >> 8, bgr));
    return index_[slot];
  }
  std::vector<TColor>& Colours() { return colours_; }

 private:
  std::uint32_t keys_[1024] = {};
  std::uint8_t index_[1024] = {};
  std::vector<TColor> colours_;
};

int PaletteDepth(std::size_t count) {
  if (count <= 2) return 1;
  if (count <= 4) return 2;
  if (count <= 16) return 4;
  return 8;
}

// Packs rows of byte indices into `depth` bits in place (each packed row ends before the next
// unpacked row begins).
void PackInPlace(std::vector<std::uint8_t>& data, int width, int height, int depth,
                 std::size_t rowBytes) {
  if (depth == 8) return;
  const int perByte = 8 / depth;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* src = data.data() + static_cast<std::size_t>(y) * width;
    std::uint8_t* dst = data.data() + static_cast<std::size_t>(y) * rowBytes;
    for (int x = 0; x < width; x += perByte) {
      int byte = 0;
      for (int k = 0; k < perByte; ++k)
        byte |= (x + k < width ? src[x + k] : 0) << (8 - depth * (k + 1));
      dst[x / perByte] = static_cast<std::uint8_t>(byte);
    }
  }
  data.resize(rowBytes * static_cast<std::size_t>(height));
}

void SetPalette(TPngPlan& plan, const TColor* colours, int count) {
  plan.paletteSize = count;
  for (int i = 0; i < count; ++i)
    plan.palette[i] = png_color{static_cast<png_byte>(ColorR(colours[i])),
                                static_cast<png_byte>(ColorG(colours[i])),
                                static_cast<png_byte>(ColorB(colours[i]))};
}

}  // namespace

bool IndexColours(const TDIB& picture, std::vector<std::uint8_t>& indices,
                  std::vector<TColor>& colours) {
  const int w = picture.Width(), h = picture.Height();
  indices.resize(static_cast<std::size_t>(w) * h);
  TColourIndex index;
  std::uint32_t last = 0xFFFFFFFFu;
  int lastIndex = 0;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* p = picture.ScanLine(y);
    std::uint8_t* out = indices.data() + static_cast<std::size_t>(y) * w;
    for (int x = 0; x < w; ++x, p += 3) {
      const std::uint32_t bgr = p[0] | (p[1] << 8) | (p[2] << 16);
      if (bgr != last) {  // random dots come in runs: skip the lookup inside a run
        lastIndex = index.Find(bgr);
        if (lastIndex < 0) return false;
        last = bgr;
      }
      out[x] = static_cast<std::uint8_t>(lastIndex);
    }
  }
  colours = std::move(index.Colours());
  return true;
}

void PlanPng(const TDIB& picture, TPngPlan& plan) {
  plan.width = static_cast<png_uint_32>(picture.Width());
  plan.height = static_cast<png_uint_32>(picture.Height());
  if (picture.BitCount() == 8) {
    plan.source = &picture;
    plan.rowBytes = picture.WidthBytes();
    TColor colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = ColorOf(picture.ColorTable()[i]);
    SetPalette(plan, colours, 256);
    return;
  }
  if (picture.BitCount() != 24) plan.converted = picture.ToTrueColor();
  plan.source = picture.BitCount() == 24 ? &picture : &plan.converted;
  std::vector<TColor> colours;
  if (IndexColours(*plan.source, plan.packed, colours)) {
    plan.depth = PaletteDepth(colours.size());
    plan.rowBytes = (static_cast<std::size_t>(plan.width) * plan.depth + 7) / 8;
    PackInPlace(plan.packed, picture.Width(), picture.Height(), plan.depth, plan.rowBytes);
    SetPalette(plan, colours.data(), static_cast<int>(colours.size()));
    return;
  }
  plan.packed.clear();
  plan.colorType = PNG_COLOR_TYPE_RGB;
  plan.filters = PNG_FILTER_SUB;
  plan.rowBytes = plan.source->WidthBytes();
}
