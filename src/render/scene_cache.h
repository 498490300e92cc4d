// Geometry that depends only on the survey and the axis position, built once
// and reused by every frame until either changes.
#pragma once

#include <cstdint>
#include <vector>

#include "render/gl_api.h"
#include "view/view_state.h"

namespace mv {

class SceneCache {
 public:
  // The survey lines as strips, one per row, with the axis position
  // subtracted from x and y. Rebuilt only when the model or the centre moved.
  const LineStripBatch& SurveyLines(const SurveyModel& m, Real48 centreX, Real48 centreY);

  // Forget everything, e.g. after the GL context was recreated.
  void Clear();

 private:
  std::vector<float> xyz_;
  std::vector<int32_t> first_;
  std::vector<int32_t> count_;
  LineStripBatch batch_;
  uint64_t generation_ = 0;
  double centreX_ = 0, centreY_ = 0;
  bool valid_ = false;
};

}  // namespace mv
