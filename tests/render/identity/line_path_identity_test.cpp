// The survey lines drawn from the cached vertex buffer with one multi-draw
// must give exactly the pixels of one glBegin(GL_LINE_STRIP) ... glEnd per
// survey-line row with the same single-precision vertices.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/loader.h"
#include "offscreen_frame.h"
#include "render/frame.h"
#include "render/scene_cache.h"
#include "shell/survey_loading.h"

namespace mv::test {
namespace {

// A few hundred legs far from the map's zero, so rounding to single precision
// matters: chains of 1 to 29 shots leaving from earlier stations (junctions),
// a station alone (n = 0), rows with negative shot counts, and junk in the
// columns past each row's last station, which must never be read.
SurveyModel TestSurvey(uint32_t seed, int chains) {
  SurveyModel m;
  m.originX = 512345.5L;
  m.originY = 4812345.25L;
  m.originZ = 1650.0L;
  uint32_t s = seed;
  const auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return s >> 8;
  };
  const auto add = [&m](double x, double y, double z) {
    m.stations.insert(m.stations.end(), {x, y, z});
    return m.StationCount() - 1;
  };
  add(m.originX.AsDouble(), m.originY.AsDouble(), m.originZ.AsDouble());
  const auto row = [&m](int32_t n, const std::vector<int32_t>& stations) {
    const size_t at = m.lines.size();
    m.lines.resize(at + kLineColumns, 999999);
    m.lines[at] = n;
    for (size_t j = 0; j < stations.size(); ++j) m.lines[at + 1 + j] = stations[j];
  };
  for (int c = 0; c < chains; ++c) {
    const int32_t from = static_cast<int32_t>(next() % static_cast<uint32_t>(m.StationCount()));
    const int32_t shots = c == 0 ? 29 : 1 + static_cast<int32_t>(next() % 29);
    std::vector<int32_t> chain{from};
    double x = m.X(from), y = m.Y(from), z = m.Z(from);
    for (int32_t k = 0; k < shots; ++k) {
      x += (static_cast<double>(next() % 2001) - 1000.0) / 137.0;
      y += (static_cast<double>(next() % 2001) - 1000.0) / 139.0;
      z -= static_cast<double>(next() % 1001) / 251.0;
      chain.push_back(add(x, y, z));
    }
    row(shots, chain);
    if (c % 7 == 3) row(0, {chain.back()});
    if (c % 11 == 5) row(-1 - c % 3, {chain[0], chain[1]});
  }
  return m;
}

// The immediate-mode sequence: x and y less the axis position in double,
// then rounded to single precision; z as stored, lowered by the origin.
void ImmediateLines(GlApi& gl, const ViewState& v, const SurveyModel& m) {
  gl.Color3ub(static_cast<uint8_t>(v.LineColor.r), static_cast<uint8_t>(v.LineColor.g),
              static_cast<uint8_t>(v.LineColor.b));
  const float z = static_cast<float>(m.originZ.AsDouble());
  gl.Translatef(0, 0, -z);
  const double cx = v.CentreX.AsDouble(), cy = v.CentreY.AsDouble();
  for (int32_t i = 0; i < m.SurveyLineCount(); ++i) {
    const int32_t* line = m.Line(i);
    gl.Begin(Prim::LineStrip);
    for (int32_t j = 1; j <= line[0] + 1; ++j) {
      const int32_t p = line[j];
      gl.Vertex3f(static_cast<float>(m.X(p) - cx), static_cast<float>(m.Y(p) - cy),
                  static_cast<float>(m.Z(p)));
    }
    gl.End();
  }
  gl.Translatef(0, 0, z);
}

void Install(AppState& s, SurveyModel m) {
  ASSERT_TRUE(ApplyLoad(s, FinishLoad(std::move(m))));
  ViewState& v = s.view;
  v.AxisVisible = v.AxisMoveMode = v.ScaleVisible = v.WindRoseVisible = v.EntrancesVisible = false;
}

void KeepPair(const QImage& multi, const QImage& immediate, const std::string& name) {
  const std::string base = std::string(MV_ARTIFACT_DIR) + "/identity_" + name;
  multi.save(QString::fromStdString(base + "_multidraw.png"));
  immediate.save(QString::fromStdString(base + "_immediate.png"));
  ADD_FAILURE() << "pictures saved as " << base << "_{multidraw,immediate}.png";
}

// One renderer and one cache go through all the steps in turn, so a buffer
// or cache left stale by an earlier step shows as a difference.
TEST(LinePathIdentity, MultiDrawMatchesImmediateStripsThroughViewAndSurveyChanges) {
  OffscreenGl gl;
  ASSERT_EQ(gl.Error(), "");
  AppState state;
  SetStartParameters(state.view);
  Install(state, TestSurvey(7, 40));
  SceneCache cache;

  struct Step {
    std::string name;
    std::function<void(AppState&)> change;
  };
  const std::vector<Step> steps = {
      {"start_view", [](AppState&) {}},
      {"spun_tilted_turned",
       [](AppState& s) {
         s.view.TickCount = 137;
         s.view.TiltAngle = 35.0L;
         s.view.TurnAngle = -20.0L;
       }},
      {"axis_moved",
       [](AppState& s) {
         s.view.CentreX = static_cast<long double>(s.view.CentreX) + 7.3L;
         s.view.CentreY = static_cast<long double>(s.view.CentreY) - 4.1L;
       }},
      {"colour_low_bytes",
       [](AppState& s) {
         s.view.LineColor = {300, -1, 128};
       }},
      {"survey_replaced", [](AppState& s) { Install(s, TestSurvey(99, 25)); }},
      {"zoomed_in",
       [](AppState& s) { s.view.ZoomScale = static_cast<long double>(s.view.ZoomScale) * 3; }},
  };

  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.change(state);
    if (HasFatalFailure()) return;
    const ViewState& v = state.view;
    const SurveyModel& m = state.survey;
    const auto camera = [&](GlApi& api, const ViewState& shown) {
      SetProjection(api, kFrameWidth, kFrameHeight);
      DrawFrame(api, shown, m, cache);
    };
    const QImage multi = gl.Draw([&](GlApi& api) { camera(api, v); });
    ViewState bare = v;
    bare.LinesVisible = false;
    const QImage immediate = gl.Draw([&](GlApi& api) {
      camera(api, bare);
      ImmediateLines(api, v, m);
    });
    ASSERT_FALSE(multi.isNull());

    // Guard against two empty pictures agreeing.
    const QRgb ink = qRgb(v.LineColor.r & 0xff, v.LineColor.g & 0xff, v.LineColor.b & 0xff);
    int inked = 0;
    for (int y = 0; y < immediate.height(); ++y)
      for (int x = 0; x < immediate.width(); ++x)
        inked += (immediate.pixel(x, y) & 0xffffff) == (ink & 0xffffff);
    EXPECT_GT(inked, 500);

    if (multi != immediate) KeepPair(multi, immediate, step.name);
  }
}

}  // namespace
}  // namespace mv::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests at build time needs no display.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
