// What the dialog's units share: the signatures of its controls, the plumbing of its
// custom control classes, and the texts it shows beside its sliders.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/MacTypes.h"
#include "platform/events/CarbonEvents.h"
#include "platform/windows/Controls.h"

// Control signatures of the settings windows.
inline constexpr OSType kSigClip = FOUR_CHAR_CODE('C', 'l', 'i', 'p');  // frame editor
inline constexpr OSType kSigColr = FOUR_CHAR_CODE('C', 'o', 'l', 'r');  // colour boxes 1..6
inline constexpr OSType kSigCLgd = FOUR_CHAR_CODE('C', 'L', 'g', 'd');  // their captions
inline constexpr OSType kSigSldr = FOUR_CHAR_CODE('S', 'l', 'd', 'r');  // effect sliders 1..6
inline constexpr OSType kSigLgnd = FOUR_CHAR_CODE('L', 'g', 'n', 'd');  // their values, "35%"
inline constexpr OSType kSigLabl = FOUR_CHAR_CODE('L', 'a', 'b', 'l');  // their captions
inline constexpr OSType kSigClpS = FOUR_CHAR_CODE('C', 'l', 'p', 'S');  // clip position slider
inline constexpr OSType kSigClpM = FOUR_CHAR_CODE('C', 'l', 'p', 'M');  // clip position, "12/149"
inline constexpr OSType kSigMedi = FOUR_CHAR_CODE('M', 'e', 'd', 'i');  // video format pop-up
inline constexpr OSType kSigBlnd = FOUR_CHAR_CODE('B', 'l', 'n', 'd');  // blend mode pop-up
inline constexpr OSType kSigProp = FOUR_CHAR_CODE('P', 'r', 'o', 'p');  // keep proportions
inline constexpr OSType kSigRect = FOUR_CHAR_CODE('R', 'e', 'c', 't');  // rectangle selector
inline constexpr OSType kSigPict = FOUR_CHAR_CODE('P', 'i', 'c', 't');  // picture box

// Class identifiers of the custom controls.
inline constexpr const char* cClipCtrlID = "com.tolvane.zendra.clip";
inline constexpr const char* cColorCtrlID = "com.tolvane.zendra.color";
inline constexpr const char* cImageCtrlID = "com.tolvane.zendra.imageCTRL";

// A custom control class with its handler reference, registered for the dialog's lifetime.
struct DialogControlClass {
  ToolboxObjectClassRef classRef = nullptr;
  EventHandlerUPP handler = nullptr;
};
// Makes the class known for the given control event kinds (class 'cntl'), and for the
// keys pressed while it has the focus if it asks, with no base class and no user data.
void RegisterDialogControlClass(DialogControlClass& theClass, const char* classID, EventHandlerProcPtr handler,
                                std::initializer_list<uint32_t> kinds, bool hearsKeys = false);
void UnregisterDialogControlClass(DialogControlClass& theClass);

// The control a control event is about (its direct object).
ControlRef EventControl(EventRef theEvent);
// Answers a hit test with part 1 inside the control's bounds and 0 elsewhere.
OSStatus AnswerHitTestInBounds(ControlRef theControl, EventRef theEvent);
// The event handling the colour and picture boxes share: `draw` for a draw event, part 1
// inside the bounds for a hit test, and for a hit `onHit` (may be nil) before the event
// is left to the standard handling, which sends the box's command.
OSStatus HandleBoxEvent(EventRef theEvent, void (*draw)(ControlRef), void (*onHit)(ControlRef));
// Highlights 254 (disabled) and 255 (inactive): such a control shows nothing of itself.
bool IsDimmedHilite(ControlPartCode hilite);

// "35%" beside slider N, and "12/149" for the clip position.
void ShowSliderValue(WindowRef theWindow, int16_t n, int32_t value);
void ShowClipPosition(WindowRef theWindow, int32_t position, int32_t maxPosition);
