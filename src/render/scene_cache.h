// Geometry that depends only on the survey and the axis position, built once
// and reused by every frame until either changes.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "render/depth_colours.h"
#include "render/gl_api.h"
#include "view/view_state.h"

namespace mv {

class SceneCache {
 public:
  // The survey lines as strips, one per row, with the axis position
  // subtracted from x and y. Rebuilt only when the model or the centre moved.
  // `shaded` adds each vertex's place on the depth colour ramp.
  const LineStripBatch& SurveyLines(const SurveyModel& m, Real48 centreX, Real48 centreY,
                                    bool shaded = false);
  // The altitudes the drawn lines span; valid once SurveyLines has run.
  const DepthRange& Depths() const { return depths_; }
  // The depth legend for these altitudes, made once per survey and size.
  const QImage& DepthLegend(double pixelRatio);

  // Forget everything, e.g. after the GL context was recreated.
  void Clear();

 private:
  std::vector<float> xyz_;
  std::vector<float> shade_;  // filled on first use for a shaded batch
  bool shaded_ = false;
  DepthRange depths_;
  QImage legend_;
  double legendRatio_ = 0;
  uint64_t legendVersion_ = 0;
  void Build(const SurveyModel& m, double cx, double cy);

  std::vector<int32_t> first_;
  std::vector<int32_t> count_;
  LineStripBatch batch_;
  uint64_t generation_ = 0;
  double centreX_ = 0, centreY_ = 0;
  bool valid_ = false;
};

}  // namespace mv
