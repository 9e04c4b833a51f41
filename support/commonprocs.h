// Alerts and assertions: the one way the plug-in reports a failure it cannot recover from.
// Texts are Mac Roman, up to 255 characters.
#pragma once

#include <string_view>

#include "platform/MacTypes.h"
#include "platform/corefoundation/CoreFoundation.h"

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
