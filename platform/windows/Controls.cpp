#include "platform/windows/Controls.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QWheelEvent>
#include <QtEndian>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/quickdraw/QuickDraw.h"
#include "platform/text/MacRoman.h"
#include "platform/windows/WindowInternals.h"

namespace vantiro {

namespace {

std::map<std::string, ToolboxObjectClassRef>& Classes() {
  static auto* classes = new std::map<std::string, ToolboxObjectClassRef>();
  return *classes;
}

OSType FourCharCodeOf(const QVariant& value) {
  QByteArray text = value.toString().toLatin1().left(4);
  while (text.size() < 4) text.append(' ');
  return FOUR_CHAR_CODE(text[0], text[1], text[2], text[3]);
}

ControlKind KindOf(QWidget* widget) {
  if (dynamic_cast<CustomControlWidget*>(widget) != nullptr) return ControlKind::Custom;
  if (qobject_cast<QAbstractSlider*>(widget) != nullptr) return ControlKind::Slider;
  if (qobject_cast<QComboBox*>(widget) != nullptr) return ControlKind::PopUp;
  if (qobject_cast<QCheckBox*>(widget) != nullptr || qobject_cast<QRadioButton*>(widget) != nullptr)
    return ControlKind::CheckBox;
  if (qobject_cast<QAbstractButton*>(widget) != nullptr) return ControlKind::Button;
  if (qobject_cast<QLabel*>(widget) != nullptr) return ControlKind::StaticText;
  return ControlKind::Other;
}

// Runs a control event through the control's handlers and its standard handling; `fill`
// adds parameters, the event is returned for reading them back.
struct ControlEvent {
  ControlEvent(ControlRef control, uint32_t kind) {
    CreateEvent(nullptr, kEventClassControl, kind, 0, 0, &event);
    SetParam(event, kEventParamDirectObject, typeControlRef, control);
  }
  ~ControlEvent() { ReleaseEvent(event); }
  ControlEvent(const ControlEvent&) = delete;
  ControlEvent& operator=(const ControlEvent&) = delete;
  OSStatus Send(ControlRef control) {
    BusyWindow busy(control->owner);
    return SendEventToEventTarget(event, control->target);
  }
  EventRef event = nullptr;
};

ControlPartCode HitTest(ControlRef control, Point where, uint32_t modifiers) {
  ControlEvent hit(control, kEventControlHitTest);
  SetParam(hit.event, kEventParamMouseLocation, typeQDPoint, where);
  SetParam(hit.event, kEventParamKeyModifiers, typeUInt32, modifiers);
  hit.Send(control);
  ControlPartCode part = kControlNoPart;
  GetParam(hit.event, kEventParamControlPart, typeControlPartCode, &part);
  return part;
}

Point PointOf(QPoint p) { return Point{static_cast<int16_t>(p.y()), static_cast<int16_t>(p.x())}; }

bool Inside(ControlRef control, Point where) {
  Rect bounds;
  GetControlBounds(control, &bounds);
  return PtInRect(where, &bounds);
}

// What is set up while a click or a key is handled, as the toolbox does: the window kept
// alive, its port current and the event's modifiers readable; all undone afterwards.
class UserEventScope {
 public:
  UserEventScope(WindowRef window, uint32_t modifiers) : window_(window), busy_(window) {
    GetPort(&savedPort_);
    SetPortWindowPort(window);
    Mouse().eventModifiers = modifiers;
    Mouse().haveEventModifiers = true;
  }
  ~UserEventScope() {
    Mouse().haveEventModifiers = false;
    FlushWindow(window_);
    if (!window_->disposed) SetPort(savedPort_);
  }
  UserEventScope(const UserEventScope&) = delete;
  UserEventScope& operator=(const UserEventScope&) = delete;

 private:
  WindowRef window_;
  BusyWindow busy_;
  GrafPtr savedPort_ = nullptr;
};

// Space presses a custom control as a click does: a hit on its part 1.
OSStatus StandardKeyHandling(ControlRef control, EventRef event) {
  char key = 0;
  GetParam(event, kEventParamKeyMacCharCodes, typeChar, &key);
  if (GetEventKind(event) != kEventRawKeyDown || key != kSpaceCharCode) return eventNotHandledErr;
  uint32_t modifiers = 0;
  GetParam(event, kEventParamKeyModifiers, typeUInt32, &modifiers);
  ControlEvent hit(control, kEventControlHit);
  SetParam(hit.event, kEventParamControlPart, typeControlPartCode, ControlPartCode{1});
  SetParam(hit.event, kEventParamKeyModifiers, typeUInt32, modifiers);
  hit.Send(control);
  return noErr;
}

// The character code of a key a custom control may take; 0 for others.
char CharCodeOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Left: return kLeftArrowCharCode;
    case Qt::Key_Right: return kRightArrowCharCode;
    case Qt::Key_Up: return kUpArrowCharCode;
    case Qt::Key_Down: return kDownArrowCharCode;
    case Qt::Key_Space: return kSpaceCharCode;
    default: return 0;
  }
}

