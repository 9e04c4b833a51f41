#include <gtest/gtest.h>

#include <filesystem>

#include "tests/testlib/RunVantiro.h"
#include "tests/testlib/ScratchFolder.h"

using vantiro::test::Lines;
using vantiro::test::RunVantiro;
using vantiro::test::ScratchFolder;

TEST(VantiroInfo, PrintsTheDescriptionTheBundleGives) {
  ScratchFolder prefs;
  prefs.UseAsPreferencesFolder();
  const auto r = RunVantiro("info");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* line : {"Type       filter (105)", "Flags      0x00001380", "Memory     50000 bytes", "Slider 3",
                           "default 0.50", "Settings\u2026" /* Mac Roman texts print as UTF-8 */})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  EXPECT_TRUE(std::filesystem::exists(prefs / "vloqa-Prefs")) << "the plug-in initialised itself";
}

// A missing bundle, one whose library is not a library, and a library without the entry.
TEST(VantiroInfo, AMissingOrBrokenBundleIsOneClearError) {
  ScratchFolder scratch;
  const auto bundle = scratch / "broken.bundle";
  const struct {
    const char* library;  // copied into the bundle; nullptr: no bundle at all
    const char* says;
  } cases[] = {{nullptr, "vantiro: error: "}, {"", "cannot load"},
               {VANTIRO_TEST_NO_ENTRY_LIBRARY, "does not export the plug-in entry 'main'"}};
  for (const auto& c : cases) {
    if (c.library != nullptr) {
      std::filesystem::create_directories(bundle / "Contents/Linux");
      vantiro::test::WriteFile(bundle / "Contents/Info.plist",
                               "<plist><dict><key>CFBundleIdentifier</key><string>x.y</string>"
                               "<key>CFBundleExecutable</key><string>pelmora</string></dict></plist>");
      vantiro::test::WriteFile(bundle / "Contents/Linux/pelmora.so", "not a library");
      if (*c.library != '\0')
        std::filesystem::copy_file(c.library, bundle / "Contents/Linux/pelmora.so",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    const auto r = RunVantiro("--bundle " + bundle.string() + " info");
    EXPECT_EQ(r.status, 1) << c.says;
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("vantiro: error: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST(VantiroInfo, HelpVersionAndBadUsage) {
  auto r = RunVantiro("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Usage: vantiro"), std::string::npos);
  r = RunVantiro("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "vantiro 3.0.0\n");
  for (const char* bad : {"", "frobnicate", "info extra", "--bogus info", "info --bundle"}) {
    r = RunVantiro(bad);
    EXPECT_EQ(r.status, 2) << "'" << bad << "'";
    EXPECT_NE(r.err.find("vantiro: "), std::string::npos);
  }
}
