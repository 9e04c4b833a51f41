// `vantiro info`: asks the plug-in to describe itself and prints the description.
#pragma once

#include <ostream>

#include "app/PluginLoader.h"

namespace vantiro {

// Returns the plug-in's result of kPlugGetInfo; the description goes to `out` on success.
int32_t DescribePlugin(const Plugin& plugin, std::ostream& out);

}  // namespace vantiro
