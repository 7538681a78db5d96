#include "platform/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "platform/codec_common.h"
#include "platform/errors.h"

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

// libjpeg reports errors through a callback that must not return; it longjmps back into the stage
// function that armed it. Stage functions hold no objects with destructors, so nothing is skipped.

namespace {

struct TJpegError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr ci) {
  auto* e = reinterpret_cast<TJpegError*>(ci->err);
  ci->err->format_message(ci, e->message);
  std::longjmp(e->jump, 1);
}

// A premature end of data is only a warning to libjpeg (it pads with grey); to us it is an error.
void OnMessage(j_common_ptr ci, int level) {
  if (level < 0 && ci->err->msg_code == JWRN_JPEG_EOF) {
    auto* e = reinterpret_cast<TJpegError*>(ci->err);
    std::snprintf(e->message, sizeof e->message, "truncated file");
    std::longjmp(e->jump, 1);
  }
}

void OnOutput(j_common_ptr) {}

void InitError(TJpegError& e) {
  jpeg_std_error(&e.pub);
  e.pub.error_exit = OnError;
  e.pub.emit_message = OnMessage;
  e.pub.output_message = OnOutput;
  e.message[0] = 0;
}

struct TDecompressor {
  jpeg_decompress_struct ci{};
  TJpegError err{};
  bool created = false;
  ~TDecompressor() {
    if (created) jpeg_destroy_decompress(&ci);
  }
};

bool ReadHeader(TDecompressor& d, const std::uint8_t* data, std::size_t size, bool quantize) {
  if (setjmp(d.err.jump)) return false;
  jpeg_create_decompress(&d.ci);
  d.created = true;
  jpeg_mem_src(&d.ci, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d.ci, TRUE);
  const bool cmyk = d.ci.jpeg_color_space == JCS_CMYK || d.ci.jpeg_color_space == JCS_YCCK;
  d.ci.out_color_space = cmyk ? JCS_CMYK : (quantize ? JCS_RGB : JCS_EXT_BGR);
  d.ci.dct_method = JDCT_ISLOW;
  d.ci.do_fancy_upsampling = TRUE;
  if (quantize && !cmyk) {
    d.ci.quantize_colors = TRUE;
    d.ci.two_pass_quantize = TRUE;
    d.ci.dither_mode = JDITHER_FS;
    d.ci.desired_number_of_colors = 256;
  }
  jpeg_calc_output_dimensions(&d.ci);
  return true;
}

std::uint8_t Mul255(int a, int b) { return static_cast<std::uint8_t>((a * b + 127) / 255); }

// Adobe writes CMYK inverted (0 = full ink); other writers store ink amounts.
void CmykRowToBgr(const std::uint8_t* src, std::uint8_t* dst, int width, bool inverted) {
  for (int x = 0; x < width; ++x, src += 4, dst += 3) {
    int c = src[0], m = src[1], y = src[2], k = src[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    dst[0] = Mul255(y, k);
    dst[1] = Mul255(m, k);
    dst[2] = Mul255(c, k);
  }
}

void IndexRowToBgr(const jpeg_decompress_struct& ci, const std::uint8_t* src, std::uint8_t* dst) {
  for (JDIMENSION x = 0; x < ci.output_width; ++x, dst += 3) {
    dst[0] = ci.colormap[2][src[x]];
    dst[1] = ci.colormap[1][src[x]];
    dst[2] = ci.colormap[0][src[x]];
  }
}

// Decodes every row into `out` (already sized); `row` holds one row of 4-byte pixels.
bool DecodeRows(TDecompressor& d, TDIB& out, std::uint8_t* row) {
  if (setjmp(d.err.jump)) return false;
  jpeg_start_decompress(&d.ci);
  const bool cmyk = d.ci.out_color_space == JCS_CMYK;
  const bool inverted = d.ci.saw_Adobe_marker;
  while (d.ci.output_scanline < d.ci.output_height) {
    const int y = static_cast<int>(d.ci.output_scanline);
    std::uint8_t* dst = out.ScanLine(y);
    JSAMPROW target = (cmyk || d.ci.quantize_colors) ? row : dst;
    jpeg_read_scanlines(&d.ci, &target, 1);
    if (cmyk) CmykRowToBgr(row, dst, out.Width(), inverted);
    if (d.ci.quantize_colors) IndexRowToBgr(d.ci, row, dst);
  }
  jpeg_finish_decompress(&d.ci);
  return true;
}

TColorTable ColormapTable(const jpeg_decompress_struct& ci) {
  TColorTable table{};
  for (int i = 0; i < ci.actual_number_of_colors && i < 256; ++i)
    table[i] = TRGBQuad{ci.colormap[2][i], ci.colormap[1][i], ci.colormap[0][i], 0};
  return table;
}

TDIB Decode(const std::uint8_t* data, std::size_t size, const std::string& name, bool quantize,
            bool& quantizeLater) {
  if (size == 0) throw TFileError(name, "empty file");
  TDecompressor d;
  InitError(d.err);
  d.ci.err = &d.err.pub;
  if (!ReadHeader(d, data, size, quantize)) throw TFileError(name, d.err.message);
  codec::CheckPictureSize(name, d.ci.output_width, d.ci.output_height, 24);
  quantizeLater = quantize && !d.ci.quantize_colors;
  TDIB out;
  out.SetSize(static_cast<int>(d.ci.output_width), static_cast<int>(d.ci.output_height), 24);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(d.ci.output_width) * 4);
  if (!DecodeRows(d, out, row.data())) throw TFileError(name, d.err.message);
  if (d.ci.quantize_colors) out.SetColorTable(ColormapTable(d.ci));
  return out;
}

