#include "render/survey_lines.h"

#include "render/draw_helpers.h"
#include "render/overlays.h"

namespace mv {

namespace {
// How many pieces of thinned segments are handed over before the renderer
// is started on them: starting it costs little, but each start ties up one
// of the few sets of work it keeps.
constexpr int kPiecesBeforeDrawing = 4;
}  // namespace

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
  // A renderer that pays for every segment is handed only those that may
  // show, pass by pass (each pass one colour), seen through the matrices and
  // viewport it holds.
  const bool thin = picture && cache.Layout().Simplified() && gl.PaysPerSegment() &&
                    cache.Thinning().WorthThinning();
  ThinningView seen;
  const auto segments = [&](const std::vector<SegmentRange>& list, float scale) {
    const SegmentDraw draw{list.data(), static_cast<int32_t>(list.size()), scale};
    if (!thin || !seen.valid) {
      gl.LineSegments(batch, draw);
      return;
    }
    // The renderer starts on each few pieces while the next are sorted and
    // handed over (on a software renderer, a core would wait otherwise).
    int pieces = 0;
    cache.Thinning().Thin(batch, draw, seen, [&](const uint32_t* pairs, size_t count) {
      gl.LineSegments(batch, {nullptr, 0, scale, pairs, static_cast<int64_t>(count)});
      if (++pieces % kPiecesBeforeDrawing == 0) gl.StartDrawing();
    });
  };
  if (draws.allStrips) {
    SetColour(gl, v.LineColor);
    const OriginShift shift(gl, m.originZ);
    gl.LineStrips(batch);
    return;
  }
  const OriginShift shift(gl, m.originZ);
  if (thin) seen = ThinningViewOf(gl);
  // The legs first: where a faded splay meets its station, the leg's pixels
  // win the depth test.
  // The highlighted part of the survey before the rest, for the same reason.
  const struct {
    const std::vector<SegmentRange>& list;
    float scale;
  } passes[] = {{draws.shown, 1},
                {draws.faded, kFadedLines},
                {draws.dimShown, kDimmedLines},
                {draws.dimFaded, kFadedLines * kDimmedLines}};
  for (const auto& pass : passes) {
    if (pass.list.empty()) continue;
    SetColour(gl, ScaledColour(v.LineColor, pass.scale));
    segments(pass.list, pass.scale);
  }
}

}  // namespace mv
