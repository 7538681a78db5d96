#include "platform/dib.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/palette.h"

TDIB::TDIB() = default;

bool TDIB::SupportedBitCount(int bitCount) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return true;
    default:
      return false;
  }
}

void TDIB::SetSize(int width, int height, int bitCount) {
  if (width < 0 || height < 0) throw std::invalid_argument("negative picture size");
  if (!SupportedBitCount(bitCount)) throw std::invalid_argument("unsupported bit count");
  const std::size_t stride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
  const std::size_t total = stride * static_cast<std::size_t>(height);
  if (total > (std::size_t{1} << 31)) throw std::length_error("picture too large");
  width_ = width;
  height_ = height;
  bitCount_ = bitCount;
  stride_ = stride;
  bits_ = TPixelBuffer(total);
}

void TDIB::Clear() {
  width_ = height_ = 0;
  stride_ = 0;
  bits_ = TPixelBuffer();
}

void TDIB::SetColorTable(const TColorTable& table) {
  table_ = table;
  nearest_.reset();
}

TNearestPalette& TDIB::Nearest() const {
  if (!nearest_) nearest_ = std::make_shared<TNearestPalette>(table_);
  return *nearest_;
}

std::uint8_t TDIB::NearestIndex(int r, int g, int b) const { return Nearest().Find(r, g, b); }

std::uint32_t TDIB::PixelValue(int x, int y) const {
  const std::uint8_t* row = ScanLine(y);
  switch (bitCount_) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? (row[x >> 1] & 15) : (row[x >> 1] >> 4);
    case 8:
      return row[x];
    case 16:
      return static_cast<std::uint32_t>(row[2 * x] | (row[2 * x + 1] << 8));
    case 24:
      return static_cast<std::uint32_t>(row[3 * x] | (row[3 * x + 1] << 8) |
                                        (row[3 * x + 2] << 16));
    default: {
      std::uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      return v;
    }
  }
}

TColor TDIB::PixelColor(int x, int y) const {
  const std::uint32_t v = PixelValue(x, y);
  switch (bitCount_) {
    case 1:
    case 4:
    case 8:
      return ColorOf(table_[v & 255]);
    case 16: {
      const int b5 = v & 31, g5 = (v >> 5) & 31, r5 = (v >> 10) & 31;
      return MakeColor((r5 << 3) | (r5 >> 2), (g5 << 3) | (g5 >> 2), (b5 << 3) | (b5 >> 2));
    }
    default:
      return MakeColor((v >> 16) & 255, (v >> 8) & 255, v & 255);
  }
}

void TDIB::MirrorLeftRight() {
  if (bitCount_ < 8) {
    TDIB copy = *this;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        const std::uint32_t v = copy.PixelValue(width_ - 1 - x, y);
        std::uint8_t* row = ScanLine(y);
        if (bitCount_ == 1) {
          const int m = 1 << (7 - (x & 7));
          row[x >> 3] = static_cast<std::uint8_t>(v ? (row[x >> 3] | m) : (row[x >> 3] & ~m));
        } else {
          std::uint8_t& byte = row[x >> 1];
          byte =
              static_cast<std::uint8_t>((x & 1) ? ((byte & 0xF0) | v) : ((byte & 0x0F) | (v << 4)));
        }
      }
    return;
  }
  const int bpp = bitCount_ / 8;
  for (int y = 0; y < height_; ++y) {
    std::uint8_t* row = ScanLine(y);
    for (int a = 0, b = width_ - 1; a < b; ++a, --b)
      std::swap_ranges(row + a * bpp, row + (a + 1) * bpp, row + b * bpp);
  }
}

void TDIB::MirrorTopBottom() {
  for (int a = 0, b = height_ - 1; a < b; ++a, --b)
    std::swap_ranges(ScanLine(a), ScanLine(a) + stride_, ScanLine(b));
}

void TDIB::FillBlack() {
  if (bits_.size()) std::memset(bits_.data(), 0, bits_.size());
}

