// Controls of a window, found by signature and number, and custom control classes.
//
// A layout's widgets become controls through the dynamic properties `signature` (four
// characters), `controlID` (number) and `command` (four characters, blanks kept). Kinds:
//   slider (QSlider, QScrollBar, QDial)  value, minimum and maximum of the widget
//   pop-up menu (QComboBox)              value 1..items, 0 for none
//   check box, radio button              0 off, 1 on (2 mixed)
//   push button, static text (QLabel)    value 0; text through the "text" data tag
//   custom control                       a widget whose class is a registered class
//                                        identifier; value, minimum, maximum its own
//                                        (initial ones from the properties `value`,
//                                        `minimum`, `maximum`); it draws into its
//                                        window's port
// Every value is clamped to the control's range. Buttons send their command when
// clicked, pop-up menus when an item is chosen, check boxes when toggled by the user,
// sliders when the user lets go of them, custom controls when their hit goes unhandled.
#pragma once

#include <string>

#include "platform/MacTypes.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/events/CarbonEvents.h"

typedef int16_t ControlPartCode;
typedef intptr_t SRefCon;
typedef struct OpaqueToolboxObjectClassRef* ToolboxObjectClassRef;

struct ControlID {
  OSType signature;
  int32_t id;
};

enum : ControlPartCode {
  kControlNoPart = 0,
  kControlEntireControl = 0,
  kControlUpButtonPart = 20,
  kControlDownButtonPart = 21,
  kControlPageUpPart = 22,
  kControlPageDownPart = 23,
  kControlIndicatorPart = 129,
  kControlDisabledPart = 254,
  kControlInactivePart = 255,
};
enum : ResType { kControlStaticTextTextTag = FOUR_CHAR_CODE('t', 'e', 'x', 't') };

inline constexpr OSStatus errDataNotSupported = -30583;
inline constexpr OSStatus hiObjectClassExistsErr = -22080;
inline constexpr OSStatus hiObjectClassHasInstancesErr = -22081;

// errUnknownControl (MacWindows.h) and a nil control when the window has none with that id.
OSStatus GetControlByID(WindowRef window, const ControlID* inID, ControlRef* outControl);
WindowRef GetControlOwner(ControlRef control);

// A nil control reads as 0 and ignores writes.
int32_t GetControl32BitValue(ControlRef control);
void SetControl32BitValue(ControlRef control, int32_t value);
int32_t GetControl32BitMinimum(ControlRef control);
void SetControl32BitMinimum(ControlRef control, int32_t minimum);
int32_t GetControl32BitMaximum(ControlRef control);
void SetControl32BitMaximum(ControlRef control, int32_t maximum);

// The "text" tag of static texts, buttons and check boxes, as Mac Roman bytes.
OSErr SetControlData(ControlRef control, ControlPartCode part, ResType tagName, Size size, const void* data);
OSErr GetControlData(ControlRef control, ControlPartCode part, ResType tagName, Size bufferSize,
                     void* buffer, Size* actualSize);

// Redraws the control now (a custom control into its window's port, then on screen).
void Draw1Control(ControlRef control);
void ShowControl(ControlRef control);
void HideControl(ControlRef control);
Boolean IsControlVisible(ControlRef control);  // its own flag; the window may be hidden
Rect* GetControlBounds(ControlRef control, Rect* bounds);  // window-local
// 0 normal, 1..253 the part being pressed, 254 disabled, 255 inactive.
ControlPartCode GetControlHilite(ControlRef control);
void HiliteControl(ControlRef control, ControlPartCode part);
void SetControlReference(ControlRef control, SRefCon data);
SRefCon GetControlReference(ControlRef control);

// Live tracking: a slider calls its action procedure at every change the user makes,
// while the thumb moves, with the part being tracked. Values set by code call nothing.
typedef void (*ControlActionProcPtr)(ControlRef control, ControlPartCode part);
typedef ControlActionProcPtr ControlActionUPP;
inline ControlActionUPP NewControlActionUPP(ControlActionProcPtr proc) { return proc; }
void SetControlAction(ControlRef control, ControlActionUPP action);

// Custom control classes. The handler gets the control events it asked for (draw, hit
// test, hit, track, activate, owning window changed), the control as direct object.
// Mouse locations are window-local; a hit test stores its part in kEventParamControlPart.
// A custom control takes the keyboard focus (Tab, a click) and hears the keys pressed
// then as kEventRawKeyDown (class kEventClassKeyboard) with kEventParamKeyMacCharCodes
// and kEventParamKeyModifiers; Space that no handler takes is a hit on part 1.
// hiObjectClassExistsErr for an identifier already registered; unregistering while
// controls of the class exist fails with hiObjectClassHasInstancesErr.
OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef baseClass, ItemCount numEvents,
                                    const EventTypeSpec* eventList, EventHandlerUPP handler, void* userData,
                                    ToolboxObjectClassRef* outClassRef);
OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef classRef);

// Device pixels per pixel of the window's port on its screen, rounded to a whole number
// (1 for a hidden window or a plain screen).
int VantiroGetWindowScale(WindowRef window);
// A picture of a custom control drawn at its window's scale, shown over the control's
// port pixels so that it looks sharp on a dense screen; the pixels are copied. Nil
// removes it.
void VantiroSetControlScaledImage(ControlRef control, GWorldPtr picture);

namespace vantiro {

bool IsToolboxClassRegistered(const std::string& classID);

}  // namespace vantiro
