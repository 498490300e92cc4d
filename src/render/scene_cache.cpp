#include "render/scene_cache.h"

#include <algorithm>

namespace mv {

namespace {
uint64_t NextVersion() {
  static uint64_t v = 0;
  return ++v;
}
}  // namespace

void SceneCache::Clear() { valid_ = false; }

const LineStripBatch& SceneCache::SurveyLines(const SurveyModel& m, Real48 centreX,
                                              Real48 centreY) {
  const double cx = centreX.AsDouble(), cy = centreY.AsDouble();
  if (valid_ && generation_ == m.generation && centreX_ == cx && centreY_ == cy) return batch_;

  const int32_t rows = m.SurveyLineCount();
  size_t total = 0;
  for (int32_t i = 0; i < rows; ++i) {
    const int32_t n = m.Line(i)[0];
    if (n >= 0) total += static_cast<size_t>(std::min(n, kLineColumns - 2)) + 1;
  }
  xyz_.clear();
  xyz_.reserve(total * 3);
  first_.assign(static_cast<size_t>(rows), 0);
  count_.assign(static_cast<size_t>(rows), 0);
  int32_t vertex = 0;
  for (int32_t i = 0; i < rows; ++i) {
    const int32_t* line = m.Line(i);
    first_[static_cast<size_t>(i)] = vertex;
    // A negative shot count gives an empty strip. Columns past 30 and station
    // rows outside the survey are never read; the loader rejects such rows,
    // and a strip stops at the first one all the same.
    const int32_t last = std::min(line[0] + 1, kLineColumns - 1);
    for (int32_t j = 1; j <= last; ++j) {
      const int32_t p = line[j];
      if (!m.ValidStation(p)) break;
      xyz_.push_back(static_cast<float>(m.X(p) - cx));
      xyz_.push_back(static_cast<float>(m.Y(p) - cy));
      xyz_.push_back(static_cast<float>(m.Z(p)));
      ++vertex;
    }
    count_[static_cast<size_t>(i)] = vertex - first_[static_cast<size_t>(i)];
  }
  batch_.xyz = xyz_.data();
  batch_.first = first_.data();
  batch_.count = count_.data();
  batch_.strips = rows;
  batch_.vertices = vertex;
  batch_.version = NextVersion();
  generation_ = m.generation;
  centreX_ = cx;
  centreY_ = cy;
  valid_ = true;
  return batch_;
}

}  // namespace mv
