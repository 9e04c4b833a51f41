#include "platform/alerts/Alerts.h"

#include <unistd.h>

#include <cstdio>

struct OpaqueDialogPtr {
  vantiro::AlertContent content;
};

namespace vantiro {
namespace {

AlertPresenter gPresenter = nullptr;
AlertPresenter gDefaultPresenter = nullptr;

const char* KindName(AlertType type) {
  switch (type) {
    case kAlertStopAlert: return "Stop";
    case kAlertCautionAlert: return "Caution";
    case kAlertNoteAlert: return "Note";
    default: return "Alert";
  }
}

std::string ButtonText(CFStringRef text) {
  return text == kAlertDefaultOKText ? std::string("OK") : CFStringToUtf8(text);
}

}  // namespace

void SetAlertPresenter(AlertPresenter presenter) { gPresenter = presenter; }
void SetDefaultAlertPresenter(AlertPresenter presenter) { gDefaultPresenter = presenter; }

int16_t PresentOnStandardError(const AlertContent& alert) {
  std::fprintf(stderr, "%s: %s\n%s\n", KindName(alert.type), alert.headline.c_str(),
               alert.text.c_str());
  std::fflush(stderr);
  return alert.defaultButton;
}

}  // namespace vantiro

OSStatus CreateStandardAlert(AlertType type, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert) {
  if (outAlert == nullptr) return paramErr;
  auto* alert = new OpaqueDialogPtr{};
  alert->content.type = type;
  alert->content.headline = CFStringToUtf8(error);
  alert->content.text = CFStringToUtf8(explanation);
  alert->content.defaultButton = kAlertStdAlertOKButton;
  if (param == nullptr) {
    alert->content.buttons = {"OK"};
  } else {
    alert->content.buttons = {vantiro::ButtonText(param->defaultText)};
    if (param->cancelText != nullptr) alert->content.buttons.push_back(vantiro::ButtonText(param->cancelText));
    if (param->otherText != nullptr) alert->content.buttons.push_back(vantiro::ButtonText(param->otherText));
    alert->content.defaultButton = param->defaultButton;
  }
  *outAlert = alert;
  return noErr;
}

OSStatus RunStandardAlert(DialogRef alert, ModalFilterUPP, DialogItemIndex* outItemHit) {
  if (alert == nullptr) return paramErr;
  auto present = vantiro::gPresenter != nullptr ? vantiro::gPresenter : vantiro::gDefaultPresenter;
  if (present == nullptr) present = vantiro::PresentOnStandardError;
  const int16_t hit = present(alert->content);
  if (outItemHit != nullptr) *outItemHit = hit;
  delete alert;
  return noErr;
}

void ExitToShell(void) {
  std::fflush(nullptr);
  _exit(1);
}