namespace {

// Sums of each channel over the clipped square, via running column sums (exact integer division
// by the clipped count afterwards). `channels` planes of width x height in, same out as means.
void BoxMeans(const std::vector<std::uint8_t>& in, int w, int h, int channels, int radius,
              std::vector<std::uint8_t>& out) {
  out.assign(in.size(), 0);
  const int rowLen = w * channels;
  std::vector<std::uint32_t> colSum(static_cast<std::size_t>(rowLen), 0);
  auto addRow = [&](int y, int sign) {
    const std::uint8_t* p = in.data() + static_cast<std::size_t>(y) * rowLen;
    for (int i = 0; i < rowLen; ++i) colSum[i] += static_cast<std::uint32_t>(sign * p[i]);
  };
  for (int y = 0; y < std::min(radius, h - 1) + 1; ++y) addRow(y, 1);
  for (int y = 0; y < h; ++y) {
    const int y0 = std::max(0, y - radius), y1 = std::min(h - 1, y + radius);
    const std::uint32_t rows = static_cast<std::uint32_t>(y1 - y0 + 1);
    // Horizontal sliding window over the column sums.
    for (int c = 0; c < channels; ++c) {
      std::uint32_t s = 0;
      for (int x = 0; x <= std::min(radius, w - 1); ++x) s += colSum[x * channels + c];
      for (int x = 0; x < w; ++x) {
        const int x0 = std::max(0, x - radius), x1 = std::min(w - 1, x + radius);
        const std::uint32_t count = rows * static_cast<std::uint32_t>(x1 - x0 + 1);
        out[static_cast<std::size_t>(y) * rowLen + x * channels + c] =
            static_cast<std::uint8_t>(s / count);
        if (x + radius + 1 < w) s += colSum[(x + radius + 1) * channels + c];
        if (x - radius >= 0) s -= colSum[(x - radius) * channels + c];
      }
    }
    if (y + radius + 1 < h) addRow(y + radius + 1, 1);
    if (y - radius >= 0) addRow(y - radius, -1);
  }
}

}  // namespace

void TDIB::Blur(int radius) {
  if (radius < 1 || Empty() || (bitCount_ != 8 && bitCount_ != 24)) return;
  const int w = width_, h = height_;
  const std::size_t rowLen = static_cast<std::size_t>(w) * 3;
  std::vector<std::uint8_t> planes(rowLen * h), means;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* src = ScanLine(y);
    std::uint8_t* dst = planes.data() + y * rowLen;
    if (bitCount_ == 24) {
      std::memcpy(dst, src, rowLen);
    } else {
      for (int x = 0; x < w; ++x) {
        const TRGBQuad& q = table_[src[x]];
        dst[3 * x] = q.rgbBlue;
        dst[3 * x + 1] = q.rgbGreen;
        dst[3 * x + 2] = q.rgbRed;
      }
    }
  }
  BoxMeans(planes, w, h, 3, radius, means);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* dst = ScanLine(y);
    const std::uint8_t* m = means.data() + y * rowLen;
    if (bitCount_ == 24) {
      std::memcpy(dst, m, rowLen);
    } else {
      for (int x = 0; x < w; ++x)
        dst[x] = static_cast<std::uint8_t>((m[3 * x] + m[3 * x + 1] + m[3 * x + 2]) / 3);
    }
  }
  if (bitCount_ == 8) SetColorTable(GreyRamp());
}

TDIB TDIB::ToTrueColor() const {
  TDIB out;
  out.SetColorTable(table_);
  out.SetSize(width_, height_, 24);
  if (bitCount_ == 24) {
    out.bits_ = bits_;
    return out;
  }
  for (int y = 0; y < height_; ++y) {
    std::uint8_t* dst = out.ScanLine(y);
    for (int x = 0; x < width_; ++x) {
      const TColor c = PixelColor(x, y);
      dst[3 * x] = static_cast<std::uint8_t>(ColorB(c));
      dst[3 * x + 1] = static_cast<std::uint8_t>(ColorG(c));
      dst[3 * x + 2] = static_cast<std::uint8_t>(ColorR(c));
    }
  }
  return out;
}

bool operator==(const TDIB& a, const TDIB& b) {
  return a.width_ == b.width_ && a.height_ == b.height_ && a.bitCount_ == b.bitCount_ &&
         a.bits_ == b.bits_ && a.table_ == b.table_;
}
