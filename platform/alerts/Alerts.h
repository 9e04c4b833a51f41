// Standard alerts and the end of the process.
//
// An alert is shown by the presenter that the windowing layer installs when a display
// is available; without one, its kind, headline and text go to standard error and the
// default button counts as pressed.
#pragma once

#include <string>
#include <vector>

#include "platform/MacTypes.h"
#include "platform/corefoundation/CoreFoundation.h"

typedef int16_t AlertType;
enum : AlertType { kAlertStopAlert = 0, kAlertNoteAlert = 1, kAlertCautionAlert = 2, kAlertPlainAlert = 3 };
enum : int16_t { kAlertStdAlertOKButton = 1, kAlertStdAlertCancelButton = 2, kAlertStdAlertOtherButton = 3 };
enum : uint32_t { kStdCFStringAlertVersionOne = 1 };
enum : uint16_t { kWindowDefaultPosition = 0 };

typedef struct OpaqueDialogPtr* DialogRef;
typedef void* ModalFilterUPP;
typedef int16_t DialogItemIndex;

// The special text meaning "the platform's own OK label".
#define kAlertDefaultOKText ((CFStringRef)(intptr_t)-1)

struct AlertStdCFStringAlertParamRec {
  uint32_t version;
  Boolean movable;
  Boolean helpButton;
  CFStringRef defaultText;
  CFStringRef cancelText;  // nil: no cancel button
  CFStringRef otherText;   // nil: no third button
  int16_t defaultButton;
  int16_t cancelButton;
  uint16_t position;
  uint32_t flags;
};

// `param` nil: a single default OK button. The alert keeps its own references to the texts.
OSStatus CreateStandardAlert(AlertType type, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert);
// Shows the alert modally, stores the number of the button pressed and disposes the alert.
OSStatus RunStandardAlert(DialogRef alert, ModalFilterUPP filter, DialogItemIndex* outItemHit);

// Ends the process at once, with exit status 1, without running any cleanup.
[[noreturn]] void ExitToShell(void);

namespace vantiro {

// What a presenter gets to show: texts in UTF-8, buttons in order 1, 2, 3.
struct AlertContent {
  AlertType type;
  std::string headline;
  std::string text;
  std::vector<std::string> buttons;  // button n is buttons[n - 1]
  int16_t defaultButton;
};

// Returns the number of the button the user pressed.
using AlertPresenter = int16_t (*)(const AlertContent&);
void SetAlertPresenter(AlertPresenter presenter);  // nil: the default presenter
// The presenter used while none is set: the windowing layer installs its own, which shows
// a modal message box when a display is available. Without one, standard error.
void SetDefaultAlertPresenter(AlertPresenter presenter);
int16_t PresentOnStandardError(const AlertContent& alert);

}  // namespace vantiro
