// Descriptor lists: the file chooser's answer is a list of typed items.
#pragma once

#include "platform/MacTypes.h"

typedef ResType DescType;
typedef FourCharCode AEKeyword;
typedef struct OpaqueAEDataStorage* AEDataStorage;

struct AEDesc {
  DescType descriptorType;
  AEDataStorage dataHandle;
};
typedef AEDesc AEDescList;

enum : DescType {
  typeWildCard = FOUR_CHAR_CODE('*', '*', '*', '*'),
  typeNull = FOUR_CHAR_CODE('n', 'u', 'l', 'l'),
  typeAEList = FOUR_CHAR_CODE('l', 'i', 's', 't'),
  typeFSS = FOUR_CHAR_CODE('f', 's', 's', ' '),
  typeFSRef = FOUR_CHAR_CODE('f', 's', 'r', 'f'),
};

inline constexpr OSErr errAECoercionFail = -1700;
inline constexpr OSErr errAEWrongDataType = -1703;
inline constexpr OSErr errAEIllegalIndex = -1719;

OSErr AECreateList(const void* factoringPtr, Size factoredSize, Boolean isRecord, AEDescList* resultList);
OSErr AECountItems(const AEDescList* list, long* count);
// Index 0 appends; index n replaces item n, or appends when it is one past the end.
OSErr AEPutPtr(AEDescList* list, long index, DescType typeCode, const void* dataPtr, Size dataSize);
// Item `index` (from 1) as `desiredType`: its own type or typeWildCard copy the bytes; a
// file specification and a file reference convert into each other; anything else fails
// with errAECoercionFail. At most `maximumSize` bytes are copied; `actualSize` is the full
// size.
OSErr AEGetNthPtr(const AEDescList* list, long index, DescType desiredType, AEKeyword* keyword,
                  DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize);
OSErr AEDisposeDesc(AEDesc* desc);
