// A large survey's lines drawn simplified to what the picture shows must
// look like the same lines drawn in full: of the lit pixels of either
// picture, nearly all have a lit pixel of the other within one pixel. Three
// picture sizes, three zooms, on real OpenGL.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <string>

#include "data/survey_folder.h"
#include "forwarding_gl.h"
#include "generated_cave.h"
#include "render/frame.h"
#include "render/offscreen_frame.h"
#include "render/scene_cache.h"
#include "view/framing.h"
#include "view/install_load.h"

namespace mv::test {
namespace {

bool Lit(const QImage& image, int x, int y) {
  return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
         (image.pixel(x, y) & 0xffffff) != 0;
}

// Of the lit pixels of `a`, how many have a lit pixel of `b` within one
// pixel, and how many there are.
std::pair<int64_t, int64_t> Matched(const QImage& a, const QImage& b) {
  int64_t matched = 0, lit = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      if (!Lit(a, x, y)) continue;
      ++lit;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy)
        for (int dx = -1; dx <= 1 && !near; ++dx) near = Lit(b, x + dx, y + dy);
      matched += near;
    }
  return {matched, lit};
}

// F1 of the lit masks at a tolerance of one pixel.
double F1(const QImage& simplified, const QImage& full) {
  const auto [kept, drawn] = Matched(simplified, full);
  const auto [found, wanted] = Matched(full, simplified);
  const double precision = drawn ? double(kept) / drawn : 1,
               recall = wanted ? double(found) / wanted : 1;
  return precision + recall > 0 ? 2 * precision * recall / (precision + recall) : 0;
}

int64_t SegmentsDrawn(SceneCache& cache, const ViewState& v, const SurveyModel& m,
                      const PictureGeometry& g) {
  return cache.ChooseLines(v, m, &g).SegmentCount(cache.Layout().stripSegments);
}

// Long winding passages that spread out from the entrance, so the picture
// is lines on black rather than a lit mass, with a splay from every fifth
// station.
CaveShape Spread() {
  CaveShape c;
  c.legs = 120000;
  c.seed = 17;
  c.legLength = 4;
  c.splayEvery = 5;
  c.passageMost = 120;
  c.turn = 0.5;
  c.spreads = true;
  return c;
}
const CaveShape kCave = Spread();

TEST(LinesSimplified, LookLikeTheLinesInFullAtThreeSizesAndThreeZooms) {
  // Passages with a splay from every fifth station, faded as a survey opens;
  // fitted, at less than half that size, and zoomed in four times.
  AppState state;
  SetStartParameters(state.view);
  ASSERT_TRUE(InstallLoad(state, FinishLoad(GeneratedCave(kCave))));
  ViewState& v = state.view;
  v.AxisVisible = v.ScaleVisible = v.WindRoseVisible = v.EntrancesVisible = false;
  v.AxisMoveMode = v.MapOverlaysVisible = false;
  ASSERT_EQ(v.Splays, LegShow::Faded);

  struct Size {
    int w, h;
  };
  for (const Size size : {Size{780, 591}, Size{1200, 900}, Size{400, 300}}) {
    const PictureGeometry picture{size.w, size.h, size.w, size.h, 0, 1};
    OffscreenGl gl(size.w, size.h);
    ASSERT_EQ(gl.Error(), "");
    SceneCache simplified, full;
    full.SetSimplified(false);
    const auto draw = [&](SceneCache& cache) {
      return gl.Draw([&](GlApi& api) {
        SetProjection(api, size.w, size.h);
        DrawFrame(api, v, state.survey, cache, &picture);
      });
    };
    FitNow(state, picture);
    v.TickCount = 70;
    v.TiltAngle = 25.0L;
    const long double fitted = static_cast<long double>(v.ZoomScale) - kZoomOffset;
    for (const double zoom : {0.4, 1.0, 4.0}) {
      const std::string name = std::to_string(size.w) + "x" + std::to_string(size.h) + "_zoom" +
                               std::to_string(int(10 * zoom));
      SCOPED_TRACE(name);
      v.ZoomScale = kZoomOffset + fitted * zoom;
      const QImage lod = draw(simplified), whole = draw(full);
      // The simplified picture draws far less where the survey is small in
      // it.
      const int64_t fewer = SegmentsDrawn(simplified, v, state.survey, picture);
      if (zoom < 1) {
        EXPECT_LT(fewer, full.Layout().stripSegments / 2);
      }
      const double f1 = F1(lod, whole);
      EXPECT_GE(f1, 0.98);
      if (f1 < 0.98 || getenv("MV_KEEP_PICTURES")) {
        lod.save(
            QString::fromStdString(std::string(MV_ARTIFACT_DIR) + "/lines_" + name + "_lod.png"));
        whole.save(
            QString::fromStdString(std::string(MV_ARTIFACT_DIR) + "/lines_" + name + "_full.png"));
      }
      RecordProperty(name, std::to_string(f1) + " with " + std::to_string(fewer) + " of " +
                               std::to_string(full.Layout().stripSegments) + " segments");
    }
  }
}

