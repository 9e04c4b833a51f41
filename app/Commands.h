// The vantiro commands. Each returns the exit status; bad usage and failures are thrown
// as UsageError and Failure (CommandLine.h).
#pragma once

#include <string>
#include <vector>

namespace vantiro {

using Args = std::vector<std::string>;

int RunInfo(const Args& args, const std::string& bundle);
int RunRender(const Args& args, const std::string& bundle);
int RunDemo(const Args& args, const std::string& bundle);
int RunPlaceholder(const Args& args, const std::string& bundle);
int RunSettings(const Args& args);
int RunConfigure(const Args& args, const std::string& bundle);

}  // namespace vantiro
