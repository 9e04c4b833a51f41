/* Basic types of the desktop toolbox that the plug-in was written against.
 * C-compatible: the host interface header and C translation units include it too. */
#ifndef VANTIRO_PLATFORM_MACTYPES_H
#define VANTIRO_PLATFORM_MACTYPES_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char Boolean;
typedef int16_t OSErr;
typedef int32_t OSStatus;
typedef uint32_t OSType;
typedef uint32_t ResType;
typedef uint32_t FourCharCode;
typedef int16_t ScriptCode;
typedef char* Ptr;
typedef Ptr* Handle;
typedef long Size;

/* Length-prefixed strings: one length byte, then up to 255 characters in Mac Roman. */
typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str31[32];
typedef unsigned char* StringPtr;
typedef const unsigned char* ConstStringPtr;
typedef const unsigned char* ConstStr255Param;

/* Integer rectangle; note the field order top, left, bottom, right. */
typedef struct Rect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
} Rect;

typedef struct Point {
  int16_t v;
  int16_t h;
} Point;

typedef struct RGBColor {
  uint16_t red;
  uint16_t green;
  uint16_t blue;
} RGBColor;

/* Opaque handles of platform objects defined by their own services. */
typedef struct OpaqueGWorld* GWorldPtr;
typedef GWorldPtr CGrafPtr;
typedef struct OpaqueGDevice** GDHandle;
typedef struct PixMap** PixMapHandle;
typedef const struct CGImage* CGImageRef;
typedef struct OpaqueControlRef* ControlRef;
typedef struct OpaqueWindowPtr* WindowRef;

/* Result codes. C++ gets typed constants, so they mix with OSErr values without
 * enum conversions. */
#ifdef __cplusplus
}
inline constexpr OSErr noErr = 0;
inline constexpr OSErr paramErr = -50;
inline constexpr OSErr eofErr = -39;
inline constexpr OSErr ioErr = -36;
inline constexpr OSErr fnfErr = -43;
inline constexpr OSErr dirNFErr = -120;
inline constexpr OSErr permErr = -54;
inline constexpr OSErr dupFNErr = -48;
inline constexpr OSErr memFullErr = -108;
inline constexpr OSErr nilHandleErr = -109;
inline constexpr OSErr resNotFound = -192;
inline constexpr OSErr resFNotFound = -193;
inline constexpr OSErr addResFailed = -194;
inline constexpr OSErr rmvResFailed = -196;
inline constexpr OSErr mapReadErr = -199;
inline constexpr OSErr eventNotHandledErr = -9874;
inline constexpr OSErr userCanceledErr = -128;
extern "C" {
#else
enum {
  noErr = 0,
  paramErr = -50,
  eofErr = -39,
  ioErr = -36,
  fnfErr = -43,
  dirNFErr = -120,
  permErr = -54,
  dupFNErr = -48,
  memFullErr = -108,
  nilHandleErr = -109,
  resNotFound = -192,
  resFNotFound = -193,
  addResFailed = -194,
  rmvResFailed = -196,
  mapReadErr = -199,
  eventNotHandledErr = -9874,
  userCanceledErr = -128
};
#endif

enum { kNilOptions = 0 };

#define FOUR_CHAR_CODE(a, b, c, d)                                                          \
  ((uint32_t)(uint8_t)(a) << 24 | (uint32_t)(uint8_t)(b) << 16 | (uint32_t)(uint8_t)(c) << 8 | \
   (uint32_t)(uint8_t)(d))

#ifdef __cplusplus
}
#endif

#endif
