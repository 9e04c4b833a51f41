// The filter's description for the host: type, flags, memory, the three host sliders with
// their labels, the custom button's title and the group, texts from the bundle.
#pragma once

#include "host/HostInterface.h"

HYPluginResult EffectGetInfo(int16_t which, PluginParams* params);
void SetFilterParamInfo(int16_t which, PluginParams* params);

// Copies a length-prefixed text into a host text buffer of `capacity` bytes, cut to fit
// and always zero-terminated.
void CopyToHostText(char* dest, size_t capacity, ConstStr255Param text);
