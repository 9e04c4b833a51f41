#include "tests/support/ScratchBundle.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

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
  const ControlID cid{signature, id};
  ControlRef control = nullptr;
  GetControlByID(window, &cid, &control);
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

std::string Layout(const std::string& widgets, int width, int height) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ui version=\"4.0\"><class>w</class>"
         "<widget class=\"QWidget\" name=\"w\"><property name=\"geometry\"><rect><x>0</x><y>0</y><width>" +
         std::to_string(width) + "</width><height>" + std::to_string(height) +
         "</height></rect></property><property name=\"windowTitle\"><string>Test</string></property>" + widgets +
         "</widget></ui>";
}

std::string Widget(const std::string& cls, const std::string& name, int x, int y, int w, int h,
                   const std::string& signature, int id, const std::string& command, const std::string& extra) {
  std::string xml = "<widget class=\"" + cls + "\" name=\"" + name + "\"><property name=\"geometry\"><rect><x>" +
                    std::to_string(x) + "</x><y>" + std::to_string(y) + "</y><width>" + std::to_string(w) +
                    "</width><height>" + std::to_string(h) + "</height></rect></property>";
  if (!signature.empty())
    xml += "<property name=\"signature\" stdset=\"0\"><string>" + signature +
           "</string></property><property name=\"controlID\" stdset=\"0\"><number>" + std::to_string(id) +
           "</number></property>";
  if (!command.empty()) xml += "<property name=\"command\" stdset=\"0\"><string>" + command + "</string></property>";
  return xml + extra + "</widget>";
}

}  // namespace vantiro::test
