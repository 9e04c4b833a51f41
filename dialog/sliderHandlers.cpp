#include "dialog/sliderHandlers.h"

#include <array>
#include <string>

#include "dialog/dlgUtils.h"
#include "host/iMovieGlue.h"
#include "model/Globals.h"
#include "render/callpixelfx.h"
#include "support/carbonmacros.h"
#include "support/commonprocs.h"

namespace {

constexpr std::array<int, 6> kSliderInUse = {cUsesSlider1, cUsesSlider2, cUsesSlider3,
                                             cUsesSlider4, cUsesSlider5, cUsesSlider6};
constexpr std::array<ControlActionProcPtr, 6> kSliderActions = {Slider1Action, Slider2Action, Slider3Action,
                                                                Slider4Action, Slider5Action, Slider6Action};

// The record keeps the low 16 bits; the layouts' ranges lie well inside them.
void SliderMoved(int16_t n, ControlRef theControl) {
  pluginWorkSpace& ws = gConfigWorkSpace;
  const int32_t value = GetControl32BitValue(theControl);
  ws.theConfig->sliders[n - 1] = static_cast<int16_t>(value);
  ShowSliderValue(ws.theWindow, n, value);
  ReRenderAndBlit();
}

}  // namespace

void ReRenderAndBlit() {
  pluginWorkSpace& ws = gConfigWorkSpace;
  CallPixelEffect(ws.sourceClip, ws.theFXclip);
  // A change of value makes the toolbox redraw the frame editor with the new preview.
  SetControl32BitValue(ws.theFrameCtrl, GetControl32BitValue(ws.theFrameCtrl) != 0 ? 0 : 1);
}

void AccessRenderAndBlit(int32_t position) {
  pluginWorkSpace& ws = gConfigWorkSpace;
  GetFrameIntoGW(ws.sourceClip, ws.iMovieParams, ws.minFrameIndex + position, cUseDisposeGWInSlider);
  ReRenderAndBlit();
}

void ClipSliderAction(ControlRef theControl, ControlPartCode) {
  pluginWorkSpace& ws = gConfigWorkSpace;
  const int32_t position = GetControl32BitValue(theControl);
  ws.currFrameIndex = position;
  ShowClipPosition(ws.theWindow, position, ws.maxFrameIndex);
  AccessRenderAndBlit(position);
}

void Slider1Action(ControlRef theControl, ControlPartCode) { SliderMoved(1, theControl); }
void Slider2Action(ControlRef theControl, ControlPartCode) { SliderMoved(2, theControl); }
void Slider3Action(ControlRef theControl, ControlPartCode) { SliderMoved(3, theControl); }
void Slider4Action(ControlRef theControl, ControlPartCode) { SliderMoved(4, theControl); }
void Slider5Action(ControlRef theControl, ControlPartCode) { SliderMoved(5, theControl); }
void Slider6Action(ControlRef theControl, ControlPartCode) { SliderMoved(6, theControl); }

void SetupSliders(WindowRef theWindow) {
  pluginWorkSpace& ws = gConfigWorkSpace;
  for (int16_t n = 1; n <= 6; ++n) {
    ControlRef slider = SimpleGetControlByID(theWindow, kSigSldr, n);
    Assert(slider, "Cannot access slider " + Num2Text(n));
    ws.sliders[n - 1] = slider;
    if (kSliderInUse[n - 1] == 1) {
      SetControlAction(slider, NewControlActionUPP(kSliderActions[n - 1]));
      SetControl32BitValue(slider, ws.theConfig->sliders[n - 1]);
      ShowSliderValue(theWindow, n, ws.theConfig->sliders[n - 1]);
    } else {
      SimpleHideControl(theWindow, kSigSldr, n);
      SimpleHideControl(theWindow, kSigLgnd, n);
      SimpleHideControl(theWindow, kSigLabl, n);
    }
  }
  ws.clipSlider = SimpleGetControlByID(theWindow, kSigClpS, 1);
  Assert(ws.clipSlider, "Cannot access clip slider");
  SetControlAction(ws.clipSlider, NewControlActionUPP(ClipSliderAction));
  SetControl32BitMinimum(ws.clipSlider, 0);
  SetControl32BitMaximum(ws.clipSlider, ws.maxFrameIndex);
  SetControl32BitValue(ws.clipSlider, ws.currFrameIndex);
  ShowClipPosition(theWindow, ws.currFrameIndex, ws.maxFrameIndex);
}
