#include "platform/png.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/codec_common.h"
#include "platform/errors.h"
#include "platform/png_palette.h"

// libpng reports errors by longjmp to the stage function that armed png_jmpbuf. Stage functions
// hold no objects with destructors; buffers are made by their callers.

namespace {

struct TPngIo {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t pos = 0;
  std::vector<std::uint8_t>* out = nullptr;
  char message[200] = "";
};

void OnError(png_structp png, png_const_charp text) {
  auto* io = static_cast<TPngIo*>(png_get_error_ptr(png));
  std::snprintf(io->message, sizeof io->message, "%s", text);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep dst, std::size_t count) {
  auto* io = static_cast<TPngIo*>(png_get_io_ptr(png));
  if (count > io->size - io->pos) png_error(png, "truncated file");
  std::memcpy(dst, io->data + io->pos, count);
  io->pos += count;
}

void WriteData(png_structp png, png_bytep src, std::size_t count) {
  auto* io = static_cast<TPngIo*>(png_get_io_ptr(png));
  bool ok = true;
  try {
    io->out->insert(io->out->end(), src, src + count);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!ok) png_error(png, "out of memory");
}

void FlushData(png_structp) {}

struct TPngHandle {
  png_structp png = nullptr;
  png_infop info = nullptr;
  bool writing = false;
  ~TPngHandle() {
    if (writing)
      png_destroy_write_struct(&png, &info);
    else
      png_destroy_read_struct(&png, &info, nullptr);
  }
};

struct TReadLayout {
  png_uint_32 width = 0, height = 0;
  int colorType = 0, depth = 0, channels = 0, passes = 1;
  std::size_t rowBytes = 0;
  TColorTable table{};
};

bool ReadInfo(TPngHandle& h, TPngIo& io, TReadLayout& l) {
  if (setjmp(png_jmpbuf(h.png))) return false;
  png_set_read_fn(h.png, &io, ReadData);
  png_set_user_limits(h.png, 0x7fffffff, 0x7fffffff);  // our own limits apply below
  png_read_info(h.png, h.info);
  l.colorType = png_get_color_type(h.png, h.info);
  if (l.colorType == PNG_COLOR_TYPE_PALETTE) {
    png_set_packing(h.png);
    png_colorp plte = nullptr;
    int count = 0;
    if (png_get_PLTE(h.png, h.info, &plte, &count) & PNG_INFO_PLTE)
      for (int i = 0; i < std::min(count, 256); ++i)
        l.table[i] = TRGBQuad{plte[i].blue, plte[i].green, plte[i].red, 0};
  } else if (png_get_bit_depth(h.png, h.info) < 8) {
    png_set_expand_gray_1_2_4_to_8(h.png);
  }
  l.passes = png_set_interlace_handling(h.png);
  png_read_update_info(h.png, h.info);
  l.width = png_get_image_width(h.png, h.info);
  l.height = png_get_image_height(h.png, h.info);
  l.depth = png_get_bit_depth(h.png, h.info);
  l.channels = png_get_channels(h.png, h.info);
  l.rowBytes = png_get_rowbytes(h.png, h.info);
  return true;
}

// Rows land in `raw` (one row, or every row when interlaced); rows are converted as they come.
bool ReadRows(TPngHandle& h, const TReadLayout& l, std::uint8_t* raw, png_bytepp rows,
              void (*convert)(const TReadLayout&, const std::uint8_t*, TDIB&, int), TDIB& out) {
  if (setjmp(png_jmpbuf(h.png))) return false;
  if (l.passes > 1) {
    png_read_image(h.png, rows);
  } else {
    for (png_uint_32 y = 0; y < l.height; ++y) {
      png_read_row(h.png, raw, nullptr);
      convert(l, raw, out, static_cast<int>(y));
    }
  }
  png_read_end(h.png, nullptr);
  return true;
}

// 16-bit samples are big-endian; scaled to 8 bits with rounding.
inline std::uint8_t Sample(const std::uint8_t* p, int depth) {
  if (depth == 8) return p[0];
  const std::uint32_t v = (p[0] << 8) | p[1];
  return static_cast<std::uint8_t>((v * 255 + 32767) / 65535);
}

void ConvertRow(const TReadLayout& l, const std::uint8_t* src, TDIB& out, int y) {
  std::uint8_t* dst = out.ScanLine(y);
  const int w = static_cast<int>(l.width);
  const int step = l.channels * l.depth / 8, sample = l.depth / 8;
  if (l.colorType == PNG_COLOR_TYPE_PALETTE) {
    std::memcpy(dst, src, static_cast<std::size_t>(w));
  } else if (l.channels <= 2) {  // grey, grey + alpha
    for (int x = 0; x < w; ++x) dst[x] = Sample(src + x * step, l.depth);
  } else {  // RGB, RGBA
    for (int x = 0; x < w; ++x, dst += 3) {
      const std::uint8_t* p = src + x * step;
      dst[0] = Sample(p + 2 * sample, l.depth);
      dst[1] = Sample(p + sample, l.depth);
      dst[2] = Sample(p, l.depth);
    }
  }
}

TDIB DecodePng(const std::uint8_t* data, std::size_t size, const std::string& name) {
  if (size == 0) throw TFileError(name, "empty file");
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) throw TFileError(name, "not a PNG file");
  TPngIo io{data, size, 0, nullptr, ""};
  TPngHandle h;
  h.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning);
  if (h.png) h.info = png_create_info_struct(h.png);
  if (!h.png || !h.info) throw TFileError(name, "out of memory");
  TReadLayout l;
  if (!ReadInfo(h, io, l)) throw TFileError(name, io.message);
  const bool indexed = l.channels <= 2;
  codec::CheckPictureSize(name, l.width, l.height, indexed ? 8 : 24);
  TDIB out;
  out.SetColorTable(l.colorType == PNG_COLOR_TYPE_PALETTE ? l.table : GreyRamp());
  out.SetSize(static_cast<int>(l.width), static_cast<int>(l.height), indexed ? 8 : 24);
  const std::size_t rowsHeld = l.passes > 1 ? l.height : 1;
  std::vector<std::uint8_t> raw(l.rowBytes * rowsHeld);
  std::vector<png_bytep> rows(rowsHeld);
  for (std::size_t y = 0; y < rowsHeld; ++y) rows[y] = raw.data() + y * l.rowBytes;
  if (!ReadRows(h, l, raw.data(), rows.data(), ConvertRow, out)) throw TFileError(name, io.message);
  if (l.passes > 1)
    for (png_uint_32 y = 0; y < l.height; ++y) ConvertRow(l, rows[y], out, static_cast<int>(y));
  return out;
}

