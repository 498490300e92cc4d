// Entrances: one sphere on each entrance station.
#pragma once

#include <cstdint>
#include <vector>

#include "render/gl_api.h"
#include "shell/view_state.h"

namespace mv {

// The station rows to mark, in table order: the entries among the first
// EntranceCount (ten at most) that name a station of the survey. A count
// beyond the table or a row outside the survey comes only from a damaged
// object file; such entries are passed over rather than read out of bounds.
std::vector<int32_t> DrawableEntrances(const SurveyModel& m);

void DrawEntrances(GlApi& gl, const ViewState& v, const SurveyModel& m);

}  // namespace mv
