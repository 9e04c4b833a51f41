#include "model/prefsloader.h"

#include <cstdio>
#include <string>

#include "model/DataHandling.h"
#include "platform/files/Files.h"
#include "platform/memory/Memory.h"
#include "platform/resources/ResourceManager.h"
#include "platform/text/MacRoman.h"

namespace {

std::string PrefsFileName() { return std::string(cProductCode) + cPrefName; }

// Finds the preferences folder (never creating it) and names the settings file in it.
// `exists` tells whether the file is there.
bool LocatePrefsFile(FSSpec* fileSpec, bool* exists) {
  int16_t vRefNum = 0;
  int32_t dirID = 0;
  if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr)
    return false;
  const OSErr err = FSMakeFSSpec(vRefNum, dirID, vantiro::PStr(PrefsFileName()), fileSpec);
  if (err != noErr && err != fnfErr) return false;
  *exists = err == noErr;
  return true;
}

int16_t OpenPrefsFile(FSSpec* fileSpec) {
  bool exists = false;
  if (!LocatePrefsFile(fileSpec, &exists) || !exists) return -1;
  return FSpOpenResFile(fileSpec, fsCurPerm);
}

// A settings file that is no resource file can never be read or written again; keep its
// bytes beside it for the user and start a new, empty one.
int16_t ReplaceDamagedFile(FSSpec* fileSpec) {
  const std::string path = VantiroPathFromFSSpec(*fileSpec);
  if (std::rename(path.c_str(), (path + ".damaged").c_str()) != 0) return -1;
  FSpCreateResFile(fileSpec, cPrefsCreator, cPrefsType, smSystemScript);
  return ResError() == noErr ? FSpOpenResFile(fileSpec, fsCurPerm) : -1;
}

}  // namespace

void EnsurePrefsFile() {
  FSSpec fileSpec;
  bool exists = true;
  if (LocatePrefsFile(&fileSpec, &exists) && !exists)
    FSpCreateResFile(&fileSpec, cPrefsCreator, cPrefsType, smSystemScript);
}

bool SaveConfig(pluginDataPtr theConfig) {
  if (theConfig == nullptr) return false;
  FSSpec fileSpec;
  int16_t refNum = OpenPrefsFile(&fileSpec);
  if (refNum == -1 && ResError() == mapReadErr) refNum = ReplaceDamagedFile(&fileSpec);
  if (refNum == -1) return false;

  if (Handle old = Get1Resource(cPrefsType, cPrefsID)) {
    RemoveResource(old);
    DisposeHandle(old);
    UpdateResFile(refNum);
  }
  Handle record = NewHandleClear(cConfigSaveSize);
  if (record == nullptr) {
    CloseResFile(refNum);
    return false;
  }
  Config2Save(theConfig, record);
  AddResource(record, cPrefsType, cPrefsID, vantiro::PStr(cPrefsResName));
  if (ResError() != noErr) {
    DisposeHandle(record);
    CloseResFile(refNum);
    return false;
  }
  UpdateResFile(refNum);
  const bool written = ResError() == noErr;
  ReleaseResource(record);
  CloseResFile(refNum);
  return written;
}

bool ReadConfig(pluginDataPtr theConfig) {
  if (theConfig == nullptr) return false;
  FSSpec fileSpec;
  const int16_t refNum = OpenPrefsFile(&fileSpec);
  if (refNum == -1) return false;
  Handle record = Get1Resource(cPrefsType, cPrefsID);
  if (record == nullptr) {
    CloseResFile(refNum);
    return false;
  }
  DetachResource(record);
  CloseResFile(refNum);
  const bool ok = Save2Config(theConfig, record);
  DisposeHandle(record);
  return ok;
}
