// How the survey is shown: spin, camera, colours, visible elements, the axis.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "data/real48.h"
#include "data/survey_model.h"
#include "view/colour.h"

namespace mv {

// How a kind of leg is drawn: like the other legs, faded (a quarter of its
// colour over black), or not at all. Hidden legs are never picked, labelled
// or measured. Ordered from the most to the least visible.
enum class LegShow : uint8_t { Shown, Faded, Hidden };

struct ViewState {
  // Set by SetStartParameters.
  Real48 SpinStep;  // degrees per timer tick
  bool SpinStopped = false;
  Real48 ZoomScale;  // the frame scales by ZoomScale - 0.018
  int32_t EyeX = 0;  // eye at (EyeX, 0, 0)
  int32_t TargetX = 0;
  Real48 TargetY;    // sideways pan
  Real48 TargetZ;    // vertical pan
  Real48 TiltAngle;  // degrees
  bool LinesVisible = false;
  bool AxisVisible = false;
  bool ScaleVisible = false;
  bool GraduationVisible = false;
  bool WindRoseVisible = false;
  bool EntrancesVisible = false;
  Rgb LineColor, AxisColor, ScaleColor;
  int32_t AxisLengthPercent = 0;
  bool AxisMoveMode = false;
  Real48 SavedCentreX, SavedCentreY;
  Extents Box;              // survey units
  Real48 CentreX, CentreY;  // the rotation axis, in survey coordinates
  // x and y of the survey's origin, set with the box. How far the axis may be
  // moved (and the marker showing it) is 1.2 x the box measured from here,
  // so a survey kept in map coordinates gets the same reach as one near 0.
  Real48 OriginX, OriginY;

  // The zoom and pan were fitted to the survey: the zoom keys then step by a
  // steady factor instead of fixed amounts.
  bool Fitted = false;
  // Survey lines coloured by altitude, with a legend, instead of LineColor.
  bool DepthColours = false;
  // Names beside the stations of the survey lines.
  bool StationNamesVisible = false;
  // The picked stations, rows of the survey or -1.
  int32_t PickedFirst = -1, PickedSecond = -1;
  // The survey is drawn as a cave map (every source but the survey
  // folders): fitted with every element in view, entrances marked at a
  // fixed size, names and depth colours from the start.
  bool MapStyle = false;
  // A map's scale bar and compass over the picture.
  bool MapOverlaysVisible = false;
  // Splays (shots to the walls) and surface legs; set for each survey when
  // it opens.
  LegShow Splays = LegShow::Faded;
  LegShow SurfaceLegs = LegShow::Hidden;
  // The passages' walls, where the survey has their sizes or meshes.
  bool WallsVisible = false;
  // Nodes of the survey tree whose own legs, walls, stations and labels
  // the picture leaves out (by node; empty when every node is shown), and
  // the node whose legs stand out, the rest dimmed (-1 for none).
  std::vector<uint8_t> HiddenSurveys;
  int32_t HighlightedSurvey = -1;
  // Where two parts of the survey come closest, drawn as dashed lines: each
  // from and to a point in survey coordinates, metres.
  struct ApproachLine {
    double from[3], to[3];
    bool operator==(const ApproachLine&) const = default;
  };
  std::vector<ApproachLine> Approaches;
  // A view command (plan, elevation) asks for the view to be fitted again
  // once it has turned; the framing carries it out before the next frame.
  bool RefitRequested = false;

  // Left alone by SetStartParameters.
  int32_t TickCount = 0;
  Real48 SavedSpinStep;
  Real48 TurnAngle;  // degrees

  bool operator==(const ViewState&) const = default;
};

// 1.2 x a survey coordinate, measured from the survey origin: origin +
// 1.2 (value - origin), which is the plain product 1.2 x value where the
// origin is 0.
inline long double AxisReach(Real48 value, Real48 origin) {
  const long double o = origin;
  return o + 1.2L * (static_cast<long double>(value) - o);
}

// The value 0.0001 that stands in for zero where a true zero would make a
// degenerate camera or tilt axis.
inline constexpr long double kNearZero = 0.0001L;

// The axis's length at the start, in percent.
inline constexpr int32_t kStartAxisLengthPercent = 120;

void SetStartParameters(ViewState& v);

// How the picture draws a leg with these LegFlag bits: as the least
// visible of its kinds (a splay on the surface is both kinds). Duplicate
// legs are drawn as legs.
inline LegShow LegShowOf(const ViewState& v, uint8_t legFlags) {
  LegShow show = LegShow::Shown;
  if (legFlags & kLegSplay) show = std::max(show, v.Splays);
  if (legFlags & kLegSurface) show = std::max(show, v.SurfaceLegs);
  return show;
}

// Whether the picture draws a leg with these LegFlag bits: a leg of a
// hidden kind is not drawn.
inline bool LegDrawn(const ViewState& v, uint8_t legFlags) {
  return LegShowOf(v, legFlags) != LegShow::Hidden;
}

// A faded leg is drawn at a quarter of its colour's intensity, as if the
// colour were laid over black at a quarter's opacity; beside a highlighted
// part of the survey tree the rest of the lines are dimmed too.
inline constexpr float kFadedLines = 0.25f;
inline constexpr float kDimmedLines = 0.3f;

// A colour at `scale` of its intensity, each component rounded.
inline Rgb ScaledColour(const Rgb& c, float scale) {
  const auto part = [scale](int32_t p) {
    return static_cast<int32_t>(std::lround((p & 0xFF) * static_cast<double>(scale)));
  };
  return {part(c.r), part(c.g), part(c.b)};
}
inline Rgb FadedColour(const Rgb& c) {
  return ScaledColour(c, kFadedLines);
}

// Whether the picture shows the parts of survey node `node`.
inline bool SurveyShown(const ViewState& v, int32_t node) {
  return !(node >= 0 && static_cast<size_t>(node) < v.HiddenSurveys.size() &&
           v.HiddenSurveys[static_cast<size_t>(node)]);
}

// Whether the picture draws survey-line row `row` of `m`: of a kind shown
// and of a survey shown.
inline bool RowDrawn(const ViewState& v, const SurveyModel& m, int32_t row) {
  return LegDrawn(v, m.LineFlags(row)) && SurveyShown(v, m.LineSurvey(row));
}

// Whether a leg lies underground and counts for the depth colours' range:
// neither a splay nor a surface leg.
inline bool LegUnderground(uint8_t legFlags) {
  return (legFlags & (kLegSplay | kLegSurface)) == 0;
}

// The spin angle in degrees: SpinStep x TickCount, in extended precision.
inline long double SpinAngle(const ViewState& v) {
  return static_cast<long double>(v.SpinStep) * static_cast<long double>(v.TickCount);
}

// The largest tick count: the timer's next tick puts it back to 0, and a
// change of spin speed never leaves a count above it.
inline constexpr int32_t kTickCountLimit = 359999999;

// The timer's tick: the counter wraps to 0 after kTickCountLimit.
void AdvanceTick(ViewState& v);

}  // namespace mv
