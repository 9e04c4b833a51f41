// A window from a scratch layout holding one control of every kind, for the control,
// command and custom class tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/seam/Seam.h"
#include "platform/windows/Controls.h"
#include "platform/windows/MacWindows.h"
#include "tests/support/ScratchBundle.h"

namespace vantiro::test {

inline constexpr const char* kSwatchClass = "com.tolvane.test.swatch";

// Slider Sldr 1 (0..100, at 10, live); pop-up Medi 1 (three items, command Medi); check
// box Prop 1 (command Prop); static text Lgnd 1; buttons OK ("ok  ") and Xtra; custom
// control Colr 1 of kSwatchClass at (20, 200)-(60, 260) (range 0..1, command Col1).
std::string KitchenSinkLayout();

// What the swatch class's handler saw. It paints its bounds red at value 1, else blue;
// its hit test answers part 1 inside the bounds; its track handler follows the mouse
// until the button is released; its hit is left to the standard handling.
struct SwatchLog {
  std::vector<uint32_t> events;  // kinds, in order
  std::vector<Point> points;     // the reports of the tracking loop
  std::vector<MouseTrackingResult> results;
  uint32_t trackModifiers = 0;
  bool handleTrack = true;
  bool drawnIntoOwnPort = true;
};
extern SwatchLog gSwatch;
OSStatus SwatchHandler(EventHandlerCallRef next, EventRef event, void* userData);
ToolboxObjectClassRef RegisterSwatch();

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Opens "sink" (the layout above) from the scratch bundle.
  WindowRef Open();

  ScratchBundle bundle_{"com.tolvane.test.windows"};
  std::vector<WindowRef> opened_;
  ToolboxObjectClassRef swatch_ = nullptr;
};

}  // namespace vantiro::test
