#include "render/frame.h"

#include <cmath>
#include <numbers>

#include "render/depth_colours.h"
#include "render/entrances.h"
#include "render/overlays.h"
#include "render/rotation_axis.h"
#include "render/scene_cache.h"
#include "render/simulation_scale.h"
#include "render/survey_lines.h"
#include "render/wind_rose.h"
#include "view/camera.h"

namespace mv {

void SetProjection(GlApi& gl, int w, int h) {
  gl.MatrixMode(MatrixKind::Projection);
  gl.LoadIdentity();
  gl.Perspective(kFieldOfViewDegrees, h != 0 ? static_cast<double>(w) / h : 1.0, kNearPlane,
                 kFarPlane);
}

void DrawFrame(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache,
               const PictureGeometry* picture) {
  gl.ClearColor(0, 0, 0, 1);
  gl.ClearColorAndDepth();
  gl.MatrixMode(MatrixKind::ModelView);
  gl.LoadIdentity();
  gl.Translatef(0, kPictureRaise, 0);
  gl.LookAt(v.EyeX, 0, 0, v.TargetX, static_cast<double>(static_cast<long double>(v.TargetY)),
            static_cast<double>(static_cast<long double>(v.TargetZ)), 0, 0, 1);
  // Spin, then tilt about the axis that the spin carries onto +y, so the tilt
  // always leans the model towards or away from the viewer.
  const long double theta = SpinAngle(v);
  gl.Rotatef(static_cast<float>(theta), 0, 0, 1);
  const long double r = theta * std::numbers::pi_v<long double> / 180.0L;
  gl.Rotatef(static_cast<float>(static_cast<long double>(v.TiltAngle)),
             static_cast<float>(std::sin(r)), static_cast<float>(std::cos(r)), 0);
  gl.Rotatef(static_cast<float>(static_cast<long double>(v.TurnAngle)), 0, 0, 1);
  const float s = static_cast<float>(static_cast<long double>(v.ZoomScale) - kZoomOffset);
  gl.Scalef(s, s, s);
  gl.EnableDepthTest();

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