// Noise compresses poorly whatever zlib does, so a fast level wins; see bench/platform_bench.cpp.
constexpr int kZlibLevel = 2;

bool EncodeRows(TPngHandle& h, TPngIo& io, const TPngPlan& plan, png_bytepp rows) {
  if (setjmp(png_jmpbuf(h.png))) return false;
  png_set_write_fn(h.png, &io, WriteData, FlushData);
  png_set_IHDR(h.png, h.info, plan.width, plan.height, plan.depth, plan.colorType,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (plan.colorType == PNG_COLOR_TYPE_PALETTE)
    png_set_PLTE(h.png, h.info, plan.palette, plan.paletteSize);
  png_set_compression_level(h.png, kZlibLevel);
  png_set_filter(h.png, PNG_FILTER_TYPE_BASE, plan.filters);
  png_write_info(h.png, h.info);
  if (plan.colorType == PNG_COLOR_TYPE_RGB) png_set_bgr(h.png);
  png_write_image(h.png, rows);
  png_write_end(h.png, nullptr);
  return true;
}

std::vector<std::uint8_t> EncodePng(const TDIB& picture, const std::string& name) {
  TPngPlan plan;
  PlanPng(picture, plan);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(plan.rowBytes * plan.height / 2 + 1024);
  TPngIo io;
  io.out = &bytes;
  TPngHandle h;
  h.writing = true;
  h.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning);
  if (h.png) h.info = png_create_info_struct(h.png);
  if (!h.png || !h.info) throw TFileError(name, "out of memory");
  std::vector<png_bytep> rows(plan.height);
  for (png_uint_32 y = 0; y < plan.height; ++y) rows[y] = plan.Row(static_cast<int>(y));
  if (!EncodeRows(h, io, plan, rows.data()))
    throw TFileError(name, std::string("cannot encode PNG: ") + io.message);
  return bytes;
}

}  // namespace

TDIB ReadPng(const std::string& path) {
  const std::string data = codec::ReadFileForDecoding(path);
  return DecodePng(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), path);
}

void WritePng(const TDIB& picture, const std::string& path) {
  if (picture.Empty()) throw TFileError(path, "picture has no pixels");
  codec::WriteBytesAtomically(path, EncodePng(picture, path));
}
