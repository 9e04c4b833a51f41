// Process-wide state of the plug-in. The host calls one request at a time on one thread,
// so these are read and written without locks.
#pragma once

#include <cstdint>

#include "model/PluginDefines.h"

extern bool gPascalInited;             // the one-time initialisation hook has run
extern pluginDataPtr gPascalData;      // the master configuration, never released
extern int32_t gMostRecentStartFrame;  // clip position of the frame last rendered
extern int32_t gMostRecentFrameCount;
