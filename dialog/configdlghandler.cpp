#include "dialog/configdlghandler.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "dialog/aboutwindow.h"
#include "dialog/clipCTRL.h"
#include "dialog/colorCTRL.h"
#include "dialog/dlgUtils.h"
#include "dialog/pictCTRL.h"
#include "dialog/sliderHandlers.h"
#include "model/Globals.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "model/relrects.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/launch/LaunchServices.h"
#include "platform/memory/Memory.h"
#include "platform/windows/MacWindows.h"
#include "render/callpixelfx.h"
#include "render/commonprocs.h"
#include "support/EasyFile.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"

namespace {

pluginDataPtr gTheConfig = nullptr;
WindowRef lgTheWindow = nullptr;
// How the last window pass ended: 1 OK, 2 Cancel, 0 reopen for another format, -1 any
// other command. Not reset between dialogs.
int16_t lgItemHit = 0;
// The configuration as it was when the dialog opened; Cancel puts it back.
pluginDataPtr lgBackup = nullptr;
ConfigWindowOpener lgOpener = OpenNibWindowFromCFBundle;

constexpr std::array<int, 6> kColorInUse = {cUsesColor1, cUsesColor2, cUsesColor3,
                                            cUsesColor4, cUsesColor5, cUsesColor6};
constexpr OSType kAnyFile = FOUR_CHAR_CODE('*', '*', '*', '*');

const char* WindowNameFor(int16_t mediaType) {
  switch (mediaType) {
    case kMediaPAL: return "configPAL";
    case kMediaHD: return "configHD";
    default: return "configNTSC";
  }
}

int32_t ValueOf(OSType signature) { return SimpleGetControlValueByID(lgTheWindow, signature, 1); }

// Images the record holds now but did not hold when the dialog opened were chosen in
// it and belong to nobody else.
void ReleaseIfChosenHere(CGImageRef image, CGImageRef atOpening) {
  if (image != nullptr && image != atOpening) CGImageRelease(image);
}

void StepClip(int32_t step) {
  pluginWorkSpace& ws = gConfigWorkSpace;
  int32_t position = GetControl32BitValue(ws.clipSlider);
  if (step > 0 ? position >= ws.maxFrameIndex : position <= 0) return;
  position += step;
  SetControl32BitValue(ws.clipSlider, position);
  ws.currFrameIndex = position;
  AccessRenderAndBlit(position);
  ShowClipPosition(ws.theWindow, position, ws.maxFrameIndex);
}

void ResetSettings() {
  pluginDataPtr config = gConfigWorkSpace.theConfig;
  const int16_t mediaType = config->mediaType;
  ResetConfig(config, false);
  config->mediaType = mediaType;
  Config2Dlg(config);
  ReRenderAndBlit();
}

void ChangeMediaType() {
  pluginDataPtr config = gConfigWorkSpace.theConfig;
  const int16_t before = config->mediaType;
  config->mediaType = static_cast<int16_t>(ValueOf(kSigMedi));
  if (config->mediaType == before) return;
  lgItemHit = 0;
  QuitAppModalLoopForWindow(lgTheWindow);
}

void SelectWholeFrame() {
  relRect whole;
  InitRelRect(whole);
  PutCurrentRel(whole);
  ReRenderAndBlit();
}

// The picture replaced here stays alive while the dialog's backup may still need it.
void ChoosePicture() {
  FSSpec file;
  if (!EasyNavGetFile("Please choose an image", kAnyFile, kAnyFile, &file)) return;
  pluginDataPtr config = gConfigWorkSpace.theConfig;
  ReleaseIfChosenHere(config->theOriginalImage, lgBackup->theOriginalImage);
  ReleaseIfChosenHere(config->theRendered, lgBackup->theRendered);
  config->theOriginalImage = nullptr;
  config->theRendered = nullptr;
  config->theOriginalImage = GetCGImageFromFSSUsingCG(file);
  SetPictureControlImage(SimpleGetControlByID(lgTheWindow, kSigPict, 1), config->theOriginalImage);
  CalcAndKeepImageProps();
  ReRenderAndBlit();
}

void ApplyColor(int16_t n) {
  gConfigWorkSpace.theConfig->colors[n - 1] =
      LongInt2RGBColor(SimpleGetControlValueByID(lgTheWindow, kSigColr, n));
  ReRenderAndBlit();
}

// The windowing layer draws a new window's custom controls before it counts the window
// as active, when they show nothing; once it is active they are drawn again.
void DrawCustomControlsActive() {
  const pluginWorkSpace& ws = gConfigWorkSpace;
  Draw1Control(ws.theFrameCtrl);
  for (ControlRef box : ws.colors) Draw1Control(box);
  Draw1Control(SimpleGetControlByID(lgTheWindow, kSigPict, 1));
}

void EndPass(int16_t itemHit, WindowRef window) {
  lgItemHit = itemHit;
  QuitAppModalLoopForWindow(window);
}

struct DialogCommand {
  const char* name;
  void (*perform)(WindowRef window);
};

// The commands, in the order they are matched.
constexpr DialogCommand kCommands[] = {
      {"ok  ", [](WindowRef w) { EndPass(1, w); }},
      {"not!", [](WindowRef w) { EndPass(2, w); }},
      {"Info", [](WindowRef) { ShowAbout(); }},
      {"Col1", [](WindowRef) { ApplyColor(1); }},
      {"Col2", [](WindowRef) { ApplyColor(2); }},
      {"Col3", [](WindowRef) { ApplyColor(3); }},
      {"Col4", [](WindowRef) { ApplyColor(4); }},
      {"Col5", [](WindowRef) { ApplyColor(5); }},
      {"Col6", [](WindowRef) { ApplyColor(6); }},
      {"Adva", [](WindowRef) { StepClip(+1); }},
      {"Revi", [](WindowRef) { StepClip(-1); }},
      {"Rset", [](WindowRef) { ResetSettings(); }},
      {"Medi", [](WindowRef) { ChangeMediaType(); }},
      {"Sall", [](WindowRef) { SelectWholeFrame(); }},
      {"Help", [](WindowRef) { OpenManual(); }},
      {"Rect",
       [](WindowRef) {
         gConfigWorkSpace.activeRel = static_cast<int16_t>(ValueOf(kSigRect));
         CalcAndKeepImageProps();
         ReRenderAndBlit();
       }},
      {"Prop",
       [](WindowRef) {
         gConfigWorkSpace.theConfig->keepProps = ValueOf(kSigProp) == 1;
         CalcAndKeepImageProps();
         ReRenderAndBlit();
       }},
      {"Pict", [](WindowRef) { ChoosePicture(); }},
      {"Blnd",
       [](WindowRef) {
         gConfigWorkSpace.theConfig->blendMode = static_cast<int16_t>(ValueOf(kSigBlnd));
         ReRenderAndBlit();
       }},
};

}  // namespace

