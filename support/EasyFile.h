// Choosing a file with the standard open dialog, and the first image of a file.
#pragma once

#include <string_view>

#include "platform/MacTypes.h"
#include "platform/appleevents/AEDataModel.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/files/Files.h"

inline constexpr int CMAXFILESINLIST = 4;

// A chooser's answer: `count` files, of which the first four are kept. Entry n is
// fileSpecs[n - 1]; entries above min(count, 4) are undefined.
struct FileList {
  int16_t count;
  FSSpec fileSpecs[CMAXFILESINLIST];
};

// Lets the user choose one file (Mac Roman `inMessage` as the title); "****" as type
// offers every file. True, with `outFile` set, when a file was chosen.
bool EasyNavGetFile(std::string_view inMessage, OSType inType, OSType inCreator, FSSpec* outFile);

// The first image of the file, or nil when it holds none that the decoder reads. The
// caller releases it.
CGImageRef GetCGImageFromFSSUsingCG(const FSSpec& theFSS);
CGImageRef GetCGImageFromFSRefUsingCG(const FSRef& theFSRef);
CGImageRef GetCGImageFromURLUsingCG(CFURLRef theURL);

// Reads a chooser's selection as file specifications; 0, or the first failing status.
OSErr AEDescListToFileList(const AEDescList* inList, FileList* outFileList);
