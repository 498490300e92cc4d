#include "view/view_state.h"

namespace mv {

void SetStartParameters(ViewState& v) {
  v.TiltAngle = kNearZero;
  v.TargetY = kNearZero;
  v.TargetZ = kNearZero;
  v.ZoomScale = 0.12L;
  v.TargetX = 60;
  v.EyeX = 65;
  v.SpinStopped = false;
  v.SpinStep = 1.0L;
  v.LinesVisible = false;
  v.LineColor = kStartLineColour;
  v.AxisColor = kStartAxisColour;
  v.ScaleColor = kStartScaleColour;
  v.Box = Extents{};
  v.CentreX = 0.0L;
  v.CentreY = 0.0L;
  v.OriginX = 0.0L;
  v.OriginY = 0.0L;
  v.AxisVisible = true;
  v.AxisLengthPercent = kStartAxisLengthPercent;
  v.ScaleVisible = true;
  v.AxisMoveMode = false;
  v.SavedCentreX = 0.0L;
  v.SavedCentreY = 0.0L;
  v.WindRoseVisible = true;
  v.GraduationVisible = true;
  v.EntrancesVisible = true;
  v.Fitted = false;
}

void AdvanceTick(ViewState& v) {
  if (v.TickCount >= kTickCountLimit)
    v.TickCount = 0;
  else
    ++v.TickCount;
}

}  // namespace mv
