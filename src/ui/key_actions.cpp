#include "ui/key_actions.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "view/camera.h"

namespace mv::ui {

namespace {

constexpr long double kSpinKeyStep = 0.19L;    // degrees a tick per "a" or "z"
constexpr long double kCrawlTicks = 10000.0L;  // ticks of the crawl per tick of spin 1.0

// The nearest whole count to q (halves to even), if the tick counter can hold
// it: not below the 32-bit range, not above the timer's wrap.
std::optional<int32_t> HeldCount(long double q) {
  const long double r = std::nearbyintl(q);
  if (!(r >= static_cast<long double>(INT32_MIN) && r <= kTickCountLimit)) return std::nullopt;
  return static_cast<int32_t>(r);
}

// The same picture as `angle` degrees of spin, within half a turn of zero.
long double OneTurn(long double angle) {
  return std::remainderl(angle, 360.0L);
}

// The tick count that shows `angle` degrees of spin at `step` degrees a tick.
// A long run can leave an angle whose count at the new step no longer fits
// the counter; whole turns are then dropped from the angle first, which
// changes nothing on the screen.
int32_t TicksShowing(long double angle, long double step) {
  if (auto n = HeldCount(angle / step)) return *n;
  const long double turn = OneTurn(angle);
  if (auto n = HeldCount(turn / step)) return *n;
  // A step of zero shows only the angle 0, and one this close to zero cannot
  // reach the angle within the counter's range: come as near as it allows.
  const long double q = turn / step;
  if (step == 0 || std::isnan(q)) return 0;
  return q > 0 ? kTickCountLimit : INT32_MIN;
}

void ChangeSpinStep(ViewState& v, long double delta) {
  v.TickCount = TicksShowing(SpinAngle(v), v.SpinStep + delta);
  v.SpinStep = v.SpinStep + delta;
}

// Moves one coordinate of the rotation axis by `step` when it has not yet
// reached `bound` from that side. The bound is tested before the step, so the
// axis may end up to one step beyond it.
void MoveAxis(Real48& centre, long double step, long double bound, bool upward) {
  if (upward ? centre < bound : centre > bound) centre = centre + step;
}

}  // namespace

void IncreaseSpinStep(ViewState& v) {
  ChangeSpinStep(v, kSpinKeyStep);
}

void DecreaseSpinStep(ViewState& v) {
  ChangeSpinStep(v, -kSpinKeyStep);
}

void ToggleSpinStop(ViewState& v) {
  if (!v.SpinStopped) {
    v.SpinStopped = true;
    v.SavedSpinStep = v.SpinStep;
    const long double angle = SpinAngle(v);
    // Within one turn the crawl count is at most 1.8 million, so the second
    // try always fits.
    auto n = HeldCount(angle * kCrawlTicks);
    v.TickCount = n ? *n : *HeldCount(OneTurn(angle) * kCrawlTicks);
    v.SpinStep = kNearZero;
  } else {
    v.SpinStopped = false;
    v.SpinStep = v.SavedSpinStep;
    const long double angle = static_cast<long double>(v.TickCount) * kNearZero;
    v.TickCount = TicksShowing(angle, v.SpinStep);
  }
}

ZoomRange ZoomLimits(const ViewState& v) {
  // From a speck to a thousandth of the survey filling the picture (which is
  // about 40 scene units high).
  const long double size = std::max(ModelSize(v.Box), 1.0L);
  return {1e-3L / size, 4e4L / size};
}

void ScaleZoom(ViewState& v, long double factor) {
  const ZoomRange r = ZoomLimits(v);
  long double s = static_cast<long double>(v.ZoomScale) - kZoomOffset;
  if (!(s > 0)) s = r.least;
  // A step never pushes the scale past a limit, nor jumps it back over one
  // it already lies beyond.
  s = factor > 1 ? std::min(s * factor, std::max(r.most, s))
                 : std::max(s * factor, std::min(r.least, s));
  v.ZoomScale = kZoomOffset + s;
}

void ShowPlan(ViewState& v) {
  v.TiltAngle = 90.0L;
  v.RefitRequested = true;
}

void ShowElevation(ViewState& v) {
  v.TiltAngle = kNearZero;
  v.RefitRequested = true;
}

LegShow NextLegShow(LegShow s) {
  switch (s) {
    case LegShow::Shown:
      return LegShow::Faded;
    case LegShow::Faded:
      return LegShow::Hidden;
    default:
      return LegShow::Shown;
  }
}

void CycleSplays(ViewState& v) {
  v.Splays = NextLegShow(v.Splays);
}

void CycleSurfaceLegs(ViewState& v) {
  v.SurfaceLegs = NextLegShow(v.SurfaceLegs);
}

void ZoomIn(ViewState& v) {
  if (v.Fitted)
    ScaleZoom(v, kZoomKeyFactor);
  else if (v.ZoomScale > 0.118L)
    v.ZoomScale = v.ZoomScale + 0.01L;
  else
    v.ZoomScale = v.ZoomScale + 0.001L;
}

void ZoomOut(ViewState& v) {
  if (v.Fitted) return ScaleZoom(v, 1 / kZoomKeyFactor);
  if (v.ZoomScale <= 0.02L) return;
  if (v.ZoomScale <= 0.118L)
    v.ZoomScale = v.ZoomScale - 0.001L;
  else
    v.ZoomScale = v.ZoomScale - 0.01L;
}

void MoveEyeAway(ViewState& v) {
  v.EyeX = v.EyeX + 1;
  v.TargetX = v.EyeX - 2;
}

void MoveEyeCloser(ViewState& v) {
  v.EyeX = v.EyeX - 1;
  v.TargetX = v.EyeX - 2;
}

void PanUp(ViewState& v) {
  v.TargetZ = v.TargetZ - 0.02L;
}
void PanDown(ViewState& v) {
  v.TargetZ = v.TargetZ + 0.02L;
}
void PanRight(ViewState& v) {
  v.TargetY = v.TargetY - 0.02L;
}
void PanLeft(ViewState& v) {
  v.TargetY = v.TargetY + 0.02L;
}

// The centre step is held as a six-byte real, like the view state, before use.

void ArrowDown(ViewState& v) {
  const Real48 step = 0.01L * (v.Box.maxX - v.Box.minX);
  if (v.AxisMoveMode)
    MoveAxis(v.CentreX, step, AxisReach(v.Box.maxX, v.OriginX), true);
  else
    v.TiltAngle = v.TiltAngle + kArrowStepDegrees;
}

void ArrowUp(ViewState& v) {
  const Real48 step = 0.01L * (v.Box.maxX - v.Box.minX);
  if (v.AxisMoveMode)
    MoveAxis(v.CentreX, -step, AxisReach(v.Box.minX, v.OriginX), false);
  else
    v.TiltAngle = v.TiltAngle - kArrowStepDegrees;
}

void ArrowRight(ViewState& v) {
  const Real48 step = 0.01L * (v.Box.maxY - v.Box.minY);
  if (v.AxisMoveMode)
    MoveAxis(v.CentreY, step, AxisReach(v.Box.maxY, v.OriginY), true);
  else
    v.TurnAngle = v.TurnAngle + kArrowStepDegrees;
}

void ArrowLeft(ViewState& v) {
  const Real48 step = 0.01L * (v.Box.maxY - v.Box.minY);
  if (v.AxisMoveMode)
    MoveAxis(v.CentreY, -step, AxisReach(v.Box.minY, v.OriginY), false);
  else
    v.TurnAngle = v.TurnAngle - kArrowStepDegrees;
}

namespace {

using KeyAction = void (*)(ViewState&);

struct CharBinding {
  char key;
  KeyAction action;
};

// Bound to characters, so the digits of the main keyboard act like those of
// the numeric keypad.
constexpr CharBinding kCharBindings[] = {
    {'a', IncreaseSpinStep},
    {'A', IncreaseSpinStep},
    {'z', DecreaseSpinStep},
    {'Z', DecreaseSpinStep},
    {' ', ToggleSpinStop},
    {'+', ZoomIn},
    {'=', ZoomIn},
    {'-', ZoomOut},
    {'1', MoveEyeAway},
    {'2', MoveEyeCloser},
    {'8', PanUp},
    {'5', PanDown},
    {'6', PanRight},
    {'4', PanLeft},
    {'p', ShowPlan},
    {'P', ShowPlan},
    {'l', ShowElevation},
    {'L', ShowElevation},
};

struct KeyBinding {
  int key;
  KeyAction action;
};

constexpr KeyBinding kKeyBindings[] = {
    {kVkDown, ArrowDown},
    {kVkUp, ArrowUp},
    {kVkRight, ArrowRight},
    {kVkLeft, ArrowLeft},
};

}  // namespace

bool FormKeyPress(ViewState& v, char key) {
  for (const CharBinding& b : kCharBindings) {
    if (b.key == key) {
      b.action(v);
      return true;
    }
  }
  return false;
}

bool FormKeyDown(ViewState& v, int key) {
  for (const KeyBinding& b : kKeyBindings) {
    if (b.key == key) {
      b.action(v);
      return true;
    }
  }
  return false;
}

}  // namespace mv::ui
