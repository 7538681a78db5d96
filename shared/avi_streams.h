#pragma once
// The FFmpeg side of TVideoWriter: one AVI file being written, one being read. Private to shared/.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dib.h"
#include "shared/compress_options.h"
#include "shared/video_codecs.h"

struct AVFormatContext;
struct AVStream;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

class TAviOutput {
 public:
  // Creates the file and its stream; nullptr with `code` set on failure. A codec that cannot be
  // set up for this picture leaves the stream uncompressed.
  static std::unique_ptr<TAviOutput> Create(const TDIB& picture, const std::string& fileName,
                                            int framesPerSecond, const TCompressOptions& options,
                                            std::int32_t& code);
  ~TAviOutput();  // finishes the file if Close was not called
  std::int32_t Write(const std::uint8_t* bits, std::int64_t index);  // 0 on success
  std::int32_t Close();                                              // 0 on success
  std::uint32_t Codec() const { return codec_ ? codec_->fourcc : 0; }

 private:
  TAviOutput() = default;
  std::int32_t OpenFile(const std::string& fileName, int fps);
  bool OpenEncoder(const TVideoCodec& codec, const TCompressOptions& options, int fps);
  std::int32_t WriteHeader();
  std::int32_t WriteRaw(const std::uint8_t* bits, std::int64_t index);
  std::int32_t WriteEncoded(const std::uint8_t* bits, std::int64_t index);
  std::int32_t Drain();
  std::int32_t Mux(AVPacket* packet);
  const std::uint8_t* TrueColorRows(const std::uint8_t* bits, int& stride);
  void FreeEncoder();

  AVFormatContext* fmt_ = nullptr;
  AVStream* stream_ = nullptr;
  AVCodecContext* enc_ = nullptr;
  SwsContext* sws_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  const TVideoCodec* codec_ = nullptr;
  TDIB picture_;  // size, depth and colour table of the frames; also a conversion buffer
  std::vector<std::uint8_t> rgb_;
  int rawBits_ = 24;
  int fps_ = 25;
  std::int64_t nextIndex_ = 0;
  bool paletteSent_ = false;
  bool closed_ = true;  // until the header is written
};

class TAviInput {
 public:
  static std::unique_ptr<TAviInput> Open(const std::string& fileName);  // nullptr on failure
  ~TAviInput();
  std::int64_t Length() const { return length_; }
  std::int64_t Start() const { return start_; }
  bool Read(std::int64_t index, TDIB& target);

 private:
  TAviInput() = default;
  bool Init(const std::string& fileName);
  bool Seek(std::int64_t index);
  bool DecodeNext(std::int64_t& number);
  bool Convert(TDIB& target);

  AVFormatContext* fmt_ = nullptr;
  AVStream* stream_ = nullptr;
  AVCodecContext* dec_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwsContext* sws_ = nullptr;
  std::vector<TRGBQuad> formatPalette_;  // the stream format's colour table
  std::int64_t length_ = 0;
  std::int64_t start_ = 0;
  std::int64_t next_ = -1;  // number of the frame the decoder gives next; -1: unknown
  bool draining_ = false;
};
