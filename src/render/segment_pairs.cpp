#include "render/segment_pairs.h"

namespace mv {

std::vector<int64_t> StripSegmentStarts(const LineStripBatch& batch) {
  std::vector<int64_t> starts(static_cast<size_t>(std::max(batch.strips, 0)) + 1, 0);
  for (int32_t i = 0; i < batch.strips; ++i)
    starts[static_cast<size_t>(i) + 1] =
        starts[static_cast<size_t>(i)] + std::max(batch.count[i] - 1, 0);
  return starts;
}

SegmentPairs::SegmentPairs(const LineStripBatch& batch, const SegmentDraw& draw,
                           const std::vector<int64_t>& stripStarts)
    : batch_(batch), draw_(draw), stripStarts_(stripStarts) {
  if (draw.pairs) {
    count_ = static_cast<size_t>(std::max<int64_t>(draw.pairCount, 0));
    return;
  }
  const int64_t own = stripStarts.back();
  const auto add = [this](int64_t first, int64_t end) {
    if (end <= first) return;
    runs_.push_back({first, end - first, count_});
    count_ += static_cast<size_t>(end - first);
  };
  for (int32_t r = 0; r < draw.count; ++r) {
    const SegmentRange& range = draw.ranges[r];
    const int64_t first = std::max<int64_t>(range.first, 0);
    const int64_t end = range.first + std::max<int64_t>(range.count, 0);
    add(first, std::min(end, own));
    add(std::max(first, own), std::min(end, own + std::max<int64_t>(batch.extraSegments, 0)));
  }
}

void SegmentPairs::Write(size_t from, size_t to, uint32_t* out) const {
  if (from >= to) return;
  if (draw_.pairs) {
    std::copy(draw_.pairs + 2 * from, draw_.pairs + 2 * to, out);
    return;
  }
  const int64_t own = stripStarts_.back();
  auto run = std::upper_bound(runs_.begin(), runs_.end(), from,
                              [](size_t at, const Run& r) { return at < r.at; }) -
             1;
  for (size_t done = from; done < to; ++run) {
    const auto skip = static_cast<int64_t>(done - run->at);
    const int64_t n = std::min<int64_t>(run->count - skip, static_cast<int64_t>(to - done));
    int64_t s = run->first + skip;
    const int64_t end = s + n;
    if (s >= own) {
      out = std::copy(batch_.extra + 2 * (s - own), batch_.extra + 2 * (end - own), out);
    } else {
      auto strip = static_cast<size_t>(
          std::upper_bound(stripStarts_.begin(), stripStarts_.end(), s) - stripStarts_.begin() - 1);
      for (; s < end; ++s) {
        while (s >= stripStarts_[strip + 1]) ++strip;
        const auto a = static_cast<uint32_t>(batch_.first[strip] + (s - stripStarts_[strip]));
        *out++ = a;
        *out++ = a + 1;
      }
    }
    done += static_cast<size_t>(n);
  }
}

}  // namespace mv
