#include "support/EasyFile.h"

#include "platform/imageio/ImageIO.h"
#include "platform/memory/Memory.h"
#include "platform/navigation/Navigation.h"
#include "platform/text/MacRoman.h"
#include "support/commonprocs.h"

bool EasyNavGetFile(std::string_view inMessage, OSType inType, OSType inCreator, FSSpec* outFile) {
  NavReplyRecord reply{};
  reply.version = kNavReplyRecordVersion;
  NavDialogOptions options;
  NavGetDefaultDialogOptions(&options);
  vantiro::SetPascal(options.windowTitle, inMessage);
  options.dialogOptionFlags &= ~static_cast<NavDialogOptionFlags>(kNavAllowMultipleFiles);

  OSErr err;
  if (inType == FOUR_CHAR_CODE('*', '*', '*', '*')) {
    err = NavGetFile(nullptr, &reply, &options, nullptr, nullptr, nullptr, nullptr, nullptr);
  } else {
    auto typeList = reinterpret_cast<NavTypeListHandle>(NewHandleClear(sizeof(NavTypeList)));
    (*typeList)->componentSignature = inCreator;
    (*typeList)->osTypeCount = 1;
    (*typeList)->osType[0] = inType;
    err = NavGetFile(nullptr, &reply, &options, nullptr, nullptr, nullptr, typeList, nullptr);
    DisposeHandle(reinterpret_cast<Handle>(typeList));
  }
  if (err != noErr) return false;

  FileList files{};
  AEDescListToFileList(&reply.selection, &files);
  bool chosen = reply.validRecord;
  if (chosen && files.count > 0)
    *outFile = files.fileSpecs[0];
  else
    chosen = false;
  NavDisposeReply(&reply);
  return chosen;
}

CGImageRef GetCGImageFromFSSUsingCG(const FSSpec& theFSS) { return GetCGImageFromFSRefUsingCG(FSSpec2FSRef(theFSS)); }

CGImageRef GetCGImageFromFSRefUsingCG(const FSRef& theFSRef) {
  CFURLRef url = CFURLCreateFromFSRef(kCFAllocatorDefault, &theFSRef);
  if (url == nullptr) return nullptr;
  CGImageRef image = GetCGImageFromURLUsingCG(url);
  CFRelease(url);
  return image;
}

CGImageRef GetCGImageFromURLUsingCG(CFURLRef theURL) {
  CGImageSourceRef source = CGImageSourceCreateWithURL(theURL, nullptr);
  if (source == nullptr) return nullptr;
  CGImageRef image = CGImageSourceGetCount(source) > 0 ? CGImageSourceCreateImageAtIndex(source, 0, nullptr) : nullptr;
  CFRelease(source);
  return image;
}

OSErr AEDescListToFileList(const AEDescList* inList, FileList* outFileList) {
  outFileList->count = 0;
  long items = 0;
  OSErr err = AECountItems(inList, &items);
  if (err != noErr) return err;
  for (long i = 1; i <= items; ++i) {
    FSSpec fileSpec;
    AEKeyword keyword;
    DescType type;
    Size size;
    err = AEGetNthPtr(inList, i, typeFSS, &keyword, &type, &fileSpec, sizeof fileSpec, &size);
    if (err != noErr) return err;
    if (i <= CMAXFILESINLIST) outFileList->fileSpecs[i - 1] = fileSpec;
    outFileList->count = static_cast<int16_t>(i);
  }
  return noErr;
}
