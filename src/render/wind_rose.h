// The wind rose: a north arrow with the letter N in a plane under the model.
#pragma once

#include "render/gl_api.h"
#include "view/scene_geometry.h"
#include "view/view_state.h"

namespace mv {

void DrawWindRose(GlApi& gl, const ViewState& v, const SurveyModel& m);

}  // namespace mv
