// Opening windows from a bundle's nib folders by name, and how a failure stops.
#include <gtest/gtest.h>

#include "platform/windows/Controls.h"
#include "platform/windows/MacWindows.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"
#include "tests/support/ScratchBundle.h"

namespace {

using namespace vantiro::test;

// A bundle whose pelmora nib has the three dialog windows, each naming itself in a text,
// and nibs with a window that cannot be made.
class NibWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    UsePrivateRuntimeFolder();
    for (const char* name : {"configNTSC", "configPAL", "configHD"})
      bundle_.AddWindow("pelmora", name, Layout(Widget("QLabel", "n", 10, 10, 200, 20, "Name", 1, "",
                                                       std::string("<property name=\"text\"><string>") + name +
                                                           "</string></property>")));
    bundle_.AddWindow("broken", "classy", Layout(Widget("com.tolvane.test.unregistered", "c", 0, 0, 50, 50, "Clip", 1)));
    bundle_.AddWindow("junk", "notxml", "this is not a layout");
  }
  ScratchBundle bundle_{"com.tolvane.test.nibs"};
};

TEST_F(NibWindows, OpensEachWindowByNameAndAnEmptyNibNameMeansPelmora) {
  for (const char* name : {"configNTSC", "configPAL", "configHD"}) {
    WindowRef window = OpenNibWindowFromCFBundle("com.tolvane.test.nibs", name[6] == 'P' ? "" : "pelmora", name);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ControlText(window, FOUR_CHAR_CODE('N', 'a', 'm', 'e'), 1), name);
    EXPECT_FALSE(IsWindowVisible(window)) << "a new window is hidden until shown";
    Rect bounds;
    GetWindowPortBounds(window, &bounds);
    EXPECT_EQ(bounds.right * 1000 + bounds.bottom, 400300);
    DisposeWindow(window);
  }
  EXPECT_EQ(vantiro::LiveWindowCount(), 0);
}

// A missing nib or bundle stops with a message; a window that cannot be made ends the
// process silently with the status's low byte (-10962 is ...D52E, -10961 ...D52F,
// -30584 ...8888).
TEST_F(NibWindows, FailuresStopTheProcess) {
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.tolvane.test.nibs", "nothere", "about"), testing::ExitedWithCode(1),
              "Stop: OpenNibWindow Failed\nUnable to CreateNibReferenceWithCFBundle for "
              "\"com.tolvane.test.nibs/nothere\" as it returned errcode #-10960.\n");
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.tolvane.test.none", "pelmora", "configHD"), testing::ExitedWithCode(1),
              "Stop: Assertion Failure\nAssertion failed in: Cannot allocate bundle for ID = com.tolvane.test.none\n");
  struct Case {
    const char *nib, *window;
    int status;
    const char* error;  // what a layout reader says, if anything
  };
  for (const Case& c : {Case{"pelmora", "configXYZ", 0x2E, "^$"}, {"junk", "notxml", 0x2F, "Start tag expected"},
                        {"broken", "classy", 0x88, "^$"}})
    EXPECT_EXIT(OpenNibWindowFromCFBundle("com.tolvane.test.nibs", c.nib, c.window), testing::ExitedWithCode(c.status),
                c.error)
        << c.window;
}

}  // namespace