// Pop-up menus ignore the mouse wheel: Qt would choose the next item and report it as
// picked, and a pop-up changes only when the user picks an item.
class WheelGuard : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Wheel; }
};

// What the toolbox does with a control event that no handler took.
OSStatus StandardControlHandling(ControlRef control, EventRef event) {
  if (GetEventClass(event) == kEventClassKeyboard) return StandardKeyHandling(control, event);
  switch (GetEventKind(event)) {
    case kEventControlHitTest: {
      Point where{};
      GetParam(event, kEventParamMouseLocation, typeQDPoint, &where);
      const ControlPartCode part = Inside(control, where) ? 1 : kControlNoPart;
      SetParam(event, kEventParamControlPart, typeControlPartCode, part);
      return noErr;
    }
    case kEventControlTrack: {
      // Highlights the part while the mouse is over it; the part under the mouse at the
      // release counts.
      ControlPartCode part = kControlNoPart;
      GetParam(event, kEventParamControlPart, typeControlPartCode, &part);
      uint32_t modifiers = 0;
      GetParam(event, kEventParamKeyModifiers, typeUInt32, &modifiers);
      const ControlPartCode pressed = part;
      HiliteControl(control, pressed);
      Point where{};
      MouseTrackingResult result = kMouseTrackingMouseDragged;
      while (result == kMouseTrackingMouseDragged) {
        if (TrackMouseLocation(GetWindowPort(control->owner), &where, &result) != noErr) break;
        part = HitTest(control, where, modifiers);
        HiliteControl(control, part != kControlNoPart ? pressed : ControlPartCode{kControlNoPart});
      }
      if (result != kMouseTrackingMouseUp) part = kControlNoPart;
      HiliteControl(control, kControlNoPart);
      SetParam(event, kEventParamControlPart, typeControlPartCode, part);
      return noErr;
    }
    case kEventControlHit:
      if (control->command != 0) VantiroSendWindowCommand(control->owner, control->command);
      return noErr;
    default:
      return eventNotHandledErr;
  }
}

void Redraw(ControlRef control) {
  if (control->kind == ControlKind::Custom) {
    control->needsDraw = true;
    if (IsWindowVisible(control->owner) && IsControlVisible(control)) DrawCustomControl(control);
  } else if (control->widget && control->widget->isVisible()) {
    control->widget->repaint();
  }
}

// Widgets that keep their own value, range or text.
QAbstractSlider* SliderOf(ControlRef c) { return qobject_cast<QAbstractSlider*>(c->widget.data()); }
QComboBox* PopUpOf(ControlRef c) { return qobject_cast<QComboBox*>(c->widget.data()); }
QAbstractButton* ButtonOf(ControlRef c) { return qobject_cast<QAbstractButton*>(c->widget.data()); }

int32_t WidgetValue(ControlRef c) {
  if (auto* slider = SliderOf(c)) return slider->value();
  if (auto* popUp = PopUpOf(c)) return popUp->currentIndex() + 1;
  if (auto* check = qobject_cast<QCheckBox*>(c->widget.data()))
    return check->checkState() == Qt::Checked ? 1 : (check->checkState() == Qt::PartiallyChecked ? 2 : 0);
  if (c->kind == ControlKind::CheckBox) return ButtonOf(c)->isChecked() ? 1 : 0;
  return c->value;
}

