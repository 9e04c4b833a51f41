#include "model/prefsloader.h"

#include <sys/stat.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "model/DataHandling.h"
#include "platform/files/Files.h"
#include "platform/memory/Memory.h"
#include "platform/resources/ResourceManager.h"
#include "platform/text/MacRoman.h"

namespace {

OSErr gPrefsError = noErr;

std::string PrefsFileName() { return std::string(cProductCode) + cPrefName; }

// Finds the preferences folder (never creating it) and names the settings file in it.
// fnfErr when the file is not there (the file specification is filled in then too).
OSErr LocatePrefsFile(FSSpec* fileSpec) {
  int16_t vRefNum = 0;
  int32_t dirID = 0;
  const OSErr found = FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID);
  if (found != noErr) return found == fnfErr ? dirNFErr : found;
  return FSMakeFSSpec(vRefNum, dirID, vantiro::PStr(PrefsFileName()), fileSpec);
}

bool Failed(OSErr err) {
  gPrefsError = err;
  return false;
}

// Opens the settings file's resources; -1 with the reason in `err` on failure.
int16_t OpenPrefsFile(const FSSpec& fileSpec, OSErr* err) {
  const int16_t refNum = FSpOpenResFile(&fileSpec, fsCurPerm);
  *err = refNum == -1 ? ResError() : noErr;
  return refNum;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// A settings file that is no resource file can never be read or written again; keep it
// beside it for the user, never over an earlier damaged copy, and start a new, empty one.
OSErr ReplaceDamagedFile(const FSSpec& fileSpec) {
  const std::string path = VantiroPathFromFSSpec(fileSpec);
  std::string aside = path + ".damaged";
  for (int n = 2; Exists(aside); ++n) aside = path + ".damaged-" + std::to_string(n);
  if (std::rename(path.c_str(), aside.c_str()) != 0) return mapReadErr;
  FSpCreateResFile(&fileSpec, cPrefsCreator, cPrefsType, smSystemScript);
  return ResError();
}

// Replaces any stored record by the configuration's in the open file, in one write. The
// new record is made before the old one goes, so a failure leaves the file as it was.
OSErr StoreRecord(pluginDataPtr theConfig, int16_t refNum) {
  Handle record = NewHandleClear(cConfigSaveSize);
  if (record == nullptr) return memFullErr;
  Config2Save(theConfig, record);
  if (Handle old = Get1Resource(cPrefsType, cPrefsID)) {
    RemoveResource(old);
    DisposeHandle(old);
  }
  AddResource(record, cPrefsType, cPrefsID, vantiro::PStr(cPrefsResName));
  if (ResError() != noErr) {
    DisposeHandle(record);
    return ResError();
  }
  UpdateResFile(refNum);
  const OSErr written = ResError();
  ReleaseResource(record);
  return written;
}

// The lock nests: the outermost holder takes the file lock, the innermost releases it.
std::recursive_mutex gLockMutex;
int gLockDepth = 0;
int gLockFd = -1;

}  // namespace

std::string PrefsFilePath() {
  FSSpec fileSpec;
  const OSErr err = LocatePrefsFile(&fileSpec);
  return err == noErr || err == fnfErr ? VantiroPathFromFSSpec(fileSpec) : std::string();
}

PrefsFileLock::PrefsFileLock() {
  gLockMutex.lock();
  if (gLockDepth++ > 0) return;
  const std::string path = PrefsFilePath();
  gLockFd = path.empty() ? -1 : VantiroLockFile(path + ".lock");
  // Holding the lock, no other process of ours is half-way through a write.
  if (gLockFd >= 0) VantiroRemoveStaleTemporaries(path);
}

PrefsFileLock::~PrefsFileLock() {
  if (--gLockDepth == 0) {
    VantiroUnlockFile(gLockFd);
    gLockFd = -1;
  }
  gLockMutex.unlock();
}

OSErr PrefsFileError() { return gPrefsError; }

void EnsurePrefsFile() {
  PrefsFileLock lock;
  FSSpec fileSpec;
  if (LocatePrefsFile(&fileSpec) == fnfErr)
    FSpCreateResFile(&fileSpec, cPrefsCreator, cPrefsType, smSystemScript);
}

bool SaveConfig(pluginDataPtr theConfig) {
  if (theConfig == nullptr) return Failed(paramErr);
  PrefsFileLock lock;
  FSSpec fileSpec;
  if (const OSErr located = LocatePrefsFile(&fileSpec); located != noErr) return Failed(located);
  OSErr err = noErr;
  int16_t refNum = OpenPrefsFile(fileSpec, &err);
  if (err == mapReadErr && (err = ReplaceDamagedFile(fileSpec)) == noErr) refNum = OpenPrefsFile(fileSpec, &err);
  if (refNum == -1) return Failed(err);
  err = StoreRecord(theConfig, refNum);
  CloseResFile(refNum);
  gPrefsError = err;
  return err == noErr;
}

bool ReadConfig(pluginDataPtr theConfig) {
  if (theConfig == nullptr) return Failed(paramErr);
  FSSpec fileSpec;
  if (const OSErr located = LocatePrefsFile(&fileSpec); located != noErr) return Failed(located);
  OSErr err = noErr;
  const int16_t refNum = OpenPrefsFile(fileSpec, &err);
  if (refNum == -1) return Failed(err);
  Handle record = Get1Resource(cPrefsType, cPrefsID);
  if (record == nullptr) {
    CloseResFile(refNum);
    return Failed(resNotFound);
  }
  DetachResource(record);
  CloseResFile(refNum);
  const bool ok = Save2Config(theConfig, record);
  DisposeHandle(record);
  gPrefsError = ok ? noErr : resNotFound;
  return ok;
}
