#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QPaintEvent>
#include <QSet>
#include <QUiLoader>
#include <QtEndian>
#include <algorithm>
#include <filesystem>

#include "platform/quickdraw/Port.h"
#include "platform/windows/Application.h"
#include "platform/windows/WindowInternals.h"

struct OpaqueIBNibRef {
  std::filesystem::path folder;
};

namespace vantiro {
namespace {

std::vector<WindowRef>& Windows() {
  static auto* windows = new std::vector<WindowRef>();
  return *windows;
}

// Makes the layout's widgets; a class that Qt does not know is a toolbox class
// identifier, and only a registered one can be made.
class NibLoader : public QUiLoader {
 public:
  std::vector<std::pair<QWidget*, ToolboxObjectClassRef>> customs;
  bool unknownClass = false;

  QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
    static const QSet<QString> known = [this] {
      const QStringList list = availableWidgets();
      return QSet<QString>(list.begin(), list.end());
    }();
    if (known.contains(className)) return QUiLoader::createWidget(className, parent, name);
    auto* widget = new CustomControlWidget(parent);
    widget->setObjectName(name);
    if (ToolboxObjectClassRef cls = FindToolboxClass(className.toStdString()))
      customs.emplace_back(widget, cls);
    else
      unknownClass = true;
    return widget;
  }
};

void FreeWindow(WindowRef window) {
  DisposeEventTarget(window->target);
  delete window;
}

// The report TrackMouseLocation waits for.
class MouseReportFilter : public QObject {
 public:
  MouseReportFilter(QWidget* host, QEventLoop* loop) : host_(host), loop_(loop) {}
  bool done = false;
  Point where{};
  MouseTrackingResult result = kMouseTrackingMouseDragged;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (done || (event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonRelease))
      return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != host_) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint p = widget->mapTo(host_, mouse->position().toPoint());
    where = Point{static_cast<int16_t>(p.y()), static_cast<int16_t>(p.x())};
    result = event->type() == QEvent::MouseMove ? kMouseTrackingMouseDragged : kMouseTrackingMouseUp;
    done = true;
    loop_->quit();
    return false;
  }

 private:
  QWidget* host_;
  QEventLoop* loop_;
};

}  // namespace

MouseState& Mouse() {
  static MouseState state;
  return state;
}

uint32_t KeyModifiersFromQt(Qt::KeyboardModifiers modifiers) {
  uint32_t word = 0;
  if (modifiers & Qt::ShiftModifier) word |= shiftKey;
  if (modifiers & Qt::AltModifier) word |= optionKey;
  if (modifiers & Qt::ControlModifier) word |= optionKey | controlKey;
  if (modifiers & Qt::MetaModifier) word |= cmdKey;
  return word;
}

BusyWindow::BusyWindow(WindowRef window) : window_(window) {
  if (window_ != nullptr) ++window_->busy;
}

BusyWindow::~BusyWindow() {
  if (window_ != nullptr && --window_->busy == 0 && window_->disposed) FreeWindow(window_);
}

std::vector<WindowRef> LiveWindows() { return Windows(); }

uint32_t PortBackgroundPixel(WindowRef window) {
  const QRgb rgb = window->widget->palette().color(QPalette::Window).rgb();
  return qToBigEndian(rgb | 0xFF000000u);  // bytes alpha, red, green, blue
}

WindowRef WindowForWidget(const QWidget* widget) {
  if (widget == nullptr) return nullptr;
  auto* host = dynamic_cast<const WindowWidget*>(widget->window());
  return host == nullptr ? nullptr : host->window();
}

QWidget* WindowWidgetOf(WindowRef window) { return window == nullptr ? nullptr : window->widget.data(); }

void FlushWindow(WindowRef window) {
  if (window != nullptr && window->widget) window->widget->update();
}

void SetWindowActive(WindowRef window, bool active) {
  if (window->active == active) return;
  window->active = active;
  for (auto& control : window->controls) {
    if (control->kind != ControlKind::Custom) continue;
    EventRef event = nullptr;
    CreateEvent(nullptr, kEventClassControl, active ? kEventControlActivate : kEventControlDeactivate, 0, 0, &event);
    ControlRef c = control.get();
    SetParam(event, kEventParamDirectObject, typeControlRef, c);
    BusyWindow busy(window);
    SendEventToEventTarget(event, c->target);
    ReleaseEvent(event);
  }
  FlushWindow(window);
}

WindowWidget::WindowWidget(WindowRef window) : window_(window) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void WindowWidget::paintEvent(QPaintEvent* event) {
  if (window_ == nullptr) return;
  const QRect area = event->rect().intersected(QRect(0, 0, window_->width, window_->height));
  QImage shown(area.size(), QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < area.height(); ++y) {
    const uint32_t* from = &window_->pixels[static_cast<std::size_t>(area.y() + y) * window_->width + area.x()];
    auto* to = reinterpret_cast<uint32_t*>(shown.scanLine(y));
    for (int x = 0; x < area.width(); ++x) to[x] = qFromBigEndian(from[x]);
  }
  QPainter painter(this);
  painter.drawImage(area.topLeft(), shown);
  // Controls drawn at the screen's own resolution cover their port pixels.
  for (auto& control : window_->controls)
    if (!control->scaledImage.isNull() && control->widget && control->widget->isVisible()) {
      const QRect bounds(control->widget->mapTo(this, QPoint(0, 0)), control->widget->size());
      if (bounds.intersects(event->rect())) painter.drawImage(bounds, control->scaledImage);
    }
}