void ConnectSignals(ControlRef c, QObject* context) {
  if (auto* slider = SliderOf(c)) {
    QObject::connect(slider, &QAbstractSlider::actionTriggered, context, [c](int action) {
      switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: c->trackedPart = kControlUpButtonPart; break;
        case QAbstractSlider::SliderSingleStepSub: c->trackedPart = kControlDownButtonPart; break;
        case QAbstractSlider::SliderPageStepAdd: c->trackedPart = kControlPageDownPart; break;
        case QAbstractSlider::SliderPageStepSub: c->trackedPart = kControlPageUpPart; break;
        default: c->trackedPart = kControlIndicatorPart; break;
      }
    });
    QObject::connect(slider, &QAbstractSlider::valueChanged, context, [c, slider](int) {
      if (c->settingByCode) return;
      if (c->action != nullptr) {
        BusyWindow busy(c->owner);
        c->action(c, slider->isSliderDown() ? ControlPartCode{kControlIndicatorPart} : c->trackedPart);
        FlushWindow(c->owner);
      }
      if (!slider->isSliderDown() && c->command != 0) VantiroSendWindowCommand(c->owner, c->command);
    });
    QObject::connect(slider, &QAbstractSlider::sliderReleased, context, [c] {
      if (c->command != 0) VantiroSendWindowCommand(c->owner, c->command);
    });
  } else if (auto* popUp = PopUpOf(c)) {
    popUp->installEventFilter(new WheelGuard(context));
    QObject::connect(popUp, &QComboBox::activated, context, [c](int) {
      if (c->command != 0) VantiroSendWindowCommand(c->owner, c->command);
    });
  } else if (auto* button = ButtonOf(c)) {
    QObject::connect(button, &QAbstractButton::clicked, context, [c] {
      if (c->command != 0) VantiroSendWindowCommand(c->owner, c->command);
    });
  }
}

}  // namespace

ToolboxObjectClassRef FindToolboxClass(const std::string& classID) {
  const auto it = Classes().find(classID);
  return it == Classes().end() ? nullptr : it->second;
}

bool IsToolboxClassRegistered(const std::string& classID) { return FindToolboxClass(classID) != nullptr; }

ControlRef ControlForWidget(const QWidget* widget) {
  WindowRef window = WindowForWidget(widget);
  if (window == nullptr) return nullptr;
  for (auto& control : window->controls)
    if (control->widget == widget) return control.get();
  return nullptr;
}

