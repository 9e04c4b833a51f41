// Frame geometry and offscreen buffers shared by the renderer, the drawing glue, the
// dialog's controls and the picture loader. Buffers are 32-bit GWorlds with bounds at
// (0, 0) whose pixels stay locked from creation to disposal.
#pragma once

#include <cstdint>

#include "platform/quickdraw/QuickDraw.h"

// The port's bounds.
Rect GetPortRect(CGrafPtr thePort);

// Extents as signed 32-bit values; a reversed rectangle has a negative extent.
void GetDims(const Rect& theRect, int32_t& wid, int32_t& hig);

void LockGWorld(GWorldPtr theGW);  // nil: nothing

// A new locked buffer, or nil when the platform cannot make it.
GWorldPtr AllocateGWorld(int16_t wid, int16_t hig);
GWorldPtr AllocateRectGWorld(Rect theRect);  // theRect's size, bounds moved to (0, 0)

// Paints the whole buffer; the buffer's foreground colour is black afterwards.
void ClearGW(GWorldPtr theGW, RGBColor theColor);

// Clamps every coordinate into the frame: a rectangle outside it collapses onto the
// nearest edge; a reversed one stays reversed.
void ClipRectToFrame(Rect& theRect, const Rect& theFrame);
// Moves theRect's centre onto theBounds' centre (halves truncated toward zero).
void CenterRectInRect(Rect& theRect, const Rect& theBounds);

// inNewSize given inOriginal's proportions: the width held and the bottom edge moved, or
// the height held and the right edge moved. A reference without width (without height)
// returns inNewSize unchanged.
Rect KeepPropsWithFixedHorizontal(const Rect& inOriginal, const Rect& inNewSize);
Rect KeepPropsWithFixedVertical(const Rect& inOriginal, const Rect& inNewSize);

// A rectangle at (0, 0) with inRect's proportions filling one side of inFrame, chosen by
// the orientations of both; the other side may overflow the frame.
Rect CalcProportionalRectForFrame(const Rect& inRect, const Rect& inFrame);
