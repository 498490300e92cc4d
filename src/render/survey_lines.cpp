#include "render/survey_lines.h"

#include "render/draw_helpers.h"

namespace mv {

void DrawSurveyLines(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache) {
  SetColor(gl, v.LineColor);
  const long double originZ = Ext(m.originZ);
  gl.Translatef(0, 0, F(-originZ));
  gl.LineStrips(cache.SurveyLines(m, v.CentreX, v.CentreY));
  gl.Translatef(0, 0, F(originZ));
}

}  // namespace mv
