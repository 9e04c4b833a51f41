#include <gtest/gtest.h>

#include "platform/corefoundation/CoreFoundation.h"
#include "platform/resources/ResourceManager.h"
#include "tests/testlib/ScratchFolder.h"

TEST(Bundles, AreFoundByIdentifierOnceRegistered) {
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.tolvane.zendra.pelmora")), nullptr);
  CFBundleRef bundle = VantiroRegisterBundle(VANTIRO_TEST_BUNDLE);
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(VantiroRegisterBundle(VANTIRO_TEST_BUNDLE), bundle) << "registered once";
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.tolvane.zendra.pelmora")), bundle);

  CFURLRef rsrc = CFBundleCopyResourceURL(bundle, CFSTR("pelmora"), CFSTR("rsrc"), nullptr);
  ASSERT_NE(rsrc, nullptr);
  EXPECT_EQ(CFURLToPath(rsrc), std::string(VANTIRO_TEST_BUNDLE) + "/Contents/Resources/pelmora.rsrc");
  CFRelease(rsrc);
  EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("nothing"), CFSTR("pdf"), nullptr), nullptr);

  const int16_t ref = CFBundleOpenBundleResourceMap(bundle);
  ASSERT_GT(ref, 0);
  Str255 group;
  GetIndString(group, 17000, 1);
  EXPECT_GT(group[0], 0) << "the bundle carries its group name";
  CFBundleCloseBundleResourceMap(bundle, ref);
}

TEST(Bundles, AFolderWithoutIdentifierIsNoBundle) {
  vantiro::test::ScratchFolder folder;
  EXPECT_EQ(VantiroRegisterBundle(folder.path().c_str()), nullptr);
  std::filesystem::create_directories(folder / "Contents");
  vantiro::test::WriteFile(folder / "Contents" / "Info.plist", "<plist><dict></dict></plist>");
  EXPECT_EQ(VantiroRegisterBundle(folder.path().c_str()), nullptr);
  EXPECT_EQ(VantiroRegisterBundle(nullptr), nullptr);
}

TEST(Strings, HoldTheUtf8OfTheirMacRomanText) {
  const unsigned char roman[] = {4, 'a', 0xC9, 'b', 0x8E};
  CFStringRef s = CFStringCreateWithPascalString(kCFAllocatorDefault, roman, kCFStringEncodingMacRoman);
  EXPECT_EQ(CFStringToUtf8(s), "a\u2026b\u00E9");
  CFRelease(s);
}
