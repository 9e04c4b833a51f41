#include "support/commonprocs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/alerts/Alerts.h"
#include "platform/text/MacRoman.h"

CFStringRef MakeCFString(std::string_view text) {
  return CFStringCreateWithPascalString(kCFAllocatorDefault, vantiro::PStr(text),
                                        kCFStringEncodingMacRoman);
}

void Assert(const void* thePtr, std::string_view failLocation) {
  if (thePtr != nullptr) return;
  Terminate("Assertion Failure", std::string("Assertion failed in: ").append(failLocation));
}

void Terminate(std::string_view headline, std::string_view description) {
  CFStringRef head = MakeCFString(headline);
  CFStringRef text = MakeCFString(description);
  DialogRef alert = nullptr;
  if (CreateStandardAlert(kAlertStopAlert, head, text, nullptr, &alert) == noErr)
    RunStandardAlert(alert, nullptr, nullptr);
  CFRelease(head);
  CFRelease(text);
  ExitToShell();
}

int16_t StandardWarning(std::string_view headline, std::string_view description,
                        std::string_view okText, std::string_view cancelText) {
  CFStringRef head = MakeCFString(headline);
  CFStringRef text = MakeCFString(description);
  CFStringRef ok = MakeCFString(okText);
  CFStringRef cancel = cancelText.empty() ? nullptr : MakeCFString(cancelText);

  AlertStdCFStringAlertParamRec param{};
  param.version = kStdCFStringAlertVersionOne;
  param.movable = true;
  param.helpButton = false;
  param.defaultText = ok;
  param.cancelText = cancel;
  param.otherText = nullptr;
  param.defaultButton = kAlertStdAlertOKButton;
  param.cancelButton = kAlertStdAlertCancelButton;
  param.position = kWindowDefaultPosition;
  param.flags = 0;

  DialogRef alert = nullptr;
  DialogItemIndex hit = kAlertStdAlertOKButton;
  if (CreateStandardAlert(kAlertCautionAlert, head, text, &param, &alert) == noErr)
    RunStandardAlert(alert, nullptr, &hit);
  for (CFStringRef s : {head, text, ok, cancel})
    if (s != nullptr) CFRelease(s);
  return hit;
}

void Notify(std::string_view theMessage) {
  StandardWarning("Internal Notification:", theMessage, "ok", "");
}

std::string Num2Text(int32_t theNum) { return std::to_string(theNum); }

pixRec LongInt2PixRec(int32_t theLong) {
  const auto v = static_cast<uint32_t>(theLong);
  return pixRec{0, static_cast<uint8_t>((v >> 16) & 255), static_cast<uint8_t>((v >> 8) & 255),
                static_cast<uint8_t>(v & 255)};
}

int32_t PixRec2LongInt(pixRec thePixRec) {
  return thePixRec.red * 65536 + thePixRec.green * 256 + thePixRec.blue;
}

int32_t RGBColor2LongInt(RGBColor theColor) {
  return PixRec2LongInt(pixRec{0, static_cast<uint8_t>(theColor.red >> 8), static_cast<uint8_t>(theColor.green >> 8),
                               static_cast<uint8_t>(theColor.blue >> 8)});
}

RGBColor LongInt2RGBColor(int32_t theLong) {
  const pixRec p = LongInt2PixRec(theLong);
  return RGBColor{static_cast<uint16_t>(p.red << 8), static_cast<uint16_t>(p.green << 8),
                  static_cast<uint16_t>(p.blue << 8)};
}

FSRef FSSpec2FSRef(const FSSpec& theFSS) {
  FSRef ref;
  if (FSpMakeFSRef(&theFSS, &ref) != noErr) std::memset(&ref, 0, sizeof ref);
  return ref;
}
