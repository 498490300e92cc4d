#include "render/survey_lines.h"

#include "render/draw_helpers.h"

namespace mv {

void DrawSurveyLines(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache) {
  SetColor(gl, v.LineColor);
  const OriginShift shift(gl, m.originZ);
  gl.LineStrips(cache.SurveyLines(m, v.CentreX, v.CentreY, v.DepthColours));
}

}  // namespace mv
