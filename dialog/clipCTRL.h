// The frame editor: the preview of the current frame with the rectangle the picture is
// placed in, moved by dragging its inside and resized by its four corner handles.
#pragma once

#include "model/PluginDefines.h"
#include "platform/events/CarbonEvents.h"
#include "platform/windows/Controls.h"

// Handle numbers, which are also the control's part codes.
enum : int16_t {
  kNoHandle = 0,
  kTopLeftHandle = 1,
  kTopRightHandle = 2,
  kBottomLeftHandle = 3,
  kBottomRightHandle = 4,
  kInsideRect = 5,
};
inline constexpr uint32_t shiftMask = 512;
inline constexpr uint32_t optionMask = 2048;

// The class com.tolvane.zendra.clip exists between these two calls.
void RegisterClipCtrl();
void UnregisterClipCtrl();
OSStatus ClipCtrlControlHandler(EventHandlerCallRef nextHandler, EventRef theEvent, void* userData);

// Which handle, or the inside (5), a point hits: corners first, the lower number where
// handles overlap; 0 for none.
int16_t IsHandleHit(const Rect& theRect, Point theLoc);
// Rings of black, white and black at the four corners, in the current port.
void DrawHandles(const Rect& theRect);
// The preview scaled into destRect, the rectangle's outline and handles, a black border.
void DrawFrameContents(WindowRef theWindow, const Rect& destRect);

// Moves the rectangle by the mouse's step.
void DragRect(Rect& theRect, Point oldPt, Point newPt, uint32_t modifiers);
// Moves one corner by the mouse's step (Option: the opposite one the other way), keeps
// the proportions of the drag's starting rectangle with Shift and those of the picture
// with keep-proportions on.
void DragCorner(int16_t handle, Rect& theRect, Point oldPt, Point newPt, uint32_t modifiers, const Rect& theFrame,
                const relRect& origRel);
// Fits the rectangle to the picture's proportions when keep-proportions is on.
void KeepImageProps(Rect& theRect);
// The same for the edited rectangle, through the frame editor's pixel grid.
void CalcAndKeepImageProps();
