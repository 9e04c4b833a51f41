#include "app/media/Ffmpeg.h"

namespace vantiro::ff {

std::string ErrorText(int err) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, text, sizeof text);
  return text;
}

void KeepQuiet() {
  // Codecs report their statistics at the default level; vantiro reports its own progress.
  static const bool once = [] {
    av_log_set_level(AV_LOG_ERROR);
    return true;
  }();
  (void)once;
}

bool OpenDecoder(const std::string& path, AVMediaType type, InputPtr* input, CodecPtr* codec,
                 int* stream, std::string* error) {
  KeepQuiet();
  AVFormatContext* raw = nullptr;
  int err = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (err < 0) {
    *error = "cannot open " + path + ": " + ErrorText(err);
    return false;
  }
  input->reset(raw);
  if ((err = avformat_find_stream_info(raw, nullptr)) < 0) {
    *error = "cannot read " + path + ": " + ErrorText(err);
    return false;
  }
  const AVCodec* decoder = nullptr;
  *stream = av_find_best_stream(raw, type, -1, -1, &decoder, 0);
  if (*stream < 0 || decoder == nullptr) {
    *error = path + " has no " + (type == AVMEDIA_TYPE_VIDEO ? "picture" : "sound") + " that can be decoded";
    return false;
  }
  codec->reset(avcodec_alloc_context3(decoder));
  avcodec_parameters_to_context(codec->get(), raw->streams[*stream]->codecpar);
  (*codec)->thread_count = 0;  // as many as the machine has
  if ((err = avcodec_open2(codec->get(), decoder, nullptr)) < 0) {
    *error = "cannot decode " + path + ": " + ErrorText(err);
    return false;
  }
  return true;
}

}  // namespace vantiro::ff
