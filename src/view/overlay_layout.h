// Where the flat overlays go on the picture: the depth legend at the right,
// a cave map's scale bar and compass along the bottom, the description of a
// pick above them. The fit of a cave map leaves their room free.
#pragma once

#include <string>
#include <vector>

#include "data/survey_model.h"
#include "view/camera.h"
#include "view/fit.h"
#include "view/view_state.h"

namespace mv {

// A box on the picture in logical pixels from its top left corner.
struct PictureRect {
  double left = 0, top = 0, width = 0, height = 0;
  bool shown = false;
  double Right() const { return left + width; }
  double Bottom() const { return top + height; }
};

// Gap between an overlay and the picture's edge, logical pixels.
inline constexpr int kOverlayMargin = 12;

// The legend of the depth colours.
inline constexpr int kLegendWidth = 150;
inline constexpr int kLegendHeight = 220;

// Where the legend goes while the lines are coloured by depth: at the right
// edge of the scene area, vertically in the middle of what the map strip
// leaves. (x, y) is its lower left corner in window pixels from the
// picture's lower left corner, `top` its upper edge in picture pixels from
// the top. `shown` is false while the lines are not coloured or the picture
// has no room for it.
struct LegendPlace {
  int x = 0, y = 0;
  double top = 0;
  bool shown = false;
};
LegendPlace PlaceDepthLegend(const ViewState& v, const PictureGeometry& g);

// A cave map's strip along the bottom of the picture: the scale bar at the
// left, the compass at the right.
inline constexpr double kMapStripHeight = 52;
inline constexpr double kCompassDiameter = 40;
inline constexpr double kCompassWidth = 150;  // the disc and the tilt beside it
PictureRect ScaleBarPlace(const ViewState& v, const PictureGeometry& g);
PictureRect CompassPlace(const ViewState& v, const PictureGeometry& g);

// The lowest the description of a pick may reach, in picture pixels from
// the top: above the map strip where there is one.
double PickTextBottom(const ViewState& v, const PictureGeometry& g);

// The boxes no label may cover: the legend and the map strip's overlays.
std::vector<PictureRect> OverlayBoxes(const ViewState& v, const PictureGeometry& g);

// The part of the scene area a cave map is fitted into: the scene area less
// the legend's column and the map strip, in viewport pixels, y up.
ScreenBox MapFitArea(const ViewState& v, const PictureGeometry& g);

// The scale bar: a round length (1, 2 or 5 x 10^n metres) about a quarter
// of the picture's width at the scale of the rotation axis, and its label.
struct ScaleBar {
  double metres = 0, pixels = 0;
  std::string text;  // "50 m", "0,5 m", "2 km"
  bool shown = false;
};
// The round length for `pixelsPerMetre` on a picture `width` pixels wide.
ScaleBar ScaleBarFor(double pixelsPerMetre, double width);
ScaleBar ScaleBarFor(const ViewState& v, const SurveyModel& m, const PictureGeometry& g);

// What the compass shows: where north lies on the picture, in degrees
// clockwise from straight up, as the survey would lie in plan at the
// current spin and turn; and the tilt, "Rzut poziomy" in plan, else in
// degrees.
struct CompassReading {
  double northDegrees = 0;
  std::string tilt;
};
CompassReading CompassFor(const ViewState& v);

}  // namespace mv
