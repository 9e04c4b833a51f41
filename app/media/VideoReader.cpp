#include "app/media/VideoReader.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/media/Colour.h"
#include "app/media/Ffmpeg.h"

extern "C" {
#include <libavutil/display.h>
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
  int seeks = 0;
  // Every frame's timestamp in showing order, and when the last one ends; empty when the
  // file's packets carry none, and frames are then placed by the frame rate.
  std::vector<int64_t> times;
  int64_t endTime = 0;
  int turn = 0;                  // degrees clockwise that turn the picture upright
  std::vector<uint8_t> unturned;  // the scaled picture, or a band of it, before turning

  int64_t IndexOf(const AVFrame* f) const {
    const int64_t pts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : f->pts;
    if (pts == AV_NOPTS_VALUE) return current + 1;
    if (!times.empty()) {
      const auto after = std::lower_bound(times.begin(), times.end(), pts);
      if (after == times.begin()) return 0;
      if (after == times.end() || pts - after[-1] < *after - pts) return after - times.begin() - 1;
      return after - times.begin();
    }
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

  int64_t FrameTime(int64_t n) const {
    if (!times.empty()) return n < static_cast<int64_t>(times.size()) ? times[n] : endTime;
    return startPts + av_rescale_q(n, av_inv_q(fps), timeBase);
  }

  void SeekBefore(int64_t n) {
    ++seeks;
    const int64_t target = FrameTime(n);
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

  // Reads every packet once for the frames' timestamps (demuxing only, no decoding) and
  // returns the number of frames.
  int64_t ScanFrames() {
    const AVStream* st = input->streams[stream];
    int64_t count = 0, last = AV_NOPTS_VALUE, lastDuration = 0;
    bool untimed = false;
    while (av_read_frame(input.get(), packet.get()) >= 0) {
      if (packet->stream_index == stream && (packet->flags & AV_PKT_FLAG_DISCARD) == 0) {
        ++count;
        untimed = untimed || packet->pts == AV_NOPTS_VALUE;
        if (!untimed) times.push_back(packet->pts);
        if (!untimed && (last == AV_NOPTS_VALUE || packet->pts >= last)) {
          last = packet->pts;
          lastDuration = packet->duration;
        }
      }
      av_packet_unref(packet.get());
    }
    std::sort(times.begin(), times.end());  // packets come in decoding order
    av_seek_frame(input.get(), stream, startPts, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec.get());
    if (untimed || times.empty()) {
      times.clear();
      return st->nb_frames > 0 ? st->nb_frames : count;
    }
    startPts = times.front();
    endTime = times.back() + (lastDuration > 0 ? lastDuration : av_rescale_q(1, av_inv_q(fps), timeBase));
    // When the sound runs on past the last picture, that picture stays up until it ends.
    if (input->duration != AV_NOPTS_VALUE) {
      const int64_t start = input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
      endTime = std::max(endTime, av_rescale_q(start + input->duration, AV_TIME_BASE_Q, timeBase));
    }
    return static_cast<int64_t>(times.size());
  }

  void ReadDisplayMatrix() {
    const auto* matrix = reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(input->streams[stream], AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (matrix == nullptr) return;
    const double counterClockwise = av_display_rotation_get(matrix);
    if (std::isnan(counterClockwise)) return;
    turn = ((static_cast<int>(std::lround(-counterClockwise / 90)) % 4 + 4) % 4) * 90;
  }
};

namespace {

// Turns rows `first`..`first + count - 1` of a `width` × `height` picture clockwise by
// `degrees` (90, 180 or 270) into their place in `to`; `from` holds just those rows.
// Each source row becomes a column (or a row, for 180), so a band of a few rows that stays
// in cache writes whole cache lines of the turned picture.
void TurnRows(const uint8_t* from, int width, int height, int first, int count, int degrees, uint8_t* to,
              long toRowBytes) {
  const auto* source = reinterpret_cast<const uint32_t*>(from);
  const auto row = [&](int y) { return reinterpret_cast<uint32_t*>(to + y * toRowBytes); };
  if (degrees == 180) {
    for (int y = 0; y < count; ++y) {
      const uint32_t* in = source + long(y) * width;
      uint32_t* out = row(height - 1 - first - y);
      for (int x = 0; x < width; ++x) out[width - 1 - x] = in[x];
    }
    return;
  }
  // Column x of the band lands on row x (90) or width - 1 - x (270), at the band's place.
  const auto put = [&](int x, int y) {
    if (degrees == 90) row(x)[height - 1 - first - y] = source[long(y) * width + x];
    else row(width - 1 - x)[first + y] = source[long(y) * width + x];
  };
  int blockWidth = 0, blockHeight = 0;
#if defined(__SSE2__)
  // Blocks of 4 x 4 pixels, turned in registers.
  blockWidth = width & ~3, blockHeight = count & ~3;
  const auto load = [](const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  // Down the band first, so that the blocks filling one line of the turned picture follow
  // each other.
  for (int x = 0; x < blockWidth; x += 4)
    for (int y = 0; y < blockHeight; y += 4) {
      const uint32_t* in = source + long(y) * width + x;
      const __m128i r0 = load(in), r1 = load(in + width), r2 = load(in + 2 * width), r3 = load(in + 3 * width);
      const __m128i a = _mm_unpacklo_epi32(r0, r1), b = _mm_unpacklo_epi32(r2, r3);
      const __m128i c = _mm_unpackhi_epi32(r0, r1), d = _mm_unpackhi_epi32(r2, r3);
      const __m128i columns[4] = {_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b), _mm_unpacklo_epi64(c, d),
                                  _mm_unpackhi_epi64(c, d)};
      for (int i = 0; i < 4; ++i) {
        if (degrees == 90)
          _mm_storeu_si128(reinterpret_cast<__m128i*>(row(x + i) + height - 4 - first - y),
                           _mm_shuffle_epi32(columns[i], _MM_SHUFFLE(0, 1, 2, 3)));
        else
          _mm_storeu_si128(reinterpret_cast<__m128i*>(row(width - 1 - x - i) + first + y), columns[i]);
      }
    }
#endif
  // What the blocks left: the last columns, and the last rows under the others.
  for (int x = 0; x < width; ++x)
    for (int y = x < blockWidth ? blockHeight : 0; y < count; ++y) put(x, y);
}

bool FullRange(const AVFrame* f) {
  return f->color_range == AVCOL_RANGE_JPEG || f->format == AV_PIX_FMT_YUVJ420P ||
         f->format == AV_PIX_FMT_YUVJ422P || f->format == AV_PIX_FMT_YUVJ444P;
}

// How a frame that needs only a colour conversion is coded, when that conversion is our
// own: 8-bit 4:2:0 at the size asked for.
std::optional<colour::Encoding> PlainEncoding(const AVFrame* f, int width, int height, colour::Matrix matrix) {
  if (f->width != width || f->height != height) return std::nullopt;
  if (f->format != AV_PIX_FMT_YUV420P && f->format != AV_PIX_FMT_YUVJ420P) return std::nullopt;
  return colour::Encoding{matrix, FullRange(f)};
}

void Premultiply(uint8_t* argb, int width, int height, long rowBytes) {
  for (int y = 0; y < height; ++y)
    for (uint8_t* p = argb + y * rowBytes; p < argb + y * rowBytes + 4 * width; p += 4)
      for (int c = 1; c < 4; ++c) p[c] = static_cast<uint8_t>((p[c] * p[0] + 127) / 255);
}

}  // namespace

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
  s->ReadDisplayMatrix();
  const bool sideways = s->turn % 180 != 0;
  s->info.width = sideways ? s->codec->height : s->codec->width;
  s->info.height = sideways ? s->codec->width : s->codec->height;
  s->info.fpsNum = s->fps.num;
  s->info.fpsDen = s->fps.den;
  s->info.frameCount = s->info.isImage ? 1 : s->ScanFrames();
  s->info.timeBaseNum = s->timeBase.num;
  s->info.timeBaseDen = s->timeBase.den;
  if (s->info.isImage || s->times.empty()) {
    s->info.timeBaseNum = s->fps.den;
    s->info.timeBaseDen = s->fps.num;
  }
  const AVRational sar = av_guess_sample_aspect_ratio(s->input.get(), st, nullptr);
  if (sar.num > 0 && sar.den > 0) {
    s->info.sarNum = sideways ? sar.den : sar.num;
    s->info.sarDen = sideways ? sar.num : sar.den;
  }
  s->info.matrix = ff::MatrixOf(st->codecpar->color_space, s->codec->width, s->codec->height);
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

int64_t VideoReader::Timestamp(int64_t n) const {
  if (s_->times.empty()) return n;  // one tick a frame
  return s_->FrameTime(n) - s_->startPts;
}

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
  const bool sideways = s_->turn % 180 != 0;
  const int scaledWidth = sideways ? height : width, scaledHeight = sideways ? width : height;
  if (const auto encoding = PlainEncoding(f, scaledWidth, scaledHeight, s_->info.matrix)) {
    if (s_->turn == 0) {
      colour::Yuv420ToArgb(f->data, f->linesize, width, height, *encoding, argb, rowBytes);
      return true;
    }
    // Converted a band of rows at a time (even-numbered first rows keep the chroma rows in
    // step) into a scratch small enough to stay in cache, and turned from there.
    constexpr int kBand = 16;
    s_->unturned.resize(4 * static_cast<std::size_t>(scaledWidth) * kBand);
    for (int y = 0; y < scaledHeight; y += kBand) {
      const int rows = std::min(kBand, scaledHeight - y);
      const uint8_t* band[3] = {f->data[0] + static_cast<long>(y) * f->linesize[0],
                                f->data[1] + static_cast<long>(y / 2) * f->linesize[1],
                                f->data[2] + static_cast<long>(y / 2) * f->linesize[2]};
      colour::Yuv420ToArgb(band, f->linesize, scaledWidth, rows, *encoding, s_->unturned.data(), 4L * scaledWidth);
      TurnRows(s_->unturned.data(), scaledWidth, scaledHeight, y, rows, s_->turn, argb, rowBytes);
    }
    return true;
  }
  // A turned picture is scaled to the size it has before turning, into a scratch raster.
  uint8_t* scaled = argb;
  long scaledRowBytes = rowBytes;
  if (s_->turn != 0) {
    s_->unturned.resize(4 * static_cast<std::size_t>(width) * height);
    scaled = s_->unturned.data();
    scaledRowBytes = 4L * scaledWidth;
  }
  // Exact rounding would triple the time of a plain colour conversion for a 1-in-255 error.
  const int flags = highQuality ? SWS_BICUBIC : SWS_FAST_BILINEAR;
  s_->scaler.reset(sws_getCachedContext(s_->scaler.release(), f->width, f->height,
                                        static_cast<AVPixelFormat>(f->format), scaledWidth, scaledHeight,
                                        AV_PIX_FMT_ARGB, flags, nullptr, nullptr, nullptr));
  if (!s_->scaler) {
    *error = "cannot scale the picture";
    return false;
  }
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(f->format));
  const bool yuv = desc != nullptr && desc->nb_components >= 3 &&
                   (desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) == 0;
  if (yuv) ff::UseMatrix(s_->scaler.get(), s_->info.matrix, FullRange(f));
  uint8_t* planes[4] = {scaled, nullptr, nullptr, nullptr};
  const int strides[4] = {static_cast<int>(scaledRowBytes), 0, 0, 0};
  sws_scale(s_->scaler.get(), f->data, f->linesize, 0, f->height, planes, strides);
  // Rasters hold premultiplied pixels: a transparent picture shows over black.
  if (desc != nullptr && (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0)
    Premultiply(scaled, scaledWidth, scaledHeight, scaledRowBytes);
  if (s_->turn != 0) TurnRows(scaled, scaledWidth, scaledHeight, 0, scaledHeight, s_->turn, argb, rowBytes);
  return true;
}

}  // namespace vantiro
