// A fresh plug-in for each test: no master record yet, the test's own preferences
// folder, and a recording host.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "host/PlugEntry.h"
#include "model/Globals.h"
#include "platform/memory/Memory.h"
#include "platform/quickdraw/QuickDraw.h"
#include "tests/testlib/RecordingHost.h"
#include "tests/testlib/ScratchFolder.h"

namespace vantiro::test {

// A 32-bit buffer whose pixel (x, y) is argb(x, y), bytes alpha, red, green, blue.
inline GWorldPtr NewFilled(int w, int h, const std::function<uint32_t(int, int)>& argb) {
  GWorldPtr gw = nullptr;
  const Rect bounds{0, 0, int16_t(h), int16_t(w)};
  EXPECT_EQ(NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0), noErr);
  PixMapHandle pm = GetGWorldPixMap(gw);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto* p = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + 4 * x;
      const uint32_t v = argb(x, y);
      p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
    }
  return gw;
}

inline uint32_t PixelAt(GWorldPtr gw, int x, int y) {
  PixMapHandle pm = GetGWorldPixMap(gw);
  const auto* p = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm)) + y * GetPixRowBytes(pm) + 4 * x;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

class PluginFixture : public ::testing::Test {
 protected:
  ScratchFolder prefs;
  RecordingHost host;

  PluginFixture() {
    prefs.UseAsPreferencesFolder();
    gPascalInited = false;
    gPascalData = nullptr;
    gMostRecentStartFrame = gMostRecentFrameCount = 0;
  }
  ~PluginFixture() override {
    DisposePtr(reinterpret_cast<Ptr>(gPascalData));
    gPascalData = nullptr;
  }

  int32_t Call(HYPluginSelector selector) {
    host.params.selector = selector;
    return PlugMain(0, &host.params);
  }
  std::filesystem::path PrefsFile() const { return prefs / "vloqa-Prefs"; }
};

}  // namespace vantiro::test
