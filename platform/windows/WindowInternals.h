// Inside the windowing layer: what windows and controls are on Qt. Only the layer's own
// services (and the test seam) include this.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows/Controls.h"
#include "platform/windows/MacWindows.h"

class QEventLoop;

namespace vantiro {

class WindowWidget;

enum class ControlKind { Slider, PopUp, CheckBox, Button, StaticText, Custom, Other };

// The key-modifier word of Qt's modifiers.
uint32_t KeyModifiersFromQt(Qt::KeyboardModifiers modifiers);

}  // namespace vantiro

struct OpaqueToolboxObjectClassRef {
  std::string classID;
  EventHandlerUPP handler = nullptr;
  std::vector<EventTypeSpec> events;
  void* userData = nullptr;
  int instances = 0;
};

struct OpaqueControlRef {
  WindowRef owner = nullptr;
  QPointer<QWidget> widget;
  vantiro::ControlKind kind = vantiro::ControlKind::Other;
  bool hasID = false;
  ControlID id{};
  uint32_t command = 0;
  int32_t value = 0, minimum = 0, maximum = 0;  // kept here for kinds whose widget has none
  ControlPartCode hilite = kControlNoPart;
  ControlActionUPP action = nullptr;
  ControlPartCode trackedPart = kControlIndicatorPart;
  SRefCon refCon = 0;
  EventTargetRef target = nullptr;
  ToolboxObjectClassRef cls = nullptr;
  bool settingByCode = false;  // values set by code call no action procedure
  bool needsDraw = true;       // a custom control not drawn since it last changed
  QImage scaledImage;          // shown over the control's port pixels on a dense screen
};

struct OpaqueWindowPtr {
  std::string name;
  QPointer<vantiro::WindowWidget> widget;
  std::unique_ptr<QObject> connections;  // owns every signal connection of the window
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // the port's pixels, bytes alpha, red, green, blue
  CGrafPtr port = nullptr;
  EventTargetRef target = nullptr;
  std::vector<std::unique_ptr<OpaqueControlRef>> controls;
  std::vector<QEventLoop*> modalLoops;  // innermost last
  bool active = false;
  int busy = 0;           // handlers of the window are running
  bool disposed = false;  // disposed while busy; freed when the last handler returns
};

namespace vantiro {

// The press being tracked, and the modifiers of the click being handled. Hidden: they
// belong to this library alone.
struct MouseState {
  WindowRef trackingWindow = nullptr;
  QEventLoop* trackingLoop = nullptr;
  uint32_t eventModifiers = 0;
  bool haveEventModifiers = false;
};
[[gnu::visibility("hidden")]] MouseState& Mouse();

// Keeps a window alive while its handlers run.
class BusyWindow {
 public:
  explicit BusyWindow(WindowRef window);
  ~BusyWindow();
  BusyWindow(const BusyWindow&) = delete;
  BusyWindow& operator=(const BusyWindow&) = delete;

 private:
  WindowRef window_;
};

WindowRef WindowForWidget(const QWidget* widget);  // the window a widget belongs to
ControlRef ControlForWidget(const QWidget* widget);
QWidget* WindowWidgetOf(WindowRef window);
std::vector<WindowRef> LiveWindows();

// The window's background colour as a port pixel.
uint32_t PortBackgroundPixel(WindowRef window);
// Shows on screen what is in the window's port.
void FlushWindow(WindowRef window);
// Sends a draw event to a custom control, into its window's port.
void DrawCustomControl(ControlRef control);
// Builds the controls of a freshly loaded window.
void AdoptControls(WindowRef window, const std::vector<std::pair<QWidget*, ToolboxObjectClassRef>>& customs);
void DisposeControls(WindowRef window);
// A mouse press on a custom control: hit test, track, hit.
void ClickCustomControl(ControlRef control, QPoint where, uint32_t modifiers);
// A key pressed on a custom control with the focus; false when nobody took it.
bool PressKeyOnCustomControl(ControlRef control, char key, uint32_t modifiers);
// Activation follows the modal loops: the innermost modal window is the active one.
void SetWindowActive(WindowRef window, bool active);

ToolboxObjectClassRef FindToolboxClass(const std::string& classID);

// The window widget: shows its port under its controls; closing it sends Cancel.
class WindowWidget : public QWidget {
 public:
  explicit WindowWidget(WindowRef window);
  WindowRef window() const { return window_; }
  void Forget() { window_ = nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  WindowRef window_;
};

// Stands in the layout for a control of a registered class; its looks are in the port.
// Takes the keyboard focus by Tab or a click and passes keys on as raw key events.
class CustomControlWidget : public QWidget {
 public:
  explicit CustomControlWidget(QWidget* parent);
  ControlRef control = nullptr;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;  // the focus ring
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace vantiro
