// The settings file "vloqa-Prefs" in the preferences folder: a resource file holding the
// saved settings as resource 'Pref' 1 "Config Settings".
//
// Several processes may share the file (a host, vantiro settings, a filter in another
// program). Each save replaces the file in one atomic rename, and whoever reads, changes
// and writes it back holds PrefsFileLock for the whole sequence, so no change is lost.
#pragma once

#include <string>

#include "model/PluginDefines.h"

// Holds the advisory lock on "vloqa-Prefs.lock" beside the settings file while it lives.
// Locks nest within a process; without a preferences folder there is nothing to lock.
class PrefsFileLock {
 public:
  PrefsFileLock();
  ~PrefsFileLock();
  PrefsFileLock(const PrefsFileLock&) = delete;
  PrefsFileLock& operator=(const PrefsFileLock&) = delete;
};

// Creates the settings file, empty, when it is missing.
void EnsurePrefsFile();

// Replaces the stored record with this configuration in one atomic write of the file;
// true when it was written. Writes nothing when the file would not change. Anything that
// is not a readable resource file under the file's name (damaged bytes, a folder, a pipe)
// is moved aside as "vloqa-Prefs.damaged" (then ".damaged-2", ...) and replaced.
bool SaveConfig(pluginDataPtr theConfig);

// Overlays a valid stored record onto the configuration; false, with the configuration
// untouched, when there is none.
bool ReadConfig(pluginDataPtr theConfig);

// Why the latest ReadConfig or SaveConfig returned false: dirNFErr (no preferences
// folder), fnfErr (no settings file), resNotFound (no record of this build), permErr (the file may not be read),
// wrPermErr (the folder or file may not be written), mapReadErr (damaged and could not be
// moved aside), or another error of the file system. noErr after a success.
OSErr PrefsFileError();

// The settings file's path; empty without a preferences folder.
std::string PrefsFilePath();
