// The settings file "vloqa-Prefs" in the preferences folder: a resource file holding the
// saved settings as resource 'Pref' 1 "Config Settings".
#pragma once

#include "model/PluginDefines.h"

// Creates the settings file, empty, when it is missing.
void EnsurePrefsFile();

// Replaces the stored record with this configuration; true when it was written. A file
// that is not a readable resource file is kept beside it as "vloqa-Prefs.damaged" and
// replaced by a new one.
bool SaveConfig(pluginDataPtr theConfig);

// Overlays a valid stored record onto the configuration; false, with the configuration
// untouched, when there is none.
bool ReadConfig(pluginDataPtr theConfig);
