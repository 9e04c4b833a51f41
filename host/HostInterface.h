/* The host interface: the parameter block, the host's service table, the info records,
 * selectors and results. Shared by the plug-in and every host; C-compatible.
 *
 * Types the old host left open are fixed here for 64-bit Linux:
 *   - `instance` and cookies are opaque pointers owned by the host;
 *   - sizes handed to the allocator are `Size` (long);
 *   - `MixAudio`'s level is a signed 32-bit value, 256 meaning unity;
 *   - `Blit` takes pixel maps and rectangles by pointer and an opacity of 0..255.
 * Slots that the plug-in never calls keep a signature a host can implement, and a host
 * may leave them nil. */
#ifndef VANTIRO_HOST_HOSTINTERFACE_H
#define VANTIRO_HOST_HOSTINTERFACE_H

#include "platform/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t HYPluginSelector;
enum {
  kPlugGetInfo = 1,
  kPlugInitialize = 2,
  kPlugDrawIcon = 3,
  kPlugDrawThumbNail = 4,
  kPlugFilePlaceHolder = 5,
  kPlugDoFrame = 6,
  kPlugCallOnceWithInitAndTerminate = 7,
  kPlugTerminate = 8,
  kPlugCustomButtonClick = 9
};

typedef uint8_t HYPluginResult;
enum {
  kPluginOK = 0,
  kPluginCancel = 1,
  kPluginFinished = 2,
  kPluginBadParams = 3,
  kPluginOutOfMemory = 4,
  kPluginOutOfDiskSpace = 5,
  kPluginFailed = 6,
  kPluginCantGetNeededFrame = 7,
  kPluginUnimplemented = 8,
  kPluginTryAgainLater = 9,
  kPluginAppIsTooOld = 10,
  kPluginAppIsTooNew = 11
};

typedef uint8_t HYPluginType;
enum {
  kPluginUnknownType = 0,
  kPluginTitleType = 101,
  kPluginTransitionBeforeType = 102,
  kPluginTransitionBetweenType = 103,
  kPluginTransitionAfterType = 104,
  kPluginFilterType = 105
};

typedef uint32_t HYPluginChoiceFlags;

typedef int16_t HYRefDVQuality;
enum { kDVLowQuality = 0, kDVHighQuality = 1, kDVHighQualitySingleField = 2 };

typedef struct HYPluginGetInfo {
  HYPluginType pluginType;
  uint8_t titleType;
  HYPluginChoiceFlags pluginFlags;
  int32_t framesToBeRendered;
  int32_t takeFromClipBefore;
  int32_t takeFromClipAfter;
  int32_t minSpeedFrames;
  int32_t maxSpeedFrames;
  Boolean mustTakeFromSingleClips;
  int32_t bestThumbOffset;
  RGBColor defaultColor;
  uint8_t defaultDirection;
  uint8_t justify;
  int16_t defaultFontNum;
  int16_t defaultFontSize;
} HYPluginGetInfo;

typedef struct HYPluginFilterSliderInfo {
  char label[128];
  char minLabel[128];
  char maxLabel[128];
  float defaultValue;
} HYPluginFilterSliderInfo;

typedef struct HY2PluginGetInfo {
  char group[128];
  HYPluginFilterSliderInfo filterSliders[3];
  int32_t defaultFadeInFrames;
  int32_t defaultFadeOutFrames;
  int32_t minHangFrames;
  int32_t maxHangFrames;
  float defaultFontSizeScale;
  int32_t selectedFrames;
  int32_t speedFrames;
  int32_t hangFrames;
  int32_t baseMemoryNeeded;
} HY2PluginGetInfo;

/* The host's file-open record; the plug-in never reads it. */
typedef struct HYPluginFileInfo {
  OSType fileType;
  char path[1024];
} HYPluginFileInfo;

typedef struct HY3PluginGetInfo {
  float defaultX;
  float defaultY;
  float userX;
  float userY;
  HYPluginFileInfo fileInfo;
  char buttonTitle[32];
} HY3PluginGetInfo;

/* Reserved for later hosts; the plug-in does not read it. */
typedef struct HY4PluginGetInfo HY4PluginGetInfo;

typedef struct HYPluginFilterInfo {
  float sliderValues[3];
  int32_t fadeInFrames;
  int32_t fadeOutFrames;
} HYPluginFilterInfo;

typedef void* HYInstance;
typedef void* HYFrameCookie;

/* One instance's own settings, for hosts that keep settings per instance rather than in the
 * settings file (GetEffectSettings). The rectangle is in fractions of the frame; the sliders
 * are in the settings dialog's units: width and height change in percent (-100..200) and the
 * rotation in percent of a full turn (-100..100). Out-of-range values are clamped, and a NaN
 * leaves that field of the saved settings in force. */
typedef struct HYPluginEffectSettings {
  double left;
  double right;
  double top;
  double bottom;
  double widthChange;
  double heightChange;
  double rotation;
  RGBColor background;
} HYPluginEffectSettings;

