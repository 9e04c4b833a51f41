#include "model/pascalFX.h"

#include <cstring>

#include "model/Globals.h"
#include "model/relrects.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/memory/Memory.h"
#include "support/commonprocs.h"

namespace {

constexpr RGBColor kWhite{65535, 65535, 65535};
constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kRed{65535, 0, 0};

}  // namespace

void pGetConfigSize(uint32_t* theSize) { *theSize = sizeof(pluginDataRec); }

void pNewConfig(pluginDataPtr* theData) {
  *theData = nullptr;
  uint32_t size = 0;
  pGetConfigSize(&size);
  *theData = reinterpret_cast<pluginDataPtr>(NewPtrClear(size));
  Assert(*theData, "Unable to allocate new data structure in pNewConfig");
}

void pCopyConfig(pluginDataPtr source, pluginDataPtr dest) {
  if (source == nullptr || dest == nullptr) return;
  const Size sourceSize = GetPtrSize(reinterpret_cast<Ptr>(source));
  const Size destSize = GetPtrSize(reinterpret_cast<Ptr>(dest));
  if (sourceSize != destSize)
    Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match");
  uint32_t size = 0;
  pGetConfigSize(&size);
  std::memmove(dest, source, size);
  if (source->theRendered != nullptr) dest->theRendered = CGImageCreateCopy(source->theRendered);
  dest->theOriginalImage = nullptr;
}

void pUncopyConfig(pluginDataPtr theData) {
  Assert(theData, "Nil data in pUncopyConfig");
  if (theData->theRendered != nullptr) CGImageRelease(theData->theRendered);
}

void pDestroyConfig(pluginDataPtr aConfig) {
  if (aConfig != nullptr) DisposePtr(reinterpret_cast<Ptr>(aConfig));
}

int16_t GetMediaFormat(pluginDataPtr theData) {
  return theData == nullptr ? kMediaNTSC : theData->mediaType;
}

void ResetConfig(pluginDataPtr theConfig, bool fullInit) {
  InitRelRect(theConfig->startRel);
  InitRelRect(theConfig->endRel);
  theConfig->colors[0] = kWhite;
  theConfig->colors[1] = kWhite;
  for (int i = 2; i < 6; ++i) theConfig->colors[i] = kBlack;
  for (auto& slider : theConfig->sliders) slider = 0;
  theConfig->frameStartColor = kRed;
  if (fullInit) {
    theConfig->theOriginalImage = nullptr;
    theConfig->theRendered = nullptr;
    theConfig->mediaType = kMediaNTSC;
  }
  theConfig->keepProps = false;
  theConfig->blendMode = 1;
  theConfig->sync = false;
  theConfig->outside = true;
  theConfig->clipActive = false;
}

relRect GetCurrentRel() { return gConfigWorkSpace.theConfig->startRel; }

void PutCurrentRel(const relRect& theRel) { gConfigWorkSpace.theConfig->startRel = theRel; }
