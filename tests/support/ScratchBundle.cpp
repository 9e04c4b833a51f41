#include "tests/support/ScratchBundle.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/carbonmacros.h"

namespace vantiro::test {

ScratchBundle::ScratchBundle(const std::string& identifier) : identifier_(identifier) {
  std::filesystem::create_directories(root() / "Contents" / "Resources");
  WriteFile(root() / "Contents" / "Info.plist",
            "<plist><dict><key>CFBundleIdentifier</key><string>" + identifier +
                "</string><key>CFBundleExecutable</key><string>test</string></dict></plist>");
  VantiroRegisterBundle(root().c_str());
}

void ScratchBundle::AddWindow(const std::string& nib, const std::string& window, const std::string& uiText) {
  const auto folder = root() / "Contents" / "Resources" / (nib + ".nib");
  std::filesystem::create_directories(folder);
  WriteFile(folder / (window + ".ui"), uiText);
}

std::string ControlText(WindowRef window, OSType signature, int16_t id) {
  ControlRef control = SimpleGetControlByID(window, signature, id);
  char text[256] = {};
  Size size = 0;
  GetControlData(control, kControlEntireControl, kControlStaticTextTextTag, sizeof text, text, &size);
  return std::string(text, static_cast<std::size_t>(size));
}

void UsePrivateRuntimeFolder() {
  static const std::filesystem::path folder = [] {
    const auto path = std::filesystem::temp_directory_path() / ("vantiro-runtime-" + std::to_string(getuid()));
    std::filesystem::create_directories(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
    return path;
  }();
  setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

}  // namespace vantiro::test
