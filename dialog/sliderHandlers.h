// The live preview and the sliders: every change re-renders the preview from the frame
// being shown, and the sliders change the settings while their thumbs move.
#pragma once

#include "platform/MacTypes.h"
#include "platform/windows/Controls.h"

// Renders the preview from the current source frame and makes the frame editor redraw.
void ReRenderAndBlit();
// Fetches the frame at that clip position from the host, then renders it.
void AccessRenderAndBlit(int32_t position);

// Live action procedures, called while the user drags a thumb.
void ClipSliderAction(ControlRef theControl, ControlPartCode part);
void Slider1Action(ControlRef theControl, ControlPartCode part);
void Slider2Action(ControlRef theControl, ControlPartCode part);
void Slider3Action(ControlRef theControl, ControlPartCode part);
void Slider4Action(ControlRef theControl, ControlPartCode part);
void Slider5Action(ControlRef theControl, ControlPartCode part);
void Slider6Action(ControlRef theControl, ControlPartCode part);

// Finds the sliders of the window, attaches their action procedures and shows the
// settings' values; sliders not in use are hidden with their texts.
void SetupSliders(WindowRef theWindow);
