#include "dialog/colorCTRL.h"

#include "dialog/dlgUtils.h"
#include "platform/colorpicker/ColorPicker.h"
#include "platform/quickdraw/QuickDraw.h"
#include "platform/text/MacRoman.h"
#include "platform/windows/MacWindows.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"

namespace {

DialogControlClass lgColorClass;

constexpr uint32_t kPickerFlags = 147;  // movable, modal, colour-managed, in the picker's own dialog

void DrawColorBox(ControlRef control) {
  vantiro::PortScope scope(GetWindowPort(GetControlOwner(control)));
  const Rect bounds = GetControlBox(control);
  if (IsDimmedHilite(GetControlHilite(control)))
    EraseRect(&bounds);
  else
    ColorBoxDraw(bounds, LongInt2RGBColor(GetControl32BitValue(control)));
}

void PickColorFor(ControlRef control) {
  const RGBColor current = LongInt2RGBColor(GetControl32BitValue(control));
  RGBColor chosen = current;
  if (UseColorPicker(Point{0, 0}, "Please choose color:", current, &chosen)) {
    const pixRec packed{0, static_cast<uint8_t>(chosen.red >> 8), static_cast<uint8_t>(chosen.green >> 8),
                        static_cast<uint8_t>(chosen.blue >> 8)};
    SetControl32BitValue(control, PixRec2LongInt(packed));
  }
}

}  // namespace

void RegisterColorBox() {
  RegisterDialogControlClass(lgColorClass, cColorCtrlID, ColorBoxControlHandler,
                             {kEventControlDraw, kEventControlHitTest, kEventControlHit});
}

void UnregisterColorBox() { UnregisterDialogControlClass(lgColorClass); }

// A hit picks a colour; the standard handling then sends the box's command, picked or not.
OSStatus ColorBoxControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
  return HandleBoxEvent(theEvent, DrawColorBox, PickColorFor);
}

void ColorBoxDraw(const Rect& theRect, const RGBColor& theColor) {
  constexpr RGBColor kBlack{0, 0, 0};
  RGBForeColor(&theColor);
  PaintRect(&theRect);
  RGBForeColor(&kBlack);
  FrameRect(&theRect);
}

bool UseColorPicker(Point where, std::string_view prompt, const RGBColor& inColor, RGBColor* outColor) {
  NColorPickerInfo info{};
  info.theColor.profile = nullptr;
  info.theColor.color.rgb = CMRGBColor{inColor.red, inColor.green, inColor.blue};
  info.dstProfile = nullptr;
  info.flags = kPickerFlags;
  info.placeWhere = kAtSpecifiedOrigin;
  info.dialogOrigin = where;
  info.pickerType = 0;
  info.eventProc = nullptr;
  info.colorProc = nullptr;
  info.colorProcData = 0;
  vantiro::SetPascal(info.prompt, prompt);
  info.newColorChosen = false;
  if (NPickColor(&info) != noErr || !info.newColorChosen) return false;
  const CMRGBColor& c = info.theColor.color.rgb;
  *outColor = RGBColor{c.red, c.green, c.blue};
  return true;
}
