#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "shared/avi_streams.h"
#include "shared/avi_video.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

// The input each encoder gets: true colour kept exact for the lossless ones.
AVPixelFormat EncoderPixelFormat(const TVideoCodec& codec) {
  const std::string name = codec.encoder;
  if (name == "ffv1") return AV_PIX_FMT_BGR0;
  if (name == "huffyuv") return AV_PIX_FMT_BGRA;
  if (name == "utvideo") return AV_PIX_FMT_GBRP;
  if (name == "libx264rgb") return AV_PIX_FMT_BGR24;
  if (name == "mjpeg") return AV_PIX_FMT_YUVJ420P;
  return AV_PIX_FMT_YUV420P;
}

std::int32_t MapAvError(int err, std::int32_t fallback) {
  switch (err) {
    case AVERROR(ENOSPC):
    case AVERROR(EDQUOT):
    case AVERROR(EFBIG):
    case AVERROR(EIO):
    case AVERROR(EPIPE):
      return avierr::kFileWrite;
    case AVERROR(ENOMEM):
      return avierr::kMemory;
    default:
      return fallback;
  }
}

void ApplySettings(AVCodecContext* enc, const TVideoCodec& codec, const TEncoderSettings& s) {
  if (s.gopSize > 0) enc->gop_size = s.gopSize;
  if (s.bitRate > 0) enc->bit_rate = s.bitRate;
  const std::string name = codec.encoder;
  if (name == "libx264rgb") av_opt_set_int(enc->priv_data, "qp", 0, 0);
  if (name == "libx264" && s.bitRate == 0 && s.crf >= 0)
    av_opt_set_int(enc->priv_data, "crf", s.crf, 0);
  if (name != "libx264" && s.qscale > 0) {
    enc->flags |= AV_CODEC_FLAG_QSCALE;
    enc->global_quality = FF_QP2LAMBDA * s.qscale;
  }
  if (!s.preset.empty()) av_opt_set(enc->priv_data, "preset", s.preset.c_str(), 0);
}

}  // namespace

std::unique_ptr<TAviOutput> TAviOutput::Create(const TDIB& picture, const std::string& fileName,
                                               int framesPerSecond, const TCompressOptions& options,
                                               std::int32_t& code) {
  std::unique_ptr<TAviOutput> out(new TAviOutput);
  out->picture_ = picture;
  out->fps_ = framesPerSecond;
  out->rawBits_ = picture.BitCount() == 8 ? 8 : 24;
  code = out->OpenFile(fileName, framesPerSecond);
  if (code != 0) return nullptr;
  const TVideoCodec* codec = FindAvailableCodec(options.fccHandler);
  if (codec && CodecAcceptsSize(*codec, picture.Width(), picture.Height()))
    out->OpenEncoder(*codec, options, framesPerSecond);
  code = out->WriteHeader();
  if (code != 0) {
    out.reset();
    std::remove(fileName.c_str());
  }
  return out;
}

std::int32_t TAviOutput::OpenFile(const std::string& fileName, int fps) {
  if (avformat_alloc_output_context2(&fmt_, nullptr, "avi", fileName.c_str()) < 0 || !fmt_)
    return avierr::kMemory;
  stream_ = avformat_new_stream(fmt_, nullptr);
  packet_ = av_packet_alloc();
  if (!stream_ || !packet_) return avierr::kMemory;
  stream_->time_base = AVRational{1, fps};
  stream_->avg_frame_rate = AVRational{fps, 1};
  av_dict_set(&stream_->metadata, "title", kAviStreamName, 0);
  if (avio_open(&fmt_->pb, fileName.c_str(), AVIO_FLAG_WRITE) < 0) return avierr::kFileOpen;
  return 0;
}

