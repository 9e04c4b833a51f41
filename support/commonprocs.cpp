#include "support/commonprocs.h"

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
