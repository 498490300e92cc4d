#include "render/segment_pairs.h"

#include <gtest/gtest.h>

#include <vector>

namespace mv {
namespace {

// Three strips (one too short to have a segment) and two extra pairs; a
// draw whose ranges cross from one strip to the next, from the strips to
// the extras and beyond the last segment.
TEST(SegmentPairs, AnyStretchIsThatPartOfTheWholeDrawInOrder) {
  const std::vector<float> xyz(3 * 20, 0.0f);
  const int32_t first[] = {0, 5, 6};
  const int32_t count[] = {5, 1, 4};
  const uint32_t extra[] = {0, 2, 6, 9};
  LineStripBatch batch;
  batch.xyz = xyz.data();
  batch.first = first;
  batch.count = count;
  batch.strips = 3;
  batch.vertices = 10;
  batch.extra = extra;
  batch.extraSegments = 2;
  // Segments 0-3 are strip 0's, 4-6 strip 2's, 7-8 the extras.
  const SegmentRange ranges[] = {{-2, 4}, {3, 2}, {6, 2}, {8, 5}};
  const SegmentDraw draw{ranges, 4, 1};
  const std::vector<uint32_t> whole = {0, 1, 1, 2, 3, 4, 6, 7, 8, 9, 0, 2, 6, 9};

  const std::vector<int64_t> starts = StripSegmentStarts(batch);
  EXPECT_EQ(starts, (std::vector<int64_t>{0, 4, 4, 7}));
  const SegmentPairs pairs(batch, draw, starts);
  ASSERT_EQ(pairs.Count(), whole.size() / 2);
  for (size_t from = 0; from <= pairs.Count(); ++from)
    for (size_t to = from; to <= pairs.Count(); ++to) {
      std::vector<uint32_t> part(2 * (to - from));
      pairs.Write(from, to, part.data());
      EXPECT_EQ(part, std::vector<uint32_t>(whole.begin() + 2 * from, whole.begin() + 2 * to))
          << from << " to " << to;
    }

  std::vector<uint32_t> each;
  ForEachSegment(batch, draw, [&each](uint32_t a, uint32_t b) {
    each.push_back(a);
    each.push_back(b);
  });
  EXPECT_EQ(each, whole);
}

}  // namespace
}  // namespace mv
