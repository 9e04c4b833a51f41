// Loads a plug-in bundle with dlopen and resolves its entry.
#pragma once

#include <memory>
#include <string>

#include "host/HostInterface.h"

namespace vantiro {

class Plugin {
 public:
  // The bundle at `bundlePath`; nullptr with `error` set when it cannot be used.
  static std::unique_ptr<Plugin> Load(const std::string& bundlePath, std::string* error);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  int32_t Call(int32_t which, PluginParams& params) const { return entry_(which, &params); }
  const std::string& identifier() const { return identifier_; }
  const std::string& path() const { return path_; }

 private:
  Plugin() = default;
  void* library_ = nullptr;
  PluginEntryProc entry_ = nullptr;
  std::string identifier_;
  std::string path_;
};

// The bundle installed beside the program: <program dir>/../lib/vantiro/pelmora.bundle.
std::string DefaultBundlePath();

}  // namespace vantiro