void SetConfigWindowOpener(ConfigWindowOpener opener) {
  lgOpener = opener != nullptr ? opener : OpenNibWindowFromCFBundle;
}

void ConfigurePlugIn(pluginDataPtr theData, GWorldPtr theGW, PluginParams* params, int32_t firstFrameIndex,
                     int32_t numberOfFrames) {
  vantiro::PortScope savedPort;
  gTheConfig = theData;
  pluginWorkSpace& ws = gConfigWorkSpace;
  ws.theConfig = gTheConfig;
  ws.sourceClip = theGW;
  ws.iMovieParams = params;
  ws.currFrameIndex = 0;
  ws.minFrameIndex = firstFrameIndex;
  ws.maxFrameIndex = std::max(numberOfFrames, int32_t{1}) - 1;
  ws.activeRel = 1;

  ws.theFXclip = AllocateRectGWorld(GetPortRect(theGW));
  Assert(ws.theFXclip, "Unable to allocate theProcessed in ConffigurePlug Init run");
  Assert(theData, "uninited theData in Configure master proc. need to call init before calling me");
  CallPixelEffect(theGW, ws.theFXclip);

  RegisterColorBox();
  RegisterClipCtrl();
  RegisterPictureControl();
  DoConfig(gTheConfig);
  UnregisterClipCtrl();
  UnregisterColorBox();
  UnregisterPictureControl();
  DisposeGWorld(ws.theFXclip);
  ws = pluginWorkSpace{};
}

void DoConfig(pluginDataPtr theConfig) {
  Assert(theConfig, "Nil theConfig on DoConfig");
  uint32_t size = 0;
  pGetConfigSize(&size);
  lgBackup = reinterpret_cast<pluginDataPtr>(NewPtr(static_cast<Size>(size)));
  Assert(lgBackup, "Unable to allocate the backup in DoConfig");
  std::memcpy(lgBackup, theConfig, size);

  bool opened = true;
  do {
    lgTheWindow = lgOpener(cMyBundleID, cMyPluginName, WindowNameFor(theConfig->mediaType));
    if (lgTheWindow == nullptr) {
      opened = false;
      break;
    }
    const EventTypeSpec commands[] = {{kEventClassCommand, kEventCommandProcess}};
    InstallWindowEventHandler(lgTheWindow, NewEventHandlerUPP(TheDialogHandler), 1, commands, lgTheWindow, nullptr);
    SetupDialog(lgTheWindow, theConfig);
    ShowWindow(lgTheWindow);
    SetPortWindowPort(lgTheWindow);
    SelectWindow(lgTheWindow);
    DrawCustomControlsActive();
    RunAppModalLoopForWindow(lgTheWindow);
    DisposeWindow(lgTheWindow);
    lgTheWindow = nullptr;
  } while (lgItemHit != 1 && lgItemHit != 2);

  if (opened && lgItemHit == 1) {
    // The pictures the record no longer holds were replaced here; nobody needs them now.
    if (lgBackup->theOriginalImage != theConfig->theOriginalImage) CGImageRelease(lgBackup->theOriginalImage);
    if (lgBackup->theRendered != theConfig->theRendered) CGImageRelease(lgBackup->theRendered);
    SaveConfig(theConfig);
  } else {
    ReleaseIfChosenHere(theConfig->theOriginalImage, lgBackup->theOriginalImage);
    ReleaseIfChosenHere(theConfig->theRendered, lgBackup->theRendered);
    std::memcpy(theConfig, lgBackup, size);
  }
  DisposePtr(reinterpret_cast<Ptr>(lgBackup));
  lgBackup = nullptr;
}

