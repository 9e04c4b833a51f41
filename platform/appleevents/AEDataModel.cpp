#include "platform/appleevents/AEDataModel.h"

#include <cstring>
#include <vector>

#include "platform/files/Files.h"

struct OpaqueAEDataStorage {
  struct Item {
    DescType type;
    std::vector<uint8_t> bytes;
  };
  std::vector<Item> items;
};

namespace {

bool IsList(const AEDescList* list) {
  return list != nullptr && list->descriptorType == typeAEList && list->dataHandle != nullptr;
}

// Converts between the two file addresses; false for anything else.
bool Coerce(const OpaqueAEDataStorage::Item& item, DescType desired, std::vector<uint8_t>* out) {
  if (item.type == typeFSS && desired == typeFSRef && item.bytes.size() == sizeof(FSSpec)) {
    FSSpec fileSpec;
    std::memcpy(&fileSpec, item.bytes.data(), sizeof fileSpec);
    FSRef ref;
    if (FSpMakeFSRef(&fileSpec, &ref) != noErr) return false;
    out->assign(reinterpret_cast<uint8_t*>(&ref), reinterpret_cast<uint8_t*>(&ref) + sizeof ref);
    return true;
  }
  if (item.type == typeFSRef && desired == typeFSS && item.bytes.size() == sizeof(FSRef)) {
    FSRef ref;
    std::memcpy(&ref, item.bytes.data(), sizeof ref);
    FSSpec fileSpec;
    if (FSGetCatalogInfo(&ref, 0, nullptr, nullptr, &fileSpec, nullptr) != noErr) return false;
    out->assign(reinterpret_cast<uint8_t*>(&fileSpec), reinterpret_cast<uint8_t*>(&fileSpec) + sizeof fileSpec);
    return true;
  }
  return false;
}

}  // namespace

OSErr AECreateList(const void*, Size, Boolean isRecord, AEDescList* resultList) {
  if (resultList == nullptr || isRecord) return paramErr;
  *resultList = AEDesc{typeAEList, new OpaqueAEDataStorage()};
  return noErr;
}

OSErr AECountItems(const AEDescList* list, long* count) {
  if (!IsList(list) || count == nullptr) return errAEWrongDataType;
  *count = static_cast<long>(list->dataHandle->items.size());
  return noErr;
}

OSErr AEPutPtr(AEDescList* list, long index, DescType typeCode, const void* dataPtr, Size dataSize) {
  if (!IsList(list)) return errAEWrongDataType;
  if (dataSize < 0 || (dataPtr == nullptr && dataSize > 0)) return paramErr;
  auto& items = list->dataHandle->items;
  const auto* bytes = static_cast<const uint8_t*>(dataPtr);
  OpaqueAEDataStorage::Item item{typeCode, std::vector<uint8_t>(bytes, bytes + dataSize)};
  if (index == 0 || index == static_cast<long>(items.size()) + 1) {
    items.push_back(std::move(item));
  } else if (index >= 1 && index <= static_cast<long>(items.size())) {
    items[static_cast<std::size_t>(index - 1)] = std::move(item);
  } else {
    return errAEIllegalIndex;
  }
  return noErr;
}

OSErr AEGetNthPtr(const AEDescList* list, long index, DescType desiredType, AEKeyword* keyword,
                  DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize) {
  if (!IsList(list)) return errAEWrongDataType;
  const auto& items = list->dataHandle->items;
  if (index < 1 || index > static_cast<long>(items.size())) return errAEIllegalIndex;
  const auto& item = items[static_cast<std::size_t>(index - 1)];
  std::vector<uint8_t> converted;
  const std::vector<uint8_t>* bytes = &item.bytes;
  DescType type = item.type;
  if (desiredType != typeWildCard && desiredType != item.type) {
    if (!Coerce(item, desiredType, &converted)) return errAECoercionFail;
    bytes = &converted;
    type = desiredType;
  }
  if (keyword != nullptr) *keyword = typeWildCard;
  if (typeCode != nullptr) *typeCode = type;
  if (actualSize != nullptr) *actualSize = static_cast<Size>(bytes->size());
  if (dataPtr != nullptr && maximumSize > 0 && !bytes->empty())
    std::memcpy(dataPtr, bytes->data(), std::min<std::size_t>(bytes->size(), static_cast<std::size_t>(maximumSize)));
  return noErr;
}

OSErr AEDisposeDesc(AEDesc* desc) {
  if (desc == nullptr) return paramErr;
  if (desc->descriptorType == typeAEList) delete desc->dataHandle;
  *desc = AEDesc{typeNull, nullptr};
  return noErr;
}
