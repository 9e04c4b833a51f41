#include "platform/colorpicker/ColorPicker.h"

#include <QColorDialog>

#include "platform/text/MacRoman.h"
#include "platform/windows/Application.h"

OSErr NPickColor(NColorPickerInfo* info) {
  if (info == nullptr) return paramErr;
  vantiro::EnsureApplication();
  const CMRGBColor start = info->theColor.color.rgb;
  QColorDialog dialog(QColor(start.red >> 8, start.green >> 8, start.blue >> 8));
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  dialog.setWindowTitle(QString::fromStdString(vantiro::MacRomanToUtf8(vantiro::PascalChars(info->prompt))));
  dialog.setWindowModality(Qt::ApplicationModal);
  info->newColorChosen = false;
  int answer;
  vantiro::MakeDialogOfInnermostWindow(&dialog);
  {
    vantiro::ModalScope scope(&dialog, nullptr);
    answer = dialog.exec();
  }
  if (answer == QDialog::Accepted) {
    const QRgba64 chosen = dialog.selectedColor().rgba64();
    info->theColor.color.rgb = CMRGBColor{chosen.red(), chosen.green(), chosen.blue()};
    info->newColorChosen = true;
  }
  return noErr;
}
