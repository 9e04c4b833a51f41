// Standard alerts as Qt message boxes.
#pragma once

#include "platform/alerts/Alerts.h"

namespace vantiro {

// Runs the alert as an application-modal message box and returns the number of the
// button pressed; Escape presses the cancel button (button 2), or the only button. Each
// button carries its number in the property `alertButton`.
int16_t PresentInMessageBox(const AlertContent& alert);

// The message box when a display is available, standard error otherwise.
int16_t PresentOnDisplayOrStandardError(const AlertContent& alert);

}  // namespace vantiro
