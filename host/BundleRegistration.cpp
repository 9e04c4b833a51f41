// When the plug-in's library is loaded it registers the bundle it lives in, so the
// platform can find it by identifier: .../pelmora.bundle/Contents/Linux/pelmora.so.
#include <dlfcn.h>

#include <filesystem>

#include "platform/corefoundation/CoreFoundation.h"

namespace {

void Anchor() {}

const bool gRegistered = [] {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&Anchor), &info) == 0 || info.dli_fname == nullptr) return false;
  const std::filesystem::path library(info.dli_fname);
  return VantiroRegisterBundle(library.parent_path().parent_path().parent_path().c_str()) != nullptr;
}();

}  // namespace
