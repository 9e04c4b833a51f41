// Rectangles in fractions of a frame, and their conversion to and from frame pixels.
#pragma once

#include "model/PluginDefines.h"

void InitRelRect(relRect& theRel);  // the whole frame: left 0, right 1, top 0, bottom 1

// Pixel edges are the frame's origin plus the product of extent and fraction, truncated
// toward zero. An edge that does not fit 16 bits is saturated; NaN counts as 0.
Rect Rel2Rect(const relRect& theRel, const Rect& theFrame);

// Plain divisions by the frame's extent; no clamping, reversed edges stay reversed.
relRect Rect2Rel(const Rect& theRect, const Rect& theFrame);
