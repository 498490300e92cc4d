// The simulation scale: axes of the padded box with ticks and arrowheads, and
// the numbered graduation bar.
#pragma once

#include "render/gl_api.h"
#include "shell/view_state.h"

namespace mv {

void DrawSimulationScale(GlApi& gl, const ViewState& v, const SurveyModel& m);

}  // namespace mv
