#include "app/media/MediaWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

#include "app/media/Colour.h"
#include "app/media/Ffmpeg.h"
#include "app/media/TempFiles.h"

namespace fs = std::filesystem;

namespace vantiro {
namespace {

std::string Extension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

const char* ContainerFor(const std::string& ext) {
  if (ext == ".mp4") return "mp4";
  if (ext == ".mov") return "mov";
  if (ext == ".mkv") return "matroska";
  return nullptr;
}

bool Fail(const std::string& what, std::string* error) {
  *error = what;
  return false;
}

// A folder in the way is found before any work rather than when the files move into place.
bool CheckTarget(const std::string& target, std::string* error) {
  std::error_code ec;
  return !fs::is_directory(target, ec) || Fail("cannot write " + target + ": a folder has that name", error);
}

std::string SizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

ff::CodecPtr OpenEncoder(const AVCodec* codec, const std::function<void(AVCodecContext*)>& setup,
                         AVDictionary** options, std::string* error) {
  ff::CodecPtr c(avcodec_alloc_context3(codec));
  setup(c.get());
  const int err = avcodec_open2(c.get(), codec, options);
  if (err < 0) {
    *error = std::string("cannot start the ") + codec->name + " encoder: " + ff::ErrorText(err);
    return nullptr;
  }
  return c;
}

}  // namespace

class MediaWriter::Impl {
 public:
  virtual ~Impl() = default;
  virtual bool Video(const uint8_t* argb, long rowBytes, int64_t pts, std::string* error) = 0;
  virtual bool Audio(const float*, int, std::string*) { return true; }
  virtual bool Finish(std::string* error) = 0;
  std::vector<std::string> outputs;
};

namespace {

// Converts 32-bit rasters into an encoder's picture format.
class PictureConverter {
 public:
  bool Convert(const uint8_t* argb, long rowBytes, colour::Matrix matrix, AVFrame* frame) {
    // 4:2:0, what every even-sized picture is written as, is converted here, several times
    // faster than swscale; limited range, as players expect.
    if (frame->format == AV_PIX_FMT_YUV420P) {
      if (av_frame_make_writable(frame) < 0) return false;
      colour::ArgbToYuv420(argb, rowBytes, frame->width, frame->height, colour::Encoding{matrix, false},
                           frame->data, frame->linesize);
      return true;
    }
    scaler_.reset(sws_getCachedContext(scaler_.release(), frame->width, frame->height, AV_PIX_FMT_ARGB,
                                       frame->width, frame->height,
                                       static_cast<AVPixelFormat>(frame->format),
                                       SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                       nullptr, nullptr));
    if (!scaler_ || av_frame_make_writable(frame) < 0) return false;
    ff::UseMatrix(scaler_.get(), matrix, false);
    const uint8_t* planes[4] = {argb, nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(rowBytes), 0, 0, 0};
    sws_scale(scaler_.get(), planes, strides, 0, frame->height, frame->data, frame->linesize);
    return true;
  }

 private:
  ff::SwsPtr scaler_;
};

ff::FramePtr NewFrame(int width, int height, AVPixelFormat format) {
  ff::FramePtr f(av_frame_alloc());
  f->width = width;
  f->height = height;
  f->format = format;
  if (av_frame_get_buffer(f.get(), 0) < 0) return nullptr;
  return f;
}

// H.264 and AAC in an MP4, MOV or Matroska file.
class MovieWriter : public MediaWriter::Impl {
 public:
  ~MovieWriter() override {
    if (output_ != nullptr) {
      if (output_->pb != nullptr) avio_closep(&output_->pb);
      avformat_free_context(output_);
    }
    if (!temp_.empty()) temp::Remove(temp_);
  }

  bool Open(const WriterSettings& s, const char* container, std::string* error) {
    settings_ = s;
    if (!CheckTarget(s.path, error)) return false;
    temp_ = temp::CreateBeside(s.path, error);
    if (temp_.empty()) return false;
    if (avformat_alloc_output_context2(&output_, nullptr, container, temp_.c_str()) < 0) {
      *error = "cannot make a " + std::string(container) + " file";
      return false;
    }
    if (!OpenVideo(error) || (s.withAudio && !OpenAudio(error))) return false;
    int err = AVERROR(ENOENT);
    temp::OpenRegistered(temp_, [&] { return (err = avio_open(&output_->pb, temp_.c_str(), AVIO_FLAG_WRITE)) >= 0; });
    if (err >= 0) err = avformat_write_header(output_, nullptr);
    if (err < 0) {
      *error = "cannot write " + s.path + ": " + ff::ErrorText(err);
      return false;
    }
    return true;
  }

