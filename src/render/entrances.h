// Entrances: one sphere on each entrance station.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/gl_api.h"
#include "view/view_state.h"

namespace mv {

// The station rows to mark, in table order: the entries among the first
// EntranceCount (ten at most) that name a station of the survey. A count
// beyond the table or a row outside the survey comes only from a damaged
// object file; such entries are passed over rather than read out of bounds.
// Returned in a fixed table, so drawing a frame allocates nothing.
struct EntranceSlots {
  std::array<int32_t, kMaxEntrances> rows{};
  int32_t count = 0;
  const int32_t* begin() const { return rows.data(); }
  const int32_t* end() const { return rows.data() + count; }
  std::vector<int32_t> ToVector() const { return {begin(), end()}; }
};
EntranceSlots DrawableEntrances(const SurveyModel& m);

void DrawEntrances(GlApi& gl, const ViewState& v, const SurveyModel& m);

}  // namespace mv
