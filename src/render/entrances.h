// Entrances: one sphere on each entrance station.
#pragma once

#include "render/gl_api.h"
#include "shell/view_state.h"

namespace mv {

void DrawEntrances(GlApi& gl, const ViewState& v, const SurveyModel& m);

}  // namespace mv
