#include "app/media/Ffmpeg.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace vantiro::ff {
namespace {

std::atomic<bool> gVerbose{false};
std::mutex gErrorsMutex;
std::string gErrors;

// Called on whichever thread logs, decoder and encoder threads included.
void Log(void* context, int level, const char* format, va_list args) {
  if (level <= AV_LOG_ERROR) {
    va_list copy;
    va_copy(copy, args);
    char line[512];
    int prefix = 0;
    av_log_format_line2(context, level, format, copy, line, sizeof line, &prefix);
    va_end(copy);
    const std::lock_guard lock(gErrorsMutex);
    if (gErrors.size() < 16384) gErrors += line;
  }
  if (gVerbose) av_log_default_callback(context, level, format, args);
}

void Install() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_callback(Log); });
}

// "Picture size 30000x30000 is invalid", as FFmpeg words a size it will not decode.
bool TooLargeText(const std::string& logged, std::string* size) {
  unsigned width = 0, height = 0;
  const auto at = logged.find("Picture size ");
  if (at == std::string::npos || std::sscanf(logged.c_str() + at, "Picture size %ux%u", &width, &height) != 2)
    return false;
  *size = std::to_string(width) + "x" + std::to_string(height);
  return true;
}

// What went wrong opening `path`, for a person: FFmpeg's error codes are often errno
// values that describe some other call.
std::string Explain(const std::string& path, int err) {
  std::string size;
  if (TooLargeText(LoggedErrors(), &size))
    return path + " holds pictures of " + size + ", larger than FFmpeg decodes; make a smaller copy of it first";
  if (err == AVERROR(ENOENT)) return path + " does not exist";
  if (err == AVERROR(EACCES)) return "cannot read " + path + ": permission denied";
  if (err == AVERROR_INVALIDDATA)
    return path + " is damaged or not a video or picture file; check that it plays in a player";
  return "cannot read " + path + ": it is damaged or in a form FFmpeg does not read";
}

}  // namespace

std::string ErrorText(int err) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, text, sizeof text);
  return text;
}

void SetVerbose(bool verbose) {
  gVerbose = verbose;
  av_log_set_level(verbose ? AV_LOG_INFO : AV_LOG_QUIET);
  Install();
}

void KeepQuiet() { Install(); }

std::string LoggedErrors() {
  const std::lock_guard lock(gErrorsMutex);
  return gErrors;
}

void ForgetLoggedErrors() {
  const std::lock_guard lock(gErrorsMutex);
  gErrors.clear();
}

bool OpenDecoder(const std::string& path, AVMediaType type, InputPtr* input, CodecPtr* codec,
                 int* stream, std::string* error) {
  KeepQuiet();
  ForgetLoggedErrors();
  AVFormatContext* raw = nullptr;
  int err = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (err < 0) {
    *error = Explain(path, err);
    return false;
  }
  input->reset(raw);
  std::string size;
  if ((err = avformat_find_stream_info(raw, nullptr)) < 0 || TooLargeText(LoggedErrors(), &size)) {
    *error = Explain(path, err);
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

colour::Matrix MatrixOf(AVColorSpace tag, int width, int height) {
  switch (tag) {
    case AVCOL_SPC_BT709: return colour::Matrix::kBt709;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: return colour::Matrix::kBt601;
    default: return colour::DefaultMatrix(width, height);
  }
}

void UseMatrix(SwsContext* scaler, colour::Matrix matrix, bool fullRange) {
  const int* table = sws_getCoefficients(matrix == colour::Matrix::kBt709 ? SWS_CS_ITU709 : SWS_CS_ITU601);
  // swscale counts RGB as full range whatever it is told; the Y'CbCr side is the one that matters.
  sws_setColorspaceDetails(scaler, table, fullRange, table, fullRange, 0, 1 << 16, 1 << 16);
}

}  // namespace vantiro::ff
