// Opening windows from a bundle's nib folders by name, and how a failure stops.
#include <gtest/gtest.h>

#include <array>

#include "platform/windows/Controls.h"
#include "platform/windows/MacWindows.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"
#include "tests/support/ScratchBundle.h"

namespace {

using vantiro::test::Layout;
using vantiro::test::ScratchBundle;
using vantiro::test::UsePrivateRuntimeFolder;
using vantiro::test::Widget;

constexpr OSType kName = FOUR_CHAR_CODE('N', 'a', 'm', 'e');

// A bundle whose pelmora nib has the three dialog windows, each naming itself in a text.
class NibWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
  UsePrivateRuntimeFolder();
    for (const char* name : {"configNTSC", "configPAL", "configHD"})
      bundle_.AddWindow("pelmora", name, Layout(Widget("QLabel", "n", 10, 10, 200, 20, "Name", 1, "",
                                                       std::string("<property name=\"text\"><string>") + name +
                                                           "</string></property>")));
    bundle_.AddWindow("about", "about", Layout(Widget("QLabel", "n", 10, 10, 200, 20, "Name", 1)));
    bundle_.AddWindow("broken", "classy",
                      Layout(Widget("com.tolvane.test.unregistered", "c", 0, 0, 50, 50, "Clip", 1)));
  }
  ScratchBundle bundle_{"com.tolvane.test.nibs"};
};

TEST_F(NibWindows, OpensEachWindowByNameAndAnEmptyNibNameMeansPelmora) {
  for (const char* name : {"configNTSC", "configPAL", "configHD"}) {
    WindowRef window = OpenNibWindowFromCFBundle("com.tolvane.test.nibs", name[6] == 'P' ? "" : "pelmora", name);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(vantiro::test::ControlText(window, kName, 1), name);
    EXPECT_FALSE(IsWindowVisible(window)) << "a new window is hidden until shown";
    Rect bounds;
    GetWindowPortBounds(window, &bounds);
    EXPECT_EQ((std::array<int, 2>{bounds.right, bounds.bottom}), (std::array<int, 2>{400, 300}));
    DisposeWindow(window);
  }
  EXPECT_EQ(vantiro::LiveWindowCount(), 0);
}

TEST_F(NibWindows, AMissingNibStopsWithItsNameAndStatus) {
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.tolvane.test.nibs", "nothere", "about"), testing::ExitedWithCode(1),
              "Stop: OpenNibWindow Failed\nUnable to CreateNibReferenceWithCFBundle for "
              "\"com.tolvane.test.nibs/nothere\" as it returned errcode #-10960.\n");
}

TEST_F(NibWindows, AMissingBundleIsAnAssertion) {
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.tolvane.test.none", "pelmora", "configHD"), testing::ExitedWithCode(1),
              "Stop: Assertion Failure\nAssertion failed in: Cannot allocate bundle for ID = com.tolvane.test.none\n");
}

TEST_F(NibWindows, AWindowThatCannotBeMadeEndsTheProcessSilently) {
  // The status's low byte is the exit status: -10962 is ...D52E, -30584 is ...8888.
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.tolvane.test.nibs", "pelmora", "configXYZ"),
              testing::ExitedWithCode(0x2E), "^$");
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.tolvane.test.nibs", "broken", "classy"), testing::ExitedWithCode(0x88),
              "^$");
}

TEST_F(NibWindows, PlatformStatusesForEachFailure) {
  IBNibRef nib = nullptr;
  EXPECT_EQ(CreateNibReferenceWithCFBundle(bundle_.bundle(), CFSTR("missing"), &nib), kIBCarbonRuntimeCantFindNibFile);
  EXPECT_EQ(nib, nullptr);
  ASSERT_EQ(CreateNibReferenceWithCFBundle(bundle_.bundle(), CFSTR("broken"), &nib), noErr);
  WindowRef window = reinterpret_cast<WindowRef>(1);
  EXPECT_EQ(CreateWindowFromNib(nib, CFSTR("classy"), &window), errUnknownControl);
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(CreateWindowFromNib(nib, CFSTR("absent"), &window), kIBCarbonRuntimeCantFindObject);
  DisposeNibReference(nib);

  bundle_.AddWindow("junk", "notxml", "this is not a layout");
  ASSERT_EQ(CreateNibReferenceWithCFBundle(bundle_.bundle(), CFSTR("junk"), &nib), noErr);
  EXPECT_EQ(CreateWindowFromNib(nib, CFSTR("notxml"), &window), kIBCarbonRuntimeObjectNotOfRequestedType);
  DisposeNibReference(nib);
  EXPECT_EQ(vantiro::LiveWindowCount(), 0);
}

}  // namespace
