#pragma once
// The compression options of the AVI writer and how both animation dialogs keep them between
// runs: six integer keys of section "Video" of the program's settings file plus a small binary
// codec-state file holding the two codec blocks (cbFormat, format, cbParms, parameters; signed
// 32-bit little-endian counts). Window-free so it is testable and usable from the command line.
#include <cstdint>
#include <string>
#include <vector>

class TIniFile;

constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(a)) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(b)) << 8) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(c)) << 16) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(d)) << 24);
}
std::string FourCCText(std::uint32_t code);  // "FFV1"; empty for 0

constexpr std::uint32_t kStreamTypeVideo = MakeFourCC('v', 'i', 'd', 's');

// dwFlags bits.
constexpr std::int32_t kCompressInterleave = 0x01;
constexpr std::int32_t kCompressDataRate = 0x02;
constexpr std::int32_t kCompressKeyFrames = 0x04;
constexpr std::int32_t kCompressValid = 0x08;

struct TCompressOptions {
  std::uint32_t fccType = kStreamTypeVideo;
  std::uint32_t fccHandler = 0;  // 0: no compression
  std::int32_t dwKeyFrameEvery = 0;
  std::int32_t dwQuality = 0;  // 0..10000; 0 leaves the encoder's own default
  std::int32_t dwBytesPerSecond = 0;
  std::int32_t dwFlags = 0;
  std::vector<std::uint8_t> format;  // the codec's output format block (opaque here)
  std::vector<std::uint8_t> parms;   // the codec's private settings block (opaque here)
  std::int32_t dwInterleaveEvery = 0;
  friend bool operator==(const TCompressOptions&, const TCompressOptions&) = default;
};

struct TCodecBlocks {
  std::vector<std::uint8_t> format;
  std::vector<std::uint8_t> parms;
  friend bool operator==(const TCodecBlocks&, const TCodecBlocks&) = default;
};

// Reads the codec-state file. Missing or unreadable file: both blocks empty. A short format block
// (or a negative count) empties both; a missing parameter count or a short parameter block keeps
// the format block and leaves the parameter block empty.
TCodecBlocks ReadCodecState(const std::string& path);
// Writes the file anew through an atomic replace; false (and the old file kept) on failure.
bool WriteCodecState(const std::string& path, const TCodecBlocks& blocks);

// The six keys of section "Video" and the codec-state file, as each animation dialog loads them
// when it is created and saves them when it is destroyed.
TCompressOptions LoadCompressOptions(const TIniFile& ini, const std::string& codecStatePath);
void SaveCompressOptions(TIniFile& ini, const std::string& codecStatePath,
                         const TCompressOptions& options);

// Result codes of a frame write (0 = success) and their texts.
namespace avierr {
constexpr std::int32_t kOk = 0;
constexpr std::int32_t kUnsupported = static_cast<std::int32_t>(0x80044065u);
constexpr std::int32_t kBadFormat = static_cast<std::int32_t>(0x80044066u);
constexpr std::int32_t kMemory = static_cast<std::int32_t>(0x80044067u);
constexpr std::int32_t kInternal = static_cast<std::int32_t>(0x80044068u);
constexpr std::int32_t kBadFlags = static_cast<std::int32_t>(0x80044069u);
constexpr std::int32_t kBadParam = static_cast<std::int32_t>(0x8004406Au);
constexpr std::int32_t kBadSize = static_cast<std::int32_t>(0x8004406Bu);
constexpr std::int32_t kBadHandle = static_cast<std::int32_t>(0x8004406Cu);
constexpr std::int32_t kFileRead = static_cast<std::int32_t>(0x8004406Du);
constexpr std::int32_t kFileWrite = static_cast<std::int32_t>(0x8004406Eu);
constexpr std::int32_t kFileOpen = static_cast<std::int32_t>(0x8004406Fu);
constexpr std::int32_t kCompressor = static_cast<std::int32_t>(0x80044070u);
constexpr std::int32_t kNoCompressor = static_cast<std::int32_t>(0x80044071u);
constexpr std::int32_t kReadOnly = static_cast<std::int32_t>(0x80044072u);
constexpr std::int32_t kNoData = static_cast<std::int32_t>(0x80044073u);
constexpr std::int32_t kBufferTooSmall = static_cast<std::int32_t>(0x80044074u);
constexpr std::int32_t kCantCompress = static_cast<std::int32_t>(0x80044075u);
constexpr std::int32_t kUserAbort = static_cast<std::int32_t>(0x800440C6u);
constexpr std::int32_t kError = static_cast<std::int32_t>(0x800440C7u);
}  // namespace avierr

// The text of a result code; nullptr when the code has none (success included).
const char* AviErrorText(std::int32_t code);
