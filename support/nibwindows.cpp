// Windows from the bundle's layouts: the part of commonprocs that needs the windowing
// services, kept apart so the rest also builds where there are no windows.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/windows/MacWindows.h"
#include "support/commonprocs.h"

WindowRef OpenNibWindowFromCFBundle(const char* theIdentifier, const char* theNib, const char* theWindow) {
  const std::string identifier = theIdentifier == nullptr ? "" : theIdentifier;
  CFStringRef idString = CFSTR(identifier.c_str());
  Assert(idString, "Cannot allocate CFSTR for " + identifier);
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(idString);
  Assert(bundle, "Cannot allocate bundle for ID = " + identifier);
  CFRetain(bundle);

  const std::string nib = theNib == nullptr || theNib[0] == '\0' ? "pelmora" : theNib;
  IBNibRef nibRef = nullptr;
  CFStringRef nibName = CFStringCreateWithCString(kCFAllocatorDefault, nib.c_str(), kCFStringEncodingUTF8);
  const OSStatus err = CreateNibReferenceWithCFBundle(bundle, nibName, &nibRef);
  CFRelease(nibName);
  if (err != noErr)
    Terminate("OpenNibWindow Failed", "Unable to CreateNibReferenceWithCFBundle for \"" + identifier + "/" + nib +
                                          "\" as it returned errcode #" + Num2Text(err) + ".");

  WindowRef window = nullptr;
  CFStringRef windowName =
      CFStringCreateWithCString(kCFAllocatorDefault, theWindow == nullptr ? "" : theWindow, kCFStringEncodingUTF8);
  const OSStatus made = CreateWindowFromNib(nibRef, windowName, &window);
  CFRelease(windowName);
  if (made != noErr) {
    std::fflush(nullptr);
    std::_Exit(made & 0xFF);
  }
  DisposeNibReference(nibRef);
  CFRelease(bundle);
  return window;
}
