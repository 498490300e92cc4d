#include "ui/mouse_steering.h"

#include <cmath>
#include <cstdlib>

#include "ui/key_actions.h"
#include "view/projection.h"

namespace mv::ui {

void TurnByDrag(ViewState& v, int dx, int dy) {
  v.TurnAngle = static_cast<long double>(v.TurnAngle) + dx * kDegreesPerPixel;
  v.TiltAngle = static_cast<long double>(v.TiltAngle) + dy * kDegreesPerPixel;
}

long double PanPerPixel(const ViewState& v, int viewHeight) {
  if (viewHeight <= 0) return 0.0L;
  const long double distance = std::fabs(static_cast<long double>(v.EyeX) - v.TargetX);
  return 1 / PixelsPerUnit(distance, viewHeight);
}

void PanByDrag(ViewState& v, int dx, int dy, int viewHeight) {
  const long double step = PanPerPixel(v, viewHeight);
  v.TargetY = static_cast<long double>(v.TargetY) - dx * step;
  v.TargetZ = static_cast<long double>(v.TargetZ) + dy * step;
}

void ZoomByWheel(ViewState& v, int notches) {
  if (notches != 0) ScaleZoom(v, std::pow(kWheelZoomFactor, static_cast<long double>(notches)));
}

void MouseSteering::Press(DragButton button, int x, int y) {
  if (button_ != DragButton::None || button == DragButton::None) return;
  button_ = button;
  dragging_ = false;
  lastX_ = x;
  lastY_ = y;
}

void MouseSteering::Move(ViewState& v, int x, int y, int viewHeight) {
  if (button_ == DragButton::None) return;
  const int dx = x - lastX_, dy = y - lastY_;
  if (!dragging_ && std::abs(dx) + std::abs(dy) <= kDragThreshold) return;
  dragging_ = true;
  lastX_ = x;
  lastY_ = y;
  if (button_ == DragButton::Left) {
    TurnByDrag(v, dx, dy);
  } else {
    PanByDrag(v, dx, dy, viewHeight);
  }
}

bool MouseSteering::Release(DragButton button) {
  if (button != button_ || button == DragButton::None) return false;
  const bool click = button == DragButton::Left && !dragging_;
  button_ = DragButton::None;
  dragging_ = false;
  return click;
}

void MouseSteering::Wheel(ViewState& v, int angleDelta) {
  wheelRest_ += angleDelta;
  const int notches = wheelRest_ / kWheelNotch;
  wheelRest_ -= notches * kWheelNotch;
  ZoomByWheel(v, notches);
}

}  // namespace mv::ui
