// A bundle made for one test: Info.plist with an identifier, and nib folders with the
// window layouts the test writes. Registered, so it is found by its identifier.
#pragma once

#include <string>

#include "platform/corefoundation/CoreFoundation.h"
#include "platform/windows/Controls.h"
#include "tests/testlib/ScratchFolder.h"

namespace vantiro::test {

class ScratchBundle {
 public:
  explicit ScratchBundle(const std::string& identifier);
  void AddWindow(const std::string& nib, const std::string& window, const std::string& uiText);
  const std::string& identifier() const { return identifier_; }
  std::filesystem::path root() const { return folder_.path() / "test.bundle"; }

 private:
  ScratchFolder folder_;
  std::string identifier_;
};

// The text of a window's control, as Mac Roman bytes.
std::string ControlText(WindowRef window, OSType signature, int16_t id);

// Gives Qt a private runtime folder, so that it starts without warnings on standard
// error (where the tests read the alerts).
void UsePrivateRuntimeFolder();

// A window layout: `widgets` is the XML of the widgets inside a 400 × 300 form.
std::string Layout(const std::string& widgets, int width = 400, int height = 300);
// One widget of a layout, with its geometry and dynamic properties.
std::string Widget(const std::string& cls, const std::string& name, int x, int y, int w, int h,
                   const std::string& signature, int id, const std::string& command = "",
                   const std::string& extra = "");

}  // namespace vantiro::test
