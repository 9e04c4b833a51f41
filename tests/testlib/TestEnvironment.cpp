// Compiled into every test program: tests never see the user's home or settings, and
// windows stay off screen unless a test asks for a display. Set here rather than by the
// test runner, so a test program run by hand behaves the same.
#include <cstdlib>
#include <filesystem>

namespace {

const bool gEnvironment = [] {
  setenv("HOME", VANTIRO_TEST_HOME, 1);
  setenv("XDG_CONFIG_HOME", VANTIRO_TEST_HOME "/.config", 1);
  std::error_code ec;
  std::filesystem::create_directories(VANTIRO_TEST_HOME "/.config", ec);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // a test under Xvfb sets its own
  setenv("VANTIRO_TEST_ARTIFACTS", VANTIRO_TEST_ARTIFACTS, 0);
  return true;
}();

}  // namespace