// The same renderer told it pays nothing per segment: the frame then hands
// it every segment chosen.
class EverySegment : public ForwardingGl {
 public:
  using ForwardingGl::ForwardingGl;
  bool PaysPerSegment() const override { return false; }
};

TEST(LinesThinned, DrawTheSamePictureAsEverySegmentChosen) {
  // A dense cave, whose fitted picture is mostly lines over lines, and the
  // spreading one with faded splays; in one colour and coloured by depth
  // (where the nearest line's colour must win), fitted, tilted, turned and
  // zoomed in so that most of it lies beyond the picture's edges.
  CaveShape dense;
  dense.legs = 80000;
  dense.seed = 5;
  for (const CaveShape& shape : {dense, kCave}) {
    AppState state;
    SetStartParameters(state.view);
    ASSERT_TRUE(InstallLoad(state, FinishLoad(GeneratedCave(shape))));
    ViewState& v = state.view;
    const PictureGeometry picture{780, 591, 780, 591, 0, 1};
    OffscreenGl gl(780, 591);
    ASSERT_EQ(gl.Error(), "");
    SceneCache cache;
    bool thinned = false;
    const auto draw = [&](bool thin) {
      // Each picture thinned afresh, whatever the one before left out.
      if (thin) cache.Thinning() = LineThinning();
      return gl.Draw([&](GlApi& api) {
        thinned = thinned || (thin && api.PaysPerSegment());
        EverySegment every(api);
        GlApi& target = thin ? api : static_cast<GlApi&>(every);
        SetProjection(target, 780, 591);
        DrawFrame(target, v, state.survey, cache, &picture);
      });
    };
    FitNow(state, picture);
    const long double fitted = static_cast<long double>(v.ZoomScale) - kZoomOffset;
    for (const bool depth : {false, true})
      for (int view = 0; view < 12; ++view) {
        SCOPED_TRACE(std::to_string(shape.legs) + (depth ? " depth" : "") + " view " +
                     std::to_string(view));
        v.DepthColours = depth;
        // Four turns, each fitted and tilted a little, steeply tilted, and
        // zoomed in 6 to 17 times.
        v.TickCount = 40 * view + 7 * (view / 3);
        v.TiltAngle = view % 3 == 1 ? 80.0L - view : 25.0L + view;
        v.ZoomScale = kZoomOffset + fitted * (view % 3 == 2 ? 6 + view : 1);
        const QImage some = draw(true), every = draw(false);
        int64_t differ = 0;
        for (int y = 0; y < some.height(); ++y)
          for (int x = 0; x < some.width(); ++x) differ += some.pixel(x, y) != every.pixel(x, y);
        EXPECT_EQ(differ, 0);
      }
    if (!thinned) GTEST_SKIP() << "this renderer is handed every segment";
  }
}

}  // namespace
}  // namespace mv::test
