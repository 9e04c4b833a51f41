#include "app/PluginLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace vantiro {
namespace {

std::string PlistValue(const std::string& plist, const std::string& key) {
  const std::string tag = "<key>" + key + "</key>";
  auto at = plist.find(tag);
  if (at == std::string::npos) return {};
  at = plist.find("<string>", at);
  if (at == std::string::npos) return {};
  at += 8;
  const auto end = plist.find("</string>", at);
  return end == std::string::npos ? std::string{} : plist.substr(at, end - at);
}

}  // namespace

std::unique_ptr<Plugin> Plugin::Load(const std::string& bundlePath, std::string* error) {
  std::error_code ec;
  const fs::path bundle = fs::weakly_canonical(bundlePath, ec);
  std::ifstream plistFile(bundle / "Contents" / "Info.plist");
  if (!fs::is_directory(bundle, ec) || !plistFile) {
    *error = "no plug-in bundle at " + bundlePath + " (missing Contents/Info.plist)";
    return nullptr;
  }
  std::stringstream plist;
  plist << plistFile.rdbuf();
  const std::string identifier = PlistValue(plist.str(), "CFBundleIdentifier");
  const std::string executable = PlistValue(plist.str(), "CFBundleExecutable");
  if (identifier.empty() || executable.empty()) {
    *error = "bundle " + bundlePath + " names no identifier or executable in its Info.plist";
    return nullptr;
  }
  const fs::path library = bundle / "Contents" / "Linux" / (executable + ".so");

  std::unique_ptr<Plugin> plugin(new Plugin());
  plugin->library_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (plugin->library_ == nullptr) {
    *error = "cannot load " + library.string() + ": " + dlerror();
    return nullptr;
  }
  void* symbol = dlsym(plugin->library_, kPluginEntrySymbol);
  // The entry must come from the bundle's own library, not from one it depends on.
  Dl_info where{};
  if (symbol == nullptr || dladdr(symbol, &where) == 0 || where.dli_fname == nullptr ||
      !fs::equivalent(where.dli_fname, library, ec)) {
    *error = library.string() + " does not export the plug-in entry '" kPluginEntrySymbol "'";
    return nullptr;
  }
  plugin->entry_ = reinterpret_cast<PluginEntryProc>(symbol);
  plugin->identifier_ = identifier;
  plugin->path_ = bundle.string();
  return plugin;
}

// A plug-in keeps process-wide state (its master configuration) until the process ends,
// so it is never unloaded.
Plugin::~Plugin() = default;

std::string DefaultBundlePath() {
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "pelmora.bundle";
  return (program.parent_path().parent_path() / "lib" / "vantiro" / "pelmora.bundle").string();
}

}  // namespace vantiro