CustomControlWidget::CustomControlWidget(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

void CustomControlWidget::keyPressEvent(QKeyEvent* event) {
  const char key = CharCodeOf(event->key());
  if (control == nullptr || key == 0 || !PressKeyOnCustomControl(control, key, KeyModifiersFromQt(event->modifiers())))
    QWidget::keyPressEvent(event);  // Return, Escape and Tab go on to the window
}

void CustomControlWidget::paintEvent(QPaintEvent*) {
  if (!hasFocus()) return;  // the control's looks are in the window's port
  QPainter painter(this);
  QPen pen(palette().color(QPalette::Highlight), 2);
  painter.setPen(pen);
  painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void CustomControlWidget::focusInEvent(QFocusEvent* event) {
  update();
  QWidget::focusInEvent(event);
}

void CustomControlWidget::focusOutEvent(QFocusEvent* event) {
  update();
  QWidget::focusOutEvent(event);
}

bool PressKeyOnCustomControl(ControlRef control, char key, uint32_t modifiers) {
  UserEventScope scope(control->owner, modifiers);
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassKeyboard, kEventRawKeyDown, 0, 0, &event);
  SetParam(event, kEventParamDirectObject, typeControlRef, control);
  SetParam(event, kEventParamKeyMacCharCodes, typeChar, key);
  SetParam(event, kEventParamKeyModifiers, typeUInt32, modifiers);
  const OSStatus status = SendEventToEventTarget(event, control->target);
  ReleaseEvent(event);
  return status == noErr;
}

void CustomControlWidget::mousePressEvent(QMouseEvent* event) {
  if (control == nullptr || event->button() != Qt::LeftButton) return;
  const QPoint where = mapTo(window(), event->position().toPoint());
  ClickCustomControl(control, where, KeyModifiersFromQt(event->modifiers()));
}

void ClickCustomControl(ControlRef control, QPoint where, uint32_t modifiers) {
  WindowRef window = control->owner;
  UserEventScope scope(window, modifiers);
  const Point point = PointOf(where);
  ControlPartCode part = HitTest(control, point, modifiers);
  if (part != kControlNoPart && !window->disposed) {
    ControlEvent track(control, kEventControlTrack);
    SetParam(track.event, kEventParamMouseLocation, typeQDPoint, point);
    SetParam(track.event, kEventParamKeyModifiers, typeUInt32, modifiers);
    SetParam(track.event, kEventParamControlPart, typeControlPartCode, part);
    Mouse().trackingWindow = window;
    track.Send(control);
    Mouse().trackingWindow = nullptr;
    GetParam(track.event, kEventParamControlPart, typeControlPartCode, &part);
  }
  if (part != kControlNoPart && !window->disposed) {
    ControlEvent hit(control, kEventControlHit);
    SetParam(hit.event, kEventParamControlPart, typeControlPartCode, part);
    SetParam(hit.event, kEventParamKeyModifiers, typeUInt32, modifiers);
    hit.Send(control);
  }
}

void DrawCustomControl(ControlRef control) {
  if (control->owner->disposed) return;
  control->needsDraw = false;
  ControlEvent draw(control, kEventControlDraw);
  SetParam(draw.event, kEventParamGrafPort, typeGrafPtr, control->owner->port);
  draw.Send(control);
  FlushWindow(control->owner);
}

void AdoptControls(WindowRef window, const std::vector<std::pair<QWidget*, ToolboxObjectClassRef>>& customs) {
  QWidget* host = window->widget;
  for (QWidget* widget : host->findChildren<QWidget*>()) {
    const QVariant signature = widget->property("signature");
    const QVariant command = widget->property("command");
    const auto custom = std::find_if(customs.begin(), customs.end(), [&](const auto& p) { return p.first == widget; });
    if (!signature.isValid() && !command.isValid() && custom == customs.end()) continue;

    auto control = std::make_unique<OpaqueControlRef>();
    ControlRef c = control.get();
    c->owner = window;
    c->widget = widget;
    c->kind = KindOf(widget);
    c->hasID = signature.isValid();
    if (c->hasID) c->id = ControlID{FourCharCodeOf(signature), widget->property("controlID").toInt()};
    if (command.isValid()) c->command = FourCharCodeOf(command);
    c->target = NewEventTarget(window->target);
    switch (c->kind) {
      case ControlKind::PopUp:
        c->minimum = PopUpOf(c)->count() > 0 ? 1 : 0;
        c->maximum = PopUpOf(c)->count();
        break;
      case ControlKind::CheckBox: {
        auto* check = qobject_cast<QCheckBox*>(widget);
        c->maximum = check != nullptr && check->isTristate() ? 2 : 1;
        break;
      }
      case ControlKind::Button: c->maximum = 1; break;
      default:
        c->minimum = widget->property("minimum").toInt();
        c->maximum = widget->property("maximum").toInt();
        c->value = std::clamp(widget->property("value").toInt(), c->minimum, std::max(c->minimum, c->maximum));
        break;
    }
    SetStandardHandler(c->target, [c](EventRef event) { return StandardControlHandling(c, event); });
    if (custom != customs.end()) {
      c->cls = custom->second;
      ++c->cls->instances;
      static_cast<CustomControlWidget*>(widget)->control = c;
      InstallBaseHandler(c->target, c->cls->handler, c->cls->events.size(), c->cls->events.data(), c->cls->userData);
    }
    ConnectSignals(c, window->connections.get());
    window->controls.push_back(std::move(control));
  }
  // A control made into a window hears that it has an owner.
  for (auto& control : window->controls) {
    if (control->kind != ControlKind::Custom) continue;
    ControlEvent changed(control.get(), kEventControlOwningWindowChanged);
    SetParam(changed.event, kEventParamControlOriginalOwningWindow, typeWindowRef, static_cast<WindowRef>(nullptr));
    SetParam(changed.event, kEventParamControlCurrentOwningWindow, typeWindowRef, window);
    changed.Send(control.get());
  }
}

void DisposeControls(WindowRef window) {
  for (auto& control : window->controls) {
    if (control->cls != nullptr) --control->cls->instances;
    if (auto* custom = dynamic_cast<CustomControlWidget*>(control->widget.data())) custom->control = nullptr;
    DisposeEventTarget(control->target);
  }
  window->controls.clear();
}

}  // namespace vantiro

using vantiro::ControlKind;

OSStatus GetControlByID(WindowRef window, const ControlID* inID, ControlRef* outControl) {
  if (outControl != nullptr) *outControl = nullptr;
  if (window == nullptr || inID == nullptr || outControl == nullptr) return paramErr;
  for (auto& control : window->controls)
    if (control->hasID && control->id.signature == inID->signature && control->id.id == inID->id) {
      *outControl = control.get();
      return noErr;
    }
  return errUnknownControl;
}

WindowRef GetControlOwner(ControlRef control) { return control == nullptr ? nullptr : control->owner; }

int32_t GetControl32BitValue(ControlRef control) {
  return control == nullptr ? 0 : vantiro::WidgetValue(control);
}

