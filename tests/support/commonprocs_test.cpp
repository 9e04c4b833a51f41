#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>

#include "platform/alerts/Alerts.h"
#include "platform/events/CarbonEvents.h"
#include "support/carbonmacros.h"
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

// Assert on a pointer that is set shows nothing; Notify is a caution with one OK; a
// warning returns the button pressed and has no cancel button for an empty text.
TEST(Alerts, NotifyAndWarningsShowTheirTextsAndReturnTheButtonPressed) {
  vantiro::SetAlertPresenter(Recorder);
  int value = 0;
  Assert(&value, "Nil theConfig on DoConfig");
  EXPECT_TRUE(gAlerts.empty());
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
  EXPECT_EQ(gAlerts.back().defaultButton, 1);
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

// Conversions of colours and of file specifications.

TEST(Conversions, ColoursKeepTheHighByteOfEachChannelAndIgnoreTheTopByte) {
  const auto channels = [](const RGBColor& c) { return std::array<int, 3>{c.red, c.green, c.blue}; };
  EXPECT_EQ(channels(LongInt2RGBColor(0x00FFFFFF)), (std::array<int, 3>{65280, 65280, 65280}));
  EXPECT_EQ(RGBColor2LongInt(RGBColor{65535, 32768, 255}), 0x00FF8000);
  EXPECT_EQ(channels(LongInt2RGBColor(RGBColor2LongInt(RGBColor{0x1234, 0xABCD, 0x00FF}))),
            (std::array<int, 3>{0x1200, 0xAB00, 0}));
  const pixRec p = LongInt2PixRec(0x12345678);
  EXPECT_EQ((std::array<int, 4>{p.alpha, p.red, p.green, p.blue}), (std::array<int, 4>{0, 0x34, 0x56, 0x78}));
  EXPECT_EQ(PixRec2LongInt(pixRec{0xEE, 0x34, 0x56, 0x78}), 0x00345678);
}

TEST(Conversions, FileSpecsBecomeReferencesOnlyForFilesThatExist) {
  vantiro::test::ScratchFolder folder;
  vantiro::test::WriteFile(folder / "picture.png", "x");
  FSSpec fileSpec;
  ASSERT_EQ(VantiroMakeFSSpecFromPath((folder / "picture.png").c_str(), &fileSpec), noErr);
  const FSRef ref = FSSpec2FSRef(fileSpec);
  EXPECT_EQ(VantiroPathFromFSRef(ref), (folder / "picture.png").string());

  ASSERT_EQ(VantiroMakeFSSpecFromPath((folder / "gone.png").c_str(), &fileSpec), fnfErr);
  const FSRef none = FSSpec2FSRef(fileSpec);
  EXPECT_TRUE(std::all_of(std::begin(none.hidden), std::end(none.hidden), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(CFURLCreateFromFSRef(kCFAllocatorDefault, &none), nullptr) << "names no file, so no URL";
}

TEST(Conversions, ReferencesNameLongLinuxPaths) {
  vantiro::test::ScratchFolder folder;
  std::filesystem::path deep = folder.path();
  for (int i = 0; i < 12; ++i) deep /= std::string(30, static_cast<char>('a' + i));
  std::filesystem::create_directories(deep);
  const auto file = deep / (std::string(200, 'n') + ".tiff");
  vantiro::test::WriteFile(file, "x");
  FSRef ref;
  Boolean isDirectory = true;
  ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const uint8_t*>(file.c_str()), &ref, &isDirectory), noErr);
  EXPECT_FALSE(isDirectory);
  CFURLRef url = CFURLCreateFromFSRef(kCFAllocatorDefault, &ref);
  EXPECT_EQ(CFURLToPath(url), file.string());
  FSRef again;
  EXPECT_TRUE(CFURLGetFSRef(url, &again));
  EXPECT_EQ(std::memcmp(&ref, &again, sizeof ref), 0) << "one path, one reference";
  CFRelease(url);
  uint8_t small[16];
  EXPECT_EQ(FSRefMakePath(&ref, small, sizeof small), paramErr);
}
