#include "tests/dialog/DialogFixture.h"

#include <QDir>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <QPainter>
#include <cstdlib>
#include <cstring>

#include "dialog/configdlghandler.h"
#include "model/Globals.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "platform/windows/Application.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/memory/Memory.h"
#include "platform/quickdraw/QuickDraw.h"
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
    fetched.push_back(frame);
    *out = nullptr;
    const Picture picture = ClipFrame(frame, w, h);
    GWorldPtr gw = nullptr;
    const Rect bounds{0, 0, h, w};
    if (NewGWorld(&gw, 32, &bounds, nullptr, nullptr, 0) != noErr) return HYPluginResult(kPluginOutOfMemory);
    PixMapHandle pm = GetGWorldPixMap(gw);
    for (int y = 0; y < h; ++y)
      std::memcpy(GetPixBaseAddr(pm) + y * GetPixRowBytes(pm), &picture.pixels[size_t(y) * w], size_t(w) * 4);
    VantiroSetGWorldLent(gw, true);
    lent_.push_back(gw);
    *out = gw;
    *cookie = gw;
    return HYPluginResult(kPluginOK);
  };
  host.releaseFrame = [this](HYFrameCookie) {
    ++released;
    return HYPluginResult(kPluginOK);
  };
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
  QPainter painter(&image);
  painter.fillRect(0, 0, width, std::max(1, height / 10), QColor(20, 40, 220));
  painter.end();
  const std::filesystem::path path = folder / name;
  EXPECT_TRUE(image.save(QString::fromStdString(path.string()), "PNG"));
  return path;
}

void DialogTest::SetUp() {
  UsePrivateRuntimeFolder();
  prefs.UseAsPreferencesFolder();
  EnsurePrefsFile();
  if (useBuiltBundle) {
    ASSERT_NE(VantiroRegisterBundle(VANTIRO_TEST_BUNDLE), nullptr);
  }
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

Picture WindowPicture(WindowRef window, const Rect& area) {
  PixMapHandle pm = GetPortPixMap(GetWindowPort(window));
  const auto* base = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm));
  const long rowBytes = GetPixRowBytes(pm);
  Picture out(area.right - area.left, area.bottom - area.top);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const uint8_t* p = base + long(area.top + y) * rowBytes + 4L * (area.left + x);
      out.at(x, y) = Pixel{p[0], p[1], p[2], p[3]};
    }
  return out;
}

std::string DialogTest::TextOf(OSType signature, int16_t id) { return ControlText(seam::ModalWindow(), signature, id); }

QImage DialogTest::Screenshot(const std::string& name) {
  QImage shot = seam::ModalScreenshot();
  const char* artifacts = std::getenv("VANTIRO_TEST_ARTIFACTS");
  if (artifacts != nullptr) shot.save(QDir(artifacts).filePath(QString::fromStdString(name)));
  return shot;
}

namespace {

bool TabUntil(const std::function<bool(QWidget*)>& wanted) {
  QWidget* top = InnermostModalWidget();
  for (int presses = 0; presses < 60; ++presses) {
    if (top->focusWidget() != nullptr && wanted(top->focusWidget())) return true;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(top->windowHandle(), &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(top->windowHandle(), &release);
  }
  return false;
}

}  // namespace

bool DialogTest::TabTo(const Rect& area) {
  const QRect wanted(area.left, area.top, area.right - area.left, area.bottom - area.top);
  return TabUntil([&](QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()) == wanted; });
}

bool DialogTest::TabToButton(const char* command) {
  return TabUntil([&](QWidget* w) { return w->property("command").toString() == QLatin1String(command); });
}

void DialogTest::Wheel(Point where, int delta) {
  QWidget* top = InnermostModalWidget();
  const QPointF local(where.h, where.v);
  QWheelEvent wheel(local, top->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(top->windowHandle(), &wheel);
}

std::vector<uint8_t> Bytes(pluginDataPtr config) {
  uint32_t size = 0;
  pGetConfigSize(&size);
  const auto* p = reinterpret_cast<const uint8_t*>(config);
  return std::vector<uint8_t>(p, p + size);
}

Picture ScaledNearest(const Picture& from, int w, int h) {
  const auto source = [](int d, int dSize, int sSize) { return int(((2 * int64_t(d) + 1) * sSize) / (2 * int64_t(dSize))); };
  Picture out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int sx = source(x, w, from.width), sy = source(y, h, from.height);
      out.at(x, y) = from.at(sx, sy);
      if (!from.cares(sx, sy)) out.ignore(x, y);
    }
  return out;
}

}  // namespace vantiro::test