bool TAviOutput::OpenEncoder(const TVideoCodec& codec, const TCompressOptions& options, int fps) {
  const AVCodec* encoder = avcodec_find_encoder_by_name(codec.encoder);
  enc_ = encoder ? avcodec_alloc_context3(encoder) : nullptr;
  frame_ = av_frame_alloc();
  if (!enc_ || !frame_) return FreeEncoder(), false;
  enc_->width = picture_.Width();
  enc_->height = picture_.Height();
  enc_->pix_fmt = EncoderPixelFormat(codec);
  enc_->time_base = AVRational{1, fps};
  enc_->framerate = AVRational{fps, 1};
  enc_->max_b_frames = 0;  // decode order = display order keeps the AVI index simple
  ApplySettings(enc_, codec, MapCompressOptions(codec, options));
  frame_->format = enc_->pix_fmt;
  frame_->width = enc_->width;
  frame_->height = enc_->height;
  const int flags = codec.kind == TCodecKind::kLossless ? SWS_POINT : SWS_BILINEAR;
  sws_ = sws_getContext(enc_->width, enc_->height, AV_PIX_FMT_BGR24, enc_->width, enc_->height,
                        enc_->pix_fmt, flags | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr,
                        nullptr);
  if (!sws_ || avcodec_open2(enc_, encoder, nullptr) < 0 || av_frame_get_buffer(frame_, 0) < 0 ||
      avcodec_parameters_from_context(stream_->codecpar, enc_) < 0)
    return FreeEncoder(), false;
  stream_->codecpar->codec_tag = codec.fourcc;
  codec_ = &codec;
  return true;
}

void TAviOutput::FreeEncoder() {
  avcodec_free_context(&enc_);
  av_frame_free(&frame_);
  sws_freeContext(sws_);
  sws_ = nullptr;
  codec_ = nullptr;
}

std::int32_t TAviOutput::WriteHeader() {
  AVCodecParameters* par = stream_->codecpar;
  if (!enc_) {
    avcodec_parameters_free(&stream_->codecpar);
    stream_->codecpar = par = avcodec_parameters_alloc();
    if (!par) return avierr::kMemory;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_RAWVIDEO;
    par->codec_tag = 0;
    par->format = rawBits_ == 8 ? AV_PIX_FMT_PAL8 : AV_PIX_FMT_BGR24;
    par->width = picture_.Width();
    par->height = picture_.Height();
    par->bits_per_coded_sample = rawBits_;
  }
  AVDictionary* opts = nullptr;
  av_dict_set(&opts, "flipped_raw_rgb", "1", 0);  // bottom-up rows, positive height: players agree
  const int err = avformat_write_header(fmt_, &opts);
  av_dict_free(&opts);
  if (err < 0) return MapAvError(err, avierr::kBadFormat);
  closed_ = false;
  return 0;
}

std::int32_t TAviOutput::Write(const std::uint8_t* bits, std::int64_t index) {
  if (closed_) return avierr::kBadHandle;
  if (!bits || index < nextIndex_) return avierr::kBadParam;
  const std::int32_t code = enc_ ? WriteEncoded(bits, index) : WriteRaw(bits, index);
  if (code == 0) nextIndex_ = index + 1;
  return code;
}

// True-colour rows (top-down BGR) of one frame in the picture's layout.
const std::uint8_t* TAviOutput::TrueColorRows(const std::uint8_t* bits, int& stride) {
  const int w = picture_.Width(), h = picture_.Height();
  if (picture_.BitCount() == 24) {
    stride = static_cast<int>(picture_.WidthBytes());
    return bits;
  }
  std::memcpy(picture_.Bits(), bits, picture_.Size());
  if (picture_.BitCount() != 8) {
    const TDIB rgb = picture_.ToTrueColor();
    rgb_.assign(rgb.Bits(), rgb.Bits() + rgb.Size());
    stride = static_cast<int>(rgb.WidthBytes());
    return rgb_.data();
  }
  stride = w * 3;
  rgb_.resize(static_cast<std::size_t>(stride) * h);
  const TColorTable& table = picture_.ColorTable();
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* src = picture_.ScanLine(y);
    std::uint8_t* dst = rgb_.data() + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < w; ++x, dst += 3) {
      const TRGBQuad& q = table[src[x]];
      dst[0] = q.rgbBlue, dst[1] = q.rgbGreen, dst[2] = q.rgbRed;
    }
  }
  return rgb_.data();
}

