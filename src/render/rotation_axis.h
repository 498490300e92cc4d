// The rotation axis with its arrowhead, and the marker of the axis-position mode.
#pragma once

#include <cstdint>

#include "render/gl_api.h"
#include "view/view_state.h"

namespace mv {

// The axis in survey z: from MinZ - extension to MaxZ + extension, where
// extension = H x (P - 100) x 0.005 for the height H and length percent P. A
// percentage under 100 gives a negative extension and an axis shorter than
// the survey.
struct AxisSpan {
  long double extension = 0;
  long double bottom = 0;
  long double top = 0;
};
AxisSpan RotationAxisSpan(const Extents& box, int32_t lengthPercent);

// The two upright rectangles of the marker, already in scene coordinates:
// x and y span 1.2 x the survey bounds (measured from the survey origin) less
// the axis position, z spans the survey's height less the origin's.
struct MarkerBounds {
  long double x0 = 0, x1 = 0, y0 = 0, y1 = 0, z0 = 0, z1 = 0;
};
MarkerBounds AxisMarkerBounds(const ViewState& v, Real48 originZ);

void DrawRotationAxis(GlApi& gl, const ViewState& v, const SurveyModel& m);
void DrawAxisPositionMarker(GlApi& gl, const ViewState& v, const SurveyModel& m);

}  // namespace mv
