// The keyboard's view actions: plain functions over the view state, and the
// tables that bind characters and arrow keys to them.
#pragma once

#include <cstdint>

#include "view/view_state.h"

namespace mv::ui {

// Spin speed. The tick count is rescaled so the spin angle SpinStep x
// TickCount stays where it was: a change of speed never makes the picture
// jump.
void IncreaseSpinStep(ViewState& v);  // + 0.19 degree a tick
void DecreaseSpinStep(ViewState& v);  // - 0.19 degree a tick; may pass zero and reverse
// Stop to a crawl of 0.0001 degree a tick, or resume the step saved at the stop.
void ToggleSpinStop(ViewState& v);

// In a fitted view each press scales the picture by kZoomKeyFactor; in the
// survey folders' own framing the zoom steps by fixed amounts and ZoomOut
// stops at 0.02, so the frame's scale (less 0.018) stays positive.
void ZoomIn(ViewState& v);
void ZoomOut(ViewState& v);
inline constexpr long double kZoomKeyFactor = 1.1L;

// Scales the picture by `factor`, within ZoomLimits: the frame's scale
// factor never vanishes, changes sign or grows without bound.
void ScaleZoom(ViewState& v, long double factor);
struct ZoomRange {
  long double least, most;  // of the frame's scale factor
};
ZoomRange ZoomLimits(const ViewState& v);

// Plan: tilted so the view looks straight down (the spin still turns the
// map); elevation: the tilt of the start. Spin, zoom and axis stay.
void ShowPlan(ViewState& v);
void ShowElevation(ViewState& v);
// Splays and surface legs: shown, faded, hidden and shown again.
LegShow NextLegShow(LegShow s);
void CycleSplays(ViewState& v);
void CycleSurfaceLegs(ViewState& v);

void MoveEyeAway(ViewState& v);
void MoveEyeCloser(ViewState& v);
void PanUp(ViewState& v);
void PanDown(ViewState& v);
void PanRight(ViewState& v);
void PanLeft(ViewState& v);

// Tilt and turn the model by kArrowStepDegrees; in the axis-position mode,
// move the rotation axis over the cave plan instead, by a hundredth of the
// box a press.
void ArrowDown(ViewState& v);
void ArrowUp(ViewState& v);
void ArrowRight(ViewState& v);
void ArrowLeft(ViewState& v);
inline constexpr long double kArrowStepDegrees = 0.5L;

// Virtual-key codes of the arrow keys.
inline constexpr int kVkLeft = 0x25;
inline constexpr int kVkUp = 0x26;
inline constexpr int kVkRight = 0x27;
inline constexpr int kVkDown = 0x28;

// A typed character; true when it has an action.
bool FormKeyPress(ViewState& v, char key);
// A virtual key; true when it is an arrow. Modifier keys do not matter.
bool FormKeyDown(ViewState& v, int key);

}  // namespace mv::ui
