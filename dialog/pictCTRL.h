// The picture box: shows the picture chosen for the settings, scaled to fit and centred;
// a click lets the dialog's picture command run. The dialog owns the picture.
#pragma once

#include "platform/MacTypes.h"
#include "platform/events/CarbonEvents.h"
#include "platform/windows/Controls.h"

// The class com.tolvane.zendra.imageCTRL exists between these two calls.
void RegisterPictureControl();
void UnregisterPictureControl();
OSStatus PictureControlHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void* userData);

// The picture the box shows (nil for none), and a redraw. The box neither retains nor
// releases it. A pointer does not fit a 32-bit control value, so the box keeps it as its
// reference; its value tells whether there is one (0 or 1).
void SetPictureControlImage(ControlRef theControl, CGImageRef theImage);
CGImageRef GetPictureControlImage(ControlRef theControl);
