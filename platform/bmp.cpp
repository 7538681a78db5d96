#include "platform/bmp.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "platform/codec_common.h"
#include "platform/errors.h"

namespace {

enum : std::uint32_t {
  kBiRgb = 0,
  kBiRle8 = 1,
  kBiRle4 = 2,
  kBiBitfields = 3,
  kBiJpeg = 4,
  kBiPng = 5,
  kBiAlphaBitfields = 6,
};

// Bounds-checked little-endian access to the file's bytes; any read past the end is a truncation.
class TBytes {
 public:
  TBytes(const std::uint8_t* data, std::size_t size, const std::string& name)
      : data_(data), size_(size), name_(name) {}
  std::size_t Size() const { return size_; }
  const std::uint8_t* At(std::size_t pos) const { return data_ + pos; }
  const std::string& Name() const { return name_; }
  void Need(std::size_t pos, std::size_t count) const {
    if (pos > size_ || count > size_ - pos) Fail("truncated file");
  }
  std::uint32_t U16(std::size_t pos) const {
    Need(pos, 2);
    return data_[pos] | (data_[pos + 1] << 8);
  }
  std::uint32_t U32(std::size_t pos) const {
    Need(pos, 4);
    return data_[pos] | (data_[pos + 1] << 8) | (data_[pos + 2] << 16) |
           (static_cast<std::uint32_t>(data_[pos + 3]) << 24);
  }
  std::int32_t I32(std::size_t pos) const { return static_cast<std::int32_t>(U32(pos)); }
  [[noreturn]] void Fail(const std::string& reason) const { throw TFileError(name_, reason); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  const std::string& name_;
};

struct TBmpInfo {
  long long width = 0;
  long long height = 0;
  bool topDown = false;
  int bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
  std::size_t pixelOffset = 0;
  TColorTable table{};
};

bool IsInfoHeaderSize(std::uint32_t size) {
  return size == 12 || size == 16 || size == 40 || size == 52 || size == 56 || size == 64 ||
         size == 108 || size == 124;
}

int OutputBitCount(const TBmpInfo& info) { return info.bitCount <= 8 ? info.bitCount : 24; }

void CheckFormat(const TBytes& r, const TBmpInfo& info, bool os2v2) {
  const std::uint32_t c = info.compression;
  if (c == kBiJpeg && !os2v2) r.Fail("unsupported compression (JPEG inside BMP)");
  if (c == kBiPng) r.Fail("unsupported compression (PNG inside BMP)");
  const bool fields = (c == kBiBitfields || c == kBiAlphaBitfields) && !os2v2;
  if (c != kBiRgb && c != kBiRle8 && c != kBiRle4 && !fields)
    r.Fail("unsupported compression " + std::to_string(c));
  if (!TDIB::SupportedBitCount(info.bitCount))
    r.Fail("unsupported bit depth " + std::to_string(info.bitCount));
  if ((c == kBiRle8 && info.bitCount != 8) || (c == kBiRle4 && info.bitCount != 4))
    r.Fail("compression does not match the bit depth");
  if (fields && info.bitCount != 16 && info.bitCount != 32)
    r.Fail("bit fields need 16 or 32 bits per pixel");
}

// Where the header leaves the masks of BI_RGB pictures, the usual layouts apply.
void SetDefaultMasks(TBmpInfo& info) {
  if (info.bitCount == 16) {
    info.masks[0] = 0x7C00;
    info.masks[1] = 0x03E0;
    info.masks[2] = 0x001F;
  } else {
    info.masks[0] = 0xFF0000;
    info.masks[1] = 0x00FF00;
    info.masks[2] = 0x0000FF;
  }
}

// Reads the colour table that follows the headers at `start`. A count that runs into the pixel
// data (a common header lie) is cut back to what fits before it.
std::size_t ReadPalette(const TBytes& r, TBmpInfo& info, std::size_t start, std::uint32_t clrUsed,
                        std::size_t entrySize, std::uint32_t offBits) {
  std::size_t count = 0;
  if (info.bitCount <= 8) {
    const std::size_t full = std::size_t{1} << info.bitCount;
    count = clrUsed ? std::min<std::size_t>(clrUsed, full) : full;
    if (offBits > start) count = std::min(count, (offBits - start) / entrySize);
  }
  r.Need(start, count * entrySize);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = r.At(start + i * entrySize);
    info.table[i] = TRGBQuad{p[0], p[1], p[2], 0};
  }
  return start + count * entrySize;
}

void ReadInfoHeader(const TBytes& r, std::size_t at, std::uint32_t hs, TBmpInfo& info,
                    std::uint32_t& clrUsed) {
  if (hs == 12) {  // OS/2 core header: 16-bit sizes, no compression
    info.width = r.U16(at + 4);
    info.height = r.U16(at + 6);
    info.bitCount = static_cast<int>(r.U16(at + 10));
    return;
  }
  info.width = r.I32(at + 4);
  info.height = r.I32(at + 8);
  info.bitCount = static_cast<int>(r.U16(at + 14));
  if (hs >= 40) {
    info.compression = r.U32(at + 16);
    clrUsed = r.U32(at + 32);
  }
}

// Bit-field masks sit inside V2+ headers or just after a 40-byte one; returns where the colour
// table starts.
std::size_t ReadMasks(const TBytes& r, TBmpInfo& info, std::size_t infoStart, std::uint32_t hs) {
  std::size_t paletteStart = infoStart + hs;
  if (info.compression != kBiBitfields && info.compression != kBiAlphaBitfields) {
    SetDefaultMasks(info);
    return paletteStart;
  }
  const std::size_t at = hs >= 52 ? infoStart + 40 : paletteStart;
  for (int i = 0; i < 3; ++i) info.masks[i] = r.U32(at + 4 * i);
  if (hs < 52) paletteStart += info.compression == kBiAlphaBitfields ? 16 : 12;
  if (!info.masks[0] && !info.masks[1] && !info.masks[2]) r.Fail("invalid bit-field masks");
  return paletteStart;
}

TBmpInfo ParseHeaders(const TBytes& r) {
  std::size_t infoStart = 0;
  std::uint32_t offBits = 0;
  if (r.Size() >= 2 && r.At(0)[0] == 'B' && r.At(0)[1] == 'M') {
    infoStart = 14;
    offBits = r.U32(10);
  } else if (r.Size() < 4 || !IsInfoHeaderSize(r.U32(0))) {
    r.Fail("not a BMP file");
  }
  const std::uint32_t hs = r.U32(infoStart);
  if (!IsInfoHeaderSize(hs)) r.Fail("unknown BMP header size " + std::to_string(hs));
  r.Need(infoStart, hs);
  TBmpInfo info;
  std::uint32_t clrUsed = 0;
  const bool core = hs == 12;
  const bool os2v2 = hs == 16 || hs == 64;
  ReadInfoHeader(r, infoStart, hs, info, clrUsed);
  CheckFormat(r, info, os2v2);
  if (info.height < 0) {
    info.topDown = true;
    info.height = -info.height;
  }
  codec::CheckPictureSize(r.Name(), info.width, info.height, OutputBitCount(info));
  const std::size_t paletteStart = ReadMasks(r, info, infoStart, hs);
  const std::size_t paletteEnd = ReadPalette(r, info, paletteStart, clrUsed, core ? 3 : 4, offBits);
  info.pixelOffset = offBits >= paletteEnd ? offBits : paletteEnd;
  if (info.pixelOffset > r.Size()) r.Fail("truncated file");
  return info;
}

int TargetRow(const TBmpInfo& info, long long fileRow) {
  return static_cast<int>(info.topDown ? fileRow : info.height - 1 - fileRow);
}

// 1/4/8/24 bits: the file's rows are the picture's rows. The last row may lack its padding.
void ReadRawRows(const TBytes& r, const TBmpInfo& info, TDIB& out) {
  const std::size_t bits = static_cast<std::size_t>(info.width) * info.bitCount;
  const std::size_t stride = (bits + 31) / 32 * 4;
  const std::size_t used = (bits + 7) / 8;
  r.Need(info.pixelOffset, stride * static_cast<std::size_t>(info.height - 1) + used);
  const int spare = static_cast<int>(used * 8 - bits);
  const auto keep = static_cast<std::uint8_t>(0xFF << spare);
  for (long long y = 0; y < info.height; ++y) {
    std::uint8_t* dst = out.ScanLine(TargetRow(info, y));
    std::memcpy(dst, r.At(info.pixelOffset + static_cast<std::size_t>(y) * stride), used);
    dst[used - 1] &= keep;  // stray bits past the last pixel
  }
}

// One channel of a bit-field pixel scaled to 0..255 with rounding.
struct TChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t max = 0;
  explicit TChannel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    max = m >> shift;
  }
  std::uint8_t operator()(std::uint32_t v) const {
    if (max == 0) return 0;
    return static_cast<std::uint8_t>((((v & mask) >> shift) * 255 + max / 2) / max);
  }
};

