// The fast paths of the production seam must give exactly the pixels of the
// immediate-mode calls they stand for: the survey lines drawn in one call from
// the cached vertex and index buffers against one glBegin(GL_LINE_STRIP) ...
// glEnd per survey-line row with the same single-precision vertices, and the
// solids replayed from display lists against GLU drawing them afresh.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/loader.h"
#include "forwarding_gl.h"
#include "render/frame.h"
#include "render/gl_real.h"
#include "render/offscreen_frame.h"
#include "render/scene_cache.h"
#include "view/survey_loading.h"

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

// Forwards every call, except that the solids are drawn by GLU afresh each
// time, as immediate-mode calls.
class ImmediateSolids final : public ForwardingGl {
 public:
  using ForwardingGl::ForwardingGl;
  void SolidCone(double radius, double height) override {
    if (!(radius > 0) || !(height > 0)) return;
    GLUquadric* q = NewQuadric();
    gluCylinder(q, radius, 0.0, height, RealGl::kSolidSlices, RealGl::kConeStacks);
    gluDisk(q, 0.0, radius, RealGl::kSolidSlices, 1);
    gluDeleteQuadric(q);
  }
  void SolidSphere(double radius) override {
    if (!(radius > 0)) return;
    GLUquadric* q = NewQuadric();
    gluSphere(q, radius, RealGl::kSolidSlices, RealGl::kSolidStacks);
    gluDeleteQuadric(q);
  }

 private:
  static GLUquadric* NewQuadric() {
    GLUquadric* q = gluNewQuadric();
    gluQuadricDrawStyle(q, GLU_FILL);
    gluQuadricNormals(q, GLU_NONE);
    return q;
  }
};

void Install(AppState& s, SurveyModel m, bool allElements) {
  ASSERT_TRUE(ApplyLoad(s, FinishLoad(std::move(m))));
  ViewState& v = s.view;
  v.AxisVisible = v.AxisMoveMode = v.ScaleVisible = v.GraduationVisible = v.WindRoseVisible =
      v.EntrancesVisible = allElements;
}

struct Step {
  std::string name;
  std::function<void(AppState&)> change;
};

using Drawing = std::function<void(GlApi&, const AppState&)>;

// Applies the steps in turn and draws each picture both ways. One renderer
// and one cache serve all the steps, so a buffer, cache or list left stale by
// an earlier step shows as a difference.
void ExpectSamePictures(AppState& state, const std::vector<Step>& steps, const char* fastName,
                        const Drawing& fast, const Drawing& reference) {
  OffscreenGl gl;
  ASSERT_EQ(gl.Error(), "");
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.change(state);
    if (::testing::Test::HasFatalFailure()) return;
    const QImage quick = gl.Draw([&](GlApi& api) { fast(api, state); });
    const QImage plain = gl.Draw([&](GlApi& api) { reference(api, state); });
    ASSERT_FALSE(quick.isNull());

    // Guard against two empty pictures agreeing.
    int inked = 0;
    for (int y = 0; y < plain.height(); ++y)
      for (int x = 0; x < plain.width(); ++x) inked += (plain.pixel(x, y) & 0xffffff) != 0;
    EXPECT_GT(inked, 500);

    if (quick != plain) {
      const std::string base = std::string(MV_ARTIFACT_DIR) + "/identity_" + step.name;
      quick.save(QString::fromStdString(base + "_" + fastName + ".png"));
      plain.save(QString::fromStdString(base + "_immediate.png"));
      ADD_FAILURE() << "pictures differ; saved as " << base << "_{" << fastName
                    << ",immediate}.png";
    }
  }
}

void Camera(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache) {
  SetProjection(gl, kOuterWidth, kOuterHeight);
  DrawFrame(gl, v, m, cache);
}

TEST(FastPathIdentity, SurveyLinesFromBufferMatchImmediateStripsThroughViewAndSurveyChanges) {
  AppState state;
  SetStartParameters(state.view);
  Install(state, TestSurvey(7, 40), false);
  SceneCache cache;
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
      {"survey_replaced", [](AppState& s) { Install(s, TestSurvey(99, 25), false); }},
      {"zoomed_in",
       [](AppState& s) { s.view.ZoomScale = static_cast<long double>(s.view.ZoomScale) * 3; }},
  };
  ExpectSamePictures(
      state, steps, "buffered",
      [&](GlApi& gl, const AppState& s) { Camera(gl, s.view, s.survey, cache); },
      [&](GlApi& gl, const AppState& s) {
        ViewState bare = s.view;
        bare.LinesVisible = false;
        Camera(gl, bare, s.survey, cache);
        ImmediateLines(gl, s.view, s.survey);
      });
}

// The whole frame, every element on. The fast side draws each picture twice,
// so the second one replays the lists the first recorded.
TEST(FastPathIdentity, SolidsFromDisplayListsMatchGluThroughViewAndSurveyChanges) {
  AppState state;
  SetStartParameters(state.view);
  Install(state, TestSurvey(7, 40), true);
  SceneCache cache;
  std::vector<Step> steps = {
      {"solids_start_view", [](AppState&) {}},
      {"solids_spun_tilted",
       [](AppState& s) {
         s.view.TickCount = 61;
         s.view.TiltAngle = -40.0L;
       }},
      {"solids_axis_longer", [](AppState& s) { s.view.AxisLengthPercent = 190; }},
  };
  // More surveys, and so more sizes of solids, than the renderer keeps lists
  // of.
  for (uint32_t k = 0; k < 12; ++k)
    steps.push_back({"solids_survey_" + std::to_string(k), [k](AppState& s) {
                       Install(s, TestSurvey(100 + k, 10 + static_cast<int>(k)), true);
                       s.view.TickCount = static_cast<int32_t>(29 * k);
                     }});
  steps.push_back(
      {"solids_first_survey_again", [](AppState& s) { Install(s, TestSurvey(7, 40), true); }});
  ExpectSamePictures(
      state, steps, "lists",
      [&](GlApi& gl, const AppState& s) {
        Camera(gl, s.view, s.survey, cache);
        Camera(gl, s.view, s.survey, cache);
      },
      [&](GlApi& gl, const AppState& s) {
        ImmediateSolids plain(gl);
        Camera(plain, s.view, s.survey, cache);
      });
}

}  // namespace
}  // namespace mv::test