  bool Video(const uint8_t* argb, long rowBytes, int64_t pts, std::string* error) override {
    if (!converter_.Convert(argb, rowBytes, matrix_, picture_.get())) return Fail("cannot convert a frame", error);
    picture_->pts = pts >= 0 ? pts : nextVideoPts_;
    if (picture_->pts > lastVideoPts_) frameSpacing_ = lastVideoPts_ >= 0 ? picture_->pts - lastVideoPts_ : 1;
    lastVideoPts_ = picture_->pts;
    nextVideoPts_ = picture_->pts + 1;
    return Encode(video_.get(), videoStream_, picture_.get(), error);
  }

  bool Audio(const float* interleaved, int count, std::string* error) override {
    if (!audio_) return true;
    pending_.insert(pending_.end(), interleaved, interleaved + 2 * static_cast<std::size_t>(count));
    return EncodeAudio(false, error);
  }

  bool Finish(std::string* error) override {
    if (!Encode(video_.get(), videoStream_, nullptr, error)) return false;
    if (audio_ && (!EncodeAudio(true, error) || !Encode(audio_.get(), audioStream_, nullptr, error))) return false;
    const int err = av_write_trailer(output_);
    avio_closep(&output_->pb);
    if (err < 0) return Fail("cannot finish " + settings_.path + ": " + ff::ErrorText(err), error);
    const std::string temp = std::exchange(temp_, {});
    if (!temp::Commit({{temp, settings_.path}}, error)) return false;
    outputs.push_back(settings_.path);
    return true;
  }

 private:
  bool OpenVideo(std::string* error) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (codec == nullptr) return Fail("this FFmpeg has no H.264 encoder", error);
    // 4:2:0 needs even sizes; odd ones keep full colour resolution instead.
    const bool even = settings_.width % 2 == 0 && settings_.height % 2 == 0;
    const AVPixelFormat format = even ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV444P;
    matrix_ = settings_.matrix.value_or(colour::DefaultMatrix(settings_.width, settings_.height));
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", "fast", 0);
    av_dict_set(&options, "crf", "18", 0);
    video_ = OpenEncoder(codec, [&](AVCodecContext* c) {
      c->width = settings_.width;
      c->height = settings_.height;
      c->pix_fmt = format;
      c->time_base = settings_.timeBaseDen > 0 ? AVRational{settings_.timeBaseNum, settings_.timeBaseDen}
                                               : AVRational{settings_.fpsDen, settings_.fpsNum};
      c->sample_aspect_ratio = AVRational{settings_.sarNum, settings_.sarDen};
      c->framerate = AVRational{settings_.fpsNum, settings_.fpsDen};
      c->gop_size = 2 * std::max(1, settings_.fpsNum / std::max(1, settings_.fpsDen));
      c->color_range = AVCOL_RANGE_MPEG;
      c->colorspace = matrix_ == colour::Matrix::kBt709 ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
      if (output_->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }, &options, error);
    av_dict_free(&options);
    if (!video_) return false;
    videoStream_ = avformat_new_stream(output_, nullptr);
    avcodec_parameters_from_context(videoStream_->codecpar, video_.get());
    videoStream_->time_base = video_->time_base;
    videoStream_->avg_frame_rate = video_->framerate;
    videoStream_->sample_aspect_ratio = video_->sample_aspect_ratio;
    picture_ = NewFrame(settings_.width, settings_.height, format);
    return picture_ != nullptr || Fail("out of memory", error);
  }

  bool OpenAudio(std::string* error) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (codec == nullptr) return Fail("this FFmpeg has no AAC encoder", error);
    audio_ = OpenEncoder(codec, [&](AVCodecContext* c) {
      c->sample_fmt = AV_SAMPLE_FMT_FLTP;
      c->sample_rate = 48000;
      c->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
      c->bit_rate = 160000;
      c->time_base = AVRational{1, 48000};
      if (output_->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }, nullptr, error);
    if (!audio_) return false;
    audioStream_ = avformat_new_stream(output_, nullptr);
    avcodec_parameters_from_context(audioStream_->codecpar, audio_.get());
    audioStream_->time_base = audio_->time_base;
    return true;
  }

