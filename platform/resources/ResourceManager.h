// The Resource Manager: resource files opened into a chain, the current file, resources
// loaded into handles, added, removed, detached and written back.
//
// Writing replaces the whole file atomically (a temporary file beside it, flushed, then
// renamed over it), so a crash never leaves a torn file; a write that would not change the
// file's bytes is skipped. Only regular files of up to 16 MiB are read: anything else
// under the name (a folder, pipe or device) opens as a damaged file (mapReadErr).
#pragma once

#include "platform/MacTypes.h"
#include "platform/files/Files.h"

enum : int8_t { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3 };
enum : ScriptCode { smSystemScript = -1 };

// Creates an empty resource file; dupFNErr (in ResError) when the file already exists.
void FSpCreateResFile(const FSSpec* fileSpec, OSType creator, OSType fileType, ScriptCode script);

// Opens the file's resources, makes them the current resource file and returns the
// reference number; -1 on failure (ResError: fnfErr, permErr for a file that may not be
// read, mapReadErr for a damaged file, ...). Writes fail with wrPermErr where the folder
// may not be written.
// A file already open is not opened twice: its reference number comes back.
int16_t FSpOpenResFile(const FSSpec* fileSpec, int8_t permission);
void CloseResFile(int16_t refNum);  // writes pending changes first
void UseResFile(int16_t refNum);
int16_t CurResFile(void);
void UpdateResFile(int16_t refNum);  // writes pending changes
OSErr ResError(void);

// Get1Resource searches the current file only; GetResource searches it and then the
// files opened before it. The handle stays the Resource Manager's until released or
// detached.
Handle Get1Resource(ResType type, int16_t id);
Handle GetResource(ResType type, int16_t id);
void ReleaseResource(Handle resource);  // disposes the handle's data
void DetachResource(Handle resource);   // the handle becomes the caller's
void RemoveResource(Handle resource);   // removed from its file; the handle becomes the caller's
void AddResource(Handle data, ResType type, int16_t id, ConstStr255Param name);

// String `index` (from 1) of string list `listID` in the resource chain; an empty string
// when there is no such list or entry.
void GetIndString(Str255 theString, int16_t listID, int16_t index);

// The temporary files that writes of `path` go through are named this prefix and six
// more characters. Removes those a killed process left behind (regular files of this
// user only); call it only while no other process can be writing `path`.
std::string VantiroTemporaryPrefix(const std::string& path);
void VantiroRemoveStaleTemporaries(const std::string& path);
