// The plug-in's entry: checks the parameter block, initialises the plug-in once and
// dispatches the host's selector to its handler.
#pragma once

#include "host/HostInterface.h"

// Every selector handler has this shape; `which` is passed along and never used.
typedef HYPluginResult (*PlugHandler)(int16_t which, PluginParams* params);

#ifdef __cplusplus
extern "C" {
#endif

// What the bundle's exported `main` calls.
int32_t PlugMain(int32_t which, PluginParams* params);

#ifdef __cplusplus
}

#include "model/PluginDefines.h"

// The one-time initialisation of the master record: settings file, defaults, saved
// settings on top, written straight back.
void InitMyPlugIn(pluginDataPtr* theData);
void InitPluginData(pluginDataPtr theConfig);
#endif
