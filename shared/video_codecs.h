#pragma once
// The encoders the AVI writer offers, by the four-character code kept in "fccHandler", and how
// the compression options map onto each encoder's settings. Window-free.
#include <cstdint>
#include <string>
#include <vector>

#include "shared/compress_options.h"

enum class TCodecKind { kLossless, kLossy };

struct TVideoCodec {
  std::uint32_t fourcc;     // our code and the AVI stream's handler
  const char* encoder;      // FFmpeg encoder name
  const char* shortName;    // up to 16 characters
  const char* description;  // up to 128 characters
  TCodecKind kind;
  bool interFrames;  // has a key-frame interval worth choosing
  bool evenSize;     // needs an even width and height (4:2:0 chroma)
  bool hasPreset;    // has an encoder speed preset kept in the parameter block
};

// Every codec we know, available here or not.
const std::vector<TVideoCodec>& KnownCodecs();
// The codec of that code when its encoder exists in this FFmpeg build; nullptr otherwise
// (0, unknown codes and missing encoders alike mean uncompressed frames).
const TVideoCodec* FindAvailableCodec(std::uint32_t fourcc);
// The available codecs that accept a picture of that size (any size when width is 0).
std::vector<const TVideoCodec*> AvailableCodecs(int width = 0, int height = 0);
bool CodecAcceptsSize(const TVideoCodec& codec, int width, int height);

// "UNCOMPRESSED", or short name, line feed, carriage return and description.
std::string CodecDisplayName(std::uint32_t fourcc);

// Speed presets of the encoders that have one; index 0 is the encoder's default.
const std::vector<std::string>& EncoderPresets();

// The parameter block: our encoder's private settings ("DWEP", version, code, preset). A block
// that does not belong to the codec gives the defaults.
std::vector<std::uint8_t> MakeCodecParms(std::uint32_t fourcc, int preset);
int PresetFromParms(const std::vector<std::uint8_t>& parms, std::uint32_t fourcc);
// The format block: the 40-byte bitmap information header of the compressed output.
std::vector<std::uint8_t> MakeCodecFormat(std::uint32_t fourcc, int width, int height);

// What the options ask of an encoder, in its own units.
struct TEncoderSettings {
  int gopSize = 0;           // 0: encoder default
  std::int64_t bitRate = 0;  // bits per second, 0: quality-driven
  int qscale = 0;            // 1..31 for the MPEG-style encoders, 0: default
  int crf = -1;              // H.264 constant rate factor, -1: default
  std::string preset;        // empty: default
};
TEncoderSettings MapCompressOptions(const TVideoCodec& codec, const TCompressOptions& options);
