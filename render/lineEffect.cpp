#include "render/lineEffect.h"

#include "model/relrects.h"
#include "render/CGglue.h"
#include "render/commonprocs.h"
#include "support/commonprocs.h"

namespace {

constexpr double CPI = 3.1415926535897932;
constexpr RGBColor kWhite{65535, 65535, 65535};
constexpr RGBColor kBlack{0, 0, 0};

// One axis of the rectangle scaled about its centre: the centre, then half the new extent
// either side of it. A factor of exactly 1 keeps the edges as they are, since going through
// the centre may lose the last bit and move an edge by a pixel; a factor of 0 puts both
// edges on the centre, so nothing is left to draw.
void ScaleAxis(double& low, double& high, int16_t slider) {
  if (slider == 0) return;
  double delta = high - low;
  const double mid = delta / 2 + low;
  delta = (slider / 100.0 + 1) * delta;
  low = mid - delta / 2;
  high = delta / 2 + mid;
}

}  // namespace

relRect ScaleRelAboutCenter(const relRect& startRel, int16_t sx, int16_t sy) {
  relRect theRel = startRel;
  ScaleAxis(theRel.left, theRel.right, sx);
  ScaleAxis(theRel.top, theRel.bottom, sy);
  return theRel;
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
