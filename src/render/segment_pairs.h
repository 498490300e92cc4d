// The segments of a draw, by the batch's numbering (each strip's own
// segments, strip by strip, then the extra pairs), as pairs of vertex
// indices.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "render/gl_api.h"

namespace mv {

// Where each strip's segments start in the batch's numbering, and their
// number after the last.
std::vector<int64_t> StripSegmentStarts(const LineStripBatch& batch);

// The segments of a draw, written a stretch at a time, so that threads can
// share the writing: the draw's ranges cut to the segments the batch has.
class SegmentPairs {
 public:
  // `stripStarts`, from StripSegmentStarts, outlives this.
  SegmentPairs(const LineStripBatch& batch, const SegmentDraw& draw,
               const std::vector<int64_t>& stripStarts);

  size_t Count() const { return count_; }

  // Segments `from` to `to` of the draw, in order, into `out` (two indices
  // a segment).
  void Write(size_t from, size_t to, uint32_t* out) const;

 private:
  struct Run {
    int64_t first, count;  // in the batch's numbering
    size_t at;             // in the draw's
  };
  const LineStripBatch& batch_;
  const SegmentDraw& draw_;
  const std::vector<int64_t>& stripStarts_;
  std::vector<Run> runs_;
  size_t count_ = 0;
};

// Calls f(a, b) with the vertex indices of every segment of `draw`, in order.
template <typename F>
void ForEachSegment(const LineStripBatch& b, const SegmentDraw& draw, F f) {
  const std::vector<int64_t> starts = StripSegmentStarts(b);
  const SegmentPairs pairs(b, draw, starts);
  constexpr size_t kStretch = 1024;
  uint32_t stretch[2 * kStretch];
  for (size_t from = 0; from < pairs.Count(); from += kStretch) {
    const size_t to = std::min(pairs.Count(), from + kStretch);
    pairs.Write(from, to, stretch);
    for (size_t i = 0; i < to - from; ++i) f(stretch[2 * i], stretch[2 * i + 1]);
  }
}

}  // namespace mv
