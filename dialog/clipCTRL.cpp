#include "dialog/clipCTRL.h"

#include <algorithm>

#include "dialog/dlgUtils.h"
#include "model/Globals.h"
#include "model/pascalFX.h"
#include "model/relrects.h"
#include "platform/windows/MacWindows.h"
#include "render/CGglue.h"
#include "render/callpixelfx.h"
#include "render/commonprocs.h"
#include "support/carbonmacros.h"

namespace {

DialogControlClass lgClipClass;

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kWhite{65535, 65535, 65535};

int16_t Clamp16(int value) { return static_cast<int16_t>(std::clamp(value, -32768, 32767)); }

Rect HandleSquare(Point corner, int scale = 1) {
  const int reach = cHandleSize * scale;
  return Rect{Clamp16(corner.v - reach), Clamp16(corner.h - reach), Clamp16(corner.v + reach),
              Clamp16(corner.h + reach)};
}

// A one-pixel outline drawn `scale` times inwards, so that it keeps its width on a
// dense screen.
void FrameRectScaled(Rect r, int scale) {
  for (int i = 0; i < scale; ++i) {
    FrameRect(&r);
    InsetRect(&r, 1, 1);
  }
}

// Corners in handle order: top-left, top-right, bottom-left, bottom-right.
Point Corner(const Rect& r, int16_t handle) {
  switch (handle) {
    case kTopLeftHandle: return Point{r.top, r.left};
    case kTopRightHandle: return Point{r.top, r.right};
    case kBottomLeftHandle: return Point{r.bottom, r.left};
    default: return Point{r.bottom, r.right};
  }
}

// The handle whose corner lies opposite.
int16_t Opposite(int16_t handle) { return static_cast<int16_t>(5 - handle); }

// Rings of black, white and black at the four corners, each ring `scale` pixels wide.
void DrawHandlesScaled(const Rect& theRect, int scale) {
  PenMode(srcOr);
  for (int16_t handle = kTopLeftHandle; handle <= kBottomRightHandle; ++handle) {
    Rect ring = HandleSquare(Corner(theRect, handle), scale);
    for (const RGBColor& colour : {kBlack, kWhite, kBlack}) {
      RGBForeColor(&colour);
      for (int i = 0; i < scale; ++i) {
        FrameOval(&ring);
        InsetRect(&ring, 1, 1);
      }
    }
  }
  PenNormal();
}

// The preview, the outline, the handles and the border in destRect of the current port,
// drawn `scale` times as large as in the window's port.
void DrawFrameScaled(const Rect& portRect, const Rect& destRect, int scale) {
  const pluginWorkSpace& ws = gConfigWorkSpace;
  CGrafPtr port = nullptr;
  GetGWorld(&port, nullptr);
  RGBBackColor(&kWhite);
  RGBForeColor(&kBlack);
  const Rect preview = GetPortRect(ws.theFXclip);
  CopyBits(GetPortBitMapForCopyBits(ws.theFXclip), GetPortBitMapForCopyBits(port), &preview, &destRect, srcCopy,
           nullptr);

  ClipRect(&destRect);
  RGBForeColor(&ws.theConfig->frameStartColor);
  const Rect outline = Rel2Rect(ws.theConfig->startRel, destRect);
  FrameRectScaled(outline, scale);
  if (ws.activeRel == 1) DrawHandlesScaled(outline, scale);

  ClipRect(&portRect);
  RGBForeColor(&kBlack);
  FrameRectScaled(destRect, scale);
}

// On a dense screen the window shows a copy drawn at the screen's resolution over the
// port's pixels, since a picture scaled up from the port looks soft.
void DrawScaledCopy(ControlRef control, const Rect& bounds) {
  const int scale = VantiroGetWindowScale(GetControlOwner(control));
  GWorldPtr copy = nullptr;
  if (scale > 1) {
    const Rect dest{0, 0, Clamp16((bounds.bottom - bounds.top) * scale), Clamp16((bounds.right - bounds.left) * scale)};
    copy = AllocateRectGWorld(dest);
    if (copy != nullptr) {
      vantiro::PortScope scope(copy);
      DrawFrameScaled(dest, dest, scale);
    }
  }
  VantiroSetControlScaledImage(control, copy);
  if (copy != nullptr) DisposeGWorld(copy);
}

void ShowFrame(ControlRef control) {
  const Rect bounds = GetControlBox(control);
  DrawFrameContents(GetControlOwner(control), bounds);
  DrawScaledCopy(control, bounds);
}

void DrawControl(ControlRef control) {
  if (gConfigWorkSpace.theFXclip == nullptr) return;  // no preview outside a dialog
  if (IsDimmedHilite(GetControlHilite(control)))
    VantiroSetControlScaledImage(control, nullptr);  // the port's picture stays as it was
  else
    ShowFrame(control);
}

// Puts an edited rectangle into the record and shows its preview.
void ApplyEdit(ControlRef control, const Rect& edited, const Rect& bounds) {
  pluginWorkSpace& ws = gConfigWorkSpace;
  PutCurrentRel(Rect2Rel(edited, bounds));
  CallPixelEffect(ws.sourceClip, ws.theFXclip);
  ShowFrame(control);
}

// Arrow keys move the rectangle by a pixel of the frame editor, ten with Shift; with
// Option (Alt or Ctrl) they resize it about its centre, as an Option drag of a corner.
bool MoveByKey(ControlRef control, char key, uint32_t modifiers) {
  int dh = 0, dv = 0;
  switch (key) {
    case kLeftArrowCharCode: dh = -1; break;
    case kRightArrowCharCode: dh = 1; break;
    case kUpArrowCharCode: dv = -1; break;
    case kDownArrowCharCode: dv = 1; break;
    default: return false;
  }
  const int step = (modifiers & shiftMask) != 0 ? 10 : 1;
  const Point from{0, 0}, to{Clamp16(dv * step), Clamp16(dh * step)};
  const Rect bounds = GetControlBox(control);
  const relRect origRel = GetCurrentRel();
  Rect edited = Rel2Rect(origRel, bounds);
  if ((modifiers & optionMask) != 0)
    DragCorner(kBottomRightHandle, edited, from, to, optionMask, bounds, origRel);
  else
    DragRect(edited, from, to, modifiers);
  ApplyEdit(control, edited, bounds);
  return true;
}

// One drag, from the press to the release: every step that lands inside the control
// updates the rectangle, renders the preview and draws it.
void TrackDrag(ControlRef control, EventRef event) {
  Point start{};
  uint32_t modifiers = 0;
  GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof start, nullptr, &start);
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr, &modifiers);
  const Rect bounds = GetControlBox(control);
  ClipRect(&bounds);

  const relRect origRel = GetCurrentRel();
  const Rect origRect = Rel2Rect(origRel, bounds);
  Rect working = origRect;
  const int16_t part = IsHandleHit(origRect, start);
  if (part == kNoHandle) return;

  Point previous = start;
  for (;;) {
    Point now{};
    MouseTrackingResult result = kMouseTrackingMouseReleased;
    if (TrackMouseLocation(nullptr, &now, &result) != noErr || result != kMouseTrackingMouseDragged) break;
    if (!PtInRect(now, &bounds)) continue;
    if (part == kInsideRect) {
      DragRect(working, previous, now, modifiers);
      previous = now;
    } else {
      working = origRect;
      DragCorner(part, working, start, now, modifiers, bounds, origRel);
    }
    ApplyEdit(control, working, bounds);
  }
}

}  // namespace

