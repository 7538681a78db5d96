#pragma once
// TVideoWriter: writes AVI files with one video stream ("Deepix video") frame by frame, keeps the
// compression options, and reads frames of existing AVI files. Uncompressed output is 24-bit BGR
// or 8-bit with the picture's colour table as the stream palette, bottom-up as players expect;
// with a codec chosen, frames go through that encoder (8-bit pictures converted to true colour).
// Failures are reported through the boolean results and ErrorText only; nothing is shown.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/dib.h"
#include "shared/compress_options.h"

class TAviOutput;
class TAviInput;

class TVideoWriter {
 public:
  TVideoWriter();
  ~TVideoWriter();
  TVideoWriter(const TVideoWriter&) = delete;
  TVideoWriter& operator=(const TVideoWriter&) = delete;

  // Writing. The caller keeps the picture's size and depth between OpenOutput and CloseOutput and
  // hands WriteFrame the picture's pixel data (TDIB layout, top-down), frame indices 0, 1, 2...
  bool OpenOutput(const TDIB* picture, const std::string& fileName);
  bool SetFrameRate(std::uint16_t framesPerSecond);  // takes effect at the next OpenOutput
  bool WriteFrame(const void* bits, int index);
  bool CloseOutput();
  bool OutputOpen() const { return output_ != nullptr; }

  // Shows the compression dialog for the open output (any size when none is open): 1 when the
  // user confirmed, 0 when cancelled, -1 on error. Needs a QApplication.
  int ChooseCompression();
  void GetCompressOptions(TCompressOptions& options) const;
  void SetCompressOptions(const TCompressOptions& options);  // fccType is always "vids"
  void CodecName(std::string& text) const;
  // The text of the last failed write; `text` is left as it is for codes without one.
  void ErrorText(std::string& text) const;
  std::int32_t LastWriteResult() const { return lastWriteResult_; }
  // The size and depth of the open output's picture (0 when none is open).
  int OutputWidth() const { return outWidth_; }
  int OutputHeight() const { return outHeight_; }
  int OutputBitCount() const { return outBitCount_; }
  // The code actually used by the open output: 0 when it writes uncompressed frames.
  std::uint32_t OutputCodec() const;

  // Reading.
  bool OpenInput(const std::string& fileName);
  std::int64_t InputLength() const;  // frames; 0 when no input is open
  std::int64_t InputStart() const;   // index of the first frame
  bool ReadFrame(std::int64_t index, TDIB& target);
  bool CloseInput();

 private:
  std::uint16_t frameRate_ = 25;
  TCompressOptions options_;
  std::unique_ptr<TAviOutput> output_;
  std::unique_ptr<TAviInput> input_;
  std::int32_t lastWriteResult_ = 0;
  int outWidth_ = 0, outHeight_ = 0, outBitCount_ = 0;
};

// The name of the AVI stream both programs write.
extern const char kAviStreamName[];
