#include "shared/compress_options.h"

#include <cstdio>
#include <memory>

#include "platform/atomic_file.h"
#include "platform/errors.h"
#include "platform/ini_file.h"

namespace {

const char kSection[] = "Video";

struct TFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

bool ReadCount(std::FILE* f, std::int32_t& count) {
  std::uint8_t b[4];
  if (std::fread(b, 1, 4, f) != 4) return false;
  count = static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (std::uint32_t{b[1]} << 8) |
                                    (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24));
  return true;
}

// A block of `count` bytes; false when fewer arrive. Reads in steps so that a damaged count never
// makes us allocate more than the file really holds.
bool ReadBlock(std::FILE* f, std::int32_t count, std::vector<std::uint8_t>& block) {
  block.clear();
  std::size_t left = static_cast<std::size_t>(count);
  std::uint8_t chunk[4096];
  while (left > 0) {
    const std::size_t want = left < sizeof chunk ? left : sizeof chunk;
    const std::size_t got = std::fread(chunk, 1, want, f);
    block.insert(block.end(), chunk, chunk + got);
    if (got != want) {
      block.clear();
      return false;
    }
    left -= got;
  }
  return true;
}

void PutCount(std::string& out, std::size_t size) {
  const auto v = static_cast<std::uint32_t>(size);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 255));
}

}  // namespace

std::string FourCCText(std::uint32_t code) {
  std::string text;
  for (int i = 0; i < 4 && code != 0; ++i)
    text.push_back(static_cast<char>((code >> (8 * i)) & 255));
  return text;
}

TCodecBlocks ReadCodecState(const std::string& path) {
  TCodecBlocks blocks;
  TFilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) return blocks;
  std::int32_t count = 0;
  // A negative count is an allocation that cannot succeed: both blocks stay empty.
  if (!ReadCount(f.get(), count) || count < 0) return blocks;
  if (!ReadBlock(f.get(), count, blocks.format)) return blocks;
  if (!ReadCount(f.get(), count)) return blocks;
  if (count < 0) return TCodecBlocks{};
  ReadBlock(f.get(), count, blocks.parms);
  return blocks;
}

bool WriteCodecState(const std::string& path, const TCodecBlocks& blocks) {
  std::string data;
  PutCount(data, blocks.format.size());
  data.append(blocks.format.begin(), blocks.format.end());
  PutCount(data, blocks.parms.size());
  data.append(blocks.parms.begin(), blocks.parms.end());
  try {
    WriteFileAtomically(path, data);
    return true;
  } catch (const TFileError&) {
    return false;
  }
}

TCompressOptions LoadCompressOptions(const TIniFile& ini, const std::string& codecStatePath) {
  TCompressOptions options;
  options.fccHandler = static_cast<std::uint32_t>(ini.ReadInteger(kSection, "fccHandler", 0));
  options.dwKeyFrameEvery = ini.ReadInteger(kSection, "dwKeyFrameEvery", 0);
  options.dwQuality = ini.ReadInteger(kSection, "dwQuality", 0);
  options.dwBytesPerSecond = ini.ReadInteger(kSection, "dwBytesPerSecond", 0);
  options.dwFlags = ini.ReadInteger(kSection, "dwFlags", 0);
  options.dwInterleaveEvery = ini.ReadInteger(kSection, "dwInterleaveEvery", 0);
  TCodecBlocks blocks = ReadCodecState(codecStatePath);
  options.format = std::move(blocks.format);
  options.parms = std::move(blocks.parms);
  return options;
}

void SaveCompressOptions(TIniFile& ini, const std::string& codecStatePath,
                         const TCompressOptions& options) {
  {
    TIniFile::TBatch batch(ini);
    ini.WriteInteger(kSection, "fccHandler", static_cast<std::int32_t>(options.fccHandler));
    ini.WriteInteger(kSection, "dwKeyFrameEvery", options.dwKeyFrameEvery);
    ini.WriteInteger(kSection, "dwQuality", options.dwQuality);
    ini.WriteInteger(kSection, "dwBytesPerSecond", options.dwBytesPerSecond);
    ini.WriteInteger(kSection, "dwFlags", options.dwFlags);
    ini.WriteInteger(kSection, "dwInterleaveEvery", options.dwInterleaveEvery);
  }
  // A failed write is silent: the next load falls back as the read rules say.
  WriteCodecState(codecStatePath, TCodecBlocks{options.format, options.parms});
}

const char* AviErrorText(std::int32_t code) {
  using namespace avierr;
  static const struct {
    std::int32_t code;
    const char* text;
  } kTexts[] = {
      {kUnsupported, "Error unsupported"},
      {kBadFormat, "Bad format"},
      {kMemory, "Memory error"},
      {kInternal, "Selected codec does not support input format"},
      {kBadFlags, "Bad flags"},
      {kBadParam, "Bad parameter"},
      {kBadSize, "bad size"},
      {kBadHandle, "Bad handle"},
      {kFileRead, "Error reading file"},
      {kFileWrite, "Error writing file"},
      {kFileOpen, "Error opening file"},
      {kCompressor, "Compressor error"},
      {kNoCompressor, "There is no compressor"},
      {kReadOnly, "Read only"},
      {kNoData, "No data"},
      {kBufferTooSmall, "Buffer too small"},
      {kCantCompress, "Can not compress"},
      {kUserAbort, "Aborted by user"},
      {kError, "Unspecified error"},
  };
  for (const auto& entry : kTexts)
    if (entry.code == code) return entry.text;
  return nullptr;
}
