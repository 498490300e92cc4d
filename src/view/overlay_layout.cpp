#include "view/overlay_layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "view/picking.h"
#include "view/projection.h"

namespace mv {

namespace {

bool StripShown(const ViewState& v, const PictureGeometry& g) {
  return v.MapOverlaysVisible && g.height - g.toolbar >= 3 * kMapStripHeight &&
         g.width >= kCompassWidth + 2 * kOverlayMargin;
}

}  // namespace

LegendPlace PlaceDepthLegend(const ViewState& v, const PictureGeometry& g) {
  const int strip = StripShown(v, g) ? static_cast<int>(kMapStripHeight) : 0;
  const int sceneHeight = g.height - g.toolbar - strip;
  LegendPlace place;
  place.shown = v.LinesVisible && v.DepthColours && g.width >= kLegendWidth + 2 * kOverlayMargin &&
                sceneHeight >= kLegendHeight + 2 * kOverlayMargin;
  place.x = g.width - kOverlayMargin - kLegendWidth;
  place.y = strip + (sceneHeight - kLegendHeight) / 2;
  place.top = g.height - place.y - kLegendHeight;
  return place;
}

namespace {

// A box of the map strip, `width` wide from `left`.
PictureRect StripBox(const ViewState& v, const PictureGeometry& g, double left, double width) {
  const double height = kMapStripHeight - 8;
  return {left, g.height - 4 - height, width, height, StripShown(v, g)};
}

}  // namespace

PictureRect ScaleBarPlace(const ViewState& v, const PictureGeometry& g) {
  return StripBox(v, g, kOverlayMargin,
                  std::max(0.0, g.width - kCompassWidth - 3.0 * kOverlayMargin));
}

PictureRect CompassPlace(const ViewState& v, const PictureGeometry& g) {
  return StripBox(v, g, g.width - kOverlayMargin - kCompassWidth, kCompassWidth);
}

double PickTextBottom(const ViewState& v, const PictureGeometry& g) {
  return g.height - 8 - (StripShown(v, g) ? kMapStripHeight : 0);
}

std::vector<PictureRect> OverlayBoxes(const ViewState& v, const PictureGeometry& g) {
  std::vector<PictureRect> boxes;
  if (const LegendPlace l = PlaceDepthLegend(v, g); l.shown)
    boxes.push_back({static_cast<double>(l.x), l.top, kLegendWidth, kLegendHeight, true});
  for (const PictureRect& r : {ScaleBarPlace(v, g), CompassPlace(v, g)})
    if (r.shown) boxes.push_back(r);
  return boxes;
}

ScreenBox MapFitArea(const ViewState& v, const PictureGeometry& g) {
  ScreenBox area = SceneArea(g);
  if (StripShown(v, g)) area.bottom += kMapStripHeight;
  if (const LegendPlace l = PlaceDepthLegend(v, g); l.shown) area.right = l.x - kOverlayMargin;
  return area;
}

ScaleBar ScaleBarFor(double pixelsPerMetre, double width) {
  ScaleBar bar;
  if (!(pixelsPerMetre > 0) || !std::isfinite(pixelsPerMetre) || !(width > 0)) return bar;
  const double want = width / 4 / pixelsPerMetre;
  const double decade = std::pow(10.0, std::floor(std::log10(want)));
  double best = decade;
  for (const double k : {1.0, 2.0, 5.0, 10.0})
    if (std::abs(std::log(k * decade / want)) < std::abs(std::log(best / want))) best = k * decade;
  bar.metres = best;
  bar.pixels = best * pixelsPerMetre;
  // Whole metres and kilometres, else as many decimals as the length needs.
  const bool km = best >= 1000;
  const double shown = km ? best / 1000 : best;
  const int decimals = shown >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(shown) - 1e-9));
  bar.text = DecimalText(shown, decimals, ',') + (km ? " km" : " m");
  bar.shown = std::isfinite(bar.pixels) && bar.pixels >= 1;
  return bar;
}

ScaleBar ScaleBarFor(const ViewState& v, const SurveyModel& m, const PictureGeometry& g) {
  if (g.outerWidth <= 0 || g.outerHeight <= 0) return {};
  // The scale where the rotation axis crosses the middle of the survey's
  // height.
  const double z = (v.Box.minZ.AsDouble() + v.Box.maxZ.AsDouble()) / 2 - m.originZ.AsDouble();
  const WindowPoint axis = Project(FrameModelView(v), FrameProjection(g.outerWidth, g.outerHeight),
                                   g.outerWidth, g.outerHeight, 0, 0, z);
  if (!axis.visible) return {};
  return ScaleBarFor(PixelsPerMetre(v, g, axis.depth), ScaleBarPlace(v, g).width);
}

CompassReading CompassFor(const ViewState& v) {
  CompassReading c;
  // North as the plan at this spin and turn shows it: the model's +y seen
  // from straight above.
  ViewState plan = v;
  plan.TiltAngle = 90.0L;
  const Mat4 mv = FrameModelView(plan);
  const double ex = mv.m[4], ey = mv.m[5];  // the eye-space image of +y
  if (std::hypot(ex, ey) > 0) c.northDegrees = std::atan2(ex, ey) * 180 / std::numbers::pi;
  const double tilt = std::remainder(v.TiltAngle.AsDouble(), 360.0);
  if (std::abs(tilt - 90) < 0.05) {
    c.tilt = "Rzut poziomy";
  } else {
    const long long degrees = std::llround(tilt);
    c.tilt = "Nachylenie " + std::to_string(degrees == 0 ? 0 : degrees) + "°";
  }
  return c;
}

}  // namespace mv
