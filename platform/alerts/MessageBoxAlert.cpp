#include "platform/alerts/MessageBoxAlert.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/windows/Application.h"

namespace vantiro {
namespace {

QMessageBox::Icon IconOf(AlertType type) {
  switch (type) {
    case kAlertStopAlert: return QMessageBox::Critical;
    case kAlertCautionAlert: return QMessageBox::Warning;
    case kAlertNoteAlert: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

const bool gInstalled = [] {
  SetDefaultAlertPresenter(PresentOnDisplayOrStandardError);
  return true;
}();

}  // namespace

int16_t PresentInMessageBox(const AlertContent& alert) {
  EnsureApplication();
  QMessageBox box;
  box.setIcon(IconOf(alert.type));
  box.setWindowTitle(QCoreApplication::applicationName());
  box.setText(QString::fromStdString(alert.headline));
  if (!alert.text.empty()) box.setInformativeText(QString::fromStdString(alert.text));
  box.setWindowModality(Qt::ApplicationModal);
  static const QMessageBox::ButtonRole kRoles[] = {QMessageBox::AcceptRole, QMessageBox::RejectRole,
                                                   QMessageBox::DestructiveRole};
  std::vector<QPushButton*> buttons;
  for (std::size_t i = 0; i < alert.buttons.size() && i < 3; ++i) {
    QPushButton* button = box.addButton(QString::fromStdString(alert.buttons[i]), kRoles[i]);
    button->setProperty("alertButton", static_cast<int>(i + 1));
    buttons.push_back(button);
  }
  if (alert.defaultButton >= 1 && alert.defaultButton <= static_cast<int>(buttons.size()))
    box.setDefaultButton(buttons[static_cast<std::size_t>(alert.defaultButton - 1)]);
  if (!buttons.empty()) box.setEscapeButton(buttons.size() >= 2 ? buttons[1] : buttons[0]);
  MakeDialogOfInnermostWindow(&box);
  {
    ModalScope scope(&box, nullptr);
    box.exec();
  }
  const QAbstractButton* pressed = box.clickedButton();
  return pressed == nullptr ? alert.defaultButton : static_cast<int16_t>(pressed->property("alertButton").toInt());
}

int16_t PresentOnDisplayOrStandardError(const AlertContent& alert) {
  return DisplayAvailable() ? PresentInMessageBox(alert) : PresentOnStandardError(alert);
}

}  // namespace vantiro
