#include "tests/dialog/DialogFixture.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>

#include "dialog/configdlghandler.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/quickdraw/QuickDraw.h"
#include "platform/windows/Application.h"
#include "platform/windows/MacWindows.h"
#include "support/carbonmacros.h"
#include "tests/support/ScratchBundle.h"

namespace vantiro::test {

Picture ClipFrame(int32_t n, int width, int height) {
  return MakePicture(width, height, [=](int x, int y) {
    return Opaque(uint8_t(x * 255 / width), uint8_t(y * 255 / height), uint8_t(n * 20 + 10));
  });
}

ClipLender::ClipLender(RecordingHost& host) {
  host.getFrame = [this](int32_t frame, GWorldPtr* out, int16_t w, int16_t h, HYRefDVQuality, HYFrameCookie* cookie) {
    const Picture picture = ClipFrame(frame, w, h);
    const Rect bounds{0, 0, h, w};
    *out = nullptr;
    if (NewGWorld(out, 32, &bounds, nullptr, nullptr, 0) != noErr) return HYPluginResult(kPluginOutOfMemory);
    PixMapHandle pm = GetGWorldPixMap(*out);
    for (int y = 0; y < h; ++y)
      std::memcpy(GetPixBaseAddr(pm) + y * GetPixRowBytes(pm), &picture.pixels[size_t(y) * w], size_t(w) * 4);
    VantiroSetGWorldLent(*out, true);
    lent_.push_back(*out);
    *cookie = *out;
    return HYPluginResult(kPluginOK);
  };
  host.releaseFrame = [](HYFrameCookie) { return HYPluginResult(kPluginOK); };
}

ClipLender::~ClipLender() {
  for (GWorldPtr gw : lent_) {
    VantiroSetGWorldLent(gw, false);
    DisposeGWorld(gw);
  }
}

std::filesystem::path WritePictureFile(const ScratchFolder& folder, const std::string& name, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(200, 30, 40));
  QPainter(&image).fillRect(0, 0, width, std::max(1, height / 10), QColor(20, 40, 220));
  const std::filesystem::path path = folder / name;
  EXPECT_TRUE(image.save(QString::fromStdString(path.string()), "PNG"));
  return path;
}

Picture PortPicture(WindowRef window, const Rect& area) {
  PixMapHandle pm = GetPortPixMap(GetWindowPort(window));
  Picture out(area.right - area.left, area.bottom - area.top);
  for (int y = 0; y < out.height; ++y)
    std::memcpy(&out.at(0, y), GetPixBaseAddr(pm) + long(area.top + y) * GetPixRowBytes(pm) + 4L * area.left,
                size_t(out.width) * 4);
  return out;
}

std::vector<uint8_t> Bytes(pluginDataPtr config) {
  uint32_t size = 0;
  pGetConfigSize(&size);
  const auto* p = reinterpret_cast<const uint8_t*>(config);
  return std::vector<uint8_t>(p, p + size);
}

std::optional<std::vector<uint8_t>> Saved() {
  pluginDataPtr stored = nullptr;
  pNewConfig(&stored);
  ResetConfig(stored, true);
  const bool found = ReadConfig(stored);
  std::vector<uint8_t> bytes = Bytes(stored);
  pDestroyConfig(stored);
  return found ? std::optional(bytes) : std::nullopt;
}

Picture ExpectedPreview(const Picture& source, const EffectSetting& s, int w, int h, int band, int border) {
  const Picture effect = ExpectedEffect(source, s);
  const auto from = [](int d, int dSize, int sSize) { return int(((2 * int64_t(d) + 1) * sSize) / (2 * int64_t(dSize))); };
  const int left = int(w * s.left), right = int(w * s.right), top = int(h * s.top), bottom = int(h * s.bottom);
  Picture out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int sx = from(x, w, effect.width), sy = from(y, h, effect.height);
      out.at(x, y) = effect.at(sx, sy);
      const bool nearSides = (std::abs(x - left) <= band || std::abs(x - right) <= band) && y >= top - band &&
                             y <= bottom + band;
      const bool nearEnds = (std::abs(y - top) <= band || std::abs(y - bottom) <= band) && x >= left - band &&
                            x <= right + band;
      const bool edge = x < border || y < border || x >= w - border || y >= h - border;
      if (!effect.cares(sx, sy) || nearSides || nearEnds || edge) out.ignore(x, y);
    }
  return out;
}

void DialogTest::SetUp() {
  UsePrivateRuntimeFolder();
  prefs.UseAsPreferencesFolder();
  EnsurePrefsFile();
  ASSERT_NE(VantiroRegisterBundle(VANTIRO_TEST_BUNDLE), nullptr);
  seam::SetStallLimit(30);
  pNewConfig(&config);
  ResetConfig(config, true);
  portsBefore = VantiroLivePortCount();
}

void DialogTest::TearDown() {
  EXPECT_TRUE(seam::Done()) << "steps left over";
  seam::Reset();
  SetConfigWindowOpener(nullptr);
  EXPECT_EQ(LiveWindowCount(), 0);
  for (const char* id : {"com.tolvane.zendra.clip", "com.tolvane.zendra.color", "com.tolvane.zendra.imageCTRL"})
    EXPECT_FALSE(IsToolboxClassRegistered(id)) << id << " outlived the dialog";
  CGImageRelease(config->theOriginalImage);
  CGImageRelease(config->theRendered);
  pDestroyConfig(config);
}

void DialogTest::RunDialog(const Picture& source, int32_t first, int32_t count) {
  Buffer frame(source);
  ConfigurePlugIn(config, frame.gw(), &host.params, first, count);
  EXPECT_EQ(VantiroLivePortCount(), portsBefore + 1 + lender.lentCount())
      << "only the test's frame and the host's lent frames are left";
}

Rect DialogTest::BoundsOf(OSType signature, int16_t id) {
  return GetControlBox(SimpleGetControlByID(seam::ModalWindow(), signature, id));
}

int32_t DialogTest::ValueOf(OSType signature, int16_t id) {
  return SimpleGetControlValueByID(seam::ModalWindow(), signature, id);
}

std::string DialogTest::TextOf(OSType signature, int16_t id) { return ControlText(seam::ModalWindow(), signature, id); }

bool DialogTest::TabTo(const Rect& area) {
  QWidget* top = InnermostModalWidget();
  const QRect wanted(area.left, area.top, area.right - area.left, area.bottom - area.top);
  for (int presses = 0; presses < 60; ++presses) {
    const QWidget* focus = top->focusWidget();
    if (focus != nullptr && QRect(focus->mapTo(top, QPoint(0, 0)), focus->size()) == wanted) return true;
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent key(type, Qt::Key_Tab, Qt::NoModifier);
      QCoreApplication::sendEvent(top->windowHandle(), &key);
    }
  }
  return false;
}

void DialogTest::Wheel(Point where, int delta) {
  QWidget* top = InnermostModalWidget();
  const QPointF local(where.h, where.v);
  QWheelEvent wheel(local, top->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(top->windowHandle(), &wheel);
}

}  // namespace vantiro::test
