#include <gtest/gtest.h>

#include "platform/corefoundation/CoreFoundation.h"
#include "tests/testlib/ScratchFolder.h"

TEST(Bundles, AreFoundByIdentifierOnceRegisteredAndAFolderWithoutOneIsNoBundle) {
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.tolvane.zendra.pelmora")), nullptr);
  CFBundleRef bundle = VantiroRegisterBundle(VANTIRO_TEST_BUNDLE);
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(VantiroRegisterBundle(VANTIRO_TEST_BUNDLE), bundle) << "registered once";
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.tolvane.zendra.pelmora")), bundle);

  vantiro::test::ScratchFolder folder;
  EXPECT_EQ(VantiroRegisterBundle(folder.path().c_str()), nullptr);
  std::filesystem::create_directories(folder / "Contents");
  vantiro::test::WriteFile(folder / "Contents" / "Info.plist", "<plist><dict></dict></plist>");
  EXPECT_EQ(VantiroRegisterBundle(folder.path().c_str()), nullptr);
  EXPECT_EQ(VantiroRegisterBundle(nullptr), nullptr);
}