  // Feeds whole encoder frames of pending sound; at the end also the last partial one.
  bool EncodeAudio(bool flush, std::string* error) {
    const int size = audio_->frame_size > 0 ? audio_->frame_size : 1024;
    while (pending_.size() >= 2u * size || (flush && !pending_.empty())) {
      const int n = static_cast<int>(std::min<std::size_t>(size, pending_.size() / 2));
      ff::FramePtr f(av_frame_alloc());
      f->nb_samples = n;
      f->format = AV_SAMPLE_FMT_FLTP;
      f->sample_rate = 48000;
      av_channel_layout_copy(&f->ch_layout, &audio_->ch_layout);
      if (av_frame_get_buffer(f.get(), 0) < 0) return Fail("out of memory", error);
      for (int i = 0; i < n; ++i)
        for (int ch = 0; ch < 2; ++ch) reinterpret_cast<float*>(f->data[ch])[i] = pending_[2 * i + ch];
      pending_.erase(pending_.begin(), pending_.begin() + 2 * n);
      f->pts = nextAudioPts_;
      nextAudioPts_ += n;
      if (!Encode(audio_.get(), audioStream_, f.get(), error)) return false;
    }
    return true;
  }

  bool Encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame, std::string* error) {
    int err = avcodec_send_frame(codec, frame);
    if (err < 0 && err != AVERROR_EOF) return Fail("cannot encode: " + ff::ErrorText(err), error);
    ff::PacketPtr packet(av_packet_alloc());
    while ((err = avcodec_receive_packet(codec, packet.get())) == 0) {
      // The encoder leaves durations out; the muxer needs the last one for the clip's length.
      if (codec == video_.get() && packet->duration <= 0) packet->duration = frameSpacing_;
      av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if ((err = av_interleaved_write_frame(output_, packet.get())) < 0)
        return Fail("cannot write " + settings_.path + ": " + ff::ErrorText(err), error);
    }
    return err == AVERROR(EAGAIN) || err == AVERROR_EOF || Fail("cannot encode: " + ff::ErrorText(err), error);
  }

  WriterSettings settings_;
  std::string temp_;
  AVFormatContext* output_ = nullptr;
  ff::CodecPtr video_, audio_;
  AVStream* videoStream_ = nullptr;
  AVStream* audioStream_ = nullptr;
  ff::FramePtr picture_;
  PictureConverter converter_;
  colour::Matrix matrix_ = colour::Matrix::kBt601;  // the one the file is tagged with
  int64_t nextVideoPts_ = 0, nextAudioPts_ = 0, lastVideoPts_ = -1, frameSpacing_ = 1;
  std::vector<float> pending_;
};

// Drops the alpha byte: ARGB rows into the packed RGB rows PNG pictures are encoded from.
// Done here rather than by swscale, whose packed-RGB path reads a byte past the source.
void ArgbToRgb(const uint8_t* argb, long rowBytes, AVFrame* rgb) {
  for (int y = 0; y < rgb->height; ++y) {
    const uint8_t* s = argb + y * rowBytes;
    uint8_t* d = rgb->data[0] + static_cast<std::ptrdiff_t>(y) * rgb->linesize[0];
    for (int x = 0; x < rgb->width; ++x, s += 4, d += 3) d[0] = s[1], d[1] = s[2], d[2] = s[3];
  }
}

// PNG pictures: one file, or one per frame numbered from `firstNumber`.
class PngWriter : public MediaWriter::Impl {
 public:
  ~PngWriter() override {
    for (const auto& [temp, target] : moves_) temp::Remove(temp);
  }

  bool Open(const WriterSettings& s, std::string* error) {
    settings_ = s;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (codec == nullptr) return Fail("this FFmpeg has no PNG encoder", error);
    encoder_ = OpenEncoder(codec, [&](AVCodecContext* c) {
      c->width = s.width;
      c->height = s.height;
      c->pix_fmt = AV_PIX_FMT_RGB24;
      c->time_base = AVRational{s.fpsDen, s.fpsNum};
    }, nullptr, error);
    picture_ = NewFrame(s.width, s.height, AV_PIX_FMT_RGB24);
    // Check up front that the place is writable, so a long render does not fail at its end.
    if (!encoder_) return false;
    if (!picture_) return Fail("out of memory", error);
    if (!CheckTarget(Target(0), error)) return false;
    const std::string probe = temp::CreateBeside(s.path, error);
    if (probe.empty()) return false;
    temp::Remove(probe);
    return true;
  }

