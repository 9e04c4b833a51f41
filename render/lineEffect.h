// The effect: the part of the source under the rectangle, scaled about the rectangle's
// centre by the width and height sliders, turned by the rotation slider and drawn over the
// background colour.
#pragma once

#include <cstdint>

#include "model/PluginDefines.h"
#include "platform/quickdraw/QuickDraw.h"

// Renders the whole of `dest` (same size as `source`; the two may be one buffer).
// `activeRect` is the configuration's startRel in pixels of `dest`. `copyRest`, the frame
// index and the frame count change nothing: every frame of a clip is rendered alike.
void theLineEffect(GWorldPtr source, GWorldPtr dest, Rect activeRect, Boolean copyRest, pluginDataPtr theConfig,
                   int32_t currFrame, int32_t maxFrame);
