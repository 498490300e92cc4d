#include "render/survey_lines.h"

#include "render/draw_helpers.h"
#include "render/overlays.h"

namespace mv {

void DrawSurveyLines(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                     const PictureGeometry* picture) {
  const LineStripBatch& batch = cache.SurveyLines(m, v.CentreX, v.CentreY, v.DepthColours);
  // The picked and named stations stay on their lines however far these are
  // simplified.
  std::vector<int32_t>& kept = cache.KeptStations();
  kept.clear();
  if (picture && cache.Layout().Simplified()) {
    kept = {v.PickedFirst, v.PickedSecond};
    for (const PlacedLabel& l : FrameLabels(v, m, cache, *picture))
      if (!l.entrance) kept.push_back(l.row);
  }
  const LineDraws& draws = cache.ChooseLines(v, m, picture, kept);
  if (draws.allStrips) {
    SetColor(gl, v.LineColor);
    const OriginShift shift(gl, m.originZ);
    gl.LineStrips(batch);
    return;
  }
  const OriginShift shift(gl, m.originZ);
  // The legs first: where a faded splay meets its station, the leg's pixels
  // win the depth test.
  if (!draws.shown.empty()) {
    SetColor(gl, v.LineColor);
    gl.LineSegments(batch, {draws.shown.data(), static_cast<int32_t>(draws.shown.size()), 1});
  }
  if (!draws.faded.empty()) {
    SetColor(gl, FadedColour(v.LineColor));
    gl.LineSegments(batch, {draws.faded.data(), static_cast<int32_t>(draws.faded.size()), 0.25f});
  }
}

}  // namespace mv
