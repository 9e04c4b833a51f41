#include "frei0r/Parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantiro::frei0r {

namespace {

const f0r_param_info_t kInfo[kParamCount] = {
    {"fade_in", F0R_PARAM_DOUBLE, "frames over which the effect fades in (0: none)"},
    {"fade_out", F0R_PARAM_DOUBLE, "frames over which the effect fades out at the clip's end (needs clip_length)"},
    {"clip_length", F0R_PARAM_DOUBLE, "length of the clip in frames (0: unknown, no fade-out)"},
    {"fps", F0R_PARAM_DOUBLE, "frames per second, to turn time into frame numbers (default 25)"},
    {"milliseconds", F0R_PARAM_BOOL, "the host's time is in milliseconds (FFmpeg) rather than seconds"},
    {"left", F0R_PARAM_DOUBLE, "left edge of the rectangle, a fraction of the frame's width (0)"},
    {"right", F0R_PARAM_DOUBLE, "right edge of the rectangle, a fraction of the frame's width (1)"},
    {"top", F0R_PARAM_DOUBLE, "top edge of the rectangle, a fraction of the frame's height (0)"},
    {"bottom", F0R_PARAM_DOUBLE, "bottom edge of the rectangle, a fraction of the frame's height (1)"},
    {"width_change", F0R_PARAM_DOUBLE, "width change, 0..1 for -100..+200 % (1/3: unchanged)"},
    {"height_change", F0R_PARAM_DOUBLE, "height change, 0..1 for -100..+200 % (1/3: unchanged)"},
    {"rotation", F0R_PARAM_DOUBLE, "rotation, 0..1 for -100..+100 % of a turn counter-clockwise (0.5: none)"},
    {"background", F0R_PARAM_COLOR, "colour around the picture (white)"},
    {"use_saved_settings", F0R_PARAM_BOOL, "render the settings saved with vantiro configure instead"}};

std::string Message(int index, double value, const char* what) {
  char text[160];
  std::snprintf(text, sizeof text, "vantiro: parameter %s = %g: %s", kInfo[index].name, value, what);
  return text;
}

// Stores v clamped to lo..hi; a NaN is refused.
std::string SetClamped(double& field, int index, double v, double lo, double hi) {
  if (std::isnan(v)) return Message(index, v, "refused, the value stays");
  field = std::clamp(v, lo, hi);
  return field == v ? std::string() : Message(index, v, "out of range, clamped");
}

std::string SetBool(bool& field, int index, double v) {
  if (std::isnan(v)) return Message(index, v, "refused, the value stays");
  field = v >= 0.5;
  return {};
}

std::string SetColour(f0r_param_color_t& field, int index, const f0r_param_color_t& c) {
  if (std::isnan(c.r) || std::isnan(c.g) || std::isnan(c.b)) return Message(index, NAN, "refused, the colour stays");
  const f0r_param_color_t clamped{std::clamp(c.r, 0.0f, 1.0f), std::clamp(c.g, 0.0f, 1.0f), std::clamp(c.b, 0.0f, 1.0f)};
  field = clamped;
  return clamped.r == c.r && clamped.g == c.g && clamped.b == c.b ? std::string()
                                                                  : Message(index, std::max({c.r, c.g, c.b}) > 1 ? std::max({c.r, c.g, c.b}) : std::min({c.r, c.g, c.b}),
                                                                            "channels outside 0..1, clamped");
}

uint16_t Channel(float c) { return static_cast<uint16_t>(std::lround(double(c) * 65535.0)); }

}  // namespace

const f0r_param_info_t* ParamInfo(int index) {
  return index >= 0 && index < kParamCount ? &kInfo[index] : nullptr;
}

std::string SetParam(Values& values, int index, const void* param) {
  if (param == nullptr || index < 0 || index >= kParamCount) return "vantiro: no such parameter, ignored";
  if (index == kBackground) return SetColour(values.background, index, *static_cast<const f0r_param_color_t*>(param));
  const double v = *static_cast<const double*>(param);
  switch (index) {
    case kFadeIn: return SetClamped(values.fadeIn, index, v, 0, 1e9);
    case kFadeOut: return SetClamped(values.fadeOut, index, v, 0, 1e9);
    case kClipLength: return SetClamped(values.clipLength, index, v, 0, 1e9);
    case kFps: return SetClamped(values.fps, index, v, 1e-3, 1e6);
    case kMilliseconds: return SetBool(values.milliseconds, index, v);
    case kUseSavedSettings: return SetBool(values.useSavedSettings, index, v);
    case kWidthChange: return SetClamped(values.widthChange, index, v, 0, 1);
    case kHeightChange: return SetClamped(values.heightChange, index, v, 0, 1);
    case kRotation: return SetClamped(values.rotation, index, v, 0, 1);
    default: return SetClamped(values.edges[index - kLeft], index, v, 0, 1);
  }
}

void GetParam(const Values& values, int index, void* param) {
  if (param == nullptr || index < 0 || index >= kParamCount) return;
  if (index == kBackground) {
    *static_cast<f0r_param_color_t*>(param) = values.background;
    return;
  }
  double v = 0;
  switch (index) {
    case kFadeIn: v = values.fadeIn; break;
    case kFadeOut: v = values.fadeOut; break;
    case kClipLength: v = values.clipLength; break;
    case kFps: v = values.fps; break;
    case kMilliseconds: v = values.milliseconds ? 1 : 0; break;
    case kUseSavedSettings: v = values.useSavedSettings ? 1 : 0; break;
    case kWidthChange: v = values.widthChange; break;
    case kHeightChange: v = values.heightChange; break;
    case kRotation: v = values.rotation; break;
    default: v = values.edges[index - kLeft]; break;
  }
  *static_cast<double*>(param) = v;
}

double WidthChangePercent(double fraction) { return -100.0 + 300.0 * fraction; }
double RotationPercent(double fraction) { return -100.0 + 200.0 * fraction; }

HYPluginEffectSettings EffectSettings(const Values& v) {
  HYPluginEffectSettings s{};
  s.left = v.edges[0];
  s.right = v.edges[1];
  s.top = v.edges[2];
  s.bottom = v.edges[3];
  s.widthChange = WidthChangePercent(v.widthChange);
  s.heightChange = WidthChangePercent(v.heightChange);
  s.rotation = RotationPercent(v.rotation);
  s.background = RGBColor{Channel(v.background.r), Channel(v.background.g), Channel(v.background.b)};
  return s;
}

}  // namespace vantiro::frei0r
