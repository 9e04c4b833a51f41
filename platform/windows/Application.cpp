#include "platform/windows/Application.h"

#include <QApplication>
#include <QByteArray>
#include <QWindow>
#include <cstdio>
#include <vector>

#include "platform/alerts/Alerts.h"
#include "platform/windows/WindowInternals.h"

namespace vantiro {
namespace {

bool IsHeadlessPlatform(const QByteArray& name) {
  return name.startsWith("offscreen") || name.startsWith("minimal");
}

struct ModalEntry {
  QWidget* widget;
  WindowRef window;
  std::vector<WindowRef> deactivated;
};
std::vector<ModalEntry>& ModalStack() {
  static auto* stack = new std::vector<ModalEntry>();
  return *stack;
}
ModalStartHook gModalStartHook = nullptr;

}  // namespace

bool DisplayAvailable() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    return !IsHeadlessPlatform(QGuiApplication::platformName().toUtf8());
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  const bool x11 = !qgetenv("DISPLAY").isEmpty();
  const bool wayland = !qgetenv("WAYLAND_DISPLAY").isEmpty();
  if (platform.isEmpty()) return x11 || wayland;
  if (IsHeadlessPlatform(platform)) return false;
  if (platform.startsWith("xcb")) return x11;
  if (platform.startsWith("wayland")) return wayland;
  return true;
}

QApplication* EnsureApplication() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
  if (QCoreApplication::instance() != nullptr) {
    // A host with a non-widget application cannot have windows; that is a host bug.
    std::fputs("The host's Qt application is not a QApplication; windows cannot be shown.\n", stderr);
    ExitToShell();
  }
  if (!DisplayAvailable()) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "vantiro";
  static char* argv[] = {name, nullptr};
  // Lives until the process ends: the host may call the plug-in again at any time.
  static auto* app = new QApplication(argc, argv);
  app->setQuitOnLastWindowClosed(false);
  return app;
}

ModalScope::ModalScope(QWidget* modal, WindowRef window) {
  ModalEntry entry{modal, window, {}};
  for (WindowRef w : LiveWindows())
    if (w != window && w->active) {
      SetWindowActive(w, false);
      entry.deactivated.push_back(w);
    }
  ModalStack().push_back(std::move(entry));
  if (gModalStartHook != nullptr) gModalStartHook();
}

ModalScope::~ModalScope() {
  const ModalEntry entry = ModalStack().back();
  ModalStack().pop_back();
  const auto live = LiveWindows();
  for (WindowRef w : entry.deactivated)
    if (std::find(live.begin(), live.end(), w) != live.end()) SetWindowActive(w, true);
}

QWidget* InnermostModalWidget() { return ModalStack().empty() ? nullptr : ModalStack().back().widget; }
WindowRef InnermostModalWindow() { return ModalStack().empty() ? nullptr : ModalStack().back().window; }
void MakeDialogOfInnermostWindow(QWidget* top) {
  if (top == nullptr || top->isVisible()) return;
  top->setWindowFlag(Qt::Dialog);
  QWidget* owner = InnermostModalWidget();
  if (owner == nullptr) owner = QApplication::activeWindow();
  if (owner == nullptr || owner->window() == top || owner->window()->windowHandle() == nullptr) return;
  top->winId();  // the native window the transient parent belongs to
  if (QWindow* window = top->windowHandle()) window->setTransientParent(owner->window()->windowHandle());
}

void SetModalStartHook(ModalStartHook hook) { gModalStartHook = hook; }

}  // namespace vantiro
