// Alerts and assertions: the one way the plug-in reports a failure it cannot recover from.
// Texts are Mac Roman, up to 255 characters.
#pragma once

#include <string>
#include <string_view>

#include "platform/MacTypes.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/files/Files.h"

// Nothing when `thePtr` is set; otherwise stops with "Assertion Failure".
void Assert(const void* thePtr, std::string_view failLocation);

// Stop alert with one default button, then the process ends.
[[noreturn]] void Terminate(std::string_view headline, std::string_view description);

// Caution alert; returns 1 for the default button, 2 for cancel. No cancel button when
// `cancelText` is empty.
int16_t StandardWarning(std::string_view headline, std::string_view description,
                        std::string_view okText, std::string_view cancelText);

// Caution alert "Internal Notification:" with the single button "ok".
void Notify(std::string_view theMessage);

// A new platform string from Mac Roman text; the caller releases it.
CFStringRef MakeCFString(std::string_view text);

// One 32-bit pixel in memory order.
struct pixRec {
  uint8_t alpha;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

// The window `theWindow` of the nib `theNib` ("" means "pelmora") of the bundle with the
// identifier `theIdentifier`. Stops the process when the bundle or the nib is missing
// (with an alert) or the window cannot be made (silently, exit status = the status's low
// 8 bits), so it never returns nil.
WindowRef OpenNibWindowFromCFBundle(const char* theIdentifier, const char* theNib, const char* theWindow);

// Decimal text: "-" for negatives, no grouping.
std::string Num2Text(int32_t theNum);

// Colours packed as 0x00RRGGBB; the top byte is ignored on the way in and 0 on the way
// out. 16-bit channels keep their high byte only, so 65535 comes back as 65280.
pixRec LongInt2PixRec(int32_t theLong);
int32_t PixRec2LongInt(pixRec thePixRec);
int32_t RGBColor2LongInt(RGBColor theColor);
RGBColor LongInt2RGBColor(int32_t theLong);

// The same file as a reference; the all-zero reference when there is no such file.
FSRef FSSpec2FSRef(const FSSpec& theFSS);
