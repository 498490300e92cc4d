// The simulation scale: axes of the padded box with ticks and arrowheads, and
// the numbered graduation bar.
#pragma once

#include <cstdint>
#include <vector>

#include "render/gl_api.h"
#include "view/scene_geometry.h"
#include "view/view_state.h"

namespace mv {

// A point of a stroke glyph of the graduation bar, both coordinates in
// hundredths of the scale step: x along the bar from its left end, t across it
// from the bottom of the padded box.
struct GlyphPoint {
  int32_t x = 0, t = 0;
  bool operator==(const GlyphPoint&) const = default;
};
using GlyphStrip = std::vector<GlyphPoint>;

// The "0" at the bar's left end, and the bar's length ("10m" to "200m") at its
// right end for a given step; no strips for a step that is not one of the five.
std::vector<GlyphStrip> ZeroLabel();
std::vector<GlyphStrip> LengthLabel(int32_t step);

void DrawSimulationScale(GlApi& gl, const ViewState& v, const SurveyModel& m);

}  // namespace mv