// 16 and 32 bits, with bit fields or the default masks; always 24-bit out.
void ReadMaskedRows(const TBytes& r, const TBmpInfo& info, TDIB& out) {
  const int bytes = info.bitCount / 8;
  const std::size_t stride = (static_cast<std::size_t>(info.width) * bytes + 3) / 4 * 4;
  const std::size_t used = static_cast<std::size_t>(info.width) * bytes;
  r.Need(info.pixelOffset, stride * static_cast<std::size_t>(info.height - 1) + used);
  const TChannel red(info.masks[0]), green(info.masks[1]), blue(info.masks[2]);
  const bool plain =
      bytes == 4 && info.masks[0] == 0xFF0000 && info.masks[1] == 0xFF00 && info.masks[2] == 0xFF;
  for (long long y = 0; y < info.height; ++y) {
    const std::uint8_t* src = r.At(info.pixelOffset + static_cast<std::size_t>(y) * stride);
    std::uint8_t* dst = out.ScanLine(TargetRow(info, y));
    for (long long x = 0; x < info.width; ++x, src += bytes, dst += 3) {
      if (plain) {
        std::memcpy(dst, src, 3);
        continue;
      }
      std::uint32_t v = src[0] | (src[1] << 8);
      if (bytes == 4) v |= (src[2] << 16) | (static_cast<std::uint32_t>(src[3]) << 24);
      dst[0] = blue(v);
      dst[1] = green(v);
      dst[2] = red(v);
    }
  }
}

