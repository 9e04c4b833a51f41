// One-line helpers over the control calls: find a control of a window by signature and
// number, read or set its value, set its text, show or hide it, read its bounds.
#pragma once

#include <string>
#include <string_view>

#include "platform/MacTypes.h"

// nil when the window has no such control.
ControlRef SimpleGetControlByID(WindowRef theWindow, OSType theSig, int16_t theID);
// The control's bounds in window coordinates.
Rect GetControlBox(ControlRef theControl);
// Sets the text (Mac Roman) and redraws the control at once; nothing for a missing control.
void SimpleSetControlText(WindowRef theWindow, OSType theSig, int16_t theID, std::string_view theText);
// Take effect on the next redraw; nothing for a missing control.
void SimpleShowControl(WindowRef theWindow, OSType theSig, int16_t theID);
void SimpleHideControl(WindowRef theWindow, OSType theSig, int16_t theID);
// A missing control reads as 0 and ignores the value.
int32_t SimpleGetControlValueByID(WindowRef theWindow, OSType theSig, int16_t theID);
void SimpleSetControlValueByID(WindowRef theWindow, OSType theSig, int16_t theID, int32_t theVal);

// The four characters of a code, most significant byte first: "ok  " for the OK command.
std::string CommandID2Str(uint32_t commandID);
