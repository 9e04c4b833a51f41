#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/testlib/RunVantiro.h"
#include "tests/testlib/ScratchFolder.h"

using vantiro::test::ScratchFolder;

namespace {

using Result = vantiro::test::ProgramResult;
Result Vantiro(const std::string& args) { return vantiro::test::RunVantiro(args); }

int Lines(const std::string& s) { return int(std::count(s.begin(), s.end(), '\n')); }

}  // namespace

TEST(VantiroInfo, PrintsTheDescriptionTheBundleGives) {
  ScratchFolder prefs;
  prefs.UseAsPreferencesFolder();
  const Result r = Vantiro("info");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("Type       filter (105)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Flags      0x00001380"), std::string::npos);
  EXPECT_NE(r.out.find("Memory     50000 bytes"), std::string::npos);
  EXPECT_NE(r.out.find("Slider 3"), std::string::npos);
  EXPECT_NE(r.out.find("default 0.50"), std::string::npos);
  EXPECT_NE(r.out.find("Settings\u2026"), std::string::npos) << "Mac Roman texts print as UTF-8";
  EXPECT_TRUE(std::filesystem::exists(prefs / "vloqa-Prefs")) << "the plug-in initialised itself";
}

TEST(VantiroInfo, AMissingOrBrokenBundleIsOneClearError) {
  ScratchFolder scratch;
  Result r = Vantiro("--bundle " + (scratch / "nowhere").string() + " info");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Lines(r.err), 1) << r.err;
  EXPECT_EQ(r.err.rfind("vantiro: error: ", 0), 0u) << r.err;
  EXPECT_EQ(r.out, "");

  // A bundle whose library is not a library.
  const auto bundle = scratch / "broken.bundle";
  std::filesystem::create_directories(bundle / "Contents/Linux");
  vantiro::test::WriteFile(bundle / "Contents/Info.plist",
                           "<plist><dict><key>CFBundleIdentifier</key><string>x.y</string>"
                           "<key>CFBundleExecutable</key><string>pelmora</string></dict></plist>");
  vantiro::test::WriteFile(bundle / "Contents/Linux/pelmora.so", "not a library");
  r = Vantiro("--bundle " + bundle.string() + " info");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Lines(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("cannot load"), std::string::npos) << r.err;

  // A real library that exports no entry.
  std::filesystem::copy_file(VANTIRO_TEST_NO_ENTRY_LIBRARY,
                             bundle / "Contents/Linux/pelmora.so",
                             std::filesystem::copy_options::overwrite_existing);
  r = Vantiro("--bundle " + bundle.string() + " info");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("does not export the plug-in entry 'main'"), std::string::npos) << r.err;
}

TEST(VantiroInfo, HelpVersionAndBadUsage) {
  Result r = Vantiro("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Usage: vantiro"), std::string::npos);
  EXPECT_NE(r.out.find("info"), std::string::npos);
  r = Vantiro("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "vantiro 3.0.0\n");
  for (const char* bad : {"", "frobnicate", "info extra", "--bogus info", "info --bundle"}) {
    r = Vantiro(bad);
    EXPECT_EQ(r.status, 2) << "'" << bad << "'";
    EXPECT_NE(r.err.find("vantiro: "), std::string::npos);
  }
}
