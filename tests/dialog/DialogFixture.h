// The settings dialog under test: the real bundle's windows, a configuration record, a
// host that lends the frames of a synthetic clip, and readers of what the windows show.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <optional>
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
  long lentCount() const { return long(lent_.size()); }

 private:
  std::vector<GWorldPtr> lent_;
};

// A picture file of a solid colour with a stripe along its top tenth.
std::filesystem::path WritePictureFile(const ScratchFolder& folder, const std::string& name, int width, int height);
// What a window's port shows in a rectangle of it.
Picture PortPicture(WindowRef window, const Rect& area);
// The bytes of a record; and those of the saved settings on a fresh record, if any are saved.
std::vector<uint8_t> Bytes(pluginDataPtr config);
std::optional<std::vector<uint8_t>> Saved();
// The preview of `setting` on `source` as the frame editor shows it in w × h pixels: scaled
// by the nearest pixel, leaving out `band` pixels about the outline and `border` at the edges.
Picture ExpectedPreview(const Picture& source, const EffectSetting& setting, int w, int h, int band, int border);

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs ConfigurePlugIn on `source` as frame `first` of a clip of `count` frames; the
  // steps queued before run inside the dialog.
  void RunDialog(const Picture& source, int32_t first = 0, int32_t count = 10);
  void RunDialog() { RunDialog(ClipFrame(0, 720, 480)); }

  // Readers of the innermost window, for the steps of a running dialog.
  static Rect BoundsOf(OSType signature, int16_t id);
  static int32_t ValueOf(OSType signature, int16_t id);
  static std::string TextOf(OSType signature, int16_t id);
  static Picture Shown(OSType signature) { return PortPicture(seam::ModalWindow(), BoundsOf(signature, 1)); }
  // Presses Tab until the control at `area` has the keyboard focus; false if it never does.
  static bool TabTo(const Rect& area);
  // A wheel step (a notch is 120, negative down) over a point of the innermost window.
  static void Wheel(Point where, int delta);

  ScratchFolder prefs;
  RecordingHost host;
  ClipLender lender{host};
  pluginDataPtr config = nullptr;
  long portsBefore = 0;
};

}  // namespace vantiro::test
