#include "host/EffectInfo.h"

#include <algorithm>
#include <cstring>

#include "model/PluginDefines.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/resources/ResourceManager.h"

namespace {

constexpr int kSliderCount = 3;
constexpr HYPluginChoiceFlags kFilterFlags = 0x380;
constexpr HYPluginChoiceFlags kSliderFlags = 0x1000;
constexpr int32_t kBaseMemoryNeeded = 50000;
constexpr int16_t kSliderLabelsList = 128, kEndLabelsList = 129, kButtonList = 130, kGroupList = 17000;

void FetchString(char* dest, size_t capacity, int16_t listID, int16_t index) {
  Str255 text;
  GetIndString(text, listID, index);
  CopyToHostText(dest, capacity, text);
}

}  // namespace

void CopyToHostText(char* dest, size_t capacity, ConstStr255Param text) {
  if (capacity == 0) return;
  const size_t n = std::min<size_t>(text[0], capacity - 1);
  std::memcpy(dest, text + 1, n);
  dest[n] = '\0';
}

HYPluginResult EffectGetInfo(int16_t which, PluginParams* params) {
  // Writing a description needs all three records.
  if (params->getInfo == nullptr || params->getInfo2 == nullptr || params->getInfo3 == nullptr)
    return kPluginBadParams;
  HYPluginGetInfo* info = params->getInfo;
  info->pluginType = kPluginFilterType;
  info->framesToBeRendered = 0;
  info->takeFromClipBefore = 0;
  info->takeFromClipAfter = 0;
  info->minSpeedFrames = 0;
  info->maxSpeedFrames = 0;
  info->mustTakeFromSingleClips = false;
  info->pluginFlags |= kFilterFlags;
  params->getInfo2->baseMemoryNeeded = kBaseMemoryNeeded;
  SetFilterParamInfo(which, params);
  return kPluginOK;
}

void SetFilterParamInfo(int16_t, PluginParams* params) {
  HYPluginGetInfo* info = params->getInfo;
  HY2PluginGetInfo* info2 = params->getInfo2;
  info->takeFromClipBefore = 0;
  info->takeFromClipAfter = info2->selectedFrames;
  info->framesToBeRendered = info2->selectedFrames;

  // The texts live in the bundle's resource file, open only for as long as they are read.
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR(cMyBundleID));
  const int16_t saved = CurResFile();
  const int16_t refNum = CFBundleOpenBundleResourceMap(bundle);

  for (int i = 0; i < kSliderCount; ++i) {
    HYPluginFilterSliderInfo& slider = info2->filterSliders[i];
    slider.defaultValue = 0.5f;
    FetchString(slider.label, sizeof slider.label, kSliderLabelsList, static_cast<int16_t>(i + 1));
    FetchString(slider.minLabel, sizeof slider.minLabel, kEndLabelsList, static_cast<int16_t>(2 * i + 1));
    FetchString(slider.maxLabel, sizeof slider.maxLabel, kEndLabelsList, static_cast<int16_t>(2 * i + 2));
  }
  info->pluginFlags |= kSliderFlags;
  FetchString(params->getInfo3->buttonTitle, sizeof params->getInfo3->buttonTitle, kButtonList, 1);
  FetchString(info2->group, sizeof info2->group, kGroupList, 1);

  if (refNum != -1) CFBundleCloseBundleResourceMap(bundle, refNum);
  if (saved != 0) UseResFile(saved);
}
