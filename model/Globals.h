// Process-wide state of the plug-in. The host calls one request at a time on one thread,
// so these are read and written without locks.
#pragma once

#include <cstdint>

#include "model/PluginDefines.h"

extern bool gPascalInited;             // the one-time initialisation hook has run
extern pluginDataPtr gPascalData;      // the master configuration, never released
extern int32_t gMostRecentStartFrame;  // clip position of the frame last rendered
extern int32_t gMostRecentFrameCount;

// The settings dialog's working state; it exists while the dialog is open.
struct pluginWorkSpace {
  pluginDataPtr theConfig;      // the record being edited, changed in place
  struct PluginParams* iMovieParams;  // for fetching further frames
  GWorldPtr sourceClip;         // the frame previewed now (the caller's buffer)
  GWorldPtr theFXclip;          // the processed preview, same bounds
  int32_t currFrameIndex;       // clip position of the previewed frame
  int32_t minFrameIndex;        // host frame index of clip position 0
  int32_t maxFrameIndex;        // highest clip position
  int16_t activeRel;            // 1: the start rectangle is edited
  ControlRef theFrameCtrl;
  ControlRef sliders[6];
  ControlRef clipSlider;
  ControlRef colors[6];
  WindowRef theWindow;
};

extern pluginWorkSpace gConfigWorkSpace;
