// The walls as a scene element: drawn first and then out of the lines' way,
// at a detail that follows their size on the picture, coloured like the
// lines, and as filled shapes in the vector frame.
#include "render/passage_walls.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "gl_recorder.h"
#include "render/frame.h"
#include "render/scene_cache.h"
#include "render/vector_frame.h"

namespace mv::test {
namespace {

// A winding passage of twelve stations, a side passage, sizes at each.
struct Scene {
  ViewState v;
  SurveyModel m;
  SceneCache cache;
};

void MakeScene(Scene& s) {
  SetStartParameters(s.v);
  s.m.originX = 10, s.m.originY = -20, s.m.originZ = 250;
  for (int i = 0; i < 12; ++i)
    s.m.stations.insert(s.m.stations.end(), {10.0 + 3 * i, -20.0 + (i % 4) * 2.5, 250.0 - 4 * i});
  s.m.lines.assign(kLineColumns, 0);
  s.m.lines[0] = 11;
  for (int j = 1; j <= 12; ++j) s.m.lines[j] = j - 1;
  for (int i = 0; i < 12; ++i)
    s.m.sections.push_back({i, 1.0f, 1.2f, 1.5f, 0.5f, uint8_t(i == 11 ? kSectionEnd : 0)});
  s.m.generation = NextModelGeneration();
  s.v.Box = ComputeExtents(s.m);
  s.v.CentreX = 26.25L, s.v.CentreY = -17.5L;
  s.v.LinesVisible = s.v.EntrancesVisible = s.v.WallsVisible = true;
  s.v.TickCount = 77;
  s.v.TiltAngle = 12.5L;
  s.v.ZoomScale = 0.8L;
}

TEST(PassageWallsDrawer, DrawnFirstThenOutOfTheLinesWayLeavingAllElseAsItWas) {
  Scene s;
  MakeScene(s);
  GlRecorder with;
  DrawFrame(with, s.v, s.m, s.cache);
  const std::vector<std::string> calls = with.Lines();
  const auto at = [&](const std::string& op) {
    return std::find_if(calls.begin(), calls.end(),
                        [&](const std::string& c) { return c.rfind(op, 0) == 0; }) -
           calls.begin();
  };
  // After the camera, before the lines: the walls, then the depth cleared.
  EXPECT_LT(at("EnableDepthTest"), at("DrawWalls"));
  EXPECT_EQ(at("DrawWalls") + 1, at("ClearDepth"));
  EXPECT_LT(at("ClearDepth"), at("LineStrips"));
  ASSERT_LT(at("DrawWalls"), static_cast<ptrdiff_t>(calls.size()));
  const GlCall& walls = with.calls[static_cast<size_t>(at("DrawWalls"))];
  // Not shaded: the lines' red, lighter; shifted from the origin to the axis.
  EXPECT_EQ(walls.args[4], 0);
  const Rgb lighter = WallShade(s.v.LineColor);
  EXPECT_EQ((Rgb{int(walls.args[5]), int(walls.args[6]), int(walls.args[7])}), lighter);
  EXPECT_GT(lighter.g, s.v.LineColor.g);
  EXPECT_FLOAT_EQ(walls.args[9], 10 - 26.25f);
  EXPECT_FLOAT_EQ(walls.args[10], -20 + 17.5f);
  EXPECT_GT(walls.args[1] + walls.args[2], 0);  // some chunk drawn

  // Without the walls, the same calls less those two, the same matrix.
  s.v.WallsVisible = false;
  GlRecorder without;
  DrawFrame(without, s.v, s.m, s.cache);
  std::vector<std::string> rest;
  for (const std::string& c : calls)
    if (c.rfind("DrawWalls", 0) != 0 && c != "ClearDepth") rest.push_back(c);
  EXPECT_EQ(rest, without.Lines());
  EXPECT_EQ(with.ModelView(), without.ModelView());

  // A survey without sizes draws none, whatever the flag says.
  s.v.WallsVisible = true;
  s.m.sections.clear();
  s.m.generation = NextModelGeneration();
  GlRecorder bare;
  DrawFrame(bare, s.v, s.m, s.cache);
  EXPECT_TRUE(bare.LinesOf({"DrawWalls", "ClearDepth"}).empty());
}

TEST(PassageWallsDrawer, DepthColoursPlaceEveryPointOnTheLinesRamp) {
  Scene s;
  MakeScene(s);
  s.v.DepthColours = true;
  GlRecorder gl;
  DrawFrame(gl, s.v, s.m, s.cache);
  const std::vector<std::string> walls = gl.LinesOf({"DrawWalls"});
  ASSERT_EQ(walls.size(), 1u);
  const GlCall* call = nullptr;
  for (const GlCall& c : gl.calls)
    if (c.op == "DrawWalls") call = &c;
  ASSERT_TRUE(call);
  EXPECT_EQ(call->args[4], 1);
  // The walls' z is the altitude less the origin's: the top station (250 m,
  // z 0) at the ramp's start, the lowest (206 m) at its end.
  const double a = call->args[7], d = call->args[8];
  EXPECT_NEAR(a * 0 + d, 0, 1e-6);
  EXPECT_NEAR(a * -44 + d, 1, 1e-6);
  EXPECT_EQ(call->args[5], 0);
  EXPECT_EQ(call->args[6], 0);
}

TEST(PassageWallsDrawer, BesideAHighlightedPartTheOtherPartsAreDimmedAsTheirLinesAre) {
  // Two passages of six stations, each a part of the survey tree.
  Scene s;
  MakeScene(s);
  s.m.surveys = {{-1, ""}, {0, "upper"}, {0, "lower"}};
  s.m.stationSurvey.assign(12, 1);
  std::fill(s.m.stationSurvey.begin() + 6, s.m.stationSurvey.end(), 2);
  s.m.lineSurvey = {1};
  s.m.sections[5].flags = kSectionEnd;
  s.m.generation = NextModelGeneration();
  const auto wallCalls = [&s] {
    GlRecorder gl;
    DrawFrame(gl, s.v, s.m, s.cache);
    std::vector<GlCall> calls;
    for (const GlCall& c : gl.calls)
      if (c.op == "DrawWalls") calls.push_back(c);
    return calls;
  };
  const auto drawn = [](const GlCall& c) { return c.args[1] + c.args[2]; };
  const std::vector<GlCall> all = wallCalls();
  ASSERT_EQ(all.size(), 1u);
  for (const bool shaded : {false, true}) {
    SCOPED_TRACE(shaded);
    s.v.DepthColours = shaded;
    s.v.HighlightedSurvey = 2;
    const std::vector<GlCall> parts = wallCalls();
    ASSERT_EQ(parts.size(), 2u);
    // The lower passage first as it is, then the upper one dimmed: between
    // them every chunk once.
    EXPECT_GT(drawn(parts[0]), 0);
    EXPECT_GT(drawn(parts[1]), 0);
    EXPECT_EQ(drawn(parts[0]) + drawn(parts[1]), drawn(all[0]));
    EXPECT_EQ(parts[0].args[12], 1);
    EXPECT_FLOAT_EQ(float(parts[1].args[12]), kDimmedLines);
    if (!shaded) {
      const Rgb lit = WallShade(s.v.LineColor), dim = ScaledColour(lit, kDimmedLines);
      EXPECT_EQ((Rgb{int(parts[0].args[5]), int(parts[0].args[6]), int(parts[0].args[7])}), lit);
      EXPECT_EQ((Rgb{int(parts[1].args[5]), int(parts[1].args[6]), int(parts[1].args[7])}), dim);
    }
    // The highlighted part hidden: only the rest, dimmed.
    s.v.HiddenSurveys = {0, 0, 1};
    const std::vector<GlCall> rest = wallCalls();
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(drawn(rest[0]), 0);
    EXPECT_EQ(drawn(rest[1]), drawn(parts[1]));
    s.v.HiddenSurveys.clear();
  }
}

TEST(PassageWallsDrawer, DetailFollowsTheSizeOnThePicture) {
  // A straight tube 20 m long and 2 m across, and a wall mesh beside it.
  SurveyModel m;
  for (int i = 0; i < 5; ++i) {
    m.stations.insert(m.stations.end(), {5.0 * i, 0, 0});
    m.sections.push_back({i, 1, 1, 1, 1, uint8_t(i == 4 ? kSectionEnd : 0)});
  }
  m.meshes.push_back({{0, 0, 0, 2, 0, 0, 0, 2, 0}, {0, 1, 2}, 0});
  const PassageWalls w = BuildPassageWalls(m);
  ASSERT_EQ(w.chunks.size(), 1u);
  ASSERT_EQ(w.meshParts.size(), 1u);
  const WallChunk& c = w.chunks[0];
  const Mat4 projection = FrameProjection(780, 591);
  const struct {
    const char* what;
    double scale;    // scene units a metre
    double x, dist;  // where the chunk's centre lies before the eye
    WallDetail detail;
    bool mesh;  // the mesh, 9 m to the left of the chunk's centre, drawn
  } cases[] = {
      {"a pixel across", 0.03, 0, 50, WallDetail::kSkip, false},
      {"a few pixels across", 0.1, 0, 50, WallDetail::kCoarse, true},
      {"twenty pixels across", 0.5, 0, 50, WallDetail::kFine, true},
      {"far to the side", 0.5, 90, 50, WallDetail::kSkip, false},
      {"half out at the side", 0.5, 25, 50, WallDetail::kFine, true},
      {"behind the eye", 0.5, 0, -20, WallDetail::kSkip, false},
      {"beyond the far plane", 0.5, 0, 150, WallDetail::kSkip, false},
      {"the eye inside it, the mesh out of sight", 0.5, 0, 2, WallDetail::kFine, false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    const Mat4 view = Translation(k.x, 0, -k.dist) * Scaling(k.scale, k.scale, k.scale) *
                      Translation(-double(c.cx), -double(c.cy), -double(c.cz));
    std::vector<WallDetail> detail;
    std::vector<uint8_t> meshes;
    ChooseWallDetail(w, view, projection, 591, detail, meshes);
    ASSERT_EQ(detail.size(), 1u);
    EXPECT_EQ(detail[0], k.detail);
    EXPECT_EQ(meshes[0] != 0, k.mesh);
  }
}

TEST(PassageWallsDrawer, VectorFrameFillsTheNearSidesUnderTheLines) {
  Scene s;
  MakeScene(s);
  VectorGl gl(591);
  gl.Viewport(0, 0, 780, 591);
  SetProjection(gl, 780, 591);
  DrawFrame(gl, s.v, s.m, s.cache);
  int facets = 0, lines = 0;
  for (const VectorGl::Shape& shape : gl.Shapes()) {
    if (shape.kind == VectorGl::Kind::Facet) {
      ++facets;
      EXPECT_EQ(shape.layer, 0);
      EXPECT_NE(shape.colour, s.v.LineColor);
    } else {
      ++lines;
      EXPECT_EQ(shape.layer, 1);
    }
  }
  EXPECT_GT(lines, 0);
  // The far sides of the tubes are left out.
  const PassageWalls& w = s.cache.Walls().Walls(s.m);
  int32_t triangles = 0;
  for (const WallChunk& c : w.chunks) triangles += ChunkTriangleCount(w, c, WallDetail::kFine);
  EXPECT_GT(facets, triangles / 4);
  EXPECT_LT(facets, triangles * 3 / 4);
}

}  // namespace
}  // namespace mv::test
