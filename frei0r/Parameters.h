// The filter's frei0r parameters: their descriptions, one instance's values, and how those
// values become the plug-in's settings. Hosts pass parameters by position (FFmpeg) or by name
// (MLT, GStreamer), so positions never change and names are lower case with underscores.
//
// The effect's own parameters follow frei0r's convention of 0..1 doubles:
//   left, right, top, bottom   the rectangle's edges as fractions of the frame (0, 1, 0, 1)
//   width_change               0..1 onto -100..+200 %, linearly: 1/3 leaves the width alone
//   height_change              the same for the height
//   rotation                   0..1 onto -100..+100 % of a full turn: 0.5 does not turn
//   background                 the colour around the picture (white)
//   use_saved_settings         render the settings saved with vantiro configure or
//                              vantiro settings instead of the ones above (off)
// The first five are plain numbers, not fractions: fade_in, fade_out and clip_length in frames,
// fps, and milliseconds (the host's time is in milliseconds, as FFmpeg's; MLT's is seconds).
#pragma once

extern "C" {
#include <frei0r.h>
}

#include <string>

#include "host/HostInterface.h"

namespace vantiro::frei0r {

inline constexpr int kParamCount = 14;

enum Param {
  kFadeIn, kFadeOut, kClipLength, kFps, kMilliseconds,
  kLeft, kRight, kTop, kBottom, kWidthChange, kHeightChange, kRotation, kBackground, kUseSavedSettings
};

struct Values {
  double fadeIn = 0, fadeOut = 0, clipLength = 0, fps = 25;
  bool milliseconds = false;
  double edges[4] = {0, 1, 0, 1};  // left, right, top, bottom
  double widthChange = 1.0 / 3, heightChange = 1.0 / 3, rotation = 0.5;
  f0r_param_color_t background{1, 1, 1};
  bool useSavedSettings = false;
};

// The description of parameter `index`; nullptr outside 0..kParamCount-1.
const f0r_param_info_t* ParamInfo(int index);

// Stores a host's value. A value out of range is clamped and a NaN or an unknown index is
// refused (the value stays); either way the returned text says so, empty when all is well.
std::string SetParam(Values& values, int index, const void* param);
void GetParam(const Values& values, int index, void* param);

// The dialog's units for the sliders, from the parameters' 0..1.
double WidthChangePercent(double fraction);
double RotationPercent(double fraction);

HYPluginEffectSettings EffectSettings(const Values& values);

}  // namespace vantiro::frei0r