std::int32_t TAviOutput::WriteRaw(const std::uint8_t* bits, std::int64_t index) {
  int srcStride = 0;
  const std::uint8_t* src = bits;
  if (rawBits_ == 8) {
    srcStride = static_cast<int>(picture_.WidthBytes());
  } else {
    src = TrueColorRows(bits, srcStride);
  }
  const int h = picture_.Height();
  const int rowBytes = rawBits_ == 8 ? srcStride : (picture_.Width() * 3 + 3) & ~3;
  av_packet_unref(packet_);
  if (av_new_packet(packet_, rowBytes * h) < 0) return avierr::kMemory;
  for (int y = 0; y < h; ++y)  // bottom-up, as the file stores them
    std::memcpy(packet_->data + static_cast<std::size_t>(h - 1 - y) * rowBytes,
                src + static_cast<std::size_t>(y) * srcStride, std::min(rowBytes, srcStride));
  if (rawBits_ == 8 && !paletteSent_) {
    std::uint8_t* side = av_packet_new_side_data(packet_, AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
    if (!side) return avierr::kMemory;
    for (int i = 0; i < 256; ++i) {
      const TRGBQuad& q = picture_.ColorTable()[i];
      const std::uint32_t argb = 0xFF000000u | (std::uint32_t{q.rgbRed} << 16) |
                                 (std::uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
      std::memcpy(side + 4 * i, &argb, 4);
    }
  }
  packet_->flags |= AV_PKT_FLAG_KEY;
  packet_->pts = packet_->dts = index;
  packet_->duration = 1;
  const std::int32_t code = Mux(packet_);
  if (code == 0) paletteSent_ = true;
  return code;
}

std::int32_t TAviOutput::WriteEncoded(const std::uint8_t* bits, std::int64_t index) {
  int stride = 0;
  const std::uint8_t* rows = TrueColorRows(bits, stride);
  if (av_frame_make_writable(frame_) < 0) return avierr::kMemory;
  sws_scale(sws_, &rows, &stride, 0, picture_.Height(), frame_->data, frame_->linesize);
  frame_->pts = index;
  // The MPEG-style encoders take a fixed quantiser from each frame, not from the context.
  if (enc_->flags & AV_CODEC_FLAG_QSCALE) frame_->quality = enc_->global_quality;
  const int err = avcodec_send_frame(enc_, frame_);
  if (err < 0) return MapAvError(err, avierr::kInternal);  // the encoder refused the frame
  return Drain();
}

// Writes every packet the encoder has ready.
std::int32_t TAviOutput::Drain() {
  for (;;) {
    av_packet_unref(packet_);
    const int err = avcodec_receive_packet(enc_, packet_);
    if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return 0;
    if (err < 0) return MapAvError(err, avierr::kCompressor);
    const std::int32_t code = Mux(packet_);
    if (code != 0) return code;
  }
}

std::int32_t TAviOutput::Mux(AVPacket* packet) {
  packet->stream_index = stream_->index;
  // The muxer may have changed the stream's time base while writing the header.
  av_packet_rescale_ts(packet, AVRational{1, fps_}, stream_->time_base);
  const int err = av_write_frame(fmt_, packet);
  if (err < 0) return MapAvError(err, avierr::kBadParam);
  avio_flush(fmt_->pb);  // so that a full disk shows at this frame, not at the end
  if (fmt_->pb->error < 0) return MapAvError(fmt_->pb->error, avierr::kFileWrite);
  return 0;
}

std::int32_t TAviOutput::Close() {
  if (closed_) return avierr::kBadHandle;
  closed_ = true;
  std::int32_t code = 0;
  if (enc_ && avcodec_send_frame(enc_, nullptr) >= 0) code = Drain();
  const int err = av_write_trailer(fmt_);
  if (code == 0 && err < 0) code = MapAvError(err, avierr::kFileWrite);
  if (code == 0 && fmt_->pb->error < 0) code = MapAvError(fmt_->pb->error, avierr::kFileWrite);
  if (avio_closep(&fmt_->pb) < 0 && code == 0) code = avierr::kFileWrite;
  return code;
}

TAviOutput::~TAviOutput() {
  if (!closed_) Close();
  FreeEncoder();
  av_packet_free(&packet_);
  if (fmt_) {
    if (fmt_->pb) avio_closep(&fmt_->pb);
    avformat_free_context(fmt_);
  }
}
