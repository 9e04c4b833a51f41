#include "app/InfoCommand.h"

#include <cstdio>
#include <string>

#include "app/HostServices.h"
#include "platform/text/MacRoman.h"

namespace vantiro {
namespace {

std::string Text(const char* hostText) { return MacRomanToUtf8(hostText); }

std::string TypeName(HYPluginType type) {
  switch (type) {
    case kPluginTitleType: return "title";
    case kPluginTransitionBeforeType: return "transition (before)";
    case kPluginTransitionBetweenType: return "transition (between)";
    case kPluginTransitionAfterType: return "transition (after)";
    case kPluginFilterType: return "filter";
    default: return "unknown";
  }
}

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

}  // namespace

int32_t DescribePlugin(const Plugin& plugin, std::ostream& out) {
  HYProcs procs = MakeHostProcs();
  HostRequest call(&procs, nullptr);
  PluginParams& params = call.params;
  params.selector = kPlugGetInfo;
  const HYPluginGetInfo& info = call.info1;
  const HY2PluginGetInfo& info2 = call.info2;
  const HY3PluginGetInfo& info3 = call.info3;

  const int32_t result = plugin.Call(0, params);
  if (result != kPluginOK) return result;

  out << "Plug-in    " << plugin.identifier() << "\n"
      << "Bundle     " << plugin.path() << "\n"
      << "Type       " << TypeName(info.pluginType) << " (" << int(info.pluginType) << ")\n"
      << "Flags      " << Hex(info.pluginFlags) << "\n"
      << "Frames     " << info.framesToBeRendered << " to be rendered ("
      << info.takeFromClipBefore << " taken before, " << info.takeFromClipAfter << " after)\n"
      << "Memory     " << info2.baseMemoryNeeded << " bytes\n"
      << "Group      " << Text(info2.group) << "\n"
      << "Button     " << Text(info3.buttonTitle) << "\n";
  for (int i = 0; i < 3; ++i) {
    const HYPluginFilterSliderInfo& s = info2.filterSliders[i];
    char value[32];
    std::snprintf(value, sizeof value, "%.2f", s.defaultValue);
    out << "Slider " << i + 1 << "   " << Text(s.label) << "\n"
        << "           from \"" << Text(s.minLabel) << "\" to \"" << Text(s.maxLabel)
        << "\", default " << value << "\n";
  }
  return result;
}

}  // namespace vantiro
