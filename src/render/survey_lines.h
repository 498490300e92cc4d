// Survey lines: one coloured line strip per survey-line row, each kind of
// leg shown, faded or left out as the view says.
#pragma once

#include "render/gl_api.h"
#include "render/scene_cache.h"
#include "view/view_state.h"

namespace mv {

// With the picture's size, a large survey is drawn simplified to what the
// picture can show; without it, in full.
void DrawSurveyLines(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                     const PictureGeometry* picture = nullptr);

}  // namespace mv
