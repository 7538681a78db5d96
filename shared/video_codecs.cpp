#include "shared/video_codecs.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

constexpr std::uint32_t kParmsMagic = MakeFourCC('D', 'W', 'E', 'P');
constexpr std::uint32_t kParmsVersion = 1;
constexpr std::size_t kParmsSize = 16;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 255));
}

std::uint32_t GetU32(const std::vector<std::uint8_t>& in, std::size_t at) {
  return std::uint32_t{in[at]} | (std::uint32_t{in[at + 1]} << 8) |
         (std::uint32_t{in[at + 2]} << 16) | (std::uint32_t{in[at + 3]} << 24);
}

}  // namespace

const std::vector<TVideoCodec>& KnownCodecs() {
  using K = TCodecKind;
  static const std::vector<TVideoCodec> codecs = {
      {MakeFourCC('F', 'F', 'V', '1'), "ffv1", "FFV1", "FFV1 lossless video codec", K::kLossless,
       false, false, false},
      {MakeFourCC('H', 'F', 'Y', 'U'), "huffyuv", "HuffYUV", "HuffYUV lossless video codec",
       K::kLossless, false, false, false},
      {MakeFourCC('U', 'L', 'R', 'G'), "utvideo", "UT Video", "UT Video lossless codec (RGB)",
       K::kLossless, false, false, false},
      {MakeFourCC('X', '2', '6', '4'), "libx264rgb", "H.264 RGB", "H.264 lossless RGB (x264, qp 0)",
       K::kLossless, true, false, true},
      {MakeFourCC('M', 'J', 'P', 'G'), "mjpeg", "Motion JPEG", "Motion JPEG video codec", K::kLossy,
       false, false, false},
      {MakeFourCC('H', '2', '6', '4'), "libx264", "H.264", "H.264 / AVC video codec (x264)",
       K::kLossy, true, true, true},
      {MakeFourCC('F', 'M', 'P', '4'), "mpeg4", "MPEG-4", "MPEG-4 Part 2 video codec", K::kLossy,
       true, true, false},
  };
  return codecs;
}

const TVideoCodec* FindAvailableCodec(std::uint32_t fourcc) {
  if (fourcc == 0) return nullptr;
  for (const TVideoCodec& codec : KnownCodecs()) {
    if (codec.fourcc != fourcc) continue;
    return avcodec_find_encoder_by_name(codec.encoder) ? &codec : nullptr;
  }
  return nullptr;
}

bool CodecAcceptsSize(const TVideoCodec& codec, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  return !codec.evenSize || (width % 2 == 0 && height % 2 == 0);
}

std::vector<const TVideoCodec*> AvailableCodecs(int width, int height) {
  std::vector<const TVideoCodec*> list;
  for (const TVideoCodec& codec : KnownCodecs()) {
    if (!FindAvailableCodec(codec.fourcc)) continue;
    if (width > 0 && !CodecAcceptsSize(codec, width, height)) continue;
    list.push_back(&codec);
  }
  return list;
}

std::string CodecDisplayName(std::uint32_t fourcc) {
  const TVideoCodec* codec = FindAvailableCodec(fourcc);
  if (!codec) return "UNCOMPRESSED";
  return std::string(codec->shortName) + "\n\r" + codec->description;
}

const std::vector<std::string>& EncoderPresets() {
  static const std::vector<std::string> presets = {
      "", "ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower"};
  return presets;
}

std::vector<std::uint8_t> MakeCodecParms(std::uint32_t fourcc, int preset) {
  std::vector<std::uint8_t> parms;
  PutU32(parms, kParmsMagic);
  PutU32(parms, kParmsVersion);
  PutU32(parms, fourcc);
  PutU32(parms, static_cast<std::uint32_t>(std::max(preset, 0)));
  return parms;
}

int PresetFromParms(const std::vector<std::uint8_t>& parms, std::uint32_t fourcc) {
  if (parms.size() < kParmsSize || GetU32(parms, 0) != kParmsMagic ||
      GetU32(parms, 4) != kParmsVersion || GetU32(parms, 8) != fourcc)
    return 0;
  const std::uint32_t preset = GetU32(parms, 12);
  return preset < EncoderPresets().size() ? static_cast<int>(preset) : 0;
}

std::vector<std::uint8_t> MakeCodecFormat(std::uint32_t fourcc, int width, int height) {
  std::vector<std::uint8_t> format;
  PutU32(format, 40);
  PutU32(format, static_cast<std::uint32_t>(width));
  PutU32(format, static_cast<std::uint32_t>(height));
  PutU32(format, 1u | (24u << 16));  // planes, bit count
  PutU32(format, fourcc);
  for (int i = 0; i < 5; ++i) PutU32(format, 0);
  return format;
}

TEncoderSettings MapCompressOptions(const TVideoCodec& codec, const TCompressOptions& options) {
  TEncoderSettings s;
  if (codec.interFrames && (options.dwFlags & kCompressKeyFrames) && options.dwKeyFrameEvery > 0)
    s.gopSize = options.dwKeyFrameEvery;
  if (codec.hasPreset) s.preset = EncoderPresets()[PresetFromParms(options.parms, codec.fourcc)];
  if (codec.kind != TCodecKind::kLossy) return s;
  if ((options.dwFlags & kCompressDataRate) && options.dwBytesPerSecond > 0) {
    s.bitRate = std::int64_t{options.dwBytesPerSecond} * 8;
    return s;  // a data rate overrides the quality
  }
  const int q = std::clamp(options.dwQuality, 0, 10000);
  if (q == 0) return s;
  s.qscale = static_cast<int>(std::lround(31.0 - 30.0 * q / 10000.0));
  s.crf = static_cast<int>(std::lround(51.0 * (10000 - q) / 10000.0));
  return s;
}