void RegisterClipCtrl() {
  RegisterDialogControlClass(lgClipClass, cClipCtrlID, ClipCtrlControlHandler,
                             {kEventControlDraw, kEventControlHitTest, kEventControlHit, kEventControlActivate,
                              kEventControlOwningWindowChanged, kEventControlTrack},
                             true);
}

void UnregisterClipCtrl() { UnregisterDialogControlClass(lgClipClass); }

OSStatus ClipCtrlControlHandler(EventHandlerCallRef, EventRef theEvent, void*) {
  constexpr uint32_t kKeyEvent = 0;  // no control event has this kind
  ControlRef control = EventControl(theEvent);
  WindowRef window = GetControlOwner(control);
  OSStatus status = noErr;
  {
    vantiro::PortScope scope(GetWindowPort(window));
    switch (GetEventClass(theEvent) == kEventClassKeyboard ? kKeyEvent : GetEventKind(theEvent)) {
      case kKeyEvent: {
        char key = 0;
        uint32_t modifiers = 0;
        GetEventParameter(theEvent, kEventParamKeyMacCharCodes, typeChar, nullptr, sizeof key, nullptr, &key);
        GetEventParameter(theEvent, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers, nullptr,
                          &modifiers);
        status = MoveByKey(control, key, modifiers) ? noErr : eventNotHandledErr;
        break;
      }
      case kEventControlDraw:
      case kEventControlActivate:
      case kEventControlOwningWindowChanged:
        DrawControl(control);
        break;
      case kEventControlHitTest: {
        Point where{};
        GetEventParameter(theEvent, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
        const Rect bounds = GetControlBox(control);
        ControlPartCode part = kControlNoPart;
        if (PtInRect(where, &bounds)) part = IsHandleHit(Rel2Rect(GetCurrentRel(), bounds), where);
        SetEventParameter(theEvent, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
        break;
      }
      case kEventControlHit:
        break;
      case kEventControlTrack:
        TrackDrag(control, theEvent);
        break;
      default:
        status = eventNotHandledErr;
        break;
    }
    Rect portRect;
    GetWindowPortBounds(window, &portRect);
    ClipRect(&portRect);
  }
  return status;
}

int16_t IsHandleHit(const Rect& theRect, Point theLoc) {
  for (int16_t handle = kTopLeftHandle; handle <= kBottomRightHandle; ++handle) {
    const Rect square = HandleSquare(Corner(theRect, handle));
    if (PtInRect(theLoc, &square)) return handle;
  }
  return PtInRect(theLoc, &theRect) ? kInsideRect : kNoHandle;
}

void DrawHandles(const Rect& theRect) { DrawHandlesScaled(theRect, 1); }

void DrawFrameContents(WindowRef theWindow, const Rect& destRect) {
  Rect portRect;
  GetWindowPortBounds(theWindow, &portRect);
  vantiro::PortScope scope(GetWindowPort(theWindow));
  DrawFrameScaled(portRect, destRect, 1);
}

void DragRect(Rect& theRect, Point oldPt, Point newPt, uint32_t) {
  OffsetRect(&theRect, Clamp16(newPt.h - oldPt.h), Clamp16(newPt.v - oldPt.v));
}

void DragCorner(int16_t handle, Rect& theRect, Point oldPt, Point newPt, uint32_t modifiers, const Rect& theFrame,
                const relRect& origRel) {
  if (handle < kTopLeftHandle || handle > kBottomRightHandle) return;
  Point moving = Corner(theRect, handle);
  Point fixed = Corner(theRect, Opposite(handle));
  const int dh = newPt.h - oldPt.h, dv = newPt.v - oldPt.v;
  moving = Point{Clamp16(moving.v + dv), Clamp16(moving.h + dh)};
  if ((modifiers & optionMask) != 0) fixed = Point{Clamp16(fixed.v - dv), Clamp16(fixed.h - dh)};
  // Dragging past the opposite corner turns the rectangle over instead of inverting it.
  theRect = Rect{std::min(moving.v, fixed.v), std::min(moving.h, fixed.h), std::max(moving.v, fixed.v),
                 std::max(moving.h, fixed.h)};
  if ((modifiers & shiftMask) != 0) {
    const Rect reference = Rel2Rect(origRel, theFrame);
    int32_t w = 0, h = 0;
    GetDims(reference, w, h);
    theRect = w > h ? KeepPropsWithFixedHorizontal(reference, theRect) : KeepPropsWithFixedVertical(reference, theRect);
  }
  // Last, so that the picture's proportions win over Shift.
  KeepImageProps(theRect);
}

void KeepImageProps(Rect& theRect) {
  const pluginDataPtr config = gConfigWorkSpace.theConfig;
  if (!config->keepProps || config->theOriginalImage == nullptr) return;
  int32_t w = 0, h = 0;
  GetImageDims(config->theOriginalImage, w, h);
  const Rect reference{0, 0, Clamp16(h), Clamp16(w)};
  theRect = w > h ? KeepPropsWithFixedHorizontal(reference, theRect) : KeepPropsWithFixedVertical(reference, theRect);
}

void CalcAndKeepImageProps() {
  const relRect rel = GetCurrentRel();
  const Rect frame = GetControlBox(gConfigWorkSpace.theFrameCtrl);
  Rect r = Rel2Rect(rel, frame);
  KeepImageProps(r);
  PutCurrentRel(Rect2Rel(r, frame));
}
