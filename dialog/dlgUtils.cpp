#include "dialog/dlgUtils.h"

#include <vector>

#include "platform/quickdraw/QuickDraw.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"

void RegisterDialogControlClass(DialogControlClass& theClass, const char* classID, EventHandlerProcPtr handler,
                                std::initializer_list<uint32_t> kinds, bool hearsKeys) {
  std::vector<EventTypeSpec> events;
  for (uint32_t kind : kinds) events.push_back({kEventClassControl, kind});
  if (hearsKeys) events.push_back({kEventClassKeyboard, kEventRawKeyDown});
  theClass.handler = NewEventHandlerUPP(handler);
  RegisterToolboxObjectClass(CFSTR(classID), nullptr, events.size(), events.data(), theClass.handler, nullptr,
                             &theClass.classRef);
}

void UnregisterDialogControlClass(DialogControlClass& theClass) {
  if (theClass.classRef != nullptr) UnregisterToolboxObjectClass(theClass.classRef);
  theClass.classRef = nullptr;
  DisposeEventHandlerUPP(theClass.handler);
  theClass.handler = nullptr;
}

ControlRef EventControl(EventRef theEvent) {
  ControlRef control = nullptr;
  GetEventParameter(theEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof control, nullptr, &control);
  return control;
}

OSStatus AnswerHitTestInBounds(ControlRef theControl, EventRef theEvent) {
  Point where{};
  GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
  const Rect bounds = GetControlBox(theControl);
  const ControlPartCode part = PtInRect(where, &bounds) ? 1 : kControlNoPart;
  SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
  return noErr;
}

OSStatus HandleBoxEvent(EventRef theEvent, void (*draw)(ControlRef), void (*onHit)(ControlRef)) {
  ControlRef control = EventControl(theEvent);
  switch (GetEventKind(theEvent)) {
    case kEventControlDraw:
      draw(control);
      return noErr;
    case kEventControlHitTest:
      return AnswerHitTestInBounds(control, theEvent);
    case kEventControlHit:
      if (onHit != nullptr) onHit(control);
      return eventNotHandledErr;
    default:
      return eventNotHandledErr;
  }
}

bool IsDimmedHilite(ControlPartCode hilite) {
  return hilite == kControlInactivePart || hilite == kControlDisabledPart;
}

void ShowSliderValue(WindowRef theWindow, int16_t n, int32_t value) {
  SimpleSetControlText(theWindow, kSigLgnd, n, Num2Text(value) + "%");
}

void ShowClipPosition(WindowRef theWindow, int32_t position, int32_t maxPosition) {
  SimpleSetControlText(theWindow, kSigClpM, 1, Num2Text(position) + "/" + Num2Text(maxPosition));
}