// RLE4/RLE8. Pixels that runs or deltas push past the row or the picture are dropped; pixels the
// data never reaches stay 0. Data that ends before the picture is complete is a truncation.
class TRleDecoder {
 public:
  TRleDecoder(const TBytes& r, const TBmpInfo& info, TDIB& out) : r_(r), info_(info), out_(out) {}

  void Run() {
    std::size_t pos = info_.pixelOffset;
    const bool four = info_.bitCount == 4;
    while (row_ < info_.height) {
      r_.Need(pos, 2);
      const std::uint8_t a = *r_.At(pos), b = *r_.At(pos + 1);
      pos += 2;
      if (a > 0) {
        for (int i = 0; i < a; ++i) Put(four ? ((i & 1) ? (b & 15) : (b >> 4)) : b);
      } else if (b == 0) {
        x_ = 0;
        ++row_;
      } else if (b == 1) {
        return;
      } else if (b == 2) {
        r_.Need(pos, 2);
        x_ = std::min<long long>(x_ + *r_.At(pos), info_.width);
        row_ += *r_.At(pos + 1);
        pos += 2;
      } else {
        const std::size_t bytes = four ? (b + 1) / 2 : b;
        r_.Need(pos, bytes);
        const std::uint8_t* p = r_.At(pos);
        for (int i = 0; i < b; ++i)
          Put(four ? ((i & 1) ? (p[i / 2] & 15) : (p[i / 2] >> 4)) : p[i]);
        pos += (bytes + 1) & ~std::size_t{1};  // absolute runs are padded to 16 bits
      }
    }
  }

