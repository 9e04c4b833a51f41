// Opening documents with the desktop's default application for their type.
#pragma once

#include "platform/MacTypes.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/files/Files.h"

inline constexpr OSStatus kLSApplicationNotFoundErr = -10814;

// noErr once the desktop took the document; kLSApplicationNotFoundErr when it has no
// application for it (on X11 and Wayland: xdg-open is missing or exits with a failure
// within three seconds), or no desktop to ask; fnfErr for a reference that names nothing.
// No application is reported back: `outLaunched` is left alone.
OSStatus LSOpenFSRef(const FSRef* inRef, FSRef* outLaunchedRef);