struct TCompressor {
  jpeg_compress_struct ci{};
  TJpegError err{};
  bool created = false;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  ~TCompressor() {
    if (created) jpeg_destroy_compress(&ci);
    std::free(buffer);
  }
};

bool EncodeRows(TCompressor& c, const TDIB& picture, int quality, std::uint8_t* row) {
  if (setjmp(c.err.jump)) return false;
  jpeg_create_compress(&c.ci);
  c.created = true;
  jpeg_mem_dest(&c.ci, &c.buffer, &c.size);
  c.ci.image_width = static_cast<JDIMENSION>(picture.Width());
  c.ci.image_height = static_cast<JDIMENSION>(picture.Height());
  c.ci.input_components = 3;
  c.ci.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&c.ci);
  jpeg_set_quality(&c.ci, quality, TRUE);
  if (quality >= 90) {
    // Full-resolution colour: chroma subsampling smears single random dots.
    for (int i = 0; i < c.ci.num_components; ++i)
      c.ci.comp_info[i].h_samp_factor = c.ci.comp_info[i].v_samp_factor = 1;
  }
  jpeg_simple_progression(&c.ci);
  jpeg_start_compress(&c.ci, TRUE);
  const bool direct = picture.BitCount() == 24;
  while (c.ci.next_scanline < c.ci.image_height) {
    const int y = static_cast<int>(c.ci.next_scanline);
    if (!direct) codec::RowToBgr(picture, y, row);
    JSAMPROW src = direct ? const_cast<std::uint8_t*>(picture.ScanLine(y)) : row;
    jpeg_write_scanlines(&c.ci, &src, 1);
  }
  jpeg_finish_compress(&c.ci);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const TDIB& picture, int quality) {
  if (picture.Empty()) throw std::invalid_argument("picture has no pixels");
  quality = quality < 5 ? 5 : (quality > 100 ? 100 : quality);
  TCompressor c;
  InitError(c.err);
  c.ci.err = &c.err.pub;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(picture.Width()) * 3);
  if (!EncodeRows(c, picture, quality, row.data()))
    throw std::runtime_error(std::string("cannot encode JPEG: ") + c.err.message);
  return std::vector<std::uint8_t>(c.buffer, c.buffer + c.size);
}

void WriteJpeg(const TDIB& picture, const std::string& path, int quality) {
  if (picture.Empty()) throw TFileError(path, "picture has no pixels");
  std::vector<std::uint8_t> bytes;
  try {
    bytes = EncodeJpeg(picture, quality);
  } catch (const std::runtime_error& e) {
    throw TFileError(path, e.what());
  }
  codec::WriteBytesAtomically(path, bytes);
}

TDIB ReadJpegFromMemory(const std::uint8_t* data, std::size_t size, const std::string& name,
                        bool quantize) {
  bool quantizeLater = false;
  TDIB out = Decode(data, size, name, quantize, quantizeLater);
  if (!quantizeLater) return out;
  // libjpeg quantises three-channel output only: CMYK pictures go through a lossless-looking
  // re-encoding of their RGB form.
  const std::vector<std::uint8_t> rgb = EncodeJpeg(out, 100);
  return Decode(rgb.data(), rgb.size(), name, true, quantizeLater);
}

TDIB ReadJpeg(const std::string& path, bool quantize) {
  const std::string data = codec::ReadFileForDecoding(path);
  return ReadJpegFromMemory(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), path,
                            quantize);
}