typedef struct HYProcs {
  Ptr (*NewPtr)(Size byteCount);
  Ptr (*NewPtrClear)(Size byteCount);
  void (*DisposePtr)(Ptr p);
  char* (*ptocstr)(StringPtr s);                 /* in place; returns s as C text */
  StringPtr (*ctopstr)(char* s);                 /* in place; returns s as a length-prefixed text */
  void (*pstrcpy)(StringPtr dest, ConstStringPtr src);
  char* (*strcpy)(char* dest, const char* src);
  size_t (*strlen)(const char* s);
  HYPluginResult (*GetLocalizedString)(HYInstance instance, int16_t id, StringPtr out);
  /* Frame ownership: a frame handed out by GetFrame stays the host's. The plug-in reads
   * it until it calls ReleaseFrame with the cookie, and never touches it after that,
   * whatever the host does with it on release (free it, reuse it, keep it). The plug-in
   * calls ReleaseFrame after every GetFrame, also a failed one, with the cookie as
   * GetFrame left it (nil if it set none). */
  HYPluginResult (*GetFrame)(HYInstance instance, int32_t frame, GWorldPtr* outFrame, int16_t width,
                             int16_t height, HYRefDVQuality quality, float* outVolume,
                             HYFrameCookie* outCookie);
  HYPluginResult (*ReleaseFrame)(HYInstance instance, HYFrameCookie cookie);
  HYPluginResult (*GetAudioFrame)(HYInstance instance, int32_t frame, void** outAudio, HYFrameCookie* outCookie);
  HYPluginResult (*ReleaseAudioFrame)(HYInstance instance, HYFrameCookie cookie);
  HYPluginResult (*GetMovieInfo)(HYInstance instance, void** outInfo);
  HYPluginResult (*GetClipInfo)(HYInstance instance, void** outInfo);
  HYPluginResult (*SetClipInfo)(HYInstance instance, void* info);
  HYPluginResult (*Blit)(PixMapHandle source, PixMapHandle dest, const Rect* sourceRect,
                         const Rect* destRect, int16_t opacity);
  HYPluginResult (*FillRect)(PixMapHandle dest, const Rect* rect, const RGBColor* color);
  HYPluginResult (*TextBounds)(HYInstance instance, const char* text, Rect* outBounds);
  HYPluginResult (*DrawText)(HYInstance instance, const char* text, const Rect* where);
  HYPluginResult (*GetTitleInfo)(HYInstance instance, void** outInfo);
  HYPluginResult (*ReleaseTitleInfo)(HYInstance instance, void* info);
  HYPluginResult (*GetTransitionInfo)(HYInstance instance, void** outInfo);
  HYPluginResult (*ReleaseTransitionInfo)(HYInstance instance, void* info);
  HYPluginResult (*MixAudio)(HYInstance instance, HYFrameCookie cookie, int32_t level);
  HYPluginResult (*GetFilterInfo)(HYInstance instance, HYPluginFilterInfo** outInfo);
  HYPluginResult (*ReleaseFilterInfo)(HYInstance instance, HYPluginFilterInfo* info);
  int16_t (*StringWidth)(HYInstance instance, ConstStringPtr text);
  HYPluginResult (*CGDrawText)(HYInstance instance, const char* text, const Rect* where);
  float (*CGStringWidth)(HYInstance instance, const char* text);
  /* From interface version 5 on, and may be nil: the instance's own settings for the pass
   * about to begin. kPluginOK means `out` is filled and overrides the saved settings for this
   * pass only; any other answer keeps the saved settings. Hosts of version 4 and older end
   * the table before this slot, so the plug-in reads it only when interfaceVersion >= 5. */
  HYPluginResult (*GetEffectSettings)(HYInstance instance, HYPluginEffectSettings* out);
} HYProcs;

typedef struct PluginParams {
  int16_t interfaceVersion;
  HYInstance instance;
  HYPluginSelector selector;
  HYProcs* procs;
  HYPluginGetInfo* getInfo;
  int32_t startFrame;  /* movie frame number of the clip's first frame */
  int32_t renderFrame; /* frame to render, counted from the clip's start */
  int32_t frameCount;  /* clip length */
  Boolean proxyOnly;
  Rect frameRect;      /* output rectangle in `frame` */
  GWorldPtr frame;     /* output buffer */
  void* clientData;    /* the plug-in's, between calls */
  HY2PluginGetInfo* getInfo2;
  HY3PluginGetInfo* getInfo3;
  HY4PluginGetInfo* getInfo4;
} PluginParams;

/* The bundle's exported entry. Results are HYPluginResult values, zero-extended. */
typedef int32_t (*PluginEntryProc)(int32_t which, PluginParams* params);
#define kPluginEntrySymbol "main"

#ifdef __cplusplus
}
#endif

#endif