void SetupDialog(WindowRef theWindow, pluginDataPtr theConfig) {
  Assert(theWindow, "Nil Window in SetupDialog");
  Assert(theConfig, "Nil theConfig in SetupDialog");
  pluginWorkSpace& ws = gConfigWorkSpace;
  ws.theWindow = theWindow;
  ws.theFrameCtrl = SimpleGetControlByID(theWindow, kSigClip, 1);
  Assert(ws.theFrameCtrl, "Cannot acces Clip 1 CTRL");
  SetupColors(theWindow, theConfig);
  SetupSliders(theWindow);
  SimpleHideControl(theWindow, kSigRect, 1);
  SimpleHideControl(theWindow, kSigRect, 2);
  SimpleSetControlValueByID(theWindow, kSigMedi, 1, theConfig->mediaType);
  Config2Dlg(ws.theConfig);
  CalcAndKeepImageProps();
  ReRenderAndBlit();
}

void SetupColors(WindowRef theWindow, pluginDataPtr theConfig) {
  for (int16_t n = 1; n <= 6; ++n) {
    ControlRef box = SimpleGetControlByID(theWindow, kSigColr, n);
    Assert(box, "Cannot allocate color" + Num2Text(n) + " in SetupDialog");
    SetControl32BitMinimum(box, 0);
    SetControl32BitMaximum(box, 0xFFFFFF);
    SetControl32BitValue(box, RGBColor2LongInt(theConfig->colors[n - 1]));
    if (kColorInUse[n - 1] == 1) {
      SimpleShowControl(theWindow, kSigColr, n);
      SimpleShowControl(theWindow, kSigCLgd, n);
    } else {
      SimpleHideControl(theWindow, kSigColr, n);
      SimpleHideControl(theWindow, kSigCLgd, n);
    }
    gConfigWorkSpace.colors[n - 1] = box;
  }
}

void Config2Dlg(pluginDataPtr theConfig) {
  pluginWorkSpace& ws = gConfigWorkSpace;
  for (int16_t n = 1; n <= 6; ++n) SetControl32BitValue(ws.colors[n - 1], RGBColor2LongInt(theConfig->colors[n - 1]));
  for (int16_t n = 1; n <= 6; ++n) {
    SetControl32BitValue(ws.sliders[n - 1], theConfig->sliders[n - 1]);
    ShowSliderValue(ws.theWindow, n, theConfig->sliders[n - 1]);
  }
  SimpleSetControlValueByID(ws.theWindow, kSigBlnd, 1, ws.theConfig->blendMode);
  SimpleSetControlValueByID(ws.theWindow, kSigProp, 1, ws.theConfig->keepProps ? 1 : 0);
  ReRenderAndBlit();
}

OSStatus TheDialogHandler(EventHandlerCallRef, EventRef theEvent, void* userData) {
  HICommand command{};
  GetEventParameter(theEvent, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr, &command);
  const std::string name = CommandID2Str(command.commandID);
  lgItemHit = -1;
  for (const DialogCommand& known : kCommands) {
    if (name != known.name) continue;
    known.perform(static_cast<WindowRef>(userData));
    return noErr;
  }
  return eventNotHandledErr;
}

bool OpenManual() {
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR(cMyBundleID));
  if (bundle == nullptr) {
    Notify("Cannot Locate Bundle. Proceed with caution. Crash imminent");
    return false;  // a bundle that is not there is not asked for anything
  }
  CFURLRef manual = CFBundleCopyResourceURL(bundle, CFSTR("manual"), CFSTR("pdf"), nullptr);
  if (manual == nullptr) {
    Notify("Cannot locate manual in bundle");
    return false;
  }
  FSRef file;
  OSStatus status = fnfErr;
  if (CFURLGetFSRef(manual, &file)) {
    status = LSOpenFSRef(&file, nullptr);
    if (status != noErr) Notify("LSOpen failed with " + Num2Text(status));
  }
  CFRelease(manual);
  return status == noErr;
}
