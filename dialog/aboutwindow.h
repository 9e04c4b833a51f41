// The about window: the plug-in's name and version, over the settings dialog.
#pragma once

#include "platform/MacTypes.h"
#include "platform/events/CarbonEvents.h"

// Opens the about window and returns when it is closed.
void ShowAbout();

// Command handler of the about window (user data: the window). OK and Cancel end its loop.
OSStatus AboutDialogHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void* userData);