 private:
  void Put(int index) {
    if (x_ < info_.width) {
      std::uint8_t* line = out_.ScanLine(TargetRow(info_, row_));
      if (info_.bitCount == 8) {
        line[x_] = static_cast<std::uint8_t>(index);
      } else {
        std::uint8_t& byte = line[x_ >> 1];
        byte = static_cast<std::uint8_t>((x_ & 1) ? ((byte & 0xF0) | index)
                                                  : ((byte & 0x0F) | (index << 4)));
      }
    }
    ++x_;
  }

  const TBytes& r_;
  const TBmpInfo& info_;
  TDIB& out_;
  long long x_ = 0;
  long long row_ = 0;  // counted from the first row in the file
};

void PutU16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(std::uint8_t* p, std::uint32_t v) {
  PutU16(p, v & 0xFFFF);
  PutU16(p + 2, v >> 16);
}

}  // namespace

TDIB ReadBmpFromMemory(const std::uint8_t* data, std::size_t size, const std::string& name) {
  const TBytes r(data, size, name);
  if (size == 0) r.Fail("empty file");
  TBmpInfo info = ParseHeaders(r);
  TDIB out;
  out.SetColorTable(info.table);
  out.SetSize(static_cast<int>(info.width), static_cast<int>(info.height), OutputBitCount(info));
  if (info.compression == kBiRle8 || info.compression == kBiRle4) {
    TRleDecoder(r, info, out).Run();
  } else if (info.bitCount <= 8 || info.bitCount == 24) {
    ReadRawRows(r, info, out);
  } else {
    ReadMaskedRows(r, info, out);
  }
  return out;
}

TDIB ReadBmp(const std::string& path) {
  const std::string data = codec::ReadFileForDecoding(path);
  return ReadBmpFromMemory(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), path);
}

std::vector<std::uint8_t> EncodeBmp(const TDIB& picture) {
  if (picture.Empty()) throw std::invalid_argument("picture has no pixels");
  const bool indexed = picture.BitCount() == 8;
  TDIB converted;
  if (!indexed && picture.BitCount() != 24) converted = picture.ToTrueColor();
  const TDIB& src = (indexed || picture.BitCount() == 24) ? picture : converted;
  const int bits = src.BitCount();
  const std::size_t stride = src.WidthBytes();
  const std::size_t used = static_cast<std::size_t>(src.Width()) * bits / 8;
  const std::size_t offBits = 14 + 40 + (indexed ? 1024 : 0);
  const std::size_t imageSize = stride * static_cast<std::size_t>(src.Height());
  std::vector<std::uint8_t> out(offBits + imageSize, 0);
  std::uint8_t* p = out.data();
  p[0] = 'B';
  p[1] = 'M';
  PutU32(p + 2, static_cast<std::uint32_t>(out.size()));
  PutU32(p + 10, static_cast<std::uint32_t>(offBits));
  PutU32(p + 14, 40);
  PutU32(p + 18, static_cast<std::uint32_t>(src.Width()));
  PutU32(p + 22, static_cast<std::uint32_t>(src.Height()));
  PutU16(p + 26, 1);
  PutU16(p + 28, static_cast<std::uint32_t>(bits));
  PutU32(p + 34, static_cast<std::uint32_t>(imageSize));
  if (indexed) {
    PutU32(p + 46, 256);
    for (int i = 0; i < 256; ++i) {
      const TRGBQuad& q = src.ColorTable()[i];
      p[54 + 4 * i] = q.rgbBlue;
      p[55 + 4 * i] = q.rgbGreen;
      p[56 + 4 * i] = q.rgbRed;
    }
  }
  for (int y = 0; y < src.Height(); ++y)
    std::memcpy(p + offBits + static_cast<std::size_t>(src.Height() - 1 - y) * stride,
                src.ScanLine(y), used);
  return out;
}

void WriteBmp(const TDIB& picture, const std::string& path) {
  if (picture.Empty()) throw TFileError(path, "picture has no pixels");
  codec::WriteBytesAtomically(path, EncodeBmp(picture));
}
