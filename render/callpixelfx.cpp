#include "render/callpixelfx.h"

#include "model/Globals.h"
#include "model/relrects.h"
#include "render/commonprocs.h"
#include "render/lineEffect.h"
#include "support/commonprocs.h"

void DoEffect(pluginDataPtr myConfig, PluginParams*, GWorldPtr theSource, GWorldPtr theTarget,
              int32_t currentFrameIndex, int32_t, int32_t, int32_t totalFrames, double, double, double, int16_t*) {
  Assert(myConfig, "uninited theData in Plugin Effect master proc. need to call init before calling me");
  vantiro::PortScope scope;
  DoPascalPixelEffect(theSource, theTarget, myConfig, currentFrameIndex, totalFrames);
}

void DoPascalPixelEffect(GWorldPtr source, GWorldPtr dest, pluginDataPtr theConfig, int32_t currentFrameIndex,
                         int32_t maxFrames) {
  const Rect theRect = Rel2Rect(theConfig->startRel, GetPortRect(dest));
  PixelDrive(source, dest, theRect, theConfig, currentFrameIndex, maxFrames);
}

void CallPixelEffect(GWorldPtr source, GWorldPtr dest) {
  const pluginWorkSpace& space = gConfigWorkSpace;
  const Rect theRect = Rel2Rect(space.theConfig->startRel, GetPortRect(dest));
  PixelDrive(source, dest, theRect, space.theConfig, space.currFrameIndex, space.maxFrameIndex);
}

void PixelDrive(GWorldPtr source, GWorldPtr dest, Rect theRect, pluginDataPtr theConfig, int32_t currentFrame,
                int32_t numFrames) {
  theLineEffect(source, dest, theRect, true, theConfig, currentFrame, numFrames);
}
