// A seam for tests, not for users: scripted input for the modal loops of the windowing
// layer. A test queues steps before it calls the code that runs a modal loop (a window's
// loop, an alert, the file chooser, the colour picker); the steps then run one after
// another inside whichever of those loops is innermost, each once the events of the one
// before have been handled. Every step acts through the window system's event path
// (mouse and key events delivered to the window, commands sent as a control sends
// them), so the code under test runs exactly as it does for a user.
#pragma once

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "platform/MacTypes.h"

namespace vantiro::seam {

using Step = std::function<void()>;

// Queues a free-form step.
void Then(Step step);
bool Done();   // every queued step has run
void Reset();  // drops the steps not yet run
// When a modal loop runs for `seconds` with no step left, the process ends with a
// message and exit status 3 instead of hanging (0: wait for ever, the default).
void SetStallLimit(int seconds);

// Steps on the innermost modal window. Points are window-local; modifiers are the
// key-modifier word (shiftKey, optionKey, controlKey, cmdKey).
void MouseDown(Point where, uint32_t modifiers = 0);
void MouseDrag(Point where, uint32_t modifiers = 0);
void MouseUp(Point where, uint32_t modifiers = 0);
void Click(Point where, uint32_t modifiers = 0);
void ClickControl(OSType signature, int32_t id);            // at the centre of its bounds
void DragSlider(OSType signature, int32_t id, int32_t value);  // the thumb, to that value's place
void ChoosePopUpItem(OSType signature, int32_t id, int item);  // opens the menu, picks item 1..n
void Key(int qtKey, uint32_t modifiers = 0);
void CloseBox();  // the window manager's close button
void Command(uint32_t commandID);  // as a control of the window sends it

// Steps on the innermost chooser, picker or alert.
void ChooseFile(const std::string& path);  // puts the path into the name field, clicks Open
void CancelChooser();                      // presses Escape
void PickColor(RGBColor color);            // sets the colour and presses Return
void CancelColorPicker();
void PressAlertButton(int16_t number);     // clicks button 1, 2 or 3

// For steps that look: the innermost modal window (nil for a chooser, picker or alert),
// a picture of the innermost modal loop's window as it is on screen, and the names the
// chooser lists in its folder (waits up to five seconds for the folder to be read).
WindowRef ModalWindow();
QImage ModalScreenshot();

}  // namespace vantiro::seam
