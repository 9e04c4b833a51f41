// The effect: the part of the source under the rectangle, scaled about the rectangle's
// centre by the width and height sliders, turned by the rotation slider and drawn over the
// background colour.
#pragma once

#include <cstdint>

#include "model/PluginDefines.h"
#include "platform/quickdraw/QuickDraw.h"

// startRel scaled about its centre by the width and height sliders (percent added to 100 %).
// A factor below zero (a slider under -100) reverses the rectangle, which draws the picture
// mirrored across that axis; a factor of zero leaves no area, so only the background shows.
relRect ScaleRelAboutCenter(const relRect& startRel, int16_t sx, int16_t sy);

// Renders the whole of `dest` (same size as `source`; the two may be one buffer).
// `activeRect` is the configuration's startRel in pixels of `dest`. `copyRest`, the frame
// index and the frame count change nothing: every frame of a clip is rendered alike.
void theLineEffect(GWorldPtr source, GWorldPtr dest, Rect activeRect, Boolean copyRest, pluginDataPtr theConfig,
                   int32_t currFrame, int32_t maxFrame);
