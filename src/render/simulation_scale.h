// The simulation scale: axes of the padded box with ticks and arrowheads, and
// the numbered graduation bar.
#pragma once

#include <cstdint>
#include <vector>

#include "render/gl_api.h"
#include "view/view_state.h"

namespace mv {

// The bounding box widened by a fifth of its size on every side and rounded
// to whole survey units, halves to even.
struct PaddedBox {
  int32_t PaddedMinX = 0, PaddedMaxX = 0;
  int32_t PaddedMinY = 0, PaddedMaxY = 0;
  int32_t PaddedMinZ = 0, PaddedMaxZ = 0;
};
int32_t PaddedMin(Real48 min, Real48 max);
int32_t PaddedMax(Real48 min, Real48 max);
PaddedBox ComputePaddedBox(const Extents& box);

// The least of the three sides of the padded box.
int64_t ShortestSide(const PaddedBox& p);

// The tick spacing, 1, 2, 5, 10 or 20 survey units, from the shortest side m:
// m / 20 rounded halves to even, then mapped onto the steps.
int32_t ScaleStep(int64_t shortestSide);

// Ticks along an axis from lo to hi at the given spacing stand at k x spacing
// for k from lo / spacing to hi / spacing - 1, with division truncating
// toward zero. So the first tick may lie just outside the axis (lo = 37 with
// spacing 10 gives 30) and none stands on hi itself.
struct TickRange {
  int64_t first = 0, last = -1;
  bool Empty() const { return last < first; }
};
TickRange TickIndices(int32_t lo, int32_t hi, int32_t spacing);

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
