#include "dialog/pictCTRL.h"

#include "dialog/dlgUtils.h"
#include "platform/quickdraw/QuickDraw.h"
#include "platform/windows/MacWindows.h"
#include "render/CGglue.h"
#include "render/commonprocs.h"
#include "support/carbonmacros.h"

namespace {

DialogControlClass lgPictureClass;

void DrawPictureBox(ControlRef control) {
  CGrafPtr port = GetWindowPort(GetControlOwner(control));
  if (port == nullptr) return;
  vantiro::PortScope scope(port);
  const ControlPartCode hilite = GetControlHilite(control);
  if (IsDimmedHilite(hilite)) return;
  const Rect bounds = GetControlBox(control);
  constexpr RGBColor kWhite{65535, 65535, 65535};
  constexpr RGBColor kBlack{0, 0, 0};
  RGBBackColor(&kWhite);
  EraseRect(&bounds);
  if (CGImageRef image = GetPictureControlImage(control)) {
    Rect frame = CalcProportionalImageForFrame(image, bounds);
    CenterRectInRect(frame, bounds);
    DrawCGImageInQDRect(port, image, frame, 0.0f, false);
  }
  RGBForeColor(&kBlack);
  FrameRect(&bounds);
  if (hilite != kControlNoPart) InvertRect(&bounds);  // being pressed
}

}  // namespace

void RegisterPictureControl() {
  RegisterDialogControlClass(lgPictureClass, cImageCtrlID, PictureControlHandler,
                             {kEventControlDraw, kEventControlHitTest, kEventControlHit});
}

void UnregisterPictureControl() { UnregisterDialogControlClass(lgPictureClass); }

// A hit has nothing of its own: the standard handling sends the box's command.
OSStatus PictureControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
  return HandleBoxEvent(theEvent, DrawPictureBox, nullptr);
}

void SetPictureControlImage(ControlRef theControl, CGImageRef theImage) {
  SetControlReference(theControl, reinterpret_cast<SRefCon>(theImage));
  SetControl32BitValue(theControl, theImage != nullptr ? 1 : 0);
  Draw1Control(theControl);
}

CGImageRef GetPictureControlImage(ControlRef theControl) {
  return reinterpret_cast<CGImageRef>(GetControlReference(theControl));
}