int32_t GetControl32BitMinimum(ControlRef control) {
  if (control == nullptr) return 0;
  if (auto* slider = vantiro::SliderOf(control)) return slider->minimum();
  return control->minimum;
}

int32_t GetControl32BitMaximum(ControlRef control) {
  if (control == nullptr) return 0;
  if (auto* slider = vantiro::SliderOf(control)) return slider->maximum();
  return control->maximum;
}

void SetControl32BitValue(ControlRef control, int32_t value) {
  if (control == nullptr) return;
  value = std::clamp(value, GetControl32BitMinimum(control),
                     std::max(GetControl32BitMinimum(control), GetControl32BitMaximum(control)));
  if (value == GetControl32BitValue(control)) return;
  control->settingByCode = true;
  if (auto* slider = vantiro::SliderOf(control)) {
    slider->setValue(value);
  } else if (auto* popUp = vantiro::PopUpOf(control)) {
    popUp->setCurrentIndex(value - 1);
  } else if (auto* check = qobject_cast<QCheckBox*>(control->widget.data())) {
    check->setCheckState(value == 2 ? Qt::PartiallyChecked : (value == 1 ? Qt::Checked : Qt::Unchecked));
  } else if (control->kind == ControlKind::CheckBox) {
    vantiro::ButtonOf(control)->setChecked(value != 0);
  } else {
    control->value = value;
  }
  control->settingByCode = false;
  vantiro::Redraw(control);
}

namespace {

// Changes one end of the range and keeps the value inside it.
void SetRangeEnd(ControlRef control, int32_t bound, bool isMaximum) {
  if (control == nullptr) return;
  control->settingByCode = true;
  if (auto* slider = vantiro::SliderOf(control))
    isMaximum ? slider->setMaximum(bound) : slider->setMinimum(bound);
  else
    (isMaximum ? control->maximum : control->minimum) = bound;
  control->settingByCode = false;
  SetControl32BitValue(control, GetControl32BitValue(control));
}

}  // namespace

void SetControl32BitMinimum(ControlRef control, int32_t minimum) { SetRangeEnd(control, minimum, false); }
void SetControl32BitMaximum(ControlRef control, int32_t maximum) { SetRangeEnd(control, maximum, true); }

OSErr SetControlData(ControlRef control, ControlPartCode, ResType tagName, Size size, const void* data) {
  if (control == nullptr || !control->widget || (data == nullptr && size > 0)) return paramErr;
  if (tagName != kControlStaticTextTextTag) return static_cast<OSErr>(errDataNotSupported);
  const QString text = QString::fromStdString(
      vantiro::MacRomanToUtf8(std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(size))));
  if (auto* label = qobject_cast<QLabel*>(control->widget.data()))
    label->setText(text);
  else if (auto* button = vantiro::ButtonOf(control))
    button->setText(text);
  else if (auto* edit = qobject_cast<QLineEdit*>(control->widget.data()))
    edit->setText(text);
  else
    return static_cast<OSErr>(errDataNotSupported);
  return noErr;
}

namespace {

bool TextOf(ControlRef control, std::string* out) {
  if (control == nullptr || !control->widget) return false;
  QString text;
  if (auto* label = qobject_cast<QLabel*>(control->widget.data()))
    text = label->text();
  else if (auto* button = vantiro::ButtonOf(control))
    text = button->text();
  else if (auto* edit = qobject_cast<QLineEdit*>(control->widget.data()))
    text = edit->text();
  else
    return false;
  // Characters without a Mac Roman form read as '?'.
  std::string roman;
  for (const QChar ch : text) {
    const auto one = vantiro::Utf8ToMacRoman(QString(ch).toStdString());
    roman += one ? *one : std::string("?");
  }
  *out = roman;
  return true;
}

}  // namespace

OSErr GetControlData(ControlRef control, ControlPartCode, ResType tagName, Size bufferSize, void* buffer,
                     Size* actualSize) {
  std::string text;
  if (tagName != kControlStaticTextTextTag || !TextOf(control, &text)) return static_cast<OSErr>(errDataNotSupported);
  if (buffer != nullptr) std::memcpy(buffer, text.data(), std::min<std::size_t>(text.size(), static_cast<std::size_t>(std::max<Size>(bufferSize, 0))));
  if (actualSize != nullptr) *actualSize = static_cast<Size>(text.size());
  return noErr;
}

void Draw1Control(ControlRef control) {
  if (control != nullptr) vantiro::Redraw(control);
}

