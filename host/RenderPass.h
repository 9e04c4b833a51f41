// A render pass: kPlugInitialize takes a private copy of the configuration and the host's
// fade lengths, kPlugDoFrame renders one frame into the host's output and fades it in or
// out by laying the untouched source over it, kPlugTerminate frees the pass.
#pragma once

#include "host/HostInterface.h"
#include "model/PluginDefines.h"

// The pass record, kept in the parameter block's clientData between requests.
struct EffectData {
  int32_t frameCount;         // not used
  int32_t effectSourceCount;  // one source clip
  float sliderValues[3];      // the host's sliders, carried along
  int32_t fadeInFrames;       // after clamping to the clip
  int32_t fadeOutFrames;
  GWorldPtr effectGWorld;     // scratch buffer of the frame being rendered; nil between frames
  pluginDataPtr pascalData;   // the pass's own copy of the configuration
};

HYPluginResult EffectBegin(int16_t which, PluginParams* params);
HYPluginResult EffectDrive(int16_t which, PluginParams* params);
HYPluginResult EffectEnd(int16_t which, PluginParams* params);
HYPluginResult MakeEffectPlaceHolder(int16_t which, PluginParams* params);
HYPluginResult ApplyEffect(GWorldPtr sourceFrame, PluginParams* params);
void ApplyLineArtEffect(GWorldPtr sourceFrame, GWorldPtr targetFrame, PluginParams* params);

// The opacity at which the source covers frame `r` of a clip of `n` frames with the given
// fades: 255 hides the effect, 0 shows it alone. Always within 0..255.
int16_t FadeOpacity(int32_t r, int32_t n, int32_t fadeIn, int32_t fadeOut);

// Whether frame `r` lies inside a fade.
bool IsFaded(int32_t r, int32_t n, int32_t fadeIn, int32_t fadeOut);
