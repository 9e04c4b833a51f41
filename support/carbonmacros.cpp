#include "support/carbonmacros.h"

#include "platform/windows/Controls.h"

ControlRef SimpleGetControlByID(WindowRef theWindow, OSType theSig, int16_t theID) {
  const ControlID id{theSig, theID};
  ControlRef control = nullptr;
  GetControlByID(theWindow, &id, &control);
  return control;
}

Rect GetControlBox(ControlRef theControl) {
  Rect bounds;
  GetControlBounds(theControl, &bounds);
  return bounds;
}

void SimpleSetControlText(WindowRef theWindow, OSType theSig, int16_t theID, std::string_view theText) {
  ControlRef control = SimpleGetControlByID(theWindow, theSig, theID);
  if (control == nullptr) return;
  SetControlData(control, kControlEntireControl, kControlStaticTextTextTag, static_cast<Size>(theText.size()),
                 theText.data());
  Draw1Control(control);
}

void SimpleShowControl(WindowRef theWindow, OSType theSig, int16_t theID) {
  if (ControlRef control = SimpleGetControlByID(theWindow, theSig, theID)) ShowControl(control);
}

void SimpleHideControl(WindowRef theWindow, OSType theSig, int16_t theID) {
  if (ControlRef control = SimpleGetControlByID(theWindow, theSig, theID)) HideControl(control);
}

int32_t SimpleGetControlValueByID(WindowRef theWindow, OSType theSig, int16_t theID) {
  return GetControl32BitValue(SimpleGetControlByID(theWindow, theSig, theID));
}

void SimpleSetControlValueByID(WindowRef theWindow, OSType theSig, int16_t theID, int32_t theVal) {
  SetControl32BitValue(SimpleGetControlByID(theWindow, theSig, theID), theVal);
}
