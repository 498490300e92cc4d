#include "render/survey_lines.h"

namespace mv {

void DrawSurveyLines(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache) {
  gl.Color3ub(static_cast<uint8_t>(v.LineColor.r), static_cast<uint8_t>(v.LineColor.g),
              static_cast<uint8_t>(v.LineColor.b));
  const float z = static_cast<float>(static_cast<long double>(m.originZ));
  gl.Translatef(0, 0, -z);
  gl.LineStrips(cache.SurveyLines(m, v.CentreX, v.CentreY));
  gl.Translatef(0, 0, z);
}

}  // namespace mv
