#include "platform/seam/Seam.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <deque>

#include "platform/windows/Application.h"
#include "platform/windows/WindowInternals.h"

namespace vantiro::seam {
namespace {

std::deque<Step> gSteps;
bool gRunnerPosted = false;
bool gHold = false;  // a step is waiting for events of its own; the next one waits too
int gStallLimit = 0;
Qt::MouseButtons gButtons = Qt::NoButton;
const QEvent::Type kRunStep = static_cast<QEvent::Type>(QEvent::User + 0x5EA);

Qt::KeyboardModifiers QtModifiers(uint32_t word) {
  Qt::KeyboardModifiers mods;
  if (word & shiftKey) mods |= Qt::ShiftModifier;
  if (word & optionKey) mods |= Qt::AltModifier;
  if (word & controlKey) mods |= Qt::ControlModifier;
  if (word & cmdKey) mods |= Qt::MetaModifier;
  return mods;
}

QTimer& Watchdog() {
  static auto* timer = [] {
    auto* t = new QTimer();
    t->setSingleShot(true);
    QObject::connect(t, &QTimer::timeout, [] {
      if (!gSteps.empty() || InnermostModalWidget() == nullptr) return;
      std::fprintf(stderr, "A modal loop waited %d s with no scripted step left.\n", gStallLimit);
      std::fflush(stderr);
      std::_Exit(3);
    });
    return t;
  }();
  return *timer;
}

void ArmWatchdog() {
  if (gStallLimit > 0 && gSteps.empty() && InnermostModalWidget() != nullptr) Watchdog().start(gStallLimit * 1000);
}

class Runner : public QObject {
 protected:
  void customEvent(QEvent* event) override {
    if (event->type() != kRunStep) return;
    gRunnerPosted = false;
    if (gHold || InnermostModalWidget() == nullptr || gSteps.empty()) return;
    Step step = std::move(gSteps.front());
    gSteps.pop_front();
    // The next step waits behind the events this one causes, and may run inside a loop
    // that this one opens.
    Post();
    step();
    ArmWatchdog();
  }

