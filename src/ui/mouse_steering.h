// Steering the model with the mouse: a left drag turns and tilts, a right
// drag pans, the wheel zooms. The same view-state variables and steps as the
// keys; plain arithmetic over the view state, apart from the widgets.
#pragma once

#include "ui/key_actions.h"
#include "view/camera.h"
#include "view/view_state.h"

namespace mv::ui {

// One arrow-key step of turn or tilt for every pixel dragged.
inline constexpr long double kDegreesPerPixel = kArrowStepDegrees;
// A press that stays within this many pixels (in x plus y) of where it began
// is a click and steers nothing.
inline constexpr int kDragThreshold = 3;
// Angle delta of one wheel notch, in eighths of a degree.
inline constexpr int kWheelNotch = 120;

// Turn (horizontal drag) and tilt (vertical drag) in the directions of the
// arrow keys that point the same way: right adds to TurnAngle, down to
// TiltAngle.
void TurnByDrag(ViewState& v, int dx, int dy);

// How far TargetY or TargetZ moves for one pixel of drag so that the picture
// near its middle follows the pointer: the look-at point lies EyeX - TargetX
// ahead of the eye and `viewHeight` pixels span the field of view.
long double PanPerPixel(const ViewState& v, int viewHeight);
// A drag to the right moves the picture right (TargetY down, as the "6" key
// does), a drag downwards moves it down (TargetZ up, as the "5" key does).
void PanByDrag(ViewState& v, int dx, int dy, int viewHeight);

// Each notch forward scales the picture by kWheelZoomFactor, each notch back
// by its inverse, whatever the survey's size.
inline constexpr long double kWheelZoomFactor = 1.15L;
void ZoomByWheel(ViewState& v, int notches);

enum class DragButton { None, Left, Right };

// Follows one press of a mouse button to its release and steers by the
// movement in between.
class MouseSteering {
 public:
  // A press of `button` at (x, y); ignored while another button's drag runs.
  void Press(DragButton button, int x, int y);
  // The pointer moved to (x, y) with the button held. Nothing happens until
  // it has left the threshold around the press; then all of the movement
  // since the press counts, so none is lost, and from there on each step.
  void Move(ViewState& v, int x, int y, int viewHeight);
  // Returns true when the press of the left button ends as a click: it never
  // left the threshold around where it began.
  bool Release(DragButton button);
  // An angle delta of the wheel; high-resolution wheels send parts of a
  // notch, which add up until a whole notch is reached.
  void Wheel(ViewState& v, int angleDelta);

  DragButton Held() const { return button_; }
  bool Dragging() const { return dragging_; }

 private:
  DragButton button_ = DragButton::None;
  bool dragging_ = false;
  int lastX_ = 0, lastY_ = 0;  // the press, then the last point steered to
  int wheelRest_ = 0;
};

}  // namespace mv::ui
