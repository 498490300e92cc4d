// The rotation axis with its arrowhead, and the marker of the axis-position mode.
#pragma once

#include <cstdint>

#include "render/gl_api.h"
#include "view/scene_geometry.h"
#include "view/view_state.h"

namespace mv {

void DrawRotationAxis(GlApi& gl, const ViewState& v, const SurveyModel& m);
void DrawAxisPositionMarker(GlApi& gl, const ViewState& v, const SurveyModel& m);

}  // namespace mv
