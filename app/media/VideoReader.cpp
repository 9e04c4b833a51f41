#include "app/media/VideoReader.h"

#include <cmath>

#include "app/media/Ffmpeg.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace vantiro {

struct VideoReader::State {
  ff::InputPtr input;
  ff::CodecPtr codec;
  int stream = -1;
  AVRational timeBase{1, 1};
  AVRational fps{25, 1};
  int64_t startPts = 0;
  VideoInfo info;
  ff::FramePtr frame{av_frame_alloc()};
  ff::PacketPtr packet{av_packet_alloc()};
  int64_t current = -1;  // index of the frame now held in `frame`
  bool drained = false;
  ff::SwsPtr scaler;
  int scalerKey[5] = {};
  int seeks = 0;

  int64_t IndexOf(const AVFrame* f) const {
    const int64_t pts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : f->pts;
    if (pts == AV_NOPTS_VALUE) return current + 1;
    const AVRational perFrame = av_inv_q(fps);
    return av_rescale_q_rnd(pts - startPts, timeBase, perFrame,
                            static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
  }

  // Decodes the next frame into `frame`; false at the end of the stream or on an error.
  bool DecodeNext() {
    while (true) {
      const int got = avcodec_receive_frame(codec.get(), frame.get());
      if (got == 0) {
        current = IndexOf(frame.get());
        return true;
      }
      if (got == AVERROR_EOF || (got != AVERROR(EAGAIN))) return false;
      if (drained) return false;
      const int read = av_read_frame(input.get(), packet.get());
      if (read < 0) {
        drained = true;
        avcodec_send_packet(codec.get(), nullptr);
        continue;
      }
      if (packet->stream_index == stream) avcodec_send_packet(codec.get(), packet.get());
      av_packet_unref(packet.get());
    }
  }

  void SeekBefore(int64_t n) {
    ++seeks;
    const int64_t target = startPts + av_rescale_q(n, av_inv_q(fps), timeBase);
    av_seek_frame(input.get(), stream, target, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec.get());
    drained = false;
    current = -1;
  }

  bool Position(int64_t n) {
    if (n == current) return true;
    // Forward within a short distance decodes on; anything else seeks back first.
    if (n < current || n > current + 48) SeekBefore(n);
    while (current < n)
      if (!DecodeNext()) return false;
    if (current > n && n == 0) {
      // Some files start their timestamps late; the first decodable frame is frame 0.
      SeekBefore(0);
      return DecodeNext();
    }
    return true;
  }

  int64_t CountFrames() {
    const AVStream* st = input->streams[stream];
    if (st->nb_frames > 0) return st->nb_frames;
    int64_t count = 0;
    while (av_read_frame(input.get(), packet.get()) >= 0) {
      if (packet->stream_index == stream) ++count;
      av_packet_unref(packet.get());
    }
    av_seek_frame(input.get(), stream, startPts, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec.get());
    return count;
  }
};

std::unique_ptr<VideoReader> VideoReader::Open(const std::string& path, std::string* error) {
  auto s = std::make_unique<State>();
  if (!ff::OpenDecoder(path, AVMEDIA_TYPE_VIDEO, &s->input, &s->codec, &s->stream, error)) return nullptr;
  AVStream* st = s->input->streams[s->stream];
  s->timeBase = st->time_base;
  s->fps = av_guess_frame_rate(s->input.get(), st, nullptr);
  if (s->fps.num <= 0 || s->fps.den <= 0) s->fps = AVRational{25, 1};
  s->startPts = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
  const std::string demuxer = s->input->iformat->name;
  s->info.isImage = demuxer == "image2" || demuxer.ends_with("_pipe");
  s->info.width = s->codec->width;
  s->info.height = s->codec->height;
  s->info.fpsNum = s->fps.num;
  s->info.fpsDen = s->fps.den;
  s->info.frameCount = s->info.isImage ? 1 : s->CountFrames();
  s->info.hasAudio = av_find_best_stream(s->input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
  if (s->info.width <= 0 || s->info.height <= 0 || s->info.frameCount <= 0) {
    *error = path + " holds no pictures";
    return nullptr;
  }
  return std::unique_ptr<VideoReader>(new VideoReader(std::move(s)));
}

VideoReader::VideoReader(std::unique_ptr<State> state) : s_(std::move(state)) {}
VideoReader::~VideoReader() = default;

const VideoInfo& VideoReader::info() const { return s_->info; }
int VideoReader::seekCount() const { return s_->seeks; }

bool VideoReader::ReadFrame(int64_t n, int width, int height, bool highQuality, uint8_t* argb,
                            long rowBytes, std::string* error) {
  if (n < 0 || n >= s_->info.frameCount || width <= 0 || height <= 0) {
    *error = "frame " + std::to_string(n) + " is outside the clip (0.." +
             std::to_string(s_->info.frameCount - 1) + ")";
    return false;
  }
  if (!s_->Position(s_->info.isImage ? 0 : n)) {
    *error = "cannot decode frame " + std::to_string(n);
    return false;
  }
  const AVFrame* f = s_->frame.get();
  const int flags = highQuality ? SWS_BICUBIC | SWS_ACCURATE_RND : SWS_FAST_BILINEAR;
  s_->scaler.reset(sws_getCachedContext(s_->scaler.release(), f->width, f->height,
                                        static_cast<AVPixelFormat>(f->format), width, height,
                                        AV_PIX_FMT_ARGB, flags, nullptr, nullptr, nullptr));
  if (!s_->scaler) {
    *error = "cannot scale the picture";
    return false;
  }
  uint8_t* planes[4] = {argb, nullptr, nullptr, nullptr};
  const int strides[4] = {static_cast<int>(rowBytes), 0, 0, 0};
  sws_scale(s_->scaler.get(), f->data, f->linesize, 0, f->height, planes, strides);
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(f->format));
  if (desc != nullptr && (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0) {
    // Rasters hold premultiplied pixels: a transparent picture shows over black.
    for (int y = 0; y < height; ++y)
      for (uint8_t* p = argb + y * rowBytes; p < argb + y * rowBytes + 4 * width; p += 4)
        for (int c = 1; c < 4; ++c) p[c] = static_cast<uint8_t>((p[c] * p[0] + 127) / 255);
  }
  return true;
}

}  // namespace vantiro
