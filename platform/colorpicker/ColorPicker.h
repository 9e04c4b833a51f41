// The colour picker: a modal colour dialog with a prompt and a starting colour.
#pragma once

#include "platform/MacTypes.h"

typedef struct OpaqueCMProfileRef* CMProfileRef;
typedef void* UserEventUPP;
typedef void* NColorChangedUPP;
typedef int16_t DialogPlacementSpec;
enum : DialogPlacementSpec { kAtSpecifiedOrigin = 0, kDeepestColorScreen = 1, kCenterOnMainScreen = 2 };
enum : uint32_t {
  kColorPickerDialogIsMoveable = 1,
  kColorPickerDialogIsModal = 2,
  kColorPickerCanModifyPalette = 4,
  kColorPickerCanAnimatePalette = 8,
  kColorPickerAppIsColorSyncAware = 16,
  kColorPickerInSystemDialog = 32,
  kColorPickerInApplicationDialog = 64,
  kColorPickerInPickerDialog = 128,
};

struct CMRGBColor {
  uint16_t red;
  uint16_t green;
  uint16_t blue;
};
union CMColor {
  CMRGBColor rgb;
  uint16_t components[5];
};
struct NPMColor {
  CMProfileRef profile;  // colour profiles are not modelled: nil
  CMColor color;
};
struct PickerMenuItemInfo {
  int16_t editMenuID, cutItem, copyItem, pasteItem, clearItem, undoItem;
};
struct NColorPickerInfo {
  NPMColor theColor;       // in: the starting colour; out: the chosen one
  CMProfileRef dstProfile;
  uint32_t flags;
  DialogPlacementSpec placeWhere;
  Point dialogOrigin;
  OSType pickerType;
  UserEventUPP eventProc;
  NColorChangedUPP colorProc;
  uint32_t colorProcData;
  Str255 prompt;           // Mac Roman; the dialog's title
  PickerMenuItemInfo mInfo;
  Boolean newColorChosen;  // out: the user pressed OK
  uint8_t reserved;
};

// Runs the picker modally. noErr in both cases; `newColorChosen` tells OK from Cancel.
// The dialog works in 8 bits a channel: it starts from the high byte of each channel,
// and a chosen channel c comes back as c × 257, so full intensity is 65535. The dialog is centred on the screen, wherever `dialogOrigin` says.
OSErr NPickColor(NColorPickerInfo* info);
