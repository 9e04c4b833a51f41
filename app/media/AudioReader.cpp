#include "app/media/AudioReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/media/Ffmpeg.h"

namespace vantiro {

struct AudioReader::State {
  ff::InputPtr input;
  ff::CodecPtr codec;
  int stream = -1;
  ff::SwrPtr resampler;
  ff::FifoPtr fifo;
  ff::FramePtr frame{av_frame_alloc()};
  ff::PacketPtr packet{av_packet_alloc()};
  int64_t fifoStart = 0;  // sample position of the first sample in the fifo
  bool ended = false;

  // Decodes more sound into the fifo; false when there is none left.
  bool Refill() {
    while (!ended) {
      const int got = avcodec_receive_frame(codec.get(), frame.get());
      if (got == 0) {
        const int64_t out = swr_get_out_samples(resampler.get(), frame->nb_samples);
        std::vector<float> buffer(static_cast<std::size_t>(std::max<int64_t>(out, 0) * kChannels));
        uint8_t* dst[1] = {reinterpret_cast<uint8_t*>(buffer.data())};
        const int n = swr_convert(resampler.get(), dst, static_cast<int>(out),
                                  const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        if (n > 0) av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(dst), n);
        return true;
      }
      if (got != AVERROR(EAGAIN)) {
        ended = true;
        break;
      }
      if (av_read_frame(input.get(), packet.get()) < 0) {
        avcodec_send_packet(codec.get(), nullptr);
        continue;
      }
      if (packet->stream_index == stream) avcodec_send_packet(codec.get(), packet.get());
      av_packet_unref(packet.get());
    }
    return false;
  }

  // Going back starts over from the beginning and decodes forward: exact, and only
  // needed when a caller reads out of order.
  void Rewind() {
    const AVStream* st = input->streams[stream];
    av_seek_frame(input.get(), stream, st->start_time != AV_NOPTS_VALUE ? st->start_time : 0,
                  AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec.get());
    swr_init(resampler.get());
    av_audio_fifo_reset(fifo.get());
    ended = false;
    fifoStart = 0;
  }
};

std::unique_ptr<AudioReader> AudioReader::Open(const std::string& path) {
  auto s = std::make_unique<State>();
  std::string ignored;
  if (!ff::OpenDecoder(path, AVMEDIA_TYPE_AUDIO, &s->input, &s->codec, &s->stream, &ignored)) return nullptr;
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  SwrContext* swr = nullptr;
  if (swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_FLT, kRate, &s->codec->ch_layout,
                          s->codec->sample_fmt, s->codec->sample_rate, 0, nullptr) < 0 ||
      swr_init(swr) < 0) {
    swr_free(&swr);
    return nullptr;
  }
  s->resampler.reset(swr);
  s->fifo.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLT, kChannels, kRate));
  return std::unique_ptr<AudioReader>(new AudioReader(std::move(s)));
}

AudioReader::AudioReader(std::unique_ptr<State> state) : s_(std::move(state)) {}
AudioReader::~AudioReader() = default;

void AudioReader::Read(int64_t first, int count, float* out) {
  std::memset(out, 0, sizeof(float) * static_cast<std::size_t>(count) * kChannels);
  if (first < s_->fifoStart) s_->Rewind();
  // Skip what lies before `first`.
  while (s_->fifoStart < first) {
    const int have = av_audio_fifo_size(s_->fifo.get());
    if (have == 0 && !s_->Refill()) return;
    const int skip = static_cast<int>(std::min<int64_t>(first - s_->fifoStart, av_audio_fifo_size(s_->fifo.get())));
    av_audio_fifo_drain(s_->fifo.get(), skip);
    s_->fifoStart += skip;
  }
  while (av_audio_fifo_size(s_->fifo.get()) < count && s_->Refill()) {
  }
  void* dst[1] = {out};
  const int got = av_audio_fifo_read(s_->fifo.get(), dst, count);
  if (got > 0) s_->fifoStart += got;
}

}  // namespace vantiro
