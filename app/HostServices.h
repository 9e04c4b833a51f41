// The service table the host lends the plug-in. Memory comes from the platform's blocks;
// services this host does not offer answer kPluginUnimplemented.
#pragma once

#include "host/HostInterface.h"

namespace vantiro {

HYProcs MakeHostProcs();

// The interface version this host speaks.
inline constexpr int16_t kHostInterfaceVersion = 4;

}  // namespace vantiro
