#include "view/framing.h"

#include <algorithm>
#include <cmath>

#include "view/overlay_layout.h"
#include "view/scene_geometry.h"

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

// The stations' cylinder, measured once per survey and axis position.
SurveyCylinder MeasuredStationsCylinder(AppState& s) {
  CylinderCache& c = s.framing.cylinder;
  const double cx = s.view.CentreX.AsDouble(), cy = s.view.CentreY.AsDouble();
  if (!c.valid || c.generation != s.survey.generation || c.centreX != cx || c.centreY != cy) {
    const SurveyCylinder measured = StationsCylinder(s.survey, s.view.CentreX, s.view.CentreY);
    c = {true, s.survey.generation, cx, cy, measured.radius, measured.bottom, measured.top};
  }
  return {c.radius, c.bottom, c.top};
}

}  // namespace

SurveyCylinder DrawnCylinder(const ViewState& v, const SurveyModel& m,
                             const SurveyCylinder& stations) {
  SurveyCylinder c = stations;
  if (m.StationCount() == 0) return c;
  const long double cx = v.CentreX, cy = v.CentreY, oz = m.originZ;
  // Widens the cylinder to hold the box x0..x1, y0..y1 (survey x and y),
  // z0..z1 (survey z).
  const auto hold = [&](long double x0, long double x1, long double y0, long double y1,
                        long double z0, long double z1) {
    for (const long double x : {x0, x1})
      for (const long double y : {y0, y1})
        c.radius = std::max(c.radius, static_cast<double>(std::hypot(x - cx, y - cy)));
    c.bottom = std::min(c.bottom, static_cast<double>(std::min(z0, z1) - oz));
    c.top = std::max(c.top, static_cast<double>(std::max(z0, z1) - oz));
  };
  const Extents& box = v.Box;
  const ConeSize cone = ArrowheadSize(box);
  const long double tip = cone.height + cone.radius;
  if (v.ScaleVisible) {
    const PaddedBox p = ComputePaddedBox(box);
    const long double s = ScaleStep(ShortestSide(p));
    // The first tick may stand a spacing short of the axis's start, the
    // ticks rise from the axes and the arrowheads stand beyond their ends.
    const long double before = 5 * s, rise = kLongTickRise * s;
    hold(p.PaddedMinX - before, p.PaddedMaxX + tip, p.PaddedMinY - before, p.PaddedMaxY + tip,
         p.PaddedMinZ - before, p.PaddedMaxZ + tip);
    hold(p.PaddedMinX, p.PaddedMinX + rise, p.PaddedMinY, p.PaddedMinY + rise, p.PaddedMinZ,
         p.PaddedMinZ);
    if (v.GraduationVisible) {
      const long double ox = m.originX;
      hold(ox, ox + kBarLabelEndSteps * s, p.PaddedMinY + kBarLowest * s,
           p.PaddedMinY + kBarHighest * s, p.PaddedMinZ, p.PaddedMinZ);
    }
  }
  if (v.WindRoseVisible) {
    const RoseFrame f = WindRoseFrame(box, v.CentreX, v.CentreY);
    const long double u = f.RoseUnit, x0 = f.x0, y0 = f.y0, z = f.RoseHeight;
    hold(cx + x0 - kRoseHalfWidth * u, cx + x0 + kRoseHalfWidth * u, cy + y0 - kRoseHalfLength * u,
         cy + y0 + kRoseHalfLength * u, z, z);
  }
  if (v.AxisVisible) {
    const AxisSpan a = RotationAxisSpan(box, v.AxisLengthPercent);
    hold(cx - cone.radius, cx + cone.radius, cy - cone.radius, cy + cone.radius, a.bottom,
         a.top + cone.height);
  }
  if (v.AxisMoveMode) {
    const MarkerBounds b = AxisMarkerBounds(v, m.originZ);
    hold(cx + b.x0, cx + b.x1, cy + b.y0, cy + b.y1, oz + b.z0, oz + b.z1);
  }
  return c;
}

SurveyCylinder DrawnCylinder(AppState& s) {
  SurveyCylinder c = DrawnCylinder(s.view, s.survey, MeasuredStationsCylinder(s));
  // The survey folders mark their entrances with spheres of the survey's
  // size; a cave map's marks are a few pixels across, within the fit's
  // margin.
  if (!s.view.MapStyle && s.view.EntrancesVisible) {
    const SurveyModel& m = s.survey;
    const double r = static_cast<double>(EntranceRadius(s.view.Box));
    const double cx = s.view.CentreX.AsDouble(), cy = s.view.CentreY.AsDouble(),
                 oz = m.originZ.AsDouble();
    for (const int32_t row : EntranceRows(m)) {
      c.radius = std::max(c.radius, std::hypot(m.X(row) - cx, m.Y(row) - cy) + r);
      c.bottom = std::min(c.bottom, m.Z(row) - oz - r);
      c.top = std::max(c.top, m.Z(row) - oz + r);
    }
  }
  return c;
}

void FitNow(AppState& s, const PictureGeometry& g) {
  ViewState& v = s.view;
  v.RefitRequested = false;
  // A cave map holds every element it shows within the room the overlays
  // leave; the survey folders fit their stations into the scene area.
  const bool map = s.view.MapStyle;
  const SurveyCylinder c = map ? DrawnCylinder(s) : MeasuredStationsCylinder(s);
  const ScreenBox area = map ? MapFitArea(v, g) : SceneArea(g);
  const FitResult r = FitView(v, c, g, area);
  v.ZoomScale = r.ZoomScale;
  v.TargetY = r.TargetY;
  v.TargetZ = r.TargetZ;
  v.Fitted = true;
  s.framing.pending = FitRequest::None;
  LastFit& f = s.framing.last;
  f = {true, v.ZoomScale, v.TargetY, v.TargetZ, v.TiltAngle, v.EyeX, v.CentreX, v.CentreY};
  f.radius = c.radius;
  f.bottom = c.bottom;
  f.top = c.top;
  f.areaLeft = area.left;
  f.areaRight = area.right;
  f.areaBottom = area.bottom;
  f.areaTop = area.top;
}

bool ApplyPendingFit(AppState& s, const PictureGeometry& g) {
  const FitRequest request = s.framing.pending;
  if (request == FitRequest::None) return false;
  if (g.width <= 0 || g.height <= g.toolbar) return false;  // not laid out yet
  if (request == FitRequest::UnlessWhole &&
      ShowsWholeSurvey(s.view, MeasuredStationsCylinder(s), g)) {
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

void KeepFitted(AppState& s, const PictureGeometry& g) {
  if (ApplyPendingFit(s, g)) return;
  if (g.width <= 0 || g.height <= g.toolbar) return;
  const bool map = s.view.MapStyle;
  if (s.view.RefitRequested) {
    // Only a cave map is fitted again after plan or elevation; the survey
    // folders keep their zoom.
    if (map) FitNow(s, g);
    s.view.RefitRequested = false;
    return;
  }
  if (!map || !SameAsLastFit(s)) return;
  const SurveyCylinder c = DrawnCylinder(s);
  const ScreenBox area = MapFitArea(s.view, g);
  const LastFit& f = s.framing.last;
  if (c.radius != f.radius || c.bottom != f.bottom || c.top != f.top || area.left != f.areaLeft ||
      area.right != f.areaRight || area.bottom != f.areaBottom || area.top != f.areaTop)
    FitNow(s, g);
}

}  // namespace mv
