// Reference-counted strings, URLs and bundles: the small part of Core Foundation the
// plug-in uses. Objects made by a Create or Copy call belong to the caller (CFRelease).
#pragma once

#include <string>

#include "platform/MacTypes.h"

typedef const void* CFTypeRef;  // any of the references below
typedef const struct __CFString* CFStringRef;
typedef const struct __CFURL* CFURLRef;
typedef struct __CFBundle* CFBundleRef;
typedef const struct __CFDictionary* CFDictionaryRef;  // options; only nil is accepted
struct FSRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef uint32_t CFStringEncoding;
typedef long CFIndex;

inline constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;
inline constexpr CFStringEncoding kCFStringEncodingMacRoman = 0;
inline constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;

CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param text, CFStringEncoding);
CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding);
// A string that lives for the whole process, like a literal.
CFStringRef VantiroConstantString(const char* utf8);
#define CFSTR(literal) VantiroConstantString(literal)

// Platform strings hold UTF-8; this reads them back.
std::string CFStringToUtf8(CFStringRef s);

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef path);
std::string CFURLToPath(CFURLRef url);
// Between URLs and file references (platform/files): nil, or false, for a reference that
// names nothing or a URL whose file does not exist.
CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* ref);
Boolean CFURLGetFSRef(CFURLRef url, FSRef* ref);

// Bundles are folders with Contents/Info.plist. A bundle registers itself once (the
// plug-in does so when its library is loaded); afterwards anyone finds it by identifier.
// The folder registered last for an identifier is the one found.
CFBundleRef VantiroRegisterBundle(const char* bundlePath);  // nil when it is no bundle
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier);  // not retained
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type,
                                 CFStringRef subDir);  // nil when there is no such file
// Opens the bundle's resource file (Contents/Resources/<executable>.rsrc) into the
// resource chain; returns its reference number, or -1.
int16_t CFBundleOpenBundleResourceMap(CFBundleRef bundle);
void CFBundleCloseBundleResourceMap(CFBundleRef bundle, int16_t refNum);
