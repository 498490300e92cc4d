#include "render/frame.h"

#include <cmath>
#include <variant>

#include "render/depth_colours.h"
#include "render/entrances.h"
#include "render/overlays.h"
#include "render/passage_walls.h"
#include "render/rotation_axis.h"
#include "render/scene_cache.h"
#include "render/simulation_scale.h"
#include "render/survey_lines.h"
#include "render/wind_rose.h"
#include "view/camera.h"
#include "view/camera_steps.h"

namespace mv {

void SetProjection(GlApi& gl, int w, int h) {
  gl.MatrixMode(MatrixKind::Projection);
  gl.LoadIdentity();
  const GlPerspective p = FrameLens(w, h);
  gl.Perspective(p.fovy, p.aspect, p.zNear, p.zFar);
}

void SetFrameCamera(GlApi& gl, const ViewState& v) {
  gl.MatrixMode(MatrixKind::ModelView);
  gl.LoadIdentity();
  for (const CameraStep& step : FrameCameraSteps(v))
    std::visit(Overloaded{
                   [&](const GlTranslate& t) { gl.Translatef(t.x, t.y, t.z); },
                   [&](const GlLookAt& l) {
                     gl.LookAt(l.eyeX, l.eyeY, l.eyeZ, l.centreX, l.centreY, l.centreZ, l.upX,
                               l.upY, l.upZ);
                   },
                   [&](const GlRotate& r) { gl.Rotatef(r.degrees, r.x, r.y, r.z); },
                   [&](const GlScale& s) { gl.Scalef(s.x, s.y, s.z); },
               },
               step);
}

void DrawFrame(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache,
               const PictureGeometry* picture) {
  gl.ClearColor(0, 0, 0, 1);
  gl.ClearColourAndDepth();
  SetFrameCamera(gl, v);
  gl.EnableDepthTest();

  // The walls first: they clear the depth, so the lines show over them.
  if (v.WallsVisible) DrawPassageWalls(gl, v, m, cache);
  if (v.LinesVisible) DrawSurveyLines(gl, v, m, cache, picture);
  if (v.AxisVisible) DrawRotationAxis(gl, v, m);
  if (v.AxisMoveMode) DrawAxisPositionMarker(gl, v, m);
  if (v.ScaleVisible) DrawSimulationScale(gl, v, m);
  if (v.WindRoseVisible) DrawWindRose(gl, v, m);
  if (v.EntrancesVisible) DrawEntrances(gl, v, m);

  if (picture) DrawOverlays(gl, v, m, cache, *picture);
  if (picture && cache.Depths().valid) {
    const LegendPlace place = PlaceDepthLegend(v, *picture);
    if (place.shown) {
      const QImage& legend = cache.DepthLegend(picture->pixelRatio);
      const double r = picture->pixelRatio;
      gl.DrawOverlay(static_cast<int>(std::lround(place.x * r)),
                     static_cast<int>(std::lround(place.y * r)),
                     {legend.constBits(), legend.width(), legend.height()});
    }
  }
}

}  // namespace mv
