// The colour box: a swatch of the colour held in its value (0x00RRGGBB); a click opens
// the colour picker, and the box's command then copies the colour into the settings.
#pragma once

#include <string_view>

#include "platform/MacTypes.h"
#include "platform/events/CarbonEvents.h"

// The class com.tolvane.zendra.color exists between these two calls.
void RegisterColorBox();
void UnregisterColorBox();
OSStatus ColorBoxControlHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void* userData);

// Fills the rectangle with the colour and outlines it in black, in the current port.
void ColorBoxDraw(const Rect& theRect, const RGBColor& theColor);

// Runs the colour picker; true, with outColor set, when the user chose a colour.
bool UseColorPicker(Point where, std::string_view prompt, const RGBColor& inColor, RGBColor* outColor);
