#include "render/lineEffect.h"

#include "model/relrects.h"
#include "render/CGglue.h"
#include "render/commonprocs.h"
#include "support/commonprocs.h"

namespace {

constexpr double CPI = 3.1415926535897932;
constexpr RGBColor kWhite{65535, 65535, 65535};
constexpr RGBColor kBlack{0, 0, 0};

}  // namespace

// Each edge moves by half the change of the extent. That is the centre plus or minus half
// the new extent, but a factor of 1 leaves the edges exactly as they were, where going
// through the centre may lose the last bit and move an edge by a pixel.
relRect ScaleRelAboutCenter(const relRect& startRel, int16_t sx, int16_t sy) {
  const double hShift = (startRel.right - startRel.left) * (1 - (sx / 100.0 + 1)) / 2;
  const double vShift = (startRel.bottom - startRel.top) * (1 - (sy / 100.0 + 1)) / 2;
  return relRect{startRel.left + hShift, startRel.right - hShift, startRel.top + vShift, startRel.bottom - vShift};
}

void theLineEffect(GWorldPtr source, GWorldPtr dest, Rect activeRect, Boolean, pluginDataPtr theConfig, int32_t,
                   int32_t) {
  vantiro::PortScope scope(dest);

  ClipRectToFrame(activeRect, GetPortRect(source));
  Rect tempRect = activeRect;
  OffsetRect(&tempRect, static_cast<int16_t>(-activeRect.left), static_cast<int16_t>(-activeRect.top));
  if (tempRect.right <= 0 || tempRect.bottom <= 0) {
    // Nothing of the source lies under the rectangle: the frame is the background alone.
    ClearGW(dest, theConfig->colors[0]);
    return;
  }

  GWorldPtr theGW = AllocateRectGWorld(tempRect);
  Assert(theGW, "Cannot allocate tempGW for CG Image conversion in theLineEffect");
  // With a white background and a black foreground the copy changes no colour.
  RGBBackColor(&kWhite);
  RGBForeColor(&kBlack);
  CopyBits(GetPortBitMapForCopyBits(source), GetPortBitMapForCopyBits(theGW), &activeRect, &tempRect, srcCopy,
           nullptr);
  CGImageRef theImage = GWorld2CGImage(theGW);
  Assert(theImage, "Cannot allocate CG image from theGW in theLineEffect");

  // The copy above is taken before dest is painted, so source and dest may be one buffer.
  const Rect theFrame = GetPortRect(dest);
  const Rect targetRect = Rel2Rect(ScaleRelAboutCenter(theConfig->startRel, theConfig->sliders[0], theConfig->sliders[1]), theFrame);
  ClearGW(dest, theConfig->colors[0]);
  const float angle = static_cast<float>(theConfig->sliders[2] * 2 * CPI / 100);
  DrawCGImageInQDRectWithAlpha(dest, theImage, targetRect, angle, false, 1.0, 0);

  CGImageRelease(theImage);
  DisposeGWorld(theGW);
}
