// File specifications and the preferences folder.
//
// A file specification names a file by volume, parent directory and leaf name. On
// Linux there is one volume; directory ids are handed out by this layer for absolute
// directory paths, and leaf names hold up to 255 bytes of the file system's own bytes,
// so a file specification can name any Linux file.
#pragma once

#include <string>

#include "platform/MacTypes.h"

struct FSSpec {
  int16_t vRefNum;
  int32_t parID;
  Str255 name;
};

enum : int16_t { kOnSystemDisk = -32768, kVantiroVolume = -1 };
enum : OSType { kPreferencesFolderType = FOUR_CHAR_CODE('p', 'r', 'e', 'f') };
enum : Boolean { kDontCreateFolder = 0, kCreateFolder = 1 };
inline constexpr OSErr bdNamErr = -37;
inline constexpr OSErr wrPermErr = -61;  // the file or its folder may not be written

// The preferences folder is $XDG_CONFIG_HOME, else $HOME/.config. It is looked up and
// never created: asking for creation is refused with paramErr, a missing folder gives
// fnfErr.
OSErr FindFolder(int16_t vRefNum, OSType folderType, Boolean createFolder, int16_t* foundVRefNum,
                 int32_t* foundDirID);

// Fills `fileSpec` for `name` in directory `dirID`: noErr when the file exists, fnfErr when
// it does not (fileSpec still valid), dirNFErr for an unknown directory, bdNamErr for a name
// that is empty or holds '/'.
OSErr FSMakeFSSpec(int16_t vRefNum, int32_t dirID, ConstStr255Param name, FSSpec* fileSpec);

// Bridges to Linux paths: the same results as FSMakeFSSpec.
OSErr VantiroMakeFSSpecFromPath(const char* path, FSSpec* fileSpec);
std::string VantiroPathFromFSSpec(const FSSpec& fileSpec);

// File references. A reference names an existing file or folder by any Linux path: the
// path is kept by this layer and the reference holds its number, so references stay 80
// bytes however long the path is. The all-zero reference names nothing.
struct FSRef {
  uint8_t hidden[80];
};
struct FSCatalogInfo;  // not modelled: pass nil
struct HFSUniStr255;   // not modelled: pass nil
typedef uint32_t FSCatalogInfoBitmap;

// noErr when the file exists (fnfErr otherwise, `ref` then all zero).
OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef);
OSStatus FSPathMakeRef(const uint8_t* path, FSRef* ref, Boolean* isDirectory);
// Only the file specification and the parent folder are given out.
OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef);
std::string VantiroPathFromFSRef(const FSRef& ref);  // "" for a reference that names nothing

// The type and creator a file carries (the extended attributes user.vantiro.type and
// user.vantiro.creator); 0 for one it does not carry.
void VantiroGetFileTypeAndCreator(const char* path, OSType* type, OSType* creator);

// An advisory lock (flock) on the file `path`, created if missing (the folder never is),
// for processes that read, change and write a file they share. Blocks until the lock is
// had; -1 when the lock file cannot be opened. Unlock by closing the descriptor.
int VantiroLockFile(const std::string& path);
void VantiroUnlockFile(int fd);