void WindowWidget::closeEvent(QCloseEvent* event) {
  // The close box cancels, like the Cancel button: the window's owner decides when it goes.
  event->ignore();
  if (window_ != nullptr) VantiroSendWindowCommand(window_, kHICommandCancel);
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
  if (window_ == nullptr) return;
  if (event->key() == Qt::Key_Escape) {
    VantiroSendWindowCommand(window_, kHICommandCancel);
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // As on this desktop, Return presses the push button with the keyboard focus; only
    // without one does it press the default button.
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused != nullptr && focused->isVisible() &&
                                                                    focused->isEnabled()) {
      focused->click();
      return;
    }
    for (auto* button : findChildren<QPushButton*>())
      if (button->isDefault() && button->isVisible() && button->isEnabled()) {
        button->click();
        return;
      }
  }
  QWidget::keyPressEvent(event);
}

}  // namespace vantiro

using vantiro::WindowWidget;

OSStatus CreateNibReferenceWithCFBundle(CFBundleRef bundle, CFStringRef nibName, IBNibRef* outNibRef) {
  if (outNibRef == nullptr) return paramErr;
  *outNibRef = nullptr;
  if (bundle == nullptr || nibName == nullptr) return paramErr;
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  const std::filesystem::path folder = std::filesystem::path(CFURLToPath(url)) / "Contents" / "Resources" /
                                       (CFStringToUtf8(nibName) + ".nib");
  CFRelease(url);
  std::error_code ec;
  if (CFStringToUtf8(nibName).empty() || !std::filesystem::is_directory(folder, ec))
    return kIBCarbonRuntimeCantFindNibFile;
  *outNibRef = new OpaqueIBNibRef{folder};
  return noErr;
}

void DisposeNibReference(IBNibRef nib) { delete nib; }

OSStatus CreateWindowFromNib(IBNibRef nib, CFStringRef name, WindowRef* outWindow) {
  if (outWindow == nullptr) return paramErr;
  *outWindow = nullptr;
  if (nib == nullptr || name == nullptr) return paramErr;
  const std::string windowName = CFStringToUtf8(name);
  QFile file(QString::fromStdString((nib->folder / (windowName + ".ui")).string()));
  if (windowName.empty() || !file.open(QIODevice::ReadOnly)) return kIBCarbonRuntimeCantFindObject;
  vantiro::EnsureApplication();

  auto window = std::make_unique<OpaqueWindowPtr>();
  auto host = std::make_unique<WindowWidget>(window.get());
  vantiro::NibLoader loader;
  QWidget* form = loader.load(&file, host.get());
  if (form == nullptr) return kIBCarbonRuntimeObjectNotOfRequestedType;
  if (loader.unknownClass) return errUnknownControl;

  form->move(0, 0);
  window->name = windowName;
  window->width = std::max(1, form->width());
  window->height = std::max(1, form->height());
  host->setFixedSize(window->width, window->height);
  host->setWindowTitle(form->windowTitle());
  // Every window of a plug-in is a dialog: while one is shown, the host's windows wait.
  host->setWindowModality(Qt::ApplicationModal);
  window->widget = host.get();
  window->pixels.assign(static_cast<std::size_t>(window->width) * window->height,
                        vantiro::PortBackgroundPixel(window.get()));
  const Rect bounds{0, 0, static_cast<int16_t>(window->height), static_cast<int16_t>(window->width)};
  window->port = vantiro::NewPortOnPixels(reinterpret_cast<Ptr>(window->pixels.data()), window->width * 4L, bounds);
  window->target = vantiro::NewEventTarget(GetApplicationEventTarget());
  window->connections = std::make_unique<QObject>();
  host.release();
  WindowRef ref = window.release();
  vantiro::Windows().push_back(ref);
  vantiro::AdoptControls(ref, loader.customs);
  *outWindow = ref;
  return noErr;
}

void ShowWindow(WindowRef window) {
  if (window == nullptr || !window->widget) return;
  for (auto& control : window->controls)
    if (control->kind == vantiro::ControlKind::Custom && control->widget && !control->widget->isHidden())
      vantiro::DrawCustomControl(control.get());
  window->active = true;
  vantiro::MakeDialogOfInnermostWindow(window->widget);
  window->widget->show();
}

void HideWindow(WindowRef window) {
  if (window != nullptr && window->widget) window->widget->hide();
}

Boolean IsWindowVisible(WindowRef window) {
  return window != nullptr && window->widget && window->widget->isVisible();
}

