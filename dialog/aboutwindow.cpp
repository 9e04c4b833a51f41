#include "dialog/aboutwindow.h"

#include <string>

#include "model/PluginDefines.h"
#include "platform/windows/MacWindows.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"

namespace {

WindowRef lgAboutWindow = nullptr;
int16_t lgAboutItem = -1;  // how the window was closed: 1 OK, 2 Cancel; nothing reads it

}  // namespace

void ShowAbout() {
  GrafPtr savedPort = nullptr;
  GetPort(&savedPort);
  lgAboutWindow = OpenNibWindowFromCFBundle(cMyBundleID, "about", "about");
  if (lgAboutWindow == nullptr) return;

  const EventTypeSpec commands[] = {{kEventClassCommand, kEventCommandProcess}};
  InstallWindowEventHandler(lgAboutWindow, NewEventHandlerUPP(AboutDialogHandler), 1, commands, lgAboutWindow, nullptr);
  SimpleSetControlText(lgAboutWindow, FOUR_CHAR_CODE('P', 'l', 'u', 'g'), 1, cMyClearName);
  SimpleSetControlText(lgAboutWindow, FOUR_CHAR_CODE('V', 'e', 'r', 's'), 1, std::string("Version ") + cPlugVersion);

  ShowWindow(lgAboutWindow);
  SelectWindow(lgAboutWindow);
  RunAppModalLoopForWindow(lgAboutWindow);
  DisposeWindow(lgAboutWindow);
  lgAboutWindow = nullptr;
  SetPort(savedPort);
}

OSStatus AboutDialogHandler(EventHandlerCallRef, EventRef theEvent, void* userData) {
  HICommand command{};
  GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  const std::string name = CommandID2Str(command.commandID);
  lgAboutItem = -1;
  if (name == "ok  ") {
    lgAboutItem = 1;
  } else if (name == "not!") {
    lgAboutItem = 2;
  } else {
    return eventNotHandledErr;
  }
  QuitAppModalLoopForWindow(static_cast<WindowRef>(userData));
  return noErr;
}
