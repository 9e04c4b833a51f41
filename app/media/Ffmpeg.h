// Small helpers over FFmpeg's C API: owning pointers and error texts.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

#include "app/media/Colour.h"

namespace vantiro::ff {

std::string ErrorText(int err);

// FFmpeg's own log: silent unless `verbose`; either way its error lines are kept for
// LoggedErrors, so a failure can be explained in vantiro's own words. Until this is
// called, the log is silent.
void SetVerbose(bool verbose);
void KeepQuiet();  // installs the silent log unless SetVerbose came first
std::string LoggedErrors();  // since ForgetLoggedErrors, one line each
void ForgetLoggedErrors();

struct FormatInputCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecContextFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwrFreer {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct SwsFreer {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct FifoFreer {
  void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

using InputPtr = std::unique_ptr<AVFormatContext, FormatInputCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFreer>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFreer>;
using FifoPtr = std::unique_ptr<AVAudioFifo, FifoFreer>;

// Opens `path` and the decoder of its best stream of `type`; the stream index goes to
// `*stream`. Returns false with `error` set.
bool OpenDecoder(const std::string& path, AVMediaType type, InputPtr* input, CodecPtr* codec,
                 int* stream, std::string* error);

// The matrix of a colour tag; untagged or unknown, the default for the picture's size.
colour::Matrix MatrixOf(AVColorSpace tag, int width, int height);
// Makes swscale convert between Y'CbCr coded with `matrix` and full-range RGB, in either
// direction; `fullRange` is the Y'CbCr side's range.
void UseMatrix(SwsContext* scaler, colour::Matrix matrix, bool fullRange);

}  // namespace vantiro::ff
