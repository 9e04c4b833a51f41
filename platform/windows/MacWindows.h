// Windows made from a bundle's layout files, their ports and their modal loops.
//
// A nib is a folder `<name>.nib` in the bundle's Contents/Resources holding one Qt
// Designer file `<window>.ui` per window. Every window owns a port over its own pixels:
// what is drawn into the port with the QuickDraw calls is what the window shows, under
// its standard controls. Coordinates are window-local pixels, (0, 0) at the top left of
// the window's content.
#pragma once

#include "platform/MacTypes.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/events/CarbonEvents.h"
#include "platform/quickdraw/QuickDraw.h"

typedef struct OpaqueIBNibRef* IBNibRef;
typedef CGrafPtr GrafPtr;

inline constexpr OSStatus kIBCarbonRuntimeCantFindNibFile = -10960;
inline constexpr OSStatus kIBCarbonRuntimeObjectNotOfRequestedType = -10961;  // unreadable layout
inline constexpr OSStatus kIBCarbonRuntimeCantFindObject = -10962;
inline constexpr OSStatus errUnknownControl = -30584;  // a layout names an unregistered class

// The nib folder of the bundle; kIBCarbonRuntimeCantFindNibFile when there is none.
OSStatus CreateNibReferenceWithCFBundle(CFBundleRef bundle, CFStringRef nibName, IBNibRef* outNibRef);
void DisposeNibReference(IBNibRef nib);
// A new, hidden window from `<name>.ui`: kIBCarbonRuntimeCantFindObject when the file is
// missing, kIBCarbonRuntimeObjectNotOfRequestedType when it is no layout, errUnknownControl
// when it names a control class that is not registered.
OSStatus CreateWindowFromNib(IBNibRef nib, CFStringRef name, WindowRef* outWindow);

void ShowWindow(WindowRef window);  // draws its custom controls first
void HideWindow(WindowRef window);
Boolean IsWindowVisible(WindowRef window);
void SelectWindow(WindowRef window);  // brings it to the front and activates it
void BringToFront(WindowRef window);
// Disposes of the window, its controls, its port and its handlers.
void DisposeWindow(WindowRef window);

CGrafPtr GetWindowPort(WindowRef window);
void SetPortWindowPort(WindowRef window);
Rect* GetWindowPortBounds(WindowRef window, Rect* bounds);
EventTargetRef GetWindowEventTarget(WindowRef window);
#define InstallWindowEventHandler(window, handler, numTypes, list, userData, outRef) \
  InstallEventHandler(GetWindowEventTarget(window), (handler), (numTypes), (list), (userData), (outRef))

// The current port, as GetGWorld and SetGWorld with the main device.
void GetPort(GrafPtr* port);
void SetPort(GrafPtr port);
// Shows on screen what was drawn into a window's port; other ports are ignored.
void QDFlushPortBuffer(CGrafPtr port, RgnHandle region);

// Runs events with every other window blocked until QuitAppModalLoopForWindow is called
// for this window, usually from one of its handlers. Loops nest.
OSStatus RunAppModalLoopForWindow(WindowRef window);
// paramErr when no loop runs for the window.
OSStatus QuitAppModalLoopForWindow(WindowRef window);

// Sends a command to the window as a control of it would: through the window's handlers,
// then the application's.
OSStatus VantiroSendWindowCommand(WindowRef window, uint32_t commandID);

// Mouse tracking for a control's track handler: waits for the next mouse report of the
// window whose port is `port` (nil: the current port). Points are window-local.
typedef uint16_t MouseTrackingResult;
enum : MouseTrackingResult {
  kMouseTrackingMouseDown = 1,
  kMouseTrackingMouseUp = 2,
  kMouseTrackingMouseReleased = kMouseTrackingMouseUp,
  kMouseTrackingMouseExited = 3,
  kMouseTrackingMouseEntered = 4,
  kMouseTrackingMouseDragged = 5,
  kMouseTrackingKeyModifiersChanged = 6,
  kMouseTrackingUserCancelled = 7,
  kMouseTrackingTimedOut = 8,
  kMouseTrackingMouseMoved = 9,
};
// noErr with a dragged or released report; paramErr when the port is no window's or no
// button is down.
OSStatus TrackMouseLocation(GrafPtr port, Point* outPt, MouseTrackingResult* outResult);

namespace vantiro {

long LiveWindowCount();  // windows not yet disposed, for leak checks

}  // namespace vantiro
