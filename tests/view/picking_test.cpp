// Picking stations on the picture, measuring between two, and the labels'
// room on the picture.
#include "view/picking.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>

#include "view/framing.h"
#include "view/labels.h"
#include "view/projection.h"

namespace mv {
namespace {

constexpr PictureGeometry kPicture{780, 591, 776, 539, 33, 1};

// Stations in a row 10 m apart, one line through them, named "cave.s1"...,
// the last one an entrance; fitted to the picture.
AppState Survey(int stations, bool named = true) {
  AppState s;
  SurveyModel& m = s.survey = SurveyModel{};
  for (int i = 0; i < stations; ++i) {
    m.stations.insert(m.stations.end(), {482300.0 + 10 * i, 5612400.0 + 3 * i, 1200.0 - 2 * i});
    if (named) m.stationNames.Append("cave.s" + std::to_string(i + 1));
  }
  for (int first = 0; first + 1 < stations; first += 29) {
    std::array<int32_t, kLineColumns> row{};
    const int n = std::min(29, stations - 1 - first);
    row[0] = n;
    for (int k = 0; k <= n; ++k) row[static_cast<size_t>(k + 1)] = first + k;
    m.lines.insert(m.lines.end(), row.begin(), row.end());
  }
  m.entranceCount = 1;
  m.entrances[0] = stations - 1;
  m.originX = 482300, m.originY = 5612400, m.originZ = 1200;
  m.generation = NextModelGeneration();
  SetStartParameters(s.view);
  s.view.Box = ComputeExtents(m);
  s.view.CentreX = CentreOf(s.view.Box.minX, s.view.Box.maxX);
  s.view.CentreY = CentreOf(s.view.Box.minY, s.view.Box.maxY);
  s.view.TickCount = 40;
  s.view.LinesVisible = true;
  FitNow(s, kPicture);
  return s;
}

TEST(Picking, NearestShownStationWithinEightPixels) {
  const AppState s = Survey(3);
  const SurveyModel& m = s.survey;
  const std::vector<int32_t> lines = LineStations(m), entrances = EntranceRows(m), none;
  const PicturePoint p = StationOnPicture(s.view, m, kPicture, 1);
  ASSERT_TRUE(p.visible);

  struct Row {
    const char* name;
    double dx, dy;
    const std::vector<int32_t>* shown;
    int32_t expected;
  };
  const Row rows[] = {
      {"on the station", 0, 0, &lines, 1},
      {"7.9 px away", 0, 7.9, &lines, 1},
      {"8.1 px away", -8.1, 0, &lines, -1},
      {"lines hidden", 0, 0, &none, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(NearestStation(s.view, m, kPicture, {r.shown, &none}, p.x + r.dx, p.y + r.dy),
              r.expected);
  }
  // The entrance alone can still be picked with the lines hidden.
  const PicturePoint e = StationOnPicture(s.view, m, kPicture, 2);
  EXPECT_EQ(NearestStation(s.view, m, kPicture, {&none, &entrances}, e.x, e.y), 2);
}

// The eye in survey coordinates: where the frame's model-view matrix sends
// the origin of eye space.
std::array<double, 3> EyeInSurvey(const ViewState& v, const SurveyModel& m) {
  const auto& a = FrameModelView(v).m;
  // Solve A p = -b for the affine part (column-major).
  const double A[3][3] = {{a[0], a[4], a[8]}, {a[1], a[5], a[9]}, {a[2], a[6], a[10]}};
  const double b[3] = {-a[12], -a[13], -a[14]};
  const auto det = [](const double M[3][3]) {
    return M[0][0] * (M[1][1] * M[2][2] - M[1][2] * M[2][1]) -
           M[0][1] * (M[1][0] * M[2][2] - M[1][2] * M[2][0]) +
           M[0][2] * (M[1][0] * M[2][1] - M[1][1] * M[2][0]);
  };
  std::array<double, 3> p{};
  for (int c = 0; c < 3; ++c) {
    double M[3][3];
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) M[r][k] = k == c ? b[r] : A[r][k];
    p[static_cast<size_t>(c)] = det(M) / det(A);
  }
  return {p[0] + v.CentreX.AsDouble(), p[1] + v.CentreY.AsDouble(), p[2] + m.originZ.AsDouble()};
}

TEST(Picking, OfStationsOnOnePointTheNearerThenTheLowerRowWins) {
  AppState s = Survey(3);
  SurveyModel& m = s.survey;
  // Station 1 exactly on station 0; station 2 halfway from station 0 to the
  // eye, so all three show on one point.
  const std::array<double, 3> eye = EyeInSurvey(s.view, m);
  for (int k = 0; k < 3; ++k) {
    m.stations[static_cast<size_t>(3 + k)] = m.stations[static_cast<size_t>(k)];
    m.stations[static_cast<size_t>(6 + k)] =
        (m.stations[static_cast<size_t>(k)] + eye[static_cast<size_t>(k)]) / 2;
  }
  const std::vector<int32_t> all = {0, 1, 2}, twins = {1, 0}, none;
  const PicturePoint p = StationOnPicture(s.view, m, kPicture, 0);
  const PicturePoint q = StationOnPicture(s.view, m, kPicture, 2);
  ASSERT_NEAR(p.x, q.x, 1e-6);
  ASSERT_NEAR(p.y, q.y, 1e-6);
  EXPECT_EQ(NearestStation(s.view, m, kPicture, {&all, &none}, p.x + 1, p.y), 2);
  EXPECT_EQ(NearestStation(s.view, m, kPicture, {&twins, &none}, p.x + 1, p.y), 0);
}

TEST(Picking, ClicksPickMeasureAndClear) {
  ViewState v;
  PickStation(v, 3, true);  // Shift with nothing picked picks the first
  EXPECT_EQ(v.PickedFirst, 3);
  PickStation(v, 7, true);
  EXPECT_EQ(v.PickedSecond, 7);
  PickStation(v, 5, false);
  EXPECT_EQ(v.PickedFirst, 5);
  EXPECT_EQ(v.PickedSecond, -1);
  PickStation(v, -1, false);  // empty picture
  EXPECT_EQ(v.PickedFirst, -1);
}

TEST(Picking, DescriptionAndClipboardText) {
  AppState s = Survey(4);
  SurveyModel& m = s.survey;
  // Depths count from the highest entrance, the last station at 1194 m.
  EXPECT_EQ(DepthReference(m), 1194.0);
  EXPECT_EQ(PickDescription(m, 0, -1),
            std::vector<std::string>{"cave.s1:  x 482300,00 m,  y 5612400,00 m,  wysokość "
                                     "1200,0 m,  6,0 m nad najwyższym otworem"});
  EXPECT_EQ(PickDescription(m, 3, 1)[2],
            "odległość 21,26 m:  w poziomie 20,88 m,  w pionie 4,00 m");
  EXPECT_EQ(PickClipboardText(m, 3, 1, '.'),
            "cave.s4\t482330.00\t5612409.00\t1194.00\n"
            "cave.s2\t482310.00\t5612403.00\t1198.00\n"
            "odległość\t21.26\tpoziomo\t20.88\tpionowo\t4.00\n");
  EXPECT_EQ(PickClipboardText(m, 1, -1, ','), "cave.s2\t482310,00\t5612403,00\t1198,00\n");
  EXPECT_EQ(PickClipboardText(m, -1, -1, ','), "");
  // A name with a tab or line break cannot split the row; without names the
  // row counted from 1 stands in.
  m.stationNames = {};
  m.stationNames.Append("a\tb\nc");
  EXPECT_EQ(StationLabel(m, 0), "a?b?c");
  EXPECT_EQ(StationLabel(m, 2), "3");
  // Without entrances, depths count from the highest station.
  m.entranceCount = 0;
  EXPECT_EQ(DepthReference(m), 1200.0);
}

TEST(Labels, NoTwoOverlapTheEntranceFirstAndTheScreenBoundsTheWork) {
  const AppState s = Survey(100000);
  const SurveyModel& m = s.survey;
  const std::vector<int32_t> lines = LineStations(m), entrances = EntranceRows(m);
  int measured = 0;
  const auto width = [&](int32_t, bool) {
    ++measured;
    return 90.0;
  };
  const std::vector<PlacedLabel> placed =
      PlaceLabels(s.view, m, kPicture, entrances, lines, width, 16);
  ASSERT_FALSE(placed.empty());
  EXPECT_TRUE(placed.front().entrance);
  EXPECT_EQ(placed.front().row, 99999);
  // Only the nearest station of each cell of the picture is even measured.
  EXPECT_LT(measured, (776 / 16 + 1) * (539 / 16 + 1));
  for (size_t i = 0; i < placed.size(); ++i) {
    const PlacedLabel& a = placed[i];
    EXPECT_GE(a.left, 0);
    EXPECT_LE(a.left + a.width, kPicture.width);
    EXPECT_GE(a.top, kPicture.toolbar);
    for (size_t j = i + 1; j < placed.size(); ++j) {
      const PlacedLabel& b = placed[j];
      EXPECT_FALSE(a.left < b.left + b.width && b.left < a.left + a.width &&
                   a.top < b.top + b.height && b.top < a.top + a.height)
          << a.row << " and " << b.row;
    }
  }
}

}  // namespace
}  // namespace mv