 public:
  void Post() {
    if (gRunnerPosted || gSteps.empty()) return;
    gRunnerPosted = true;
    QCoreApplication::postEvent(this, new QEvent(kRunStep), Qt::LowEventPriority);
  }
};

Runner& TheRunner() {
  static auto* runner = new Runner();
  return *runner;
}

void OnModalStart() {
  if (gSteps.empty()) {
    ArmWatchdog();
    return;
  }
  TheRunner().Post();
}

const bool gHooked = [] {
  SetModalStartHook(OnModalStart);
  return true;
}();

QWidget* Modal() {
  QWidget* modal = InnermostModalWidget();
  if (modal == nullptr) {
    std::fputs("seam: a step ran with no modal loop\n", stderr);
    std::_Exit(3);
  }
  return modal;
}

void SendMouse(QWidget* top, QEvent::Type type, QPoint local, Qt::MouseButton button, uint32_t modifiers) {
  if (type == QEvent::MouseButtonPress) gButtons |= button;
  if (type == QEvent::MouseButtonRelease) gButtons &= ~Qt::MouseButtons(button);
  QMouseEvent event(type, QPointF(local), QPointF(local), top->mapToGlobal(QPointF(local)), button, gButtons,
                    QtModifiers(modifiers));
  QCoreApplication::sendEvent(top->windowHandle(), &event);
}

void SendKey(QWidget* top, int key, uint32_t modifiers) {
  const QString text = key == Qt::Key_Return ? QStringLiteral("\r") : (key == Qt::Key_Escape ? QStringLiteral("\x1b") : QString());
  QKeyEvent press(QEvent::KeyPress, key, QtModifiers(modifiers), text);
  QCoreApplication::sendEvent(top->windowHandle(), &press);
  QKeyEvent release(QEvent::KeyRelease, key, QtModifiers(modifiers), text);
  QCoreApplication::sendEvent(top->windowHandle(), &release);
}

QPoint ToQt(Point p) { return QPoint(p.h, p.v); }

ControlRef FindControl(OSType signature, int32_t id) {
  const ControlID cid{signature, id};
  ControlRef control = nullptr;
  GetControlByID(InnermostModalWindow(), &cid, &control);
  if (control == nullptr) {
    std::fputs("seam: the modal window has no such control\n", stderr);
    std::_Exit(3);
  }
  return control;
}

// Where a user clicks a control: its middle, or the box of a check box or radio button.
QPoint CentreOf(QWidget* widget) {
  const bool box = qobject_cast<QCheckBox*>(widget) != nullptr || qobject_cast<QRadioButton*>(widget) != nullptr;
  const QPoint local = box ? QPoint(widget->height() / 2, widget->height() / 2) : widget->rect().center();
  return widget->mapTo(widget->window(), local);
}

template <typename T>
T* ModalAs() {
  auto* dialog = qobject_cast<T*>(Modal());
  if (dialog == nullptr) {
    std::fputs("seam: the innermost modal loop is not the expected dialog\n", stderr);
    std::_Exit(3);
  }
  return dialog;
}

QRect HandleAt(QSlider* slider, int value) {
  QStyleOptionSlider option;
  option.initFrom(slider);
  option.subControls = QStyle::SC_None;
  option.activeSubControls = QStyle::SC_None;
  option.orientation = slider->orientation();
  option.maximum = slider->maximum();
  option.minimum = slider->minimum();
  option.tickPosition = slider->tickPosition();
  option.tickInterval = slider->tickInterval();
  option.upsideDown = slider->invertedAppearance() != (slider->orientation() == Qt::Vertical);
  option.direction = slider->layoutDirection();
  option.sliderPosition = value;
  option.sliderValue = value;
  option.singleStep = slider->singleStep();
  option.pageStep = slider->pageStep();
  if (slider->orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
  return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
}

}  // namespace

void Then(Step step) {
  gSteps.push_back(std::move(step));
  Watchdog().stop();
  if (InnermostModalWidget() != nullptr) TheRunner().Post();
}

bool Done() { return gSteps.empty(); }

void Reset() { gSteps.clear(); }

void SetStallLimit(int seconds) {
  EnsureApplication();
  gStallLimit = seconds;
}

void MouseDown(Point where, uint32_t modifiers) {
  Then([=] { SendMouse(Modal(), QEvent::MouseButtonPress, ToQt(where), Qt::LeftButton, modifiers); });
}

void MouseDrag(Point where, uint32_t modifiers) {
  Then([=] { SendMouse(Modal(), QEvent::MouseMove, ToQt(where), Qt::NoButton, modifiers); });
}

void MouseUp(Point where, uint32_t modifiers) {
  Then([=] { SendMouse(Modal(), QEvent::MouseButtonRelease, ToQt(where), Qt::LeftButton, modifiers); });
}

void Click(Point where, uint32_t modifiers) {
  MouseDown(where, modifiers);
  MouseUp(where, modifiers);
}

// Press and release are separate steps: a press may start a tracking loop that only
// the release ends.
void PressAndRelease(std::function<std::pair<QWidget*, QPoint>()> target) {
  auto where = std::make_shared<std::pair<QWidget*, QPoint>>();
  Then([=] {
    *where = target();
    SendMouse(where->first, QEvent::MouseButtonPress, where->second, Qt::LeftButton, 0);
  });
  Then([=] { SendMouse(where->first, QEvent::MouseButtonRelease, where->second, Qt::LeftButton, 0); });
}

void ClickControl(OSType signature, int32_t id) {
  PressAndRelease([=] { return std::make_pair(Modal(), CentreOf(FindControl(signature, id)->widget)); });
}

void DragSlider(OSType signature, int32_t id, int32_t value) {
  auto path = std::make_shared<std::pair<QPoint, QPoint>>();
  Then([=] {
    auto* slider = qobject_cast<QSlider*>(FindControl(signature, id)->widget.data());
    if (slider == nullptr) std::_Exit(3);
    const QPoint origin = slider->mapTo(slider->window(), QPoint(0, 0));
    path->first = HandleAt(slider, slider->value()).center() + origin;
    path->second = HandleAt(slider, value).center() + origin;
    SendMouse(Modal(), QEvent::MouseButtonPress, path->first, Qt::LeftButton, 0);
  });
  Then([=] {
    const QPoint middle = (path->first + path->second) / 2;
    SendMouse(Modal(), QEvent::MouseMove, middle, Qt::NoButton, 0);
  });
  Then([=] { SendMouse(Modal(), QEvent::MouseMove, path->second, Qt::NoButton, 0); });
  Then([=] { SendMouse(Modal(), QEvent::MouseButtonRelease, path->second, Qt::LeftButton, 0); });
}

void ChoosePopUpItem(OSType signature, int32_t id, int item) {
  ClickControl(signature, id);
  Then([=] {
    auto* popUp = qobject_cast<QComboBox*>(FindControl(signature, id)->widget.data());
    QAbstractItemView* view = popUp->view();
    view->setCurrentIndex(popUp->model()->index(item - 1, popUp->modelColumn(), popUp->rootModelIndex()));
    SendKey(view->window(), Qt::Key_Return, 0);
  });
}

void Key(int qtKey, uint32_t modifiers) {
  Then([=] { SendKey(Modal(), qtKey, modifiers); });
}

void CloseBox() {
  Then([] {
    QCloseEvent close;
    QCoreApplication::sendEvent(Modal()->windowHandle(), &close);
  });
}

void Command(uint32_t commandID) {
  Then([=] { VantiroSendWindowCommand(InnermostModalWindow(), commandID); });
}

void ChooseFile(const std::string& path) {
  // The path goes into the file name field as a paste would put it there.
  Then([=] {
    auto* name = ModalAs<QFileDialog>()->findChild<QLineEdit*>("fileNameEdit");
    if (name == nullptr) std::_Exit(3);
    name->setText(QString::fromStdString(path));
  });
  PressAndRelease([] {
    auto* chooser = ModalAs<QFileDialog>();
    QPushButton* open = nullptr;
    if (auto* buttons = chooser->findChild<QDialogButtonBox*>()) open = buttons->button(QDialogButtonBox::Open);
    if (open == nullptr) std::_Exit(3);
    return std::make_pair(static_cast<QWidget*>(chooser), CentreOf(open));
  });
}

void CancelChooser() {
  Then([] { SendKey(ModalAs<QFileDialog>(), Qt::Key_Escape, 0); });
}

void PickColor(RGBColor color) {
  Then([=] {
    auto* picker = ModalAs<QColorDialog>();
    picker->setCurrentColor(QColor::fromRgba64(color.red, color.green, color.blue));
    SendKey(picker, Qt::Key_Return, 0);
  });
}

void CancelColorPicker() {
  Then([] { SendKey(ModalAs<QColorDialog>(), Qt::Key_Escape, 0); });
}

void PressAlertButton(int16_t number) {
  PressAndRelease([=] {
    QWidget* alert = Modal();
    for (auto* button : alert->findChildren<QWidget*>())
      if (button->property("alertButton").toInt() == number) return std::make_pair(alert, CentreOf(button));
    std::fputs("seam: the alert has no such button\n", stderr);
    std::_Exit(3);
  });
}

WindowRef ModalWindow() { return InnermostModalWindow(); }

QImage ModalScreenshot() { return Modal()->grab().toImage(); }

}  // namespace vantiro::seam
