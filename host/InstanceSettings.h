// Settings a host keeps per instance (editors, filter graphs), laid over a pass's own copy
// of the configuration. The master record is never touched, so no instance sees another's.
#pragma once

#include "host/HostInterface.h"
#include "model/PluginDefines.h"

// Asks a host of interface version 5 or later for the instance's settings and, when it
// answers kPluginOK, overlays them onto `config`. Any other answer, or an older host, leaves
// `config` as it is. Returns whether the host's settings were applied.
bool OverlayInstanceSettings(const PluginParams* params, pluginDataPtr config);

// Lays `settings` over `config`: values clamped to what the settings dialog allows (the
// rectangle within the frame with its edges in order, the sliders within their ranges and
// rounded to whole percent); a NaN leaves the field as it was.
void ApplyEffectSettings(const HYPluginEffectSettings& settings, pluginDataPtr config);
