// Real OpenGL: the model-view and projection matrices that a frame builds in
// OpenGL are the ones the program computes for picking, labels, the fit and
// the repaint gate, so what is picked is what is drawn.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "forwarding_gl.h"
#include "render/frame.h"
#include "render/offscreen_frame.h"
#include "render/scene_cache.h"
#include "view/projection.h"
#include "view/survey_loading.h"

namespace mv::test {
namespace {

// Hands every call on to OpenGL, and reads both of OpenGL's matrices as they
// stand when the frame has set its camera (it then turns the depth test on).
class CameraProbe final : public ForwardingGl {
 public:
  using ForwardingGl::ForwardingGl;

  std::array<double, 16> modelView{}, projection{};
  int reads = 0;  // the frame sets its camera once

  void EnableDepthTest() override {
    ForwardingGl::EnableDepthTest();
    if (reads++ > 0) return;
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
  }
};

// The largest difference between OpenGL's single-precision matrix and the
// computed one, measured against the size of each entry.
double Mismatch(const std::array<double, 16>& gl, const Mat4& computed) {
  double worst = 0;
  for (size_t i = 0; i < 16; ++i)
    worst =
        std::max(worst, std::abs(gl[i] - computed.m[i]) / std::max(1.0, std::abs(computed.m[i])));
  return worst;
}

std::string Show(const std::array<double, 16>& a) {
  std::string s;
  for (double x : a) s += std::to_string(x) + " ";
  return s;
}

// A small cave off the origin, every element shown, so the frame draws all
// of itself after the camera.
AppState SmallCave() {
  SurveyModel m;
  m.originX = 40, m.originY = -25, m.originZ = 120;
  for (int i = 0; i < 10; ++i)
    m.stations.insert(m.stations.end(), {40.0 + 3 * i, -25.0 + (i % 3) * 4, 120.0 - 5 * i});
  std::array<int32_t, kLineColumns> line{};
  line[0] = 9;
  for (int j = 1; j <= 10; ++j) line[static_cast<size_t>(j)] = j - 1;
  m.lines.assign(line.begin(), line.end());
  m.entranceCount = 1;
  m.entrances = {0};
  AppState s;
  SetStartParameters(s.view);
  EXPECT_TRUE(ApplyLoad(s, FinishLoad(std::move(m))));
  s.view.LinesVisible = s.view.AxisVisible = s.view.ScaleVisible = s.view.WindRoseVisible =
      s.view.EntrancesVisible = true;
  return s;
}

TEST(Camera, OpenGlMatricesOfARealFrameEqualTheComputedOnes) {
  OffscreenGl gl;
  ASSERT_EQ(gl.Error(), "");
  struct Row {
    const char* name;
    std::function<void(ViewState&)> change;
    int outerWidth = kOuterWidth, outerHeight = kOuterHeight;
  };
  const Row rows[] = {
      {"start", [](ViewState&) {}},
      {"spin", [](ViewState& v) { v.TickCount = 77; }},
      {"spin backwards", [](ViewState& v) { v.SpinStep = -0.81L, v.TickCount = 5003; }},
      {"tilt", [](ViewState& v) { v.TiltAngle = 30, v.TickCount = 40; }},
      {"plan", [](ViewState& v) { v.TiltAngle = 90, v.TickCount = 123; }},
      {"turn", [](ViewState& v) { v.TurnAngle = -47.5L, v.TiltAngle = 12.5L, v.TickCount = 9; }},
      {"zoom in", [](ViewState& v) { v.ZoomScale = 0.9L, v.TickCount = 200; }},
      {"zoom out", [](ViewState& v) { v.ZoomScale = 0.0185L, v.TickCount = 200; }},
      {"pan", [](ViewState& v) { v.TargetY = 3.26L, v.TargetZ = -1.72L, v.TickCount = 61; }},
      {"eye away", [](ViewState& v) { v.EyeX = 90, v.TargetX = 88, v.TiltAngle = -20; }},
      {"eye close", [](ViewState& v) { v.EyeX = 20, v.TargetX = 18, v.TurnAngle = 200; }},
      {"stopped", [](ViewState& v) { v.SpinStep = 0.0001L, v.TickCount = 1234567; }},
      // After a long run the spin angle is large; the frame hands it to
      // OpenGL in single precision.
      {"long run", [](ViewState& v) { v.SpinStep = 0.7L, v.TickCount = 30000001; }},
      {"last tick", [](ViewState& v) { v.SpinStep = 1.19L, v.TickCount = 359999999; }},
      {"wide window", [](ViewState& v) { v.TickCount = 300; }, 1600, 500},
      {"tall window", [](ViewState& v) { v.TiltAngle = 45; }, 400, 1000},
  };
  // The camera OpenGL holds once a real frame of `v` has set it up.
  const auto frameCamera = [&](const AppState& s, const ViewState& v, int w, int h) {
    std::array<std::array<double, 16>, 2> matrices{};
    int reads = 0;
    SceneCache cache;
    gl.Draw([&](GlApi& real) {
      CameraProbe probe(real);
      SetProjection(probe, w, h);
      DrawFrame(probe, v, s.survey, cache);
      matrices = {probe.modelView, probe.projection};
      reads = probe.reads;
    });
    EXPECT_EQ(reads, 1);
    return matrices;
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    AppState s = SmallCave();
    r.change(s.view);
    const auto [modelView, projection] = frameCamera(s, s.view, r.outerWidth, r.outerHeight);
    EXPECT_LT(Mismatch(modelView, FrameModelView(s.view)), 2e-5) << Show(modelView);
    EXPECT_LT(Mismatch(projection, FrameProjection(r.outerWidth, r.outerHeight)), 2e-5)
        << Show(projection);
    // Unspun: the same view without spin and turn.
    ViewState unspun = s.view;
    unspun.TickCount = 0;
    unspun.TurnAngle = 0;
    const auto still = frameCamera(s, unspun, r.outerWidth, r.outerHeight)[0];
    EXPECT_LT(Mismatch(still, FrameModelViewUnspun(s.view)), 2e-5) << Show(still);
  }
}

}  // namespace
}  // namespace mv::test