void ShowControl(ControlRef control) {
  if (control == nullptr || !control->widget || !control->widget->isHidden()) return;
  control->widget->show();
  vantiro::Redraw(control);
}

void HideControl(ControlRef control) {
  if (control == nullptr || !control->widget || control->widget->isHidden()) return;
  control->widget->hide();
  if (control->kind == ControlKind::Custom) {
    // Its looks are in the port: paint them over with the window's background.
    WindowRef window = control->owner;
    Rect r;
    GetControlBounds(control, &r);
    const uint32_t background = vantiro::PortBackgroundPixel(window);
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, window->height); ++y)
      for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, window->width); ++x)
        window->pixels[static_cast<std::size_t>(y) * window->width + x] = background;
    vantiro::FlushWindow(window);
  }
}

Boolean IsControlVisible(ControlRef control) {
  return control != nullptr && control->widget && !control->widget->isHidden();
}

Rect* GetControlBounds(ControlRef control, Rect* bounds) {
  if (bounds == nullptr) return bounds;
  *bounds = Rect{0, 0, 0, 0};
  if (control == nullptr || !control->widget || !control->owner->widget) return bounds;
  const QPoint topLeft = control->widget->mapTo(control->owner->widget, QPoint(0, 0));
  const QSize size = control->widget->size();
  *bounds = Rect{static_cast<int16_t>(topLeft.y()), static_cast<int16_t>(topLeft.x()),
                 static_cast<int16_t>(topLeft.y() + size.height()), static_cast<int16_t>(topLeft.x() + size.width())};
  return bounds;
}

ControlPartCode GetControlHilite(ControlRef control) {
  if (control == nullptr || !control->widget) return kControlNoPart;
  if (!control->widget->isEnabled()) return kControlDisabledPart;
  if (!control->owner->active) return kControlInactivePart;
  return control->hilite;
}

void HiliteControl(ControlRef control, ControlPartCode part) {
  if (control == nullptr || control->hilite == part) return;
  control->hilite = part;
  if (control->widget && control->kind != ControlKind::Custom)
    control->widget->setEnabled(part != kControlDisabledPart && part != kControlInactivePart);
  vantiro::Redraw(control);
}

void SetControlReference(ControlRef control, SRefCon data) {
  if (control != nullptr) control->refCon = data;
}

SRefCon GetControlReference(ControlRef control) { return control == nullptr ? 0 : control->refCon; }

void SetControlAction(ControlRef control, ControlActionUPP action) {
  if (control != nullptr) control->action = action;
}

OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef, ItemCount numEvents,
                                    const EventTypeSpec* eventList, EventHandlerUPP handler, void* userData,
                                    ToolboxObjectClassRef* outClassRef) {
  if (classID == nullptr || (eventList == nullptr && numEvents > 0)) return paramErr;
  const std::string id = CFStringToUtf8(classID);
  if (id.empty()) return paramErr;
  if (vantiro::FindToolboxClass(id) != nullptr) return hiObjectClassExistsErr;
  auto* cls = new OpaqueToolboxObjectClassRef{id, handler, {eventList, eventList + numEvents}, userData, 0};
  vantiro::Classes()[id] = cls;
  if (outClassRef != nullptr) *outClassRef = cls;
  return noErr;
}

OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef classRef) {
  if (classRef == nullptr || vantiro::FindToolboxClass(classRef->classID) != classRef) return paramErr;
  if (classRef->instances > 0) return hiObjectClassHasInstancesErr;
  vantiro::Classes().erase(classRef->classID);
  delete classRef;
  return noErr;
}

int VantiroGetWindowScale(WindowRef window) {
  if (window == nullptr || !window->widget) return 1;
  return std::max(1, static_cast<int>(std::lround(window->widget->devicePixelRatioF())));
}

void VantiroSetControlScaledImage(ControlRef control, GWorldPtr picture) {
  if (control == nullptr) return;
  control->scaledImage = QImage();
  if (picture != nullptr) {
    Rect bounds;
    GetPortBounds(picture, &bounds);
    PixMapHandle pm = GetGWorldPixMap(picture);
    const auto* base = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm));
    QImage image(bounds.right - bounds.left, bounds.bottom - bounds.top, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
      const auto* from = reinterpret_cast<const uint32_t*>(base + y * GetPixRowBytes(pm));
      auto* to = reinterpret_cast<uint32_t*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x) to[x] = qFromBigEndian(from[x]);  // bytes alpha, red, green, blue
    }
    control->scaledImage = image;
  }
  vantiro::FlushWindow(control->owner);
}
