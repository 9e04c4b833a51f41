// The host's custom button: opens the settings dialog on the clip's current frame.
#pragma once

#include "host/HostInterface.h"

// kPlugCustomButtonClick. Fetches the frame at the clip position last rendered, at the
// full size of the configured video format, and runs the dialog on it; always kPluginOK.
HYPluginResult CustomButton(int16_t which, PluginParams* params);
