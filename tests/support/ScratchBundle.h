// A registered bundle made for one test, with the window layouts the test writes.
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

// A private runtime folder, so that Qt starts without warnings on standard error, where tests read alerts.
void UsePrivateRuntimeFolder();

}  // namespace vantiro::test
