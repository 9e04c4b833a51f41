// The Qt application object the windowing services run on.
#pragma once

class QApplication;
class QWidget;

#include "platform/MacTypes.h"

namespace vantiro {

// The process's QApplication, made on first use when the host has none. Without a
// display it is made on Qt's offscreen platform, so windows exist but show nowhere.
QApplication* EnsureApplication();

// Whether windows and alerts reach a screen: a real platform (X11, Wayland) with its
// display, not the offscreen or minimal ones.
bool DisplayAvailable();

// Every modal loop of the layer (window loops, alerts, choosers, the colour picker) runs
// inside one of these, innermost last. Windows below the innermost are inactive.
class ModalScope {
 public:
  ModalScope(QWidget* modal, WindowRef window);
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};
QWidget* InnermostModalWidget();  // nil when no modal loop runs
// Makes a top-level widget, not yet shown, a dialog of the window it is opened from (the
// innermost modal one, else the active one), so that a window manager keeps it above
// that window instead of letting it fall behind a modal one.
void MakeDialogOfInnermostWindow(QWidget* top);
WindowRef InnermostModalWindow();  // nil when the innermost loop is no window's
// Called when a modal loop is about to run, for the test seam.
using ModalStartHook = void (*)();
void SetModalStartHook(ModalStartHook hook);

}  // namespace vantiro
