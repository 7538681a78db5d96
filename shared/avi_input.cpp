#include <cstring>

#include "shared/avi_streams.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

// The colour table of a paletted stream's format: FFmpeg keeps it as the extradata, followed by a
// "BottomUp" marker for bottom-up raw frames.
std::vector<TRGBQuad> FormatPalette(const AVCodecParameters* par) {
  std::vector<TRGBQuad> table;
  if (par->bits_per_coded_sample > 8 || par->extradata_size <= 0) return table;
  std::size_t size = static_cast<std::size_t>(par->extradata_size);
  static const char kMarker[] = "BottomUp";  // nine bytes with its terminator
  if (size >= sizeof kMarker &&
      std::memcmp(par->extradata + size - sizeof kMarker, kMarker, sizeof kMarker) == 0)
    size -= sizeof kMarker;
  const std::size_t count = std::min<std::size_t>(size / 4, 256);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* q = par->extradata + 4 * i;
    table.push_back(TRGBQuad{q[0], q[1], q[2], 0});
  }
  return table;
}

}  // namespace

std::unique_ptr<TAviInput> TAviInput::Open(const std::string& fileName) {
  std::unique_ptr<TAviInput> in(new TAviInput);
  if (!in->Init(fileName)) return nullptr;
  return in;
}

bool TAviInput::Init(const std::string& fileName) {
  if (avformat_open_input(&fmt_, fileName.c_str(), nullptr, nullptr) < 0) return false;
  if (avformat_find_stream_info(fmt_, nullptr) < 0) return false;
  for (unsigned i = 0; i < fmt_->nb_streams && !stream_; ++i)  // the first video stream
    if (fmt_->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) stream_ = fmt_->streams[i];
  if (!stream_) return false;
  const AVCodec* decoder = avcodec_find_decoder(stream_->codecpar->codec_id);
  if (!decoder) return false;
  dec_ = avcodec_alloc_context3(decoder);
  frame_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (!dec_ || !frame_ || !packet_) return false;
  if (avcodec_parameters_to_context(dec_, stream_->codecpar) < 0) return false;
  dec_->thread_count = 1;
  if (avcodec_open2(dec_, decoder, nullptr) < 0) return false;
  formatPalette_ = FormatPalette(stream_->codecpar);
  length_ = stream_->nb_frames;
  if (const AVIndexEntry* first = avformat_index_get_entry(stream_, 0)) start_ = first->timestamp;
  if (length_ <= 0) length_ = avformat_index_get_entries_count(stream_);
  next_ = start_;
  return true;
}

TAviInput::~TAviInput() {
  sws_freeContext(sws_);
  av_packet_free(&packet_);
  av_frame_free(&frame_);
  avcodec_free_context(&dec_);
  avformat_close_input(&fmt_);
}

bool TAviInput::Read(std::int64_t index, TDIB& target) {
  if (index < start_ || index >= start_ + length_) return false;
  if (index != next_ && !Seek(index)) return false;
  std::int64_t number = 0;
  while (DecodeNext(number)) {
    if (number < index) continue;
    return number == index && Convert(target);
  }
  next_ = -1;  // the decoder ran dry; the next read seeks
  return false;
}

// Back to the key frame at or before `index`, with a fresh decoder.
bool TAviInput::Seek(std::int64_t index) {
  const int entry = av_index_search_timestamp(stream_, index, AVSEEK_FLAG_BACKWARD);
  const AVIndexEntry* key = entry >= 0 ? avformat_index_get_entry(stream_, entry) : nullptr;
  const std::int64_t target = key ? key->timestamp : start_;
  if (av_seek_frame(fmt_, stream_->index, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
  avcodec_flush_buffers(dec_);
  draining_ = false;
  next_ = target;
  return true;
}

// The next decoded frame in display order and its number.
bool TAviInput::DecodeNext(std::int64_t& number) {
  for (;;) {
    const int err = avcodec_receive_frame(dec_, frame_);
    if (err == 0) {
      const std::int64_t stamp = frame_->best_effort_timestamp;
      number = stamp != AV_NOPTS_VALUE && dec_->has_b_frames == 0 ? stamp : next_;
      next_ = number + 1;
      return true;
    }
    if (err != AVERROR(EAGAIN) || draining_) return false;
    av_packet_unref(packet_);
    const int read = av_read_frame(fmt_, packet_);
    if (read < 0) {
      draining_ = true;
      avcodec_send_packet(dec_, nullptr);
      continue;
    }
    // Empty chunks repeat the previous frame; handing one to the decoder would end its input.
    if (packet_->stream_index != stream_->index || packet_->size == 0) continue;
    avcodec_send_packet(dec_, packet_);  // a damaged packet just gives no frame
  }
}

bool TAviInput::Convert(TDIB& target) {
  const int w = frame_->width, h = frame_->height;
  if (w <= 0 || h <= 0) return false;
  if (frame_->format == AV_PIX_FMT_PAL8) {
    target.SetSize(w, h, 8);
    TColorTable table{};
    for (int i = 0; i < 256; ++i) {
      std::uint32_t argb = 0;
      std::memcpy(&argb, frame_->data[1] + 4 * i, 4);
      table[i] = TRGBQuad{static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 8),
                          static_cast<std::uint8_t>(argb >> 16), 0};
    }
    // The format's palette wins over what the decoder made of the frame.
    for (std::size_t i = 0; i < formatPalette_.size(); ++i) table[i] = formatPalette_[i];
    // Rebuilding the table's nearest-colour cache every frame would cost more than the copy.
    if (target.ColorTable() != table) target.SetColorTable(table);
    for (int y = 0; y < h; ++y)
      std::memcpy(target.ScanLine(y),
                  frame_->data[0] + static_cast<std::ptrdiff_t>(y) * frame_->linesize[0], w);
    return true;
  }
  sws_ = sws_getCachedContext(sws_, w, h, static_cast<AVPixelFormat>(frame_->format), w, h,
                              AV_PIX_FMT_BGR24, SWS_POINT | SWS_ACCURATE_RND | SWS_BITEXACT,
                              nullptr, nullptr, nullptr);
  if (!sws_) return false;
  target.SetSize(w, h, 24);
  std::uint8_t* dst[4] = {target.Bits(), nullptr, nullptr, nullptr};
  int dstStride[4] = {static_cast<int>(target.WidthBytes()), 0, 0, 0};
  sws_scale(sws_, frame_->data, frame_->linesize, 0, h, dst, dstStride);
  return true;
}