void BringToFront(WindowRef window) {
  if (window != nullptr && window->widget) window->widget->raise();
}

void SelectWindow(WindowRef window) {
  if (window == nullptr || !window->widget) return;
  window->widget->raise();
  window->widget->activateWindow();
  vantiro::SetWindowActive(window, true);
}

void DisposeWindow(WindowRef window) {
  if (window == nullptr || window->disposed) return;
  auto& windows = vantiro::Windows();
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
  for (QEventLoop* loop : window->modalLoops) loop->exit();
  if (window == vantiro::Mouse().trackingWindow && vantiro::Mouse().trackingLoop != nullptr) vantiro::Mouse().trackingLoop->exit();
  vantiro::DisposeControls(window);
  vantiro::DisposePort(window->port);
  window->port = nullptr;
  window->connections.reset();
  if (window->widget) {
    window->widget->Forget();
    window->widget->hide();
    // A window disposed from inside its own handlers goes once they have returned.
    if (window->busy > 0)
      window->widget->deleteLater();
    else
      delete window->widget.data();
  }
  window->disposed = true;
  if (window->busy == 0) vantiro::FreeWindow(window);
}

CGrafPtr GetWindowPort(WindowRef window) { return window == nullptr ? nullptr : window->port; }

void SetPortWindowPort(WindowRef window) {
  if (window != nullptr) SetGWorld(window->port, nullptr);
}

Rect* GetWindowPortBounds(WindowRef window, Rect* bounds) {
  if (bounds == nullptr) return bounds;
  *bounds = Rect{0, 0, 0, 0};
  if (window != nullptr)
    *bounds = Rect{0, 0, static_cast<int16_t>(window->height), static_cast<int16_t>(window->width)};
  return bounds;
}

EventTargetRef GetWindowEventTarget(WindowRef window) { return window == nullptr ? nullptr : window->target; }

void GetPort(GrafPtr* port) { GetGWorld(port, nullptr); }
void SetPort(GrafPtr port) { SetGWorld(port, nullptr); }

void QDFlushPortBuffer(CGrafPtr port, RgnHandle) {
  for (WindowRef window : vantiro::Windows())
    if (window->port == port) vantiro::FlushWindow(window);
}

OSStatus RunAppModalLoopForWindow(WindowRef window) {
  if (window == nullptr || !window->widget) return paramErr;
  vantiro::BusyWindow busy(window);  // a handler may dispose of the window before the loop ends
  QEventLoop loop;
  window->modalLoops.push_back(&loop);
  {
    vantiro::ModalScope scope(window->widget, window);
    vantiro::SetWindowActive(window, true);
    loop.exec();
  }
  if (!window->disposed) window->modalLoops.pop_back();
  return noErr;
}

OSStatus QuitAppModalLoopForWindow(WindowRef window) {
  if (window == nullptr || window->modalLoops.empty()) return paramErr;
  window->modalLoops.back()->exit();
  return noErr;
}

OSStatus VantiroSendWindowCommand(WindowRef window, uint32_t commandID) {
  if (window == nullptr || window->disposed) return paramErr;
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, 0, &event);
  const HICommand command{kHICommandFromControl, commandID, {nullptr, 0}};
  vantiro::SetParam(event, kEventParamDirectObject, typeHICommand, command);
  OSStatus status;
  {
    vantiro::BusyWindow busy(window);
    status = SendEventToEventTarget(event, window->target);
    vantiro::FlushWindow(window);
  }
  ReleaseEvent(event);
  return status;
}

uint32_t GetCurrentEventKeyModifiers(void) {
  if (vantiro::Mouse().haveEventModifiers) return vantiro::Mouse().eventModifiers;
  return vantiro::KeyModifiersFromQt(QGuiApplication::keyboardModifiers());
}

OSStatus TrackMouseLocation(GrafPtr port, Point* outPt, MouseTrackingResult* outResult) {
  if (port == nullptr) GetPort(&port);
  WindowRef window = nullptr;
  for (WindowRef w : vantiro::Windows())
    if (w->port == port) window = w;
  if (window == nullptr || !window->widget || window != vantiro::Mouse().trackingWindow) return paramErr;
  vantiro::FlushWindow(window);
  QEventLoop loop;
  vantiro::MouseReportFilter filter(window->widget, &loop);
  qApp->installEventFilter(&filter);
  vantiro::Mouse().trackingLoop = &loop;
  loop.exec();
  vantiro::Mouse().trackingLoop = nullptr;
  qApp->removeEventFilter(&filter);
  // A window disposed of while the button was down ends the drag.
  const MouseTrackingResult result = filter.done ? filter.result : MouseTrackingResult{kMouseTrackingUserCancelled};
  if (outPt != nullptr) *outPt = filter.where;
  if (outResult != nullptr) *outResult = result;
  if (result != kMouseTrackingMouseDragged) vantiro::Mouse().trackingWindow = nullptr;
  return noErr;
}

namespace vantiro {

long LiveWindowCount() { return static_cast<long>(Windows().size()); }

}  // namespace vantiro
