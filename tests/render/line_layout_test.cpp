// The survey lines' layout: the kinds of leg apart, and for large surveys the
// chunks and their simplified levels, checked against the geometry they
// stand for.
#include "render/line_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/survey_folder.h"
#include "generated_cave.h"
#include "view/framing.h"
#include "view/install_load.h"
#include "view/projection.h"

namespace mv::test {
namespace {

// The station each vertex of the layout draws.
std::vector<int32_t> VertexStations(const LineLayout& l, const SurveyModel& m) {
  std::vector<int32_t> out(static_cast<size_t>(l.vertices));
  for (size_t s = 0; s < l.rows.size(); ++s)
    for (int32_t j = 0; j < l.count[s]; ++j)
      out[static_cast<size_t>(l.first[s] + j)] = m.Line(l.rows[s])[1 + j];
  return out;
}

// The vertex pairs of a range of the layout's segments.
std::vector<std::pair<uint32_t, uint32_t>> Segments(const LineLayout& l, SegmentRange r) {
  std::vector<std::pair<uint32_t, uint32_t>> out;
  int64_t n = 0;
  for (size_t s = 0; s < l.rows.size(); ++s)
    for (int32_t j = 1; j < l.count[s]; ++j, ++n)
      if (n >= r.first && n < r.first + r.count)
        out.emplace_back(static_cast<uint32_t>(l.first[s] + j - 1),
                         static_cast<uint32_t>(l.first[s] + j));
  for (int64_t e = std::max(r.first, l.stripSegments) - l.stripSegments;
       e < r.first + r.count - l.stripSegments; ++e)
    out.emplace_back(l.extra[2 * static_cast<size_t>(e)], l.extra[2 * static_cast<size_t>(e) + 1]);
  return out;
}

double PointSegment(const double* p, const double* a, const double* b) {
  double d[3], w[3];
  for (int i = 0; i < 3; ++i) d[i] = b[i] - a[i], w[i] = p[i] - a[i];
  const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  const double t =
      dd > 0 ? std::clamp((w[0] * d[0] + w[1] * d[1] + w[2] * d[2]) / dd, 0.0, 1.0) : 0.0;
  return std::hypot(w[0] - t * d[0], w[1] - t * d[1], w[2] - t * d[2]);
}

// The farthest any vertex of `full` lies from the segments of `level`, all
// of stations in `m`: a grid over x and y finds the segments near a vertex.
double FarthestFrom(const SurveyModel& m, const std::vector<int32_t>& station,
                    const std::vector<std::pair<uint32_t, uint32_t>>& full,
                    const std::vector<std::pair<uint32_t, uint32_t>>& level, double tolerance) {
  double lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  const auto at = [&](uint32_t v) { return &m.stations[3 * static_cast<size_t>(station[v])]; };
  for (const auto& [a, b] : full)
    for (const uint32_t v : {a, b})
      for (int i = 0; i < 2; ++i)
        lo[i] = std::min(lo[i], at(v)[i]), hi[i] = std::max(hi[i], at(v)[i]);
  const double cell = std::max({tolerance, (hi[0] - lo[0]) / 64, (hi[1] - lo[1]) / 64, 1e-12});
  const auto key = [&](int64_t cx, int64_t cy) { return cx * 1000003 + cy; };
  const auto cellOf = [&](double v, int i) {
    return static_cast<int64_t>(std::floor((v - lo[i]) / cell));
  };
  std::unordered_map<int64_t, std::vector<size_t>> grid;
  for (size_t k = 0; k < level.size(); ++k) {
    const double *a = at(level[k].first), *b = at(level[k].second);
    const int64_t x0 = cellOf(std::min(a[0], b[0]) - tolerance, 0),
                  x1 = cellOf(std::max(a[0], b[0]) + tolerance, 0),
                  y0 = cellOf(std::min(a[1], b[1]) - tolerance, 1),
                  y1 = cellOf(std::max(a[1], b[1]) + tolerance, 1);
    for (int64_t x = x0; x <= x1; ++x)
      for (int64_t y = y0; y <= y1; ++y) grid[key(x, y)].push_back(k);
  }
  double farthest = 0;
  for (const auto& [a, b] : full)
    for (const uint32_t v : {a, b}) {
      const double* p = at(v);
      double nearest = INFINITY;
      const auto it = grid.find(key(cellOf(p[0], 0), cellOf(p[1], 1)));
      if (it != grid.end())
        for (const size_t k : it->second)
          nearest = std::min(nearest, PointSegment(p, at(level[k].first), at(level[k].second)));
      farthest = std::max(farthest, nearest);
    }
  return farthest;
}

// Stations where other than two legs of a kind meet, of rows of that kind.
std::set<int32_t> Junctions(const SurveyModel& m, bool splays) {
  std::unordered_map<int32_t, int> degree;
  for (int32_t i = 0; i < m.SurveyLineCount(); ++i) {
    if (((m.LineFlags(i) & kLegSplay) != 0) != splays) continue;
    const int32_t* line = m.Line(i);
    for (int32_t j = 0; j <= line[0]; ++j) degree[line[1 + j]] += (j == 0 || j == line[0]) ? 1 : 2;
  }
  std::set<int32_t> out;
  for (const auto& [s, d] : degree)
    if (d != 2) out.insert(s);
  return out;
}

TEST(LineLayout, LevelsStayWithinTheirToleranceAndKeepJunctionsAndEntrances) {
  struct Row {
    const char* name;
    CaveShape shape;
  } rows[] = {
      {"branching cave", {60000, 7, 5.0}},
      {"legs under a millimetre", {60000, 8, 0.0004}},
      {"one traverse", {120000, 9, 5.0, 0, true}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const SurveyModel m = GeneratedCave(r.shape);
    const LineLayout l = LayOutLines(m, true);
    ASSERT_TRUE(l.Simplified());
    // The levels together hold fewer segments than the full detail.
    EXPECT_LE(static_cast<int64_t>(l.extra.size() / 2), l.stripSegments);
    const std::vector<int32_t> station = VertexStations(l, m);
    std::set<int32_t> mustStay = Junctions(m, false);
    mustStay.insert(0);  // the entrance
    int64_t coarsest = 0;
    for (const LineChunk& c : l.chunks) {
      ASSERT_EQ(c.kind, LineKind::Leg);
      ASSERT_GE(c.levels, 0);
      coarsest += l.levels[static_cast<size_t>(c.levels + kLineLevels - 1)].count;
      const auto full = Segments(l, c.segments);
      std::set<int32_t> inChunk;
      for (const auto& [a, b] : full) inChunk.insert({station[a], station[b]});
      for (int level = 0; level < kLineLevels; level += 4) {
        const SegmentRange range = l.levels[static_cast<size_t>(c.levels + level)];
        if (range.first == c.segments.first) continue;  // the full detail
        SCOPED_TRACE("level " + std::to_string(level));
        const double tolerance = std::ldexp(1.0, l.lowestLevel + level);
        const auto simple = Segments(l, range);
        EXPECT_LE(FarthestFrom(m, station, full, simple, tolerance), tolerance * 1.0001);
        std::set<int32_t> kept;
        for (const auto& [a, b] : simple) kept.insert({station[a], station[b]});
        for (const int32_t s : mustStay)
          if (inChunk.count(s)) {
            ASSERT_TRUE(kept.count(s)) << "station " << s;
          }
      }
    }
    // Simplified as far as it goes, a traverse is one segment from junction
    // to junction.
    EXPECT_LT(coarsest, l.stripSegments / 5);
  }
}

TEST(LineLayout, OneTraverseOfAMillionLegsStillSimplifies) {
  const SurveyModel m = GeneratedCave({1000000, 3, 5.0, 0, true});
  const LineLayout l = LayOutLines(m, true);
  ASSERT_TRUE(l.Simplified());
  EXPECT_GT(l.chunks.size(), 100u);  // cut into chunks that can be skipped
  int64_t coarsest = 0;
  for (const LineChunk& c : l.chunks)
    coarsest += l.levels[static_cast<size_t>(c.levels + kLineLevels - 1)].count;
  EXPECT_LT(coarsest, 10000);
}

TEST(LineLayout, SplaysGoWholeBelowTwiceTheTolerance) {
  const SurveyModel m = GeneratedCave({60000, 5, 5.0, 3});
  const LineLayout l = LayOutLines(m, true);
  ASSERT_TRUE(l.Simplified() && l.mixedKinds);
  int splayChunks = 0;
  for (const LineChunk& c : l.chunks) {
    if (c.kind != LineKind::Splay) continue;
    ++splayChunks;
    std::vector<double> lengths;
    for (int32_t s = c.firstStrip; s < c.firstStrip + c.strips; ++s) {
      const int32_t* line = m.Line(l.rows[static_cast<size_t>(s)]);
      lengths.push_back(std::hypot(m.X(line[1]) - m.X(line[2]), m.Y(line[1]) - m.Y(line[2]),
                                   m.Z(line[1]) - m.Z(line[2])));
    }
    for (int level = 0; level < kLineLevels; ++level) {
      const double tolerance = std::ldexp(1.0, l.lowestLevel + level);
      const SegmentRange r = l.levels[static_cast<size_t>(c.levels + level)];
      EXPECT_EQ(r.first, c.segments.first);
      EXPECT_EQ(r.count, std::count_if(lengths.begin(), lengths.end(),
                                       [&](double d) { return d >= 2 * tolerance; }));
    }
  }
  EXPECT_GT(splayChunks, 0);
}

TEST(LineLayout, SmallSurveysStayInFullInTheOrderOfTheRows) {
  for (const int64_t legs : {int64_t{0}, int64_t{1}, kSimplifiedFromLegs - 1}) {
    SCOPED_TRACE(legs);
    SurveyModel m = legs == 0 ? PlaceholderModel() : GeneratedCave({legs, 2, 5.0});
    if (legs == 0) m.stations.resize(3);  // one point, and a row that names no other
    const LineLayout l = LayOutLines(m, true);
    EXPECT_FALSE(l.Simplified());
    std::vector<int32_t> order(static_cast<size_t>(m.SurveyLineCount()));
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
    EXPECT_EQ(l.rows, order);
  }
}

// A fitted view of the generated cave in a picture of w x h.
struct Seen {
  AppState state;
  PictureGeometry picture;
  LineLayout layout;
  LineCamera Camera() const {
    const ViewState& v = state.view;
    return {FrameModelView(v),
            FrameProjection(picture.outerWidth, picture.outerHeight),
            picture.outerWidth,
            picture.outerHeight,
            v.CentreX.AsDouble(),
            v.CentreY.AsDouble(),
            state.survey.originZ.AsDouble()};
  }
};

Seen Fitted(const CaveShape& shape, int w, int h) {
  Seen s;
  SetStartParameters(s.state.view);
  EXPECT_TRUE(InstallLoad(s.state, FinishLoad(GeneratedCave(shape))));
  s.picture = {w, h, w, h, 0, 1};
  FitNow(s.state, s.picture);
  s.layout = LayOutLines(s.state.survey, true);
  return s;
}

TEST(LineLayout, EachChunkAtALevelUnderHalfAPixelAndNoneInViewLeftOut) {
  Seen s = Fitted({80000, 11, 5.0}, 780, 591);
  const SurveyModel& m = s.state.survey;
  for (const double zoom : {1.0, 4.0, 30.0}) {
    SCOPED_TRACE(zoom);
    // The zoom grows by these factors in turn.
    s.state.view.ZoomScale =
        kZoomOffset + (static_cast<long double>(s.state.view.ZoomScale) - kZoomOffset) * zoom;
    s.state.view.TickCount += 40;
    const LineCamera camera = s.Camera();
    int skipped = 0, simplified = 0;
    for (const LineChunk& c : s.layout.chunks) {
      const int level = ChunkLevel(s.layout, c, camera);
      // Whether any of the chunk's stations shows, and how big a metre is
      // where one does.
      double mostPixelsPerMetre = 0;
      bool shows = false;
      for (int32_t strip = c.firstStrip; strip < c.firstStrip + c.strips; ++strip) {
        const int32_t* line = m.Line(s.layout.rows[static_cast<size_t>(strip)]);
        for (int32_t j = 0; j < s.layout.count[static_cast<size_t>(strip)]; ++j) {
          const int32_t st = line[1 + j];
          const double x = m.X(st) - camera.centreX, y = m.Y(st) - camera.centreY,
                       z = m.Z(st) - camera.originZ;
          const WindowPoint p = Project(camera.modelView, camera.projection, 780, 591, x, y, z);
          if (!p.visible || p.x < 0 || p.x > 780 || p.y < 0 || p.y > 591) continue;
          shows = true;
          // A millimetre along each axis, in pixels, times 1000.
          for (const std::array<double, 3> d :
               {std::array{1e-3, 0.0, 0.0}, std::array{0.0, 1e-3, 0.0},
                std::array{0.0, 0.0, 1e-3}}) {
            const WindowPoint q = Project(camera.modelView, camera.projection, 780, 591, x + d[0],
                                          y + d[1], z + d[2]);
            mostPixelsPerMetre =
                std::max(mostPixelsPerMetre, 1e3 * std::hypot(q.x - p.x, q.y - p.y));
          }
        }
      }
      if (level == -2) {
        ++skipped;
        EXPECT_FALSE(shows);
        continue;
      }
      if (level < 0) continue;
      ++simplified;
      // Half a pixel at most wherever the chunk shows.
      const double t = std::ldexp(1.0, s.layout.lowestLevel + level);
      EXPECT_LE(t * mostPixelsPerMetre, 0.5 * 1.01);
    }
    if (zoom == 1.0) {
      EXPECT_EQ(simplified, static_cast<int>(s.layout.chunks.size()));
    }
    if (zoom == 30.0) {
      EXPECT_GT(skipped, 0);
    }
  }
}

TEST(LineLayout, KeptStationsBringTheirStripsInFull) {
  Seen s = Fitted({60000, 12, 5.0}, 780, 591);
  const SurveyModel& m = s.state.survey;
  // Small in the picture, so its chunks are drawn simplified.
  s.state.view.ZoomScale =
      kZoomOffset + (static_cast<long double>(s.state.view.ZoomScale) - kZoomOffset) / 4;
  const LineCamera camera = s.Camera();
  const auto simplified =
      std::find_if(s.layout.chunks.begin(), s.layout.chunks.end(), [&](const LineChunk& c) {
        const int level = ChunkLevel(s.layout, c, camera);
        return level >= 0 &&
               s.layout.levels[static_cast<size_t>(c.levels + level)].first != c.segments.first;
      });
  ASSERT_NE(simplified, s.layout.chunks.end());
  const LineChunk& c = *simplified;
  // A station in the middle of the chunk's first strip of some length.
  int32_t strip = c.firstStrip;
  while (s.layout.count[static_cast<size_t>(strip)] < 5) ++strip;
  const int32_t station = m.Line(s.layout.rows[static_cast<size_t>(strip)])[3];
  int64_t before = c.segments.first;
  for (int32_t k = c.firstStrip; k < strip; ++k)
    before += std::max(s.layout.count[static_cast<size_t>(k)] - 1, 0);
  const SegmentRange own{before, s.layout.count[static_cast<size_t>(strip)] - 1};

  std::vector<uint64_t> kept((static_cast<size_t>(m.StationCount()) + 63) / 64, 0);
  std::vector<SegmentRange> without, with;
  AddLineRanges(s.layout, m, s.state.view, LegShow::Shown, &camera, nullptr, without);
  kept[static_cast<size_t>(station) / 64] |= uint64_t{1} << (station % 64);
  AddLineRanges(s.layout, m, s.state.view, LegShow::Shown, &camera, &kept, with);
  const auto holds = [&](const std::vector<SegmentRange>& ranges) {
    return std::any_of(ranges.begin(), ranges.end(), [&](const SegmentRange& r) {
      return r.first <= own.first && own.first + own.count <= r.first + r.count;
    });
  };
  EXPECT_FALSE(holds(without));
  EXPECT_TRUE(holds(with));
  int64_t drawn = 0, drawnWith = 0;
  for (const SegmentRange& r : without) drawn += r.count;
  for (const SegmentRange& r : with) drawnWith += r.count;
  EXPECT_EQ(drawnWith, drawn + own.count);
}

// The strip of each of the layout's own segments.
std::vector<int32_t> StripOfSegment(const LineLayout& l) {
  std::vector<int32_t> out;
  for (size_t s = 0; s < l.rows.size(); ++s)
    out.insert(out.end(), static_cast<size_t>(std::max(l.count[s] - 1, 0)),
               static_cast<int32_t>(s));
  return out;
}

TEST(LineLayout, HiddenAndHighlightedSurveysChooseStripsWithoutNewVertices) {
  Seen s = Fitted({60000, 13, 5.0}, 780, 591);
  SurveyModel& m = s.state.survey;
  // Root 0 holds east (1) and west (2); west holds its north end (3). Each
  // row belongs to a node by where it starts.
  m.surveys = {{-1, ""}, {0, "east"}, {0, "west"}, {2, "north"}};
  std::vector<double> xs, ys;
  for (int32_t i = 0; i < m.SurveyLineCount(); ++i)
    xs.push_back(m.X(m.Line(i)[1])), ys.push_back(m.Y(m.Line(i)[1]));
  const auto middle = [](std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
  };
  const double midX = middle(xs), midY = middle(ys);
  m.lineSurvey.resize(xs.size());
  for (size_t i = 0; i < xs.size(); ++i) m.lineSurvey[i] = xs[i] > midX ? 1 : ys[i] > midY ? 3 : 2;
  // Small in the picture, so chunks of one node are drawn simplified.
  s.state.view.ZoomScale =
      kZoomOffset + (static_cast<long double>(s.state.view.ZoomScale) - kZoomOffset) / 4;
  const LineCamera camera = s.Camera();
  for (const bool simplified : {false, true}) {
    SCOPED_TRACE(simplified ? "simplified" : "in full");
    const LineLayout layout = LayOutLines(m, simplified);
    const std::vector<int32_t> stripOf = StripOfSegment(layout);
    const auto nodeOfSegment = [&](int64_t seg) {
      return m.LineSurvey(layout.rows[static_cast<size_t>(stripOf[static_cast<size_t>(seg)])]);
    };
    EXPECT_TRUE(SurveyPresences(layout, m, {}, -1).uniform);
    EXPECT_TRUE(SurveyPresences(layout, m, {0, 0, 0, 0}, -1).uniform);

    const struct {
      std::vector<uint8_t> hidden;
      int32_t highlighted;
      std::set<int32_t> full, dimmed;  // the nodes drawn so
    } cases[] = {
        {{0, 0, 1, 1}, -1, {1}, {}},     // west hidden with its north end
        {{0, 0, 0, 1}, -1, {1, 2}, {}},  // the north end alone
        {{}, 2, {2, 3}, {1}},            // west highlighted, its child too
        {{0, 0, 0, 1}, 2, {2}, {1}},     // and its child hidden
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << "highlighted " << c.highlighted);
      const LinePresences p = SurveyPresences(layout, m, c.hidden, c.highlighted);
      EXPECT_FALSE(p.uniform);
      // A simplified layout's chunks each hold one node; a plain one's hold all.
      EXPECT_EQ(std::count(p.chunks.begin(), p.chunks.end(), kMixedPresence),
                simplified ? 0 : static_cast<std::ptrdiff_t>(layout.chunks.size()));
      for (const LinePresence want : {LinePresence::Full, LinePresence::Dimmed}) {
        const std::set<int32_t>& nodes = want == LinePresence::Full ? c.full : c.dimmed;
        // In full detail: exactly the segments of those nodes.
        std::vector<SegmentRange> all;
        AddLineRanges(layout, m, s.state.view, LegShow::Shown, nullptr, nullptr, all, &p, want);
        int64_t drawn = 0, expected = 0, wrong = 0;
        for (const SegmentRange& r : all)
          for (int64_t seg = r.first; seg < r.first + r.count; ++seg)
            ++drawn, wrong += !nodes.contains(nodeOfSegment(seg));
        for (size_t seg = 0; seg < stripOf.size(); ++seg)
          expected += nodes.contains(nodeOfSegment(static_cast<int64_t>(seg)));
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(drawn, expected);
        // Simplified, seen from the camera: still nothing of another node,
        // and chunks of one node keep their levels, so fewer segments.
        std::vector<SegmentRange> seen;
        AddLineRanges(layout, m, s.state.view, LegShow::Shown, &camera, nullptr, seen, &p, want);
        int64_t seenDrawn = 0, seenWrong = 0;
        for (const SegmentRange& r : seen)
          for (int64_t seg = r.first; seg < r.first + r.count; ++seg) {
            ++seenDrawn;
            if (seg < layout.stripSegments) seenWrong += !nodes.contains(nodeOfSegment(seg));
          }
        EXPECT_EQ(seenWrong, 0);
        if (simplified && expected > 0) {
          EXPECT_LT(seenDrawn, expected);
        }
      }
    }
  }
}

}  // namespace
}  // namespace mv::test
