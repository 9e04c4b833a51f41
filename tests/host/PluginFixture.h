// A fresh plug-in for each test: no master record yet, the test's own preferences
// folder, and a recording host.
#pragma once

#include <gtest/gtest.h>

#include "host/PlugEntry.h"
#include "model/Globals.h"
#include "platform/memory/Memory.h"
#include "tests/testlib/RecordingHost.h"
#include "tests/testlib/ScratchFolder.h"

namespace vantiro::test {

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
