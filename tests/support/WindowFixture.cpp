#include "tests/support/WindowFixture.h"

#include "platform/quickdraw/QuickDraw.h"
#include "support/commonprocs.h"

namespace vantiro::test {

std::string KitchenSinkLayout() {
  const std::string slider = Widget("QSlider", "s", 20, 20, 200, 24, "Sldr", 1, "",
                                    "<property name=\"maximum\"><number>100</number></property>"
                                    "<property name=\"value\"><number>10</number></property>"
                                    "<property name=\"orientation\"><enum>Qt::Horizontal</enum></property>");
  const std::string popUp = Widget("QComboBox", "m", 20, 60, 120, 26, "Medi", 1, "Medi",
                                   "<item><property name=\"text\"><string>NTSC</string></property></item>"
                                   "<item><property name=\"text\"><string>PAL</string></property></item>"
                                   "<item><property name=\"text\"><string>HD</string></property></item>");
  const std::string check = Widget("QCheckBox", "p", 20, 100, 160, 24, "Prop", 1, "Prop",
                                   "<property name=\"text\"><string>Keep</string></property>");
  const std::string text = Widget("QLabel", "l", 240, 20, 100, 24, "Lgnd", 1, "",
                                  "<property name=\"text\"><string>10%</string></property>");
  const std::string ok = Widget("QPushButton", "ok", 300, 250, 80, 30, "", 0, "ok  ",
                                "<property name=\"text\"><string>OK</string></property>");
  const std::string extra = Widget("QPushButton", "x", 200, 250, 80, 30, "Xtra", 1, "Xtra",
                                   "<property name=\"text\"><string>Extra</string></property>");
  const std::string swatch = Widget(kSwatchClass, "c", 20, 200, 40, 60, "Colr", 1, "Col1",
                                    "<property name=\"minimum\" stdset=\"0\"><number>0</number></property>"
                                    "<property name=\"maximum\" stdset=\"0\"><number>1</number></property>");
  return Layout(slider + popUp + check + text + ok + extra + swatch);
}

SwatchLog gSwatch;

OSStatus SwatchHandler(EventHandlerCallRef, EventRef event, void*) {
  ControlRef control = nullptr;
  GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control, nullptr, &control);
  gSwatch.events.push_back(GetEventKind(event));
  Rect bounds;
  GetControlBounds(control, &bounds);
  switch (GetEventKind(event)) {
    case kEventControlDraw: {
      GrafPtr saved = nullptr;
      GetPort(&saved);
      CGrafPtr port = nullptr;
      GetEventParameter(event, kEventParamGrafPort, typeGrafPtr, nullptr, sizeof port, nullptr, &port);
      gSwatch.drawnIntoOwnPort = gSwatch.drawnIntoOwnPort && port == GetWindowPort(GetControlOwner(control));
      SetPortWindowPort(GetControlOwner(control));
      const RGBColor red{65535, 0, 0}, blue{0, 0, 65535};
      RGBForeColor(GetControl32BitValue(control) == 1 ? &red : &blue);
      PaintRect(&bounds);
      SetPort(saved);
      return noErr;
    }
    case kEventControlHitTest: {
      Point where{};
      GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where, nullptr, &where);
      const ControlPartCode part = PtInRect(where, &bounds) ? 1 : 0;
      SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
      return noErr;
    }
    case kEventControlTrack: {
      if (!gSwatch.handleTrack) return eventNotHandledErr;
      GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof(uint32_t), nullptr,
                        &gSwatch.trackModifiers);
      MouseTrackingResult result = kMouseTrackingMouseDragged;
      while (result == kMouseTrackingMouseDragged) {
        Point where{};
        if (TrackMouseLocation(nullptr, &where, &result) != noErr) break;
        gSwatch.points.push_back(where);
        gSwatch.results.push_back(result);
      }
      return noErr;
    }
    default:
      return eventNotHandledErr;
  }
}

ToolboxObjectClassRef RegisterSwatch() {
  static const EventTypeSpec kEvents[] = {{kEventClassControl, kEventControlDraw},
                                          {kEventClassControl, kEventControlHitTest},
                                          {kEventClassControl, kEventControlHit},
                                          {kEventClassControl, kEventControlTrack},
                                          {kEventClassControl, kEventControlActivate},
                                          {kEventClassControl, kEventControlOwningWindowChanged}};
  ToolboxObjectClassRef cls = nullptr;
  RegisterToolboxObjectClass(CFSTR(kSwatchClass), nullptr, 6, kEvents, SwatchHandler, nullptr, &cls);
  return cls;
}

void WindowTest::SetUp() {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  UsePrivateRuntimeFolder();
  gSwatch = SwatchLog{};
  bundle_.AddWindow("test", "sink", KitchenSinkLayout());
  swatch_ = RegisterSwatch();
  seam::SetStallLimit(20);
}

void WindowTest::TearDown() {
  for (WindowRef w : opened_) DisposeWindow(w);
  if (swatch_ != nullptr) {
    EXPECT_EQ(UnregisterToolboxObjectClass(swatch_), noErr);
  }
  EXPECT_TRUE(seam::Done()) << "every scripted step ran";
  seam::Reset();
  EXPECT_EQ(vantiro::LiveWindowCount(), 0);
}

WindowRef WindowTest::Open() {
  WindowRef window = OpenNibWindowFromCFBundle(bundle_.identifier().c_str(), "test", "sink");
  opened_.push_back(window);
  return window;
}

}  // namespace vantiro::test
