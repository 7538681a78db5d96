#include "shared/avi_video.h"

#include <filesystem>
#include <system_error>

#include "shared/avi_streams.h"
#include "shared/video_codecs.h"

extern "C" {
#include <libavutil/log.h>
}

const char kAviStreamName[] = "Deepix video";

TVideoWriter::TVideoWriter() {
  // The programs have no console worth filling with encoder chatter.
  av_log_set_level(AV_LOG_ERROR);
}

TVideoWriter::~TVideoWriter() = default;  // an open output is finished, an open input closed

bool TVideoWriter::OpenOutput(const TDIB* picture, const std::string& fileName) {
  if (!picture) return false;
  output_.reset();
  outWidth_ = outHeight_ = outBitCount_ = 0;
  // Only files are replaced, never a folder of that name.
  std::error_code ec;
  if (!std::filesystem::is_directory(fileName, ec)) std::filesystem::remove(fileName, ec);
  if (picture->Empty()) {
    lastWriteResult_ = avierr::kBadFormat;
    return false;
  }
  std::int32_t code = 0;
  output_ = TAviOutput::Create(*picture, fileName, frameRate_, options_, code);
  if (!output_) {
    // Kept so the caller's "Error writing frame" message can say why.
    lastWriteResult_ = code;
    return false;
  }
  outWidth_ = picture->Width();
  outHeight_ = picture->Height();
  outBitCount_ = picture->BitCount();
  return true;
}

bool TVideoWriter::SetFrameRate(std::uint16_t framesPerSecond) {
  // A rate of 0 would make a file no player can time; one frame a second is the slowest we write.
  frameRate_ = framesPerSecond == 0 ? 1 : framesPerSecond;
  return true;
}

bool TVideoWriter::WriteFrame(const void* bits, int index) {
  if (!output_) return false;
  lastWriteResult_ = output_->Write(static_cast<const std::uint8_t*>(bits), index);
  return lastWriteResult_ == 0;
}

bool TVideoWriter::CloseOutput() {
  if (!output_) return false;
  const std::int32_t code = output_->Close();
  output_.reset();
  outWidth_ = outHeight_ = outBitCount_ = 0;
  return code == 0;
}

std::uint32_t TVideoWriter::OutputCodec() const { return output_ ? output_->Codec() : 0; }

void TVideoWriter::GetCompressOptions(TCompressOptions& options) const { options = options_; }

void TVideoWriter::SetCompressOptions(const TCompressOptions& options) {
  options_ = options;
  options_.fccType = kStreamTypeVideo;
}

void TVideoWriter::CodecName(std::string& text) const {
  text = CodecDisplayName(options_.fccHandler);
}

void TVideoWriter::ErrorText(std::string& text) const {
  if (const char* message = AviErrorText(lastWriteResult_)) text = message;
}

bool TVideoWriter::OpenInput(const std::string& fileName) {
  input_ = TAviInput::Open(fileName);
  return input_ != nullptr;
}

std::int64_t TVideoWriter::InputLength() const { return input_ ? input_->Length() : 0; }

std::int64_t TVideoWriter::InputStart() const { return input_ ? input_->Start() : 0; }

bool TVideoWriter::ReadFrame(std::int64_t index, TDIB& target) {
  return input_ && input_->Read(index, target);
}

bool TVideoWriter::CloseInput() {
  if (!input_) return false;
  input_.reset();
  return true;
}
