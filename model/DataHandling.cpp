#include "model/DataHandling.h"

#include <cstring>
#include <string_view>

#include "platform/memory/Memory.h"

namespace {

namespace off {
constexpr std::size_t sizeInBytes = 0, version = 4, startRel = 8, endRel = 40, colors = 72,
                      sliders = 108, frameStartColor = 120, frameEndColor = 126, mediaType = 132,
                      keepProps = 134, blendMode = 136, miscString = 138;
}

// Values are stored in the processor's own byte order, one field at a time.
template <typename T>
void Put(uint8_t* rec, std::size_t at, T value) {
  std::memcpy(rec + at, &value, sizeof value);
}

template <typename T>
T Get(const uint8_t* rec, std::size_t at) {
  T value;
  std::memcpy(&value, rec + at, sizeof value);
  return value;
}

void PutRel(uint8_t* rec, std::size_t at, const relRect& r) {
  Put(rec, at, r.left), Put(rec, at + 8, r.right), Put(rec, at + 16, r.top), Put(rec, at + 24, r.bottom);
}

relRect GetRel(const uint8_t* rec, std::size_t at) {
  return {Get<double>(rec, at), Get<double>(rec, at + 8), Get<double>(rec, at + 16),
          Get<double>(rec, at + 24)};
}

void PutColor(uint8_t* rec, std::size_t at, const RGBColor& c) {
  Put(rec, at, c.red), Put(rec, at + 2, c.green), Put(rec, at + 4, c.blue);
}

RGBColor GetColor(const uint8_t* rec, std::size_t at) {
  return {Get<uint16_t>(rec, at), Get<uint16_t>(rec, at + 2), Get<uint16_t>(rec, at + 4)};
}

bool Usable(pluginDataPtr theConfig, Handle h) {
  return theConfig != nullptr && h != nullptr && *h != nullptr &&
         GetHandleSize(h) >= static_cast<Size>(cConfigSaveSize);
}

}  // namespace

bool Config2Save(pluginDataPtr theConfig, Handle theSaveConfig) {
  if (!Usable(theConfig, theSaveConfig)) return false;
  auto* rec = reinterpret_cast<uint8_t*>(*theSaveConfig);
  std::memset(rec, 0, cConfigSaveSize);
  Put(rec, off::sizeInBytes, cConfigSaveSize);
  Put(rec, off::version, cConfigSaveVersion);
  PutRel(rec, off::startRel, theConfig->startRel);
  PutRel(rec, off::endRel, theConfig->endRel);
  for (int i = 0; i < 6; ++i) PutColor(rec, off::colors + 6 * i, theConfig->colors[i]);
  for (int i = 0; i < 6; ++i) Put(rec, off::sliders + 2 * i, theConfig->sliders[i]);
  PutColor(rec, off::frameStartColor, theConfig->frameStartColor);
  PutColor(rec, off::frameEndColor, theConfig->frameEndColor);
  Put(rec, off::mediaType, theConfig->mediaType);
  Put<uint8_t>(rec, off::keepProps, theConfig->keepProps ? 1 : 0);
  Put(rec, off::blendMode, theConfig->blendMode);
  const std::string_view misc = cConfigSaveMisc;
  rec[off::miscString] = static_cast<uint8_t>(misc.size());
  std::memcpy(rec + off::miscString + 1, misc.data(), misc.size());
  return true;
}

bool Save2Config(pluginDataPtr theConfig, Handle theSaveConfig) {
  if (!Usable(theConfig, theSaveConfig)) return false;
  const auto* rec = reinterpret_cast<const uint8_t*>(*theSaveConfig);
  if (Get<uint32_t>(rec, off::sizeInBytes) != cConfigSaveSize) return false;
  if (Get<uint32_t>(rec, off::version) != cConfigSaveVersion) return false;
  theConfig->startRel = GetRel(rec, off::startRel);
  theConfig->endRel = GetRel(rec, off::endRel);
  for (int i = 0; i < 6; ++i) theConfig->colors[i] = GetColor(rec, off::colors + 6 * i);
  for (int i = 0; i < 6; ++i) theConfig->sliders[i] = Get<int16_t>(rec, off::sliders + 2 * i);
  theConfig->frameStartColor = GetColor(rec, off::frameStartColor);
  theConfig->frameEndColor = GetColor(rec, off::frameEndColor);
  theConfig->mediaType = Get<int16_t>(rec, off::mediaType);
  // Any non-zero byte reads as true; the record stores 0 or 1.
  theConfig->keepProps = Get<uint8_t>(rec, off::keepProps) != 0;
  theConfig->blendMode = Get<int16_t>(rec, off::blendMode);
  return true;
}