  bool Video(const uint8_t* argb, long rowBytes, int64_t, std::string* error) override {
    const std::string target = Target(static_cast<int64_t>(moves_.size()));
    if (!CheckTarget(target, error)) return false;
    if (av_frame_make_writable(picture_.get()) < 0) return Fail("out of memory", error);
    ArgbToRgb(argb, rowBytes, picture_.get());
    picture_->pts = static_cast<int64_t>(moves_.size());
    ff::PacketPtr packet(av_packet_alloc());
    if (avcodec_send_frame(encoder_.get(), picture_.get()) < 0 ||
        avcodec_receive_packet(encoder_.get(), packet.get()) < 0)
      return Fail("cannot encode a PNG picture", error);
    const std::string temp = temp::CreateBeside(target, error);
    if (temp.empty()) return false;
    moves_.emplace_back(temp, target);
    std::ofstream out;
    temp::OpenRegistered(temp, [&] {
      out.open(temp, std::ios::binary | std::ios::trunc);
      return out.is_open();
    });
    out.write(reinterpret_cast<const char*>(packet->data), packet->size);
    out.close();
    return out.good() || Fail("cannot write " + temp + ": " + std::strerror(errno), error);
  }

  bool Finish(std::string* error) override {
    const auto moves = std::exchange(moves_, {});
    if (!temp::Commit(moves, error)) return false;
    for (const auto& [temp, target] : moves) outputs.push_back(target);
    return true;
  }

 private:
  std::string Target(int64_t index) const {
    return settings_.singleImage ? settings_.path : MediaWriter::SequenceName(settings_.path, settings_.firstNumber + index);
  }

  WriterSettings settings_;
  ff::CodecPtr encoder_;
  ff::FramePtr picture_;
  std::vector<temp::Move> moves_;
};

}  // namespace

bool MediaWriter::KnownExtension(const std::string& path) {
  const std::string ext = Extension(path);
  return ext == ".png" || ContainerFor(ext) != nullptr;
}

bool MediaWriter::WritesSequence(const std::string& path) { return Extension(path) == ".png"; }

std::string MediaWriter::SequenceName(const std::string& path, int64_t number) {
  const fs::path p(path);
  char digits[32];
  std::snprintf(digits, sizeof digits, "-%04lld", static_cast<long long>(number));
  return (p.parent_path() / (p.stem().string() + digits + p.extension().string())).string();
}

bool MediaWriter::CheckSize(const std::string& path, int width, int height, std::string* error) {
  if (width <= 0 || height <= 0) return Fail("nothing to write: the picture size is empty", error);
  if (Extension(path) == ".png") {
    // FFmpeg's own limit on any picture it encodes, margins included.
    const int64_t area = (int64_t{width} + 128) * (int64_t{height} + 128);
    return area < INT32_MAX / 8 ||
           Fail(SizeText(width, height) + " is too large for a PNG picture (16000x16000 is the largest square): choose a smaller --size", error);
  }
  // libx264 takes at most 16384 on a side, and level 6.2, the highest, at most 139264
  // macroblocks of 16x16 (8192x4352); larger streams would not play anywhere.
  const int64_t blocks = int64_t{(width + 15) / 16} * ((height + 15) / 16);
  return (width <= 16384 && height <= 16384 && blocks <= 139264) ||
         Fail(SizeText(width, height) + " is too large for H.264 video (at most 8192x4352 or the same area, and 16384 on a side): choose a smaller --size or write .png pictures", error);
}

std::unique_ptr<MediaWriter> MediaWriter::Create(const WriterSettings& settings, std::string* error) {
  ff::KeepQuiet();
  const std::string ext = Extension(settings.path);
  if (!CheckSize(settings.path, settings.width, settings.height, error)) return nullptr;
  if (ext == ".png") {
    auto png = std::make_unique<PngWriter>();
    if (!png->Open(settings, error)) return nullptr;
    return std::unique_ptr<MediaWriter>(new MediaWriter(std::move(png)));
  }
  const char* container = ContainerFor(ext);
  if (container == nullptr) {
    *error = "cannot tell what to write from the extension of " + settings.path +
             " (use .mp4, .mov, .mkv or .png)";
    return nullptr;
  }
  auto movie = std::make_unique<MovieWriter>();
  if (!movie->Open(settings, container, error)) return nullptr;
  return std::unique_ptr<MediaWriter>(new MediaWriter(std::move(movie)));
}

MediaWriter::MediaWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MediaWriter::~MediaWriter() = default;

bool MediaWriter::WriteVideo(const uint8_t* argb, long rowBytes, std::string* error, int64_t pts) {
  return impl_->Video(argb, rowBytes, pts, error);
}
bool MediaWriter::WriteAudio(const float* interleaved, int count, std::string* error) {
  return impl_->Audio(interleaved, count, error);
}
bool MediaWriter::Finish(std::string* error) { return impl_->Finish(error); }
const std::vector<std::string>& MediaWriter::outputs() const { return impl_->outputs; }

}  // namespace vantiro
