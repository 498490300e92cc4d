#include "render/line_layout.h"

#include <algorithm>
#include <limits>

namespace mv {

namespace {

// The stations of row `i` that a strip can draw: up to the first one outside
// the survey, at most the row's shot count + 1 and never past column 30.
int32_t DrawableStations(const SurveyModel& m, int32_t i) {
  const int32_t* line = m.Line(i);
  const int64_t last = std::min<int64_t>(int64_t{line[0]} + 1, kLineColumns - 1);
  const int64_t stations = m.StationCount();
  int32_t n = 0;
  while (n < last && line[n + 1] >= 0 && line[n + 1] < stations) ++n;
  return n;
}

void AddRange(std::vector<SegmentRange>& out, SegmentRange r) {
  if (r.count <= 0) return;
  if (!out.empty() && out.back().first + out.back().count == r.first)
    out.back().count += r.count;
  else
    out.push_back(r);
}

}  // namespace

LineLayout LayOutLines(const SurveyModel& m) {
  LineLayout out;
  const int32_t rows = m.SurveyLineCount();
  // The rows of each kind, in order.
  std::vector<int32_t> byKind[kLineKinds];
  for (int32_t i = 0; i < rows; ++i)
    byKind[static_cast<int>(LineKindOf(m.LineFlags(i)))].push_back(i);
  out.rows.reserve(static_cast<size_t>(rows));
  out.first.reserve(static_cast<size_t>(rows));
  out.count.reserve(static_cast<size_t>(rows));
  for (int k = 0; k < kLineKinds; ++k) {
    if (byKind[k].empty()) continue;
    LineChunk chunk;
    chunk.kind = static_cast<LineKind>(k);
    chunk.firstStrip = static_cast<int32_t>(out.rows.size());
    chunk.segments.first = out.stripSegments;
    for (const int32_t row : byKind[k]) {
      int32_t n = DrawableStations(m, row);
      // OpenGL counts vertices in 32 bits; a survey beyond that draws what
      // fits.
      if (out.vertices + n > std::numeric_limits<int32_t>::max()) n = 0;
      out.rows.push_back(row);
      out.first.push_back(static_cast<int32_t>(out.vertices));
      out.count.push_back(n);
      out.vertices += n;
      out.stripSegments += std::max(n - 1, 0);
    }
    chunk.strips = static_cast<int32_t>(out.rows.size()) - chunk.firstStrip;
    chunk.segments.count = out.stripSegments - chunk.segments.first;
    out.chunks.push_back(chunk);
    if (k != 0) out.mixedKinds = true;
  }
  return out;
}

void AddChunkRanges(const LineLayout& layout, const ViewState& v, LegShow show,
                    std::vector<SegmentRange>& out) {
  for (const LineChunk& c : layout.chunks)
    if (LineKindShow(v, c.kind) == show) AddRange(out, c.segments);
}

}  // namespace mv
