// The open-file chooser.
//
// Type and creator filters on Linux files: a file is offered when
//   - its type matches: the list's type is "****", or the file carries that type (the
//     extended attribute user.vantiro.type), or it carries none and its name ends in an
//     extension of that type (see VantiroExtensionsForType); and
//   - its creator matches: the list's creator is "****", or the file carries that
//     creator (user.vantiro.creator), or it carries none, as nearly every Linux file.
// Folders are always offered, so that the user can move through them.
#pragma once

#include <string>
#include <vector>

#include "platform/MacTypes.h"
#include "platform/appleevents/AEDataModel.h"

typedef uint32_t NavDialogOptionFlags;
enum : NavDialogOptionFlags {
  kNavDontAddTranslateItems = 0x04,
  kNavAllowStationery = 0x20,
  kNavAllowPreviews = 0x40,
  kNavAllowMultipleFiles = 0x80,
  kNavAllowInvisibleFiles = 0x100,
  kNavDefaultNavDlogOptions = 0xE4,
};
enum : uint16_t { kNavDialogOptionsVersion = 0, kNavReplyRecordVersion = 2 };

struct NavDialogOptions {
  uint16_t version;
  NavDialogOptionFlags dialogOptionFlags;
  Point location;
  Str255 clientName;
  Str255 windowTitle;  // Mac Roman; the chooser's title
  Str255 actionButtonLabel;
  Str255 cancelButtonLabel;
  Str255 savedFileName;
  Str255 message;
  uint32_t preferenceKey;
  Handle popupExtension;
};

struct NavReplyRecord {
  uint16_t version;
  Boolean validRecord;
  Boolean replacing;
  Boolean isStationery;
  Boolean translationNeeded;
  AEDescList selection;  // file specifications (typeFSS)
  ScriptCode keyScript;
  Handle fileTranslation;
};

struct NavTypeList {
  OSType componentSignature;  // the creator
  int16_t reserved;
  int16_t osTypeCount;
  OSType osType[1];
};
typedef NavTypeList** NavTypeListHandle;
typedef void* NavEventUPP;
typedef void* NavPreviewUPP;
typedef void* NavObjectFilterUPP;

inline constexpr OSErr kNavInvalidCustomControlMessage = -5695;

OSErr NavGetDefaultDialogOptions(NavDialogOptions* options);
// Runs the chooser modally. userCanceledErr when the user cancels (`reply` untouched);
// otherwise noErr with the chosen files in `reply->selection`. A nil type list offers
// every file. Event, preview and filter procedures are not supported: pass nil.
OSErr NavGetFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* options,
                 NavEventUPP eventProc, NavPreviewUPP previewProc, NavObjectFilterUPP filterProc,
                 NavTypeListHandle typeList, void* callBackUD);
OSErr NavDisposeReply(NavReplyRecord* reply);

// The extensions (lower case, without the dot) by which a file without a type attribute
// counts as being of `type`: the usual ones of the common types, plus the type's own
// characters in lower case without trailing blanks ("TIFF" also "tiff").
std::vector<std::string> VantiroExtensionsForType(OSType type);
// Whether the chooser offers the file at `path` for a list with `type` and `creator`.
bool VantiroFileMatchesTypeList(const std::string& path, OSType type, OSType creator);