namespace mv {
namespace {

TEST(Labels, TakeThePlaceThatHidesTheFewestLines) {
  const AppState s = Survey(3);
  const SurveyModel& m = s.survey;
  const PicturePoint p = StationOnPicture(s.view, m, kPicture, 1);
  ASSERT_TRUE(p.visible);
  const auto width = [](int32_t, bool) { return 60.0; };
  struct Row {
    const char* name;
    double dx0, dx1;  // lines crossing the picture upright, this far right of the station
    bool right;       // the label stays right of its station
  };
  const Row rows[] = {
      {"no lines", 0, 0, true},
      {"lines on the right", 20, 50, false},
      {"lines on the left", -50, -20, true},
  };
  for (const Row& r : rows) {
    LineCoverage lines(kPicture.width, kPicture.height);
    for (double dx = r.dx0; dx < r.dx1; dx += 3)
      lines.AddSegment(p.x + dx, 0, p.x + dx, kPicture.height);
    lines.Finish();
    const std::vector<PlacedLabel> placed =
        PlaceLabels(s.view, m, kPicture, {}, {1}, width, 16, 10, {}, &lines);
    ASSERT_EQ(placed.size(), 1u) << r.name;
    EXPECT_EQ(placed[0].left > p.x, r.right) << r.name;
    EXPECT_EQ(lines.Count(placed[0].left, placed[0].top, 60, 16), 0) << r.name;
  }
}

TEST(Picking, CoverageNearSomePointsCountsThereAsInFull) {
  // Random segments, short and long, counted everywhere and only near two
  // points: every box within reach of a point counts alike.
  uint32_t seed = 7;
  const auto unit = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / 16777216.0;
  };
  LineCoverage full(780, 591), near(780, 591);
  const std::vector<std::array<double, 2>> points{{100, 100}, {700, 500}};
  const double reach = 80;
  near.CountOnlyNear(points, reach);
  for (int k = 0; k < 20000; ++k) {
    const double x = unit() * 900 - 60, y = unit() * 700 - 60;
    const double length = k % 10 == 0 ? 400 : 40;
    const double x1 = x + (unit() - 0.5) * length, y1 = y + (unit() - 0.5) * length;
    full.AddSegment(x, y, x1, y1);
    near.AddSegment(x, y, x1, y1);
  }
  full.Finish();
  near.Finish();
  int boxes = 0;
  for (const auto& [px, py] : points)
    for (double dx = -reach; dx + 20 <= reach; dx += 7)
      for (double dy = -reach; dy + 10 <= reach; dy += 5) {
        ++boxes;
        ASSERT_EQ(near.Count(px + dx, py + dy, 20, 10), full.Count(px + dx, py + dy, 20, 10))
            << px + dx << ", " << py + dy;
      }
  EXPECT_GT(boxes, 100);
  // Far from both the counts fall short.
  EXPECT_LT(near.Count(300, 250, 200, 100), full.Count(300, 250, 200, 100));
}

TEST(Picking, CoverageCountsEachCellASegmentCrossesOnce) {
  // Cells are 4 px: (1, 1) to (3, 2) stays in one cell, (3, 1) to (6, 2)
  // crosses into the next, (3, 2) to (6, 5) passes three cells by a
  // corner, one along a row crosses twelve; nothing outside counts.
  const struct {
    const char* what;
    double x0, y0, x1, y1;
    int64_t cells;
  } cases[] = {
      {"one cell", 1, 1, 3, 2, 1},
      {"two side by side", 3, 1, 6, 2, 2},
      {"two one above the other", 1, 3, 2, 6, 2},
      {"a point", 2, 2, 2, 2, 1},
      {"by a corner", 3, 2, 6, 5, 3},
      {"along a row", 1, 1, 47, 1, 12},
      {"outside", -10, -10, -5, -5, 0},
      {"from outside in", -10, 1, 2, 1, 1},
      {"not a number", NAN, 1, 2, 1, 0},
      {"infinite", INFINITY, 1, 2, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LineCoverage lines(100, 100);
    lines.AddSegment(c.x0, c.y0, c.x1, c.y1);
    lines.Finish();
    EXPECT_EQ(lines.Count(0, 0, 100, 100), c.cells);
    // Each cell at most once.
    for (double x = 0; x < 100; x += 4)
      for (double y = 0; y < 100; y += 4) EXPECT_LE(lines.Count(x, y, 4, 4), 1);
  }
}

TEST(Picking, AClickOnAnEntranceMarkPicksTheEntrance) {
  for (const bool map : {true, false}) {
    AppState s = Survey(3);
    s.view.MapStyle = map;
    s.view.EntrancesVisible = true;
    // The survey folders' spheres grow with the survey's extent in y.
    if (!map) s.view.Box.maxY = s.view.Box.maxY.AsDouble() + 200;
    const SurveyModel& m = s.survey;
    const std::vector<int32_t> lines = LineStations(m), entrances = EntranceRows(m);
    const PicturePoint e = StationOnPicture(s.view, m, kPicture, 2);
    const PicturePoint o = StationOnPicture(s.view, m, kPicture, 1);
    // Off the survey line, across it.
    const double d = std::hypot(o.x - e.x, o.y - e.y);
    const double ux = -(o.y - e.y) / d, uy = (o.x - e.x) / d;
    const auto at = [&](double r) {
      return StationAt(s.view, m, kPicture, lines, entrances, e.x + r * ux, e.y + r * uy);
    };
    if (map) {
      EXPECT_EQ(at(kEntranceMarkRadius - 0.5), 2);
      EXPECT_EQ(at(12), -1);
    } else {
      EXPECT_EQ(at(12), 2);  // beyond the pick radius, on the sphere
      s.view.EntrancesVisible = false;
      EXPECT_EQ(at(12), -1);
    }
  }
}

}  // namespace
}  // namespace mv
