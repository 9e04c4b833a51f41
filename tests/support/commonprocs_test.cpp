#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/alerts/Alerts.h"
#include "support/commonprocs.h"
#include "tests/testlib/ScratchFolder.h"

namespace {

std::vector<vantiro::AlertContent> gAlerts;
int16_t gAnswer = 1;

int16_t Recorder(const vantiro::AlertContent& alert) {
  gAlerts.push_back(alert);
  return gAnswer;
}

}  // namespace

// Notify is a caution with one OK; a warning has no cancel button for an empty text.
TEST(Alerts, NotifyAndWarningsShowTheirTextsAndReturnTheButtonPressed) {
  vantiro::SetAlertPresenter(Recorder);
  Notify("Cannot locate manual in bundle");
  ASSERT_EQ(gAlerts.size(), 1u);
  EXPECT_EQ(gAlerts[0].type, kAlertCautionAlert);
  EXPECT_EQ(gAlerts[0].headline + "|" + gAlerts[0].text, "Internal Notification:|Cannot locate manual in bundle");
  EXPECT_EQ(gAlerts[0].buttons, std::vector<std::string>{"ok"});
  gAnswer = 2;
  EXPECT_EQ(StandardWarning("Replace?", "It exists.", "Replace", "Keep"), 2);
  EXPECT_EQ(gAlerts.back().buttons, (std::vector<std::string>{"Replace", "Keep"}));
  gAnswer = 1;
  EXPECT_EQ(StandardWarning("Done", "", "Fine", ""), 1);
  EXPECT_EQ(gAlerts.back().buttons.size(), 1u);
  vantiro::SetAlertPresenter(nullptr);
}

TEST(AlertDeathTest, AFailedAssertionOrTerminateStopsWithAStopAlertInUtf8) {
  EXPECT_EXIT(Assert(nullptr, "Nil theConfig on DoConfig"), testing::ExitedWithCode(1),
              "Stop: Assertion Failure\nAssertion failed in: Nil theConfig on DoConfig\n");
  EXPECT_EXIT(
      {
        Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match");
        std::fputs("returned", stderr);
      },
      testing::ExitedWithCode(1), "^Stop: Non-Matching Blocks\nThe Size of Source and Dest do not match\n$");
  EXPECT_EXIT(Terminate("Caf\x8E", "\xC9"), testing::ExitedWithCode(1), "Caf\u00E9\n\u2026");
}

TEST(Conversions, FileSpecsBecomeReferencesOnlyForFilesThatExistAndLongLinuxPathsToo) {
  vantiro::test::ScratchFolder folder;
  std::filesystem::path deep = folder.path();
  for (int i = 0; i < 12; ++i) deep /= std::string(30, static_cast<char>('a' + i));
  std::filesystem::create_directories(deep);
  const auto file = deep / (std::string(200, 'n') + ".tiff");
  vantiro::test::WriteFile(file, "x");
  FSSpec fileSpec;
  ASSERT_EQ(VantiroMakeFSSpecFromPath(file.c_str(), &fileSpec), noErr);
  const FSRef ref = FSSpec2FSRef(fileSpec);
  CFURLRef url = CFURLCreateFromFSRef(kCFAllocatorDefault, &ref);
  EXPECT_EQ(CFURLToPath(url), file.string());
  FSRef again;
  EXPECT_TRUE(CFURLGetFSRef(url, &again));
  EXPECT_EQ(std::memcmp(&ref, &again, sizeof ref), 0) << "one path, one reference";
  CFRelease(url);

  ASSERT_EQ(VantiroMakeFSSpecFromPath((folder / "gone.png").c_str(), &fileSpec), fnfErr);
  const FSRef none = FSSpec2FSRef(fileSpec);
  EXPECT_EQ(CFURLCreateFromFSRef(kCFAllocatorDefault, &none), nullptr) << "names no file, so no URL";
}
