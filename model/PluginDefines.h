// The effect configuration record, the relative rectangle and the build constants.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/MacTypes.h"

// A rectangle in fractions of a frame; note the field order left, right, top, bottom.
struct relRect {
  double left;
  double right;
  double top;
  double bottom;
};

// The configuration. Copied as bytes everywhere except for its two image references,
// which only pCopyConfig duplicates.
struct pluginDataRec {
  relRect startRel;        // the rectangle cut out and, before scaling, drawn into
  relRect endRel;          // kept and saved, not rendered
  int16_t sliders[6];      // [0] width %, [1] height %, [2] rotation in % of a turn
  RGBColor colors[6];      // [0] background colour
  RGBColor frameStartColor;  // outline colour of the frame editor
  RGBColor frameEndColor;
  int16_t mediaType;       // 1 NTSC, 2 PAL, 3 HD
  Boolean sync;
  Boolean outside;
  Boolean clipActive;
  CGImageRef theOriginalImage;  // picture chosen in the dialog; not saved
  CGImageRef theRendered;       // never filled here; copies duplicate it
  Boolean keepProps;
  int16_t blendMode;
};
typedef pluginDataRec* pluginDataPtr;

// The record's layout on 32-bit processors, where the image references are 4 bytes wide.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(pluginDataRec) == 144);
static_assert(offsetof(pluginDataRec, endRel) == 32);
static_assert(offsetof(pluginDataRec, sliders) == 64);
static_assert(offsetof(pluginDataRec, colors) == 76);
static_assert(offsetof(pluginDataRec, frameStartColor) == 112);
static_assert(offsetof(pluginDataRec, frameEndColor) == 118);
static_assert(offsetof(pluginDataRec, mediaType) == 124);
static_assert(offsetof(pluginDataRec, sync) == 126);
static_assert(offsetof(pluginDataRec, clipActive) == 128);
static_assert(offsetof(pluginDataRec, theOriginalImage) == 132);
static_assert(offsetof(pluginDataRec, theRendered) == 136);
static_assert(offsetof(pluginDataRec, keepProps) == 140);
static_assert(offsetof(pluginDataRec, blendMode) == 142);
#endif

// Which controls are in use.
inline constexpr int cUsesSlider1 = 1, cUsesSlider2 = 1, cUsesSlider3 = 1;
inline constexpr int cUsesSlider4 = 0, cUsesSlider5 = 0, cUsesSlider6 = 0;
inline constexpr int cUsesColor1 = 1, cUsesColor2 = 0, cUsesColor3 = 0;
inline constexpr int cUsesColor4 = 0, cUsesColor5 = 0, cUsesColor6 = 0;
inline constexpr int cUsedNumberOfRects = 1;
inline constexpr int16_t cHandleSize = 6;
inline constexpr int cUseDisposeGWInSlider = 1;

#if defined(__powerpc__) || defined(__ppc__)
#define VANTIRO_PPC_BUILD 1
inline constexpr const char* cPlugVersion = "3.0.0 (PPC Universal)";
#else
inline constexpr const char* cPlugVersion = "3.0.0 (i386 Universal)";
#endif
inline constexpr uint32_t cPlugVersionNum = 0x00030000;
inline constexpr const char* cMyPluginName = "pelmora";
inline constexpr const char* cMyClearName = "Vantiro";
inline constexpr const char* cMyBundleID = "com.tolvane.zendra.pelmora";
inline constexpr const char* cProductCode = "vloqa";
inline constexpr const char* cPrefName = "-Prefs";

// The settings file and its record.
inline constexpr OSType cPrefsType = FOUR_CHAR_CODE('P', 'r', 'e', 'f');
inline constexpr OSType cPrefsCreator = FOUR_CHAR_CODE('t', 'l', 'v', 'n');
inline constexpr int16_t cPrefsID = 1;
inline constexpr const char* cPrefsResName = "Config Settings";
inline constexpr uint32_t cConfigSaveVersion = 3;
#ifdef VANTIRO_PPC_BUILD
inline constexpr uint32_t cConfigSaveSize = 394;  // no trailing padding
#else
inline constexpr uint32_t cConfigSaveSize = 396;
#endif
inline constexpr const char* cConfigSaveMisc = "Config save for Tolvane iMovie plug-in";

// Video formats of `mediaType`.
inline constexpr int16_t kMediaNTSC = 1, kMediaPAL = 2, kMediaHD = 3;
