// The settings dialog under test: the real bundle's windows, a configuration record, a
// host that lends the frames of a synthetic clip, and readers of what the windows show.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "model/PluginDefines.h"
#include "platform/seam/Seam.h"
#include "platform/windows/Controls.h"
#include "tests/render/RenderKit.h"
#include "tests/testlib/RecordingHost.h"
#include "tests/testlib/ScratchFolder.h"

namespace vantiro::test {

// Frame n of the synthetic clip: smooth colour whose blue channel counts the frame.
Picture ClipFrame(int32_t n, int width, int height);

// Lends frames of the synthetic clip as a host lends them: the host frees them itself,
// whether or not the plug-in disposed of them after releasing them.
class ClipLender {
 public:
  explicit ClipLender(RecordingHost& host);
  ~ClipLender();
  ClipLender(const ClipLender&) = delete;
  ClipLender& operator=(const ClipLender&) = delete;
  std::vector<int32_t> fetched;  // frame numbers asked for
  int released = 0;
  long lentCount() const { return long(lent_.size()); }

 private:
  std::vector<GWorldPtr> lent_;
};

// A picture file of a solid colour with a stripe, for the picture commands.
std::filesystem::path WritePictureFile(const ScratchFolder& folder, const std::string& name, int width, int height);

Picture WindowPicture(WindowRef window, const Rect& area);

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs ConfigurePlugIn on `source` as frame `first` of a clip of `count` frames; the
  // steps queued before run inside the dialog.
  void RunDialog(const Picture& source, int32_t first = 0, int32_t count = 10);
  void RunDialog() { RunDialog(ClipFrame(0, 720, 480)); }

  // Points a step of a running dialog uses: the bounds of a control of the innermost
  // window, and what that window's port shows in a rectangle of it.
  static Rect BoundsOf(OSType signature, int16_t id);
  static Picture PortPicture(WindowRef window, const Rect& area) { return WindowPicture(window, area); }
  // The text of a control of the innermost window.
  static std::string TextOf(OSType signature, int16_t id);
  // Saves a picture of the innermost window as an artifact.
  static QImage Screenshot(const std::string& name);
  // Presses Tab in the innermost window until the control at `area` (or the push button
  // sending `command`) has the keyboard focus; false when the focus never gets there.
  static bool TabTo(const Rect& area);
  static bool TabToButton(const char* command);
  // A wheel step (a notch is 120, negative down) over a point of the innermost window.
  static void Wheel(Point where, int delta);

  bool useBuiltBundle = true;  // false: the test registers a bundle of its own first
  ScratchFolder prefs;
  RecordingHost host;
  ClipLender lender{host};
  pluginDataPtr config = nullptr;
  long portsBefore = 0;
};

// The bytes of a record, for comparisons.
std::vector<uint8_t> Bytes(pluginDataPtr config);
// The nearest-pixel picture of `from` scaled into a w × h rectangle (centre to centre).
Picture ScaledNearest(const Picture& from, int w, int h);

}  // namespace vantiro::test
