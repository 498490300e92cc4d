// The frame's camera and motion, and that every drawer leaves the model-view
// matrix as it found it, alone and in every combination.
#include "render/frame.h"

#include <gtest/gtest.h>

#include <QColor>
#include <algorithm>
#include <array>
#include <functional>
#include <string>

#include "gl_recorder.h"
#include "render/depth_colours.h"
#include "render/entrances.h"
#include "render/overlays.h"
#include "render/rotation_axis.h"
#include "render/scene_cache.h"
#include "render/simulation_scale.h"
#include "render/survey_lines.h"
#include "render/wind_rose.h"
#include "sequence_helpers.h"
#include "view/picking.h"

namespace mv::test {
namespace {

void AllOff(ViewState& v) {
  v.LinesVisible = v.AxisVisible = v.AxisMoveMode = v.ScaleVisible = v.WindRoseVisible =
      v.EntrancesVisible = false;
}

TEST(DrawFrame, StartParametersWithNothingVisibleSetOnlyTheCamera) {
  ViewState v;
  SetStartParameters(v);
  AllOff(v);
  SceneCache cache;
  GlRecorder gl;
  DrawFrame(gl, v, PlaceholderModel(), cache);
  const float s = 0.102f;  // 0.12 - 0.018
  ExpectSequence(gl.Lines(),
                 {"ClearColor 0 0 0 1", "Clear", "MatrixMode 0", "LoadIdentity", T(0, 11, 0),
                  "LookAt 65 0 0 60 0.0001 0.0001 0 0 1", R(0, 0, 0, 1), R(0.0001, 0, 1, 0),
                  R(0, 0, 0, 1), Call("Scalef", {s, s, s}), "EnableDepthTest"});
}

TEST(DrawFrame, TiltAxisFollowsTheSpinSoTheTiltLooksTheSame) {
  for (int32_t tick : {0, 90, 1234}) {
    SCOPED_TRACE(tick);
    ViewState v;
    SetStartParameters(v);
    AllOff(v);
    v.TickCount = tick;
    v.TiltAngle = 30;
    v.TurnAngle = 15;
    SceneCache cache;
    GlRecorder gl;
    DrawFrame(gl, v, PlaceholderModel(), cache);
    const std::vector<GlCall> rotations = [&] {
      std::vector<GlCall> r;
      for (const GlCall& c : gl.calls)
        if (c.op == "Rotatef") r.push_back(c);
      return r;
    }();
    ASSERT_EQ(rotations.size(), 3u);
    EXPECT_FLOAT_EQ(float(rotations[0].args[0]), float(tick));
    if (tick == 0) {
      EXPECT_EQ(GlRecorder::Line(rotations[1]), R(30, 0, 1, 0));
    }
    if (tick == 90) {
      EXPECT_NEAR(rotations[1].args[1], 1, 1e-7);
      EXPECT_NEAR(rotations[1].args[2], 0, 1e-7);
    }
    // Spin then tilt about the carried axis equals a tilt about the fixed y
    // axis after the spin.
    GlRecorder ref;
    ref.Translatef(0, 11, 0);
    ref.LookAt(65, 0, 0, 60, double(v.TargetY.AsDouble()), double(v.TargetZ.AsDouble()), 0, 0, 1);
    ref.Rotatef(30, 0, 1, 0);
    ref.Rotatef(float(tick), 0, 0, 1);
    ref.Rotatef(15, 0, 0, 1);
    const float s = float(static_cast<long double>(v.ZoomScale) - 0.018L);
    ref.Scalef(s, s, s);
    EXPECT_LT(MatrixDistance(gl.ModelView(), ref.ModelView()), 1e-6);
  }
}

// A survey with a far origin and the axis moved, and every element showing.
struct Scene {
  ViewState v;
  SurveyModel m;
  SceneCache cache;
};

Scene SmallScene() {
  Scene s;
  SetStartParameters(s.v);
  s.m.originX = 10, s.m.originY = -20, s.m.originZ = 250;
  for (int i = 0; i < 12; ++i)
    s.m.stations.insert(s.m.stations.end(), {10.0 + 3 * i, -20.0 + (i % 4) * 2.5, 250.0 - 4 * i});
  s.m.lines.assign(2 * kLineColumns, 0);
  s.m.lines[0] = 7;
  for (int j = 1; j <= 8; ++j) s.m.lines[j] = j - 1;
  s.m.lines[kLineColumns] = 4;
  for (int j = 1; j <= 5; ++j) s.m.lines[kLineColumns + j] = 6 + j;
  s.m.entranceCount = 2;
  s.m.entrances = {0, 11};
  s.m.generation = 1;
  s.v.Box = ComputeExtents(s.m);
  s.v.CentreX = 26.25L, s.v.CentreY = -17.5L;
  s.v.LinesVisible = s.v.AxisMoveMode = true;
  s.v.TickCount = 77;
  s.v.TiltAngle = 12.5L;
  return s;
}

// Coordinates of the size of map grid references, where a translation that
// is not undone exactly would show at once.
Scene FarScene() {
  Scene s = SmallScene();
  for (size_t i = 0; i < s.m.stations.size(); i += 3) {
    s.m.stations[i] += 500000.3;
    s.m.stations[i + 1] += 5500000.7;
    s.m.stations[i + 2] += 1234.56;
  }
  s.m.originX = 500010.3, s.m.originY = 5499980.7, s.m.originZ = 1484.56;
  s.v.Box = ComputeExtents(s.m);
  s.v.CentreX = 500026.11L, s.v.CentreY = 5499982.33L;
  return s;
}

using Drawer = std::function<void(GlApi&, Scene&)>;

const std::pair<const char*, Drawer> kDrawers[] = {
    {"lines", [](GlApi& gl, Scene& s) { DrawSurveyLines(gl, s.v, s.m, s.cache); }},
    {"axis", [](GlApi& gl, Scene& s) { DrawRotationAxis(gl, s.v, s.m); }},
    {"marker", [](GlApi& gl, Scene& s) { DrawAxisPositionMarker(gl, s.v, s.m); }},
    {"scale", [](GlApi& gl, Scene& s) { DrawSimulationScale(gl, s.v, s.m); }},
    {"rose", [](GlApi& gl, Scene& s) { DrawWindRose(gl, s.v, s.m); }},
    {"entrances", [](GlApi& gl, Scene& s) { DrawEntrances(gl, s.v, s.m); }},
};

TEST(Drawers, LeaveTheModelViewMatrixAsFound) {
  struct Case {
    const char* name;
    std::function<void(Scene&)> change;
  };
  const Case cases[] = {
      {"small", [](Scene&) {}},
      {"far", [](Scene& s) { s = FarScene(); }},
      {"empty box", [](Scene& s) { s.v.Box = Extents{}, s.v.CentreX = 0, s.v.CentreY = 0; }},
      {"short axis", [](Scene& s) { s.v.AxisLengthPercent = 15; }},
      {"long axis", [](Scene& s) { s.v.AxisLengthPercent = 300; }},
      {"no graduation", [](Scene& s) { s.v.GraduationVisible = false; }},
      {"ten entrances",
       [](Scene& s) { s.m.entranceCount = 10, s.m.entrances = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}; }},
  };
  // A camera matrix far from the identity to start from.
  GlRecorder camera;
  camera.Translatef(0, 11, 0);
  camera.LookAt(65, 0, 0, 60, 0.0001, 0.0001, 0, 0, 1);
  camera.Rotatef(33, 0, 0, 1);
  camera.Rotatef(20, 0.5f, 0.8660254f, 0);
  camera.Scalef(0.102f, 0.102f, 0.102f);
  for (const Case& c : cases) {
    Scene s = SmallScene();
    c.change(s);
    for (const auto& [name, draw] : kDrawers) {
      SCOPED_TRACE(std::string(c.name) + " / " + name);
      GlRecorder gl;
      gl.SetModelView(camera.ModelView());
      draw(gl, s);
      EXPECT_LT(MatrixDistance(gl.ModelView(), camera.ModelView()), 1e-15L);
    }
  }
}

TEST(DrawFrame, EveryCombinationIsTheSingleDrawersInOrderOverTheSameCamera) {
  Scene s = SmallScene();
  const auto frame = [&](int mask) {
    s.v.LinesVisible = mask & 1;
    s.v.AxisVisible = mask & 2;
    s.v.AxisMoveMode = mask & 4;
    s.v.ScaleVisible = mask & 8;
    s.v.WindRoseVisible = mask & 16;
    s.v.EntrancesVisible = mask & 32;
    GlRecorder gl;
    DrawFrame(gl, s.v, s.m, s.cache);
    return gl;
  };
  const GlRecorder bare = frame(0);
  const std::vector<std::string> camera = bare.Lines();
  std::vector<std::string> single[6];
  for (int i = 0; i < 6; ++i) {
    const std::vector<std::string> all = frame(1 << i).Lines();
    single[i].assign(all.begin() + static_cast<long>(camera.size()), all.end());
    ASSERT_FALSE(single[i].empty()) << kDrawers[i].first;
  }
  for (int mask = 0; mask < 64; ++mask) {
    SCOPED_TRACE(mask);
    const GlRecorder gl = frame(mask);
    std::vector<std::string> expected = camera;
    for (int i = 0; i < 6; ++i)
      if (mask & (1 << i)) expected.insert(expected.end(), single[i].begin(), single[i].end());
    ExpectSequence(gl.Lines(), expected);
    EXPECT_LT(MatrixDistance(gl.ModelView(), bare.ModelView()), 1e-15L);
  }
}

TEST(DrawFrame, DepthColoursShadeEveryVertexByItsHeightAndAddTheLegend) {
  // The small scene runs from 250 m down to 206 m in steps of 4 m.
  Scene s = SmallScene();
  s.v.AxisMoveMode = false;
  const PictureGeometry picture{780, 591, 776, 539, 33, 1};
  GlRecorder plain;
  DrawFrame(plain, s.v, s.m, s.cache, &picture);
  s.v.DepthColours = true;
  GlRecorder coloured;
  DrawFrame(coloured, s.v, s.m, s.cache, &picture);

  const std::vector<std::string> shades = coloured.LinesOf({"Shade"});
  ASSERT_EQ(shades.size(), 13u);  // 8 + 5 vertices
  const int rows[] = {0, 1, 2, 3, 4, 5, 6, 7, 7, 8, 9, 10, 11};
  for (size_t i = 0; i < shades.size(); ++i)
    EXPECT_EQ(shades[i], Call("Shade", {float(4.0 * rows[i] / 44)}));
  // The same lines and camera; the legend comes last, at the right edge.
  EXPECT_EQ(plain.LinesOf({"Vertex3f", "Translatef", "Rotatef"}),
            coloured.LinesOf({"Vertex3f", "Translatef", "Rotatef"}));
  const LegendPlace place = PlaceDepthLegend(s.v, picture);
  EXPECT_EQ(coloured.Lines().back(),
            Call("DrawOverlay", {float(place.x), float(place.y), kLegendWidth, kLegendHeight}));
  // The entrances' names come before it, the same in both.
  std::vector<std::string> overlays = coloured.LinesOf({"DrawOverlay"});
  overlays.pop_back();
  EXPECT_EQ(plain.LinesOf({"DrawOverlay"}), overlays);
  EXPECT_EQ(MetresText(1523.44), "1523,4 m");
  EXPECT_EQ(MetresText(-0.01), "0,0 m");

  // Without the picture's size, or with the lines and entrances hidden,
  // nothing over the scene.
  GlRecorder bare;
  DrawFrame(bare, s.v, s.m, s.cache);
  s.v.LinesVisible = s.v.EntrancesVisible = false;
  DrawFrame(bare, s.v, s.m, s.cache, &picture);
  EXPECT_TRUE(bare.LinesOf({"DrawOverlay"}).empty());
}

TEST(DepthColour, RampRunsThroughFiveClearlyDifferentHues) {
  // Red, yellow, green, cyan, blue from the top down: each hue at least 40
  // degrees on from the one above.
  int previous = -1000;
  for (const double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
    const Rgb c = DepthColour(t);
    const int hue = QColor(c.r, c.g, c.b).hsvHue();
    EXPECT_GE(hue, previous + 40) << t;
    previous = hue;
  }
}

// A spinning picture's names: placed afresh every fourth frame, carried with
// their stations in between; a stopped spin or another change of the view
// places them afresh at once.
TEST(FrameLabels, ASpinCarriesThemWithTheirStationsBetweenPlacings) {
  SurveyModel m;
  for (int i = 0; i < 40; ++i) {
    m.stations.insert(m.stations.end(), {40.0 * (i % 8), 60.0 * (i / 8), 5.0 * (i % 3)});
    m.stationNames.Append("s" + std::to_string(i));
  }
  for (int first = 0; first < 40; first += 8) {
    std::array<int32_t, kLineColumns> row{};
    row[0] = 7;
    for (int k = 0; k < 8; ++k) row[static_cast<size_t>(k + 1)] = first + k;
    m.lines.insert(m.lines.end(), row.begin(), row.end());
  }
  m.generation = NextModelGeneration();
  ViewState v;
  SetStartParameters(v);
  v.Box = ComputeExtents(m);
  v.CentreX = 140, v.CentreY = 120;
  v.ZoomScale = 0.25L;
  v.LinesVisible = v.StationNamesVisible = true;
  const PictureGeometry picture{780, 591, 780, 591, 33, 1};
  const auto fresh = [&](const ViewState& at) {
    SceneCache cache;
    return FrameLabels(at, m, cache, picture);
  };
  const auto same = [](const std::vector<PlacedLabel>& a, const std::vector<PlacedLabel>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (a[i].row != b[i].row || a[i].left != b[i].left || a[i].top != b[i].top) return false;
    return true;
  };
  SceneCache cache;
  const std::vector<PlacedLabel> placed = FrameLabels(v, m, cache, picture);
  ASSERT_GT(placed.size(), 5u);
  const ViewState start = v;
  for (int frame = 1; frame <= kCarriedLabelFrames; ++frame) {
    SCOPED_TRACE(frame);
    v.TickCount += 3;
    const std::vector<PlacedLabel>& carried = FrameLabels(v, m, cache, picture);
    EXPECT_FALSE(same(carried, fresh(v)));
    for (const PlacedLabel& l : carried) {
      const auto was = std::find_if(placed.begin(), placed.end(),
                                    [&](const PlacedLabel& p) { return p.row == l.row; });
      ASSERT_NE(was, placed.end());
      const PicturePoint before = StationOnPicture(start, m, picture, l.row);
      const PicturePoint now = StationOnPicture(v, m, picture, l.row);
      EXPECT_NEAR(l.left - now.x, was->left - before.x, 1e-9);
      EXPECT_NEAR(l.top - now.y, was->top - before.y, 1e-9);
      EXPECT_GE(l.top, picture.toolbar);
    }
  }
  v.TickCount += 3;
  EXPECT_TRUE(same(FrameLabels(v, m, cache, picture), fresh(v)));
  v.SpinStopped = true;
  v.TickCount += 3;
  EXPECT_TRUE(same(FrameLabels(v, m, cache, picture), fresh(v)));
  v.SpinStopped = false;
  v.TickCount += 3;
  FrameLabels(v, m, cache, picture);
  v.ZoomScale = 0.3L;
  EXPECT_TRUE(same(FrameLabels(v, m, cache, picture), fresh(v)));
}

}  // namespace
}  // namespace mv::test
