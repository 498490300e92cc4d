// The survey lines laid out for drawing: one strip per survey-line row,
// grouped by the kind of their legs, so that each kind is one run of strips
// the frame can draw, fade or leave out.
#pragma once

#include <cstdint>
#include <vector>

#include "render/gl_api.h"
#include "view/view_state.h"

namespace mv {

// The kinds of leg drawn apart, by their splay and surface flags; a
// duplicate leg is drawn as a leg.
enum class LineKind : uint8_t { Leg = 0, Splay = 1, Surface = 2, SurfaceSplay = 3 };
inline constexpr int kLineKinds = 4;

inline LineKind LineKindOf(uint8_t legFlags) {
  return static_cast<LineKind>(((legFlags & kLegSplay) ? 1 : 0) |
                               ((legFlags & kLegSurface) ? 2 : 0));
}
// How the view draws legs of this kind.
inline LegShow LineKindShow(const ViewState& v, LineKind k) {
  const auto bits = static_cast<uint8_t>(k);
  return LegShowOf(
      v, static_cast<uint8_t>(((bits & 1) ? kLegSplay : 0) | ((bits & 2) ? kLegSurface : 0)));
}

// A run of strips of one kind.
struct LineChunk {
  LineKind kind = LineKind::Leg;
  int32_t firstStrip = 0, strips = 0;
  SegmentRange segments;  // the strips' own segments
};

struct LineLayout {
  // Strip i draws survey-line row rows[i]: count[i] vertices from vertex
  // first[i].
  std::vector<int32_t> rows, first, count;
  std::vector<LineChunk> chunks;  // in strip order
  int64_t vertices = 0;
  int64_t stripSegments = 0;  // the strips' own segments, all together
  // Whether any strip holds another kind than plain legs.
  bool mixedKinds = false;
};

// Lays out every survey-line row of `m` as a strip: the legs first, then
// the splays, the surface legs and the splays on the surface, each in the
// order of the rows. A strip holds the row's stations up to the first one
// that is not a station of the survey (or past the 30th); a negative shot
// count gives an empty strip.
LineLayout LayOutLines(const SurveyModel& m);

// Appends the segments of every chunk whose kind the view draws as `show`,
// neighbouring ranges joined.
void AddChunkRanges(const LineLayout& layout, const ViewState& v, LegShow show,
                    std::vector<SegmentRange>& out);

}  // namespace mv
