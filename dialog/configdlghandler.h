// The settings dialog: opens the window of the configured video format on a frame of the
// clip, edits the configuration in place while the user works, and saves it on OK or
// puts it back as it was on Cancel.
#pragma once

#include <cstdint>

#include "host/HostInterface.h"
#include "model/PluginDefines.h"
#include "platform/events/CarbonEvents.h"

// Runs the dialog modally on `theGW` (the frame at `firstFrameIndex` of a clip of
// `numberOfFrames` frames) and returns when it is closed.
void ConfigurePlugIn(pluginDataPtr theData, GWorldPtr theGW, PluginParams* params, int32_t firstFrameIndex,
                     int32_t numberOfFrames);

// The dialog's window passes: one per video format chosen, until OK or Cancel.
void DoConfig(pluginDataPtr theConfig);

// Fill a window from the configuration.
void SetupDialog(WindowRef theWindow, pluginDataPtr theConfig);
void SetupColors(WindowRef theWindow, pluginDataPtr theConfig);
void Config2Dlg(pluginDataPtr theConfig);

// The command handler of the settings window (user data: the window).
OSStatus TheDialogHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void* userData);

// Opens the manual with the desktop's viewer; false, after telling the user why, when
// it cannot.
bool OpenManual();

// How DoConfig opens its windows. The bundle's opener never returns nil; another one may,
// and then the dialog ends as if cancelled. Nil restores the bundle's opener.
using ConfigWindowOpener = WindowRef (*)(const char* theIdentifier, const char* theNib, const char* theWindow);
void SetConfigWindowOpener(ConfigWindowOpener opener);
