// The render driver: how the host's render pass and the settings dialog's preview reach
// the effect, both with the same rectangle rule.
#pragma once

#include <cstdint>

#include "host/HostInterface.h"
#include "model/PluginDefines.h"

// The host's per-frame entry. Only the configuration, the frame index and the frame count
// travel on; the parameter block, fades, host slider values and opacity play no part
// (opacity is neither read nor written). The current port and device are left as found.
void DoEffect(pluginDataPtr myConfig, PluginParams* params, GWorldPtr theSource, GWorldPtr theTarget,
              int32_t currentFrameIndex, int32_t fadeInFrames, int32_t fadeOutFrames, int32_t totalFrames, double s1,
              double s2, double s3, int16_t* opacity);

// startRel of theConfig converted against dest's bounds, then PixelDrive.
void DoPascalPixelEffect(GWorldPtr source, GWorldPtr dest, pluginDataPtr theConfig, int32_t currentFrameIndex,
                         int32_t maxFrames);

// The same with the configuration and frame numbers of the open settings dialog.
void CallPixelEffect(GWorldPtr source, GWorldPtr dest);

void PixelDrive(GWorldPtr source, GWorldPtr dest, Rect theRect, pluginDataPtr theConfig, int32_t currentFrame,
                int32_t numFrames);
