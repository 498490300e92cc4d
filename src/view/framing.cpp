#include "view/framing.h"

#include <algorithm>
#include <cmath>

namespace mv {

namespace {

bool SameAsLastFit(const AppState& s) {
  const ViewState& v = s.view;
  const LastFit& f = s.framing.last;
  return v.Fitted && f.valid && v.ZoomScale.AsDouble() == f.zoom.AsDouble() &&
         v.TargetY.AsDouble() == f.targetY.AsDouble() &&
         v.TargetZ.AsDouble() == f.targetZ.AsDouble() &&
         v.TiltAngle.AsDouble() == f.tilt.AsDouble() && v.EyeX == f.eyeX &&
         v.CentreX.AsDouble() == f.centreX.AsDouble() &&
         v.CentreY.AsDouble() == f.centreY.AsDouble();
}

SurveyCylinder Cylinder(AppState& s) {
  CylinderCache& c = s.framing.cylinder;
  const double cx = s.view.CentreX.AsDouble(), cy = s.view.CentreY.AsDouble();
  if (!c.valid || c.generation != s.survey.generation || c.centreX != cx || c.centreY != cy) {
    const SurveyCylinder measured = CylinderOf(s.survey, s.view.CentreX, s.view.CentreY);
    c = {true, s.survey.generation, cx, cy, measured.radius, measured.bottom, measured.top};
  }
  return {c.radius, c.bottom, c.top};
}

}  // namespace

SurveyCylinder DrawnCylinder(AppState& s) {
  SurveyCylinder c = Cylinder(s);
  if (s.survey.StationCount() == 0) return c;
  const ViewState& v = s.view;
  const Extents& b = v.Box;
  // Widened as the scale and the marker widen it, plus a unit for the
  // scale's rounding to whole units.
  const auto reach = [](Real48 lo, Real48 hi, Real48 origin, bool upper) {
    const double l = lo.AsDouble(), h = hi.AsDouble(), o = origin.AsDouble();
    const double padded = upper ? h + 0.2 * (h - l) : l - 0.2 * (h - l);
    const double marker = o + 1.2 * ((upper ? h : l) - o);
    return upper ? std::max(padded, marker) + 1 : std::min(padded, marker) - 1;
  };
  const double cx = v.CentreX.AsDouble(), cy = v.CentreY.AsDouble();
  for (const bool upperX : {false, true})
    for (const bool upperY : {false, true})
      c.radius = std::max(c.radius, std::hypot(reach(b.minX, b.maxX, v.OriginX, upperX) - cx,
                                               reach(b.minY, b.maxY, v.OriginY, upperY) - cy));
  const double oz = s.survey.originZ.AsDouble();
  const double dz = b.maxZ.AsDouble() - b.minZ.AsDouble();
  c.bottom = std::min(c.bottom, b.minZ.AsDouble() - 0.2 * dz - 1 - oz);
  c.top = std::max(c.top, b.maxZ.AsDouble() + 0.2 * dz + 1 - oz);
  return c;
}

void FitNow(AppState& s, const PictureGeometry& g) {
  ViewState& v = s.view;
  const FitResult r = FitView(v, Cylinder(s), g);
  v.ZoomScale = r.ZoomScale;
  v.TargetY = r.TargetY;
  v.TargetZ = r.TargetZ;
  v.Fitted = true;
  s.framing.pending = FitRequest::None;
  s.framing.last = {true,        v.ZoomScale, v.TargetY, v.TargetZ,
                    v.TiltAngle, v.EyeX,      v.CentreX, v.CentreY};
}

bool ApplyPendingFit(AppState& s, const PictureGeometry& g) {
  const FitRequest request = s.framing.pending;
  if (request == FitRequest::None) return false;
  if (g.width <= 0 || g.height <= g.toolbar) return false;  // not laid out yet
  if (request == FitRequest::UnlessWhole && ShowsWholeSurvey(s.view, Cylinder(s), g)) {
    s.framing.pending = FitRequest::None;
    return true;
  }
  FitNow(s, g);
  return true;
}

void RefitIfUntouched(AppState& s, const PictureGeometry& g) {
  if (ApplyPendingFit(s, g)) return;
  if (SameAsLastFit(s)) FitNow(s, g);
}

}  // namespace mv
