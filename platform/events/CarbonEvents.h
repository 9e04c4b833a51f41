// Events, event targets and handler chains.
//
// An event has a class, a kind and typed parameters. Sending it to a target calls the
// handlers installed there that asked for its class and kind, the most recently
// installed first; a handler that answers eventNotHandledErr passes the event on to the
// next one, then to the target's standard handling, then to the parent target (control,
// then window, then application).
#pragma once

#include <functional>

#include "platform/MacTypes.h"
#include "platform/appleevents/AEDataModel.h"
#include "platform/corefoundation/CoreFoundation.h"

typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef OSType EventParamName;
typedef OSType EventParamType;
typedef unsigned long ByteCount;
typedef unsigned long ItemCount;
typedef double EventTime;
typedef uint16_t MenuItemIndex;
typedef struct OpaqueMenuRef* MenuRef;

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                        void* inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;
inline EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc) { return proc; }
inline void DisposeEventHandlerUPP(EventHandlerUPP) {}

struct EventTypeSpec {
  uint32_t eventClass;
  uint32_t eventKind;
};

enum : uint32_t {
  kEventClassCommand = FOUR_CHAR_CODE('c', 'm', 'd', 's'),
  kEventClassControl = FOUR_CHAR_CODE('c', 'n', 't', 'l'),
  kEventClassWindow = FOUR_CHAR_CODE('w', 'i', 'n', 'd'),
  kEventClassKeyboard = FOUR_CHAR_CODE('k', 'e', 'y', 'b'),
};
// A key pressed while a custom control has the keyboard focus goes to that control.
enum : uint32_t { kEventRawKeyDown = 1 };
enum : uint32_t { kEventCommandProcess = 1 };
enum : uint32_t {
  kEventControlHit = 1,
  kEventControlHitTest = 3,
  kEventControlDraw = 4,
  kEventControlActivate = 9,
  kEventControlDeactivate = 10,
  kEventControlTrack = 51,
  kEventControlOwningWindowChanged = 159,
};

enum : EventParamName {
  kEventParamDirectObject = FOUR_CHAR_CODE('-', '-', '-', '-'),
  kEventParamMouseLocation = FOUR_CHAR_CODE('m', 'l', 'o', 'c'),
  kEventParamKeyModifiers = FOUR_CHAR_CODE('k', 'm', 'o', 'd'),
  kEventParamKeyMacCharCodes = FOUR_CHAR_CODE('k', 'c', 'h', 'r'),
  kEventParamControlPart = FOUR_CHAR_CODE('c', 'p', 'r', 't'),
  kEventParamGrafPort = FOUR_CHAR_CODE('g', 'r', 'a', 'f'),
  kEventParamControlOriginalOwningWindow = FOUR_CHAR_CODE('o', 'o', 'w', 'n'),
  kEventParamControlCurrentOwningWindow = FOUR_CHAR_CODE('c', 'o', 'w', 'n'),
};
enum : EventParamType {
  typeHICommand = FOUR_CHAR_CODE('h', 'c', 'm', 'd'),
  typeControlRef = FOUR_CHAR_CODE('c', 't', 'r', 'l'),
  typeWindowRef = FOUR_CHAR_CODE('w', 'i', 'n', 'd'),
  typeQDPoint = FOUR_CHAR_CODE('Q', 'D', 'p', 't'),
  typeUInt32 = FOUR_CHAR_CODE('m', 'a', 'g', 'n'),
  typeControlPartCode = FOUR_CHAR_CODE('c', 'p', 'r', 't'),
  typeGrafPtr = FOUR_CHAR_CODE('g', 'r', 'a', 'f'),
  typeChar = FOUR_CHAR_CODE('T', 'E', 'X', 'T'),
};
// Character codes of the keys a control may take.
enum : char {
  kLeftArrowCharCode = 0x1C,
  kRightArrowCharCode = 0x1D,
  kUpArrowCharCode = 0x1E,
  kDownArrowCharCode = 0x1F,
  kSpaceCharCode = 0x20,
};

// The key-modifier word. Shift is Shift; Option is Alt, and Ctrl counts as Option too,
// since many Linux desktops take Alt-drag for moving windows.
enum : uint32_t {
  cmdKey = 1 << 8,
  shiftKey = 1 << 9,
  alphaLock = 1 << 10,
  optionKey = 1 << 11,
  controlKey = 1 << 12,
};
uint32_t GetCurrentEventKeyModifiers(void);  // of the event being handled now

inline constexpr OSStatus eventParameterNotFoundErr = -9870;
inline constexpr OSStatus eventInternalErr = -9868;

// The direct object of a command event. Its size follows the processor's pointers.
struct HICommand {
  uint32_t attributes;
  uint32_t commandID;
  struct {
    MenuRef menuRef;
    MenuItemIndex menuItemIndex;
  } menu;
};
enum : uint32_t { kHICommandFromMenu = 1, kHICommandFromControl = 2, kHICommandFromWindow = 4 };
enum : uint32_t {
  kHICommandOK = FOUR_CHAR_CODE('o', 'k', ' ', ' '),
  kHICommandCancel = FOUR_CHAR_CODE('n', 'o', 't', '!'),
};

OSStatus CreateEvent(CFAllocatorRef allocator, uint32_t inClassID, uint32_t kind, EventTime when,
                     uint32_t flags, EventRef* outEvent);
void ReleaseEvent(EventRef event);
uint32_t GetEventClass(EventRef event);
uint32_t GetEventKind(EventRef event);

// Parameters are copied in and out as bytes. Reading with another type than the stored one
// fails with errAECoercionFail unless typeWildCard is asked for; a missing parameter gives
// eventParameterNotFoundErr. A buffer smaller than the value receives its first bytes.
OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size,
                           const void* data);
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize, ByteCount* outActualSize,
                           void* outData);

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef);
// Runs the rest of the chain from inside a handler; the event is then finished with the
// handler's own answer.
OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event);
OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target);
EventTargetRef GetApplicationEventTarget(void);

namespace vantiro {

// Targets of windows and controls, made and disposed by their owners.
using StandardHandler = std::function<OSStatus(EventRef)>;
EventTargetRef NewEventTarget(EventTargetRef parent);
void DisposeEventTarget(EventTargetRef target);
// Runs after every installed handler of the target declined, before the parent's.
void SetStandardHandler(EventTargetRef target, StandardHandler handler);
// Adds a handler that is asked after the target's installed ones (a class's handler
// under the instance's own).
EventHandlerRef InstallBaseHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                                   const EventTypeSpec* list, void* userData);

// Typed parameter helpers for the toolbox's own code.
template <typename T>
OSStatus SetParam(EventRef event, EventParamName name, EventParamType type, const T& value) {
  return SetEventParameter(event, name, type, sizeof(T), &value);
}
template <typename T>
OSStatus GetParam(EventRef event, EventParamName name, EventParamType type, T* value) {
  return GetEventParameter(event, name, type, nullptr, sizeof(T), nullptr, value);
}

}  // namespace vantiro
