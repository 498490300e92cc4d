// The exact calls of each element drawer for small hand-made surveys.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "data/model_builder.h"
#include "gl_recorder.h"
#include "render/entrances.h"
#include "render/rotation_axis.h"
#include "render/scene_cache.h"
#include "render/simulation_scale.h"
#include "render/survey_lines.h"
#include "render/wind_rose.h"
#include "sequence_helpers.h"

namespace mv::test {
namespace {

// A survey 20 x 10 x 30 with its origin 10 above the scene's zero, the axis
// moved off the box centre, and colours whose components overflow a byte.
struct SmallSurvey {
  ViewState v;
  SurveyModel m;

  SmallSurvey() {
    SetStartParameters(v);
    v.Box.minX = -5, v.Box.maxX = 15;
    v.Box.minY = 0, v.Box.maxY = 10;
    v.Box.minZ = -20, v.Box.maxZ = 10;
    v.CentreX = 4, v.CentreY = 3;
    v.LineColor = {-1, 2, 258};
    v.AxisColor = {0x1FF, 0x100, 7};
    v.ScaleColor = {1, 2, 3};
    m.originZ = 10;
    m.stations = {-5, 0, 10, 15, 10, -20, 5, 5, -5};
    m.lines.assign(kLineColumns, 0);
    m.lines[0] = 2, m.lines[1] = 0, m.lines[2] = 2, m.lines[3] = 1;
    m.entranceCount = 2;
    m.entrances = {2, 0};
  }
};

TEST(DrawRotationAxis, LineAndArrowheadAtTheUpperEnd) {
  SmallSurvey s;
  GlRecorder gl;
  DrawRotationAxis(gl, s.v, s.m);
  // H = 30, e = 30 x 20 x 0.005 = 3: the axis runs from -23 to 13.
  ExpectSequence(gl.Lines(), {Colour(255, 0, 7), T(0, 0, -10), kLines, V(0, 0, 13), V(0, 0, -23),
                              kEnd, T(0, 0, 13), Cone(0.5, 30.0 / 17), T(0, 0, -13), T(0, 0, 10)});

  // 15 per cent: e = 30 x (-85) x 0.005 = -12.75; the cone keeps its size.
  s.v.AxisLengthPercent = 15;
  gl.ClearCalls();
  DrawRotationAxis(gl, s.v, s.m);
  ExpectSequence(gl.Lines(),
                 {Colour(255, 0, 7), T(0, 0, -10), kLines, V(0, 0, -2.75), V(0, 0, -7.25), kEnd,
                  T(0, 0, -2.75), Cone(0.5, 30.0 / 17), T(0, 0, 2.75), T(0, 0, 10)});
}

TEST(DrawRotationAxis, FlatSurveyGivesAnAxisOfNoLength) {
  SmallSurvey s;
  s.v.Box.minZ = 2, s.v.Box.maxZ = 2;
  GlRecorder gl;
  DrawRotationAxis(gl, s.v, s.m);
  ExpectSequence(gl.Lines(), {Colour(255, 0, 7), T(0, 0, -10), kLines, V(0, 0, 2), V(0, 0, 2), kEnd,
                              T(0, 0, 2), Cone(0, 0), T(0, 0, -2), T(0, 0, 10)});
}

TEST(DrawAxisPositionMarker, SurveyInMapCoordinatesGetsTheSameMarker) {
  auto record = [](long double east, long double north) {
    SmallSurvey s;
    s.v.Box.minX = s.v.Box.minX + east, s.v.Box.maxX = s.v.Box.maxX + east;
    s.v.Box.minY = s.v.Box.minY + north, s.v.Box.maxY = s.v.Box.maxY + north;
    s.v.CentreX = s.v.CentreX + east, s.v.CentreY = s.v.CentreY + north;
    s.v.OriginX = east, s.v.OriginY = north;
    GlRecorder gl;
    DrawAxisPositionMarker(gl, s.v, s.m);
    return gl.Lines();
  };
  ExpectSequence(record(482300, 5612400), record(0, 0));
}

TEST(DrawAxisPositionMarker, TwoUprightRectanglesThroughTheAxis) {
  SmallSurvey s;
  GlRecorder gl;
  DrawAxisPositionMarker(gl, s.v, s.m);
  // x from 1.2 x -5 - 4 to 1.2 x 15 - 4, y from 0 - 3 to 12 - 3, z from
  // -20 - 10 to 10 - 10.
  ExpectSequence(gl.Lines(), {Colour(255, 0, 7), kStrip, V(-10, 0, -30), V(14, 0, -30), V(14, 0, 0),
                              V(-10, 0, 0), V(-10, 0, -30), kEnd, kStrip, V(0, -3, -30),
                              V(0, 9, -30), V(0, 9, 0), V(0, -3, 0), V(0, -3, -30), kEnd});
}

TEST(DrawWindRose, NeedleCrossBarAndLetterUnderTheBoxCentre) {
  SmallSurvey s;
  GlRecorder gl;
  DrawWindRose(gl, s.v, s.m);
  // D = 10, centre (5 - 4, 5 - 3) = (1, 2), height -20 - 6 = -26.
  const double z = -26;
  ExpectSequence(gl.Lines(), {T(0, 0, -10),
                              Colour(1, 2, 3),
                              kStrip,
                              V(1, -1, z),
                              V(1, 5, z),
                              V(1.5, 2.5, z),
                              V(0.5, 2.5, z),
                              kEnd,
                              kLines,
                              V(-0.5, 1, z),
                              V(2.5, 1, z),
                              kEnd,
                              kStrip,
                              V(1.5, -0.5, z),
                              V(1.5, 0.75, z),
                              V(1.55, 0.75, z),
                              V(2.2, -0.35, z),
                              V(2.2, 0.75, z),
                              V(2.25, 0.75, z),
                              V(2.25, -0.5, z),
                              V(2.2, -0.5, z),
                              V(1.55, 0.6, z),
                              V(1.55, -0.5, z),
                              V(1.5, -0.5, z),
                              kEnd,
                              T(0, 0, 10)});
}

TEST(DrawEntrances, OneSphereOnEachEntranceStation) {
  SmallSurvey s;
  GlRecorder gl;
  DrawEntrances(gl, s.v, s.m);
  // Radius 0.02 x 10; stations 2 at (5, 5, -5) and 0 at (-5, 0, 10).
  ExpectSequence(gl.Lines(), {T(0, 0, -10), Colour(255, 2, 2), T(1, 2, -5), Sphere(0.2),
                              T(-1, -2, 5), T(-9, -3, 10), Sphere(0.2), T(9, 3, -10), T(0, 0, 10)});
}

TEST(DrawEntrances, NoneOrOnlyValidOnesStillSetTheColour) {
  SmallSurvey s;
  GlRecorder gl;
  for (int32_t count : {0, -1}) {
    s.m.entranceCount = count;
    gl.ClearCalls();
    DrawEntrances(gl, s.v, s.m);
    ExpectSequence(gl.Lines(), {T(0, 0, -10), Colour(255, 2, 2), T(0, 0, 10)});
  }
  // A damaged table: a row past the stations and a count past ten.
  s.m.entranceCount = 40;
  s.m.entrances = {3, 1, -7, 0, 0, 0, 0, 0, 0, 0};
  gl.ClearCalls();
  DrawEntrances(gl, s.v, s.m);
  EXPECT_EQ(gl.LinesOf({"SolidSphere"}).size(), 8u);
  EXPECT_EQ(gl.LinesOf({"Translatef"})[1], T(11, 7, -20));
}

// Everything up to the tick groups for the all-zero box.
std::vector<std::string> ZeroBoxAxes() {
  const std::string k = V(0, 0, 0);
  return {T(0, 0, 0),
          Colour(0, 255, 0),
          kLines,
          k,
          k,
          k,
          k,
          k,
          k,
          kEnd,
          T(0, 0, 0),
          Cone(0, 0),
          T(0, 0, 0),
          T(0, 0, 0),
          R(90, 0, 1, 0),
          Cone(0, 0),
          R(-90, 0, 1, 0),
          T(0, 0, 0),
          T(0, 0, 0),
          R(-90, 1, 0, 0),
          Cone(0, 0),
          R(90, 1, 0, 0),
          T(0, 0, 0)};
}

TEST(DrawSimulationScale, AllZeroBoxStillDrawsTheBarLabelledTenMetres) {
  ViewState v;
  SetStartParameters(v);
  SurveyModel m;
  GlRecorder gl;
  DrawSimulationScale(gl, v, m);
  std::vector<std::string> expected = ZeroBoxAxes();
  for (int group = 0; group < 6; ++group) expected.insert(expected.end(), {kLines, kEnd});
  expected.insert(expected.end(), {kLines, V(0, 2.9, 0), V(10, 2.9, 0), kEnd});
  for (int i = 0; i <= 10; ++i)
    expected.insert(expected.end(), {kLines, V(i, 2.9, 0), V(i, 3.5, 0), kEnd});
  expected.insert(expected.end(),
                  {kLines, V(0, 3.9, 0), V(0, 3.5, 0), V(10, 3.9, 0), V(10, 3.5, 0), kEnd,
                   // 0 on the left
                   kStrip, V(0.25, 3.7, 0), V(0.25, 4.3, 0), V(0.6, 4.3, 0), V(0.6, 3.7, 0),
                   V(0.25, 3.7, 0), kEnd,
                   // 1, 0, m on the right
                   kStrip, V(10.2, 3.7, 0), V(10.2, 4.3, 0), kEnd, kStrip, V(10.4, 3.7, 0),
                   V(10.4, 4.3, 0), V(10.7, 4.3, 0), V(10.7, 3.7, 0), V(10.4, 3.7, 0), kEnd, kStrip,
                   V(10.8, 3.7, 0), V(10.8, 4, 0), V(11, 4, 0), V(11, 3.7, 0), kEnd, kStrip,
                   V(11, 4, 0), V(11.2, 4, 0), V(11.2, 3.7, 0), kEnd, T(0, 0, 0)});
  ExpectSequence(gl.Lines(), expected);

  // Without the graduation nothing follows the ticks but the closing move.
  v.GraduationVisible = false;
  gl.ClearCalls();
  DrawSimulationScale(gl, v, m);
  expected = ZeroBoxAxes();
  for (int group = 0; group < 6; ++group) expected.insert(expected.end(), {kLines, kEnd});
  expected.push_back(T(0, 0, 0));
  ExpectSequence(gl.Lines(), expected);
}

TEST(DrawSimulationScale, AxesTicksAndBarOfAHundredMetreSurvey) {
  ViewState v;
  SetStartParameters(v);
  v.Box.minX = 0, v.Box.maxX = 100;
  v.Box.minY = 0, v.Box.maxY = 50;
  v.Box.minZ = -50, v.Box.maxZ = 0;
  v.CentreX = 50, v.CentreY = 25;
  SurveyModel m;
  m.originZ = 7;
  GlRecorder gl;
  DrawSimulationScale(gl, v, m);

  // Padded box x -20..120, y -10..60, z -60..10; shortest side 70, step 5.
  // Less the axis position the corner is (-70, -35, -60).
  const double cone = 50.0 / 60, tall = 50.0 / 17;
  std::vector<std::string> e = {
      T(0, 0, -7),      Colour(0, 255, 0), kLines,           V(-70, -35, -60), V(70, -35, -60),
      V(-70, -35, -60), V(-70, 35, -60),   V(-70, -35, -60), V(-70, -35, 10),  kEnd,
      T(-70, -35, 10),  Cone(cone, tall),  T(70, 35, -10),   T(70, -35, -60),  R(90, 0, 1, 0),
      Cone(cone, tall), R(-90, 0, 1, 0),   T(-70, 35, 60),   T(-70, 35, -60),  R(-90, 1, 0, 0),
      Cone(cone, tall), R(90, 1, 0, 0),    T(70, -35, 60)};
  // Minor ticks 4.5 long every 5, major ones from 4.5 to 9 every 25.
  e.push_back(kLines);
  for (int k = -4; k <= 23; ++k)
    e.insert(e.end(), {V(5 * k - 50, -35, -60), V(5 * k - 50, -30.5, -60)});
  e.insert(e.end(), {kEnd, kLines});
  for (int k = -2; k <= 11; ++k)
    e.insert(e.end(), {V(-70, 5 * k - 25, -60), V(-65.5, 5 * k - 25, -60)});
  e.insert(e.end(), {kEnd, kLines});
  for (int k = -12; k <= 1; ++k) e.insert(e.end(), {V(-70, -35, 5 * k), V(-65.5, -35, 5 * k)});
  e.insert(e.end(), {kEnd, kLines});
  for (int k = 0; k <= 3; ++k)
    e.insert(e.end(), {V(25 * k - 50, -30.5, -60), V(25 * k - 50, -26, -60)});
  e.insert(e.end(), {kEnd, kLines});
  for (int k = 0; k <= 1; ++k)
    e.insert(e.end(), {V(-65.5, 25 * k - 25, -60), V(-61, 25 * k - 25, -60)});
  e.insert(e.end(), {kEnd, kLines});
  for (int k = -2; k <= -1; ++k) e.insert(e.end(), {V(-65.5, -35, 25 * k), V(-61, -35, 25 * k)});
  e.push_back(kEnd);
  // The bar from survey x 0 to 50 at y = -10 + t x 5, less the axis position.
  e.insert(e.end(), {kLines, V(-50, -20.5, -60), V(0, -20.5, -60), kEnd});
  for (int i = 0; i <= 10; ++i)
    e.insert(e.end(), {kLines, V(5 * i - 50, -20.5, -60), V(5 * i - 50, -17.5, -60), kEnd});
  e.insert(e.end(),
           {kLines, V(-50, -15.5, -60), V(-50, -17.5, -60), V(0, -15.5, -60), V(0, -17.5, -60),
            kEnd, kStrip, V(-48.75, -16.5, -60), V(-48.75, -13.5, -60), V(-47, -13.5, -60),
            V(-47, -16.5, -60), V(-48.75, -16.5, -60), kEnd,
            // 50m: 5 at 10.2, 0 at 10.7, m at 11.2
            kStrip, V(1, -16.5, -60), V(2.5, -16.5, -60), V(2.5, -15, -60), V(1, -15, -60),
            V(1, -13.5, -60), V(2.5, -13.5, -60), kEnd, kStrip, V(3.5, -16.5, -60),
            V(3.5, -13.5, -60), V(5, -13.5, -60), V(5, -16.5, -60), V(3.5, -16.5, -60), kEnd,
            kStrip, V(6, -16.5, -60), V(6, -15, -60), V(7, -15, -60), V(7, -16.5, -60), kEnd,
            kStrip, V(7, -15, -60), V(8, -15, -60), V(8, -16.5, -60), kEnd, T(0, 0, 7)});
  ExpectSequence(gl.Lines(), e);
}

// A survey in map coordinates has its origin far from x = 0; its bar must
// still lie beside the cave, exactly where it lies for the same survey kept
// near zero.
TEST(DrawSimulationScale, BarOfASurveyInMapCoordinatesLiesBesideTheCave) {
  auto record = [](long double east, long double north) {
    ViewState v;
    SetStartParameters(v);
    v.Box.minX = east, v.Box.maxX = east + 100;
    v.Box.minY = north, v.Box.maxY = north + 50;
    v.Box.minZ = -50, v.Box.maxZ = 0;
    v.CentreX = east + 50, v.CentreY = north + 25;
    SurveyModel m;
    m.originX = east, m.originY = north, m.originZ = 7;
    GlRecorder gl;
    DrawSimulationScale(gl, v, m);
    // The bar begins with the eighth line group, after the axes and the six
    // tick groups (whose ticks sit at whole multiples of the outer frame).
    std::vector<std::string> lines = gl.Lines();
    auto it = lines.begin();
    for (int group = 0; group < 8; ++group) it = std::find(it + (group > 0), lines.end(), kLines);
    return std::vector<std::string>(it, lines.end());
  };
  const std::vector<std::string> bar = record(0, 0);
  ASSERT_EQ(bar.size(), 88u);
  ExpectSequence(record(482300, 5612400), bar);
}

TEST(SceneCache, DepthRangeOfUndergroundLegsAndPickableStationsOfDrawnOnes) {
  ModelBuilder b;
  b.Leg({0, 0, 100}, {10, 0, 60});               // a passage
  b.Leg({0, 0, 100}, {0, 0, 140}, kLegSurface);  // up to a GPS point
  b.Leg({10, 0, 60}, {10, 2, 20}, kLegSplay);    // down to the floor
  const SurveyModel m = b.Finish("");
  SceneCache cache;
  cache.SurveyLines(m, 0.0L, 0.0L);
  EXPECT_TRUE(cache.Depths().valid);
  EXPECT_EQ(cache.Depths().top, 100);
  EXPECT_EQ(cache.Depths().bottom, 60);

  ViewState v;
  v.Splays = LegShow::Faded;
  v.SurfaceLegs = LegShow::Hidden;
  EXPECT_EQ(cache.LineStations(m, v).size(), 3u);  // the splay's end, not the GPS point
  v.Splays = LegShow::Hidden;
  EXPECT_EQ(cache.LineStations(m, v).size(), 2u);
  v.SurfaceLegs = v.Splays = LegShow::Shown;
  EXPECT_EQ(cache.LineStations(m, v).size(), 4u);
}

// The segments each colour draws, as letters naming the legs: one group per
// Color3ub, with "*" after the colour where the shades are scaled.
std::map<std::string, std::string> SegmentsByColour(const GlRecorder& gl,
                                                    const std::map<std::string, char>& legs) {
  std::map<std::string, std::string> out;
  std::string colour, first;
  for (const std::string& line : gl.Lines()) {
    if (line.rfind("Color3ub", 0) == 0) colour = line;
    if (line.rfind("ShadeScale", 0) == 0) colour += "*";
    if (line.rfind("Vertex3f", 0) != 0) continue;
    if (first.empty()) {
      first = line;
      continue;
    }
    const auto leg = legs.find(first + "|" + line);
    out[colour] += leg == legs.end() ? '?' : leg->second;
    first.clear();
  }
  for (auto& [c, names] : out) std::sort(names.begin(), names.end());
  return out;
}

TEST(DrawSurveyLines, EachKindOfLegShownFadedOrLeftOut) {
  ModelBuilder b;
  b.Leg({0, 0, 0}, {10, 0, 0});                            // L: a leg
  b.Leg({10, 0, 0}, {20, 0, 0}, kLegDuplicate);            // D: drawn as a leg
  b.Leg({10, 0, 0}, {10, 2, 0}, kLegSplay);                // S
  b.Leg({0, 0, 0}, {0, 0, 30}, kLegSurface);               // U
  b.Leg({0, 0, 30}, {3, 0, 30}, kLegSurface | kLegSplay);  // B: both kinds
  const SurveyModel m = b.Finish("");
  const std::map<std::string, char> legs = {{V(0, 0, 0) + "|" + V(10, 0, 0), 'L'},
                                            {V(10, 0, 0) + "|" + V(20, 0, 0), 'D'},
                                            {V(10, 0, 0) + "|" + V(10, 2, 0), 'S'},
                                            {V(0, 0, 0) + "|" + V(0, 0, 30), 'U'},
                                            {V(0, 0, 30) + "|" + V(3, 0, 30), 'B'}};
  const std::string line = Colour(200, 10, 255), faded = Colour(50, 3, 64);
  using enum LegShow;
  struct Row {
    LegShow splays, surface;
    std::string shown, fadedLegs;
  } rows[] = {
      {Faded, Hidden, "DL", "S"},  {Hidden, Faded, "DL", "U"}, {Faded, Faded, "DL", "BSU"},
      {Shown, Faded, "DLS", "BU"}, {Shown, Hidden, "DLS", ""}, {Hidden, Hidden, "DL", ""},
  };
  for (const bool depth : {false, true}) {
    for (const Row& r : rows) {
      SCOPED_TRACE(std::to_string(int(r.splays)) + " " + std::to_string(int(r.surface)) +
                   (depth ? " by depth" : ""));
      ViewState v;
      v.LineColor = {200, 10, 0x1FF};
      v.Splays = r.splays;
      v.SurfaceLegs = r.surface;
      v.DepthColours = depth;
      SceneCache cache;
      GlRecorder gl;
      DrawSurveyLines(gl, v, m, cache);
      std::map<std::string, std::string> expected{{line, r.shown}};
      if (!r.fadedLegs.empty()) expected[faded + (depth ? "*" : "")] = r.fadedLegs;
      EXPECT_EQ(SegmentsByColour(gl, legs), expected);
      EXPECT_TRUE(gl.LinesOf({"Begin LineStrip"}).empty());
      if (depth) {
        EXPECT_EQ(gl.LinesOf({"Shade"}).size(), 2 * (r.shown + r.fadedLegs).size());
      }
    }
  }
  // Every kind shown: one batch of strips, as for a survey of legs alone.
  ViewState v;
  v.Splays = v.SurfaceLegs = Shown;
  SceneCache cache;
  GlRecorder gl;
  DrawSurveyLines(gl, v, m, cache);
  EXPECT_EQ(gl.LinesOf({"Begin LineStrip"}).size(), 5u);
  EXPECT_TRUE(gl.LinesOf({"Begin Lines"}).empty());
}

}  // namespace
}  // namespace mv::test
