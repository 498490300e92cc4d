// The survey lines laid out for drawing: one strip per survey-line row,
// grouped by the kind of their legs, so that each kind is one run of strips
// the frame can draw, fade or leave out. A large survey's strips are also
// grouped into spatial chunks, each with simplified versions of its lines
// (levels of detail) as index ranges into the same vertices, so that a frame
// draws what the picture can show and skips what lies outside it.
#pragma once

#include <cstdint>
#include <vector>

#include "render/gl_api.h"
#include "view/projection.h"
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
inline bool IsSplayKind(LineKind k) {
  return (static_cast<uint8_t>(k) & 1) != 0;
}
// How the view draws legs of this kind.
inline LegShow LineKindShow(const ViewState& v, LineKind k) {
  return LegShowOf(v, static_cast<uint8_t>((IsSplayKind(k) ? kLegSplay : 0) |
                                           ((static_cast<uint8_t>(k) & 2) ? kLegSurface : 0)));
}

// Surveys of fewer legs are always drawn in full, as they always were.
inline constexpr int64_t kSimplifiedFromLegs = 50000;
// About how many legs a chunk holds: few enough that zooming in skips most
// of them, many enough that a frame has few ranges to draw.
inline constexpr int64_t kChunkLegs = 4096;
// Level j of a chunk is its lines simplified so that no station left out
// lies farther than 2^(LineLayout::lowestLevel + j) metres from them.
inline constexpr int kLineLevels = 32;

// A run of strips of one kind.
struct LineChunk {
  LineKind kind = LineKind::Leg;
  int32_t firstStrip = 0, strips = 0;
  SegmentRange segments;  // the strips' own segments: the full detail
  // Where its levels start in LineLayout::levels (kLineLevels of them), or
  // -1 when it is always drawn in full.
  int32_t levels = -1;
  // The box of its stations, survey coordinates in metres.
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
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

  // The chunks' levels: each a range of segments, the strips' own or of
  // `extra`, which numbers on after them. A level that would simplify little
  // shares the range of the finer one.
  std::vector<SegmentRange> levels;
  std::vector<uint32_t> extra;  // pairs of vertex indices
  int lowestLevel = 0;          // the finest level's tolerance is 2^lowestLevel m

  bool Simplified() const { return !levels.empty(); }
  // The bytes the levels and chunks add to the strips.
  size_t LevelBytes() const {
    return levels.size() * sizeof(SegmentRange) + extra.size() * sizeof(uint32_t) +
           chunks.size() * sizeof(LineChunk);
  }
};

// Lays out every survey-line row of `m` as a strip. A strip holds the row's
// stations up to the first one that is not a station of the survey (or past
// the 30th); a negative shot count gives an empty strip. The legs come
// first, then the splays, the surface legs and the splays on the surface.
// With `simplify` and at least kSimplifiedFromLegs legs, each kind is cut
// into chunks of nearby traverses of one survey node, with their levels; otherwise each kind is
// one chunk in the order of the rows.
//
// A level simplifies each traverse between junctions by Douglas-Peucker:
// junctions, ends, entrances and fixed stations always stay, and so does
// the end of every run of kChunkLegs legs. A splay stays whole while it is
// at least twice the level's tolerance long, and is left out below.
LineLayout LayOutLines(const SurveyModel& m, bool simplify = false);

// Where a frame is seen from: the model-view matrix for model coordinates
// (survey coordinates less `centre` x and y and `originZ` in z), the
// projection and the viewport's size in device pixels.
struct LineCamera {
  Mat4 modelView, projection;
  int width = 0, height = 0;
  double centreX = 0, centreY = 0, originZ = 0;
};

// How the lines of a survey node are drawn while parts of the survey tree
// are hidden or one is highlighted: left out, dimmed (beside a highlighted
// part) or as usual.
enum class LinePresence : uint8_t { Hidden = 0, Dimmed = 1, Full = 2 };
inline constexpr uint8_t kMixedPresence = 3;

// The presence of every strip and chunk of a layout for one choice of
// hidden and highlighted survey nodes. A chunk whose strips all have one
// presence keeps its levels of detail; a mixed one is drawn strip by strip
// in full. Made again only when that choice changes, never the vertices.
struct LinePresences {
  std::vector<uint8_t> strips;  // a LinePresence a strip
  std::vector<uint8_t> chunks;  // a LinePresence a chunk, or kMixedPresence
  bool uniform = true;          // every strip Full: the presences are not needed
};
LinePresences SurveyPresences(const LineLayout& layout, const SurveyModel& m,
                              const std::vector<uint8_t>& hiddenSurveys, int32_t highlighted);

// Appends, for the chunks of each kind the view draws as `show`, the
// segments a frame draws, neighbouring ranges joined. With `presences`,
// only the strips of presence `want`. Without a camera,
// every chunk in full. With one, chunks wholly outside the picture are
// skipped and each other at the coarsest level whose tolerance is under half
// a pixel where the chunk comes nearest the eye. With `kept`, a bit per
// station row, the strips holding a station whose bit is set are added in
// full wherever their chunk is simplified, so that station stays on its
// line.
void AddLineRanges(const LineLayout& layout, const SurveyModel& m, const ViewState& v, LegShow show,
                   const LineCamera* camera, const std::vector<uint64_t>* kept,
                   std::vector<SegmentRange>& out, const LinePresences* presences = nullptr,
                   LinePresence want = LinePresence::Full);

// The level a chunk is drawn at from `camera`: -1 for its full detail,
// -2 when it lies outside the picture.
int ChunkLevel(const LineLayout& layout, const LineChunk& c, const LineCamera& camera);

}  // namespace mv
