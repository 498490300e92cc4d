// The model builder every reader shares: chains, names, flags, entrances and
// the limits that keep a hostile file from taking unbounded memory.
#include "data/model_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace mv {
namespace {

std::vector<std::vector<int32_t>> Rows(const SurveyModel& m) {
  std::vector<std::vector<int32_t>> rows;
  for (int32_t r = 0; r < m.SurveyLineCount(); ++r)
    rows.emplace_back(m.Line(r) + 1, m.Line(r) + 2 + m.Line(r)[0]);
  return rows;
}

TEST(ModelBuilder, ChainsNamesFlagsAndEntrances) {
  ModelBuilder b;
  b.Name({0, 0, 5}, "early");  // before the leg that makes its station
  b.Leg({0, 0, 0}, {1, 0, 0});
  b.Leg({1, 0, 0}, {2, 0, 0});     // continues the chain
  b.Leg({-0.0, 0, 0}, {0, 0, 5});  // -0.0 is 0.0: a new chain from station 0
  b.Name({1, 0, 0}, "first");
  b.Name({1, 0, 0}, "second");   // the first name given stays; later ones are aliases
  b.Name({1, 0, 0}, "first");    // a name given twice counts once
  b.Name({9, 9, 9}, "nowhere");  // no station there: dropped
  b.Flag({2, 0, 0}, kStationFixed);
  b.Entrance({2, 0, 0}, "door");
  b.Entrance({2, 0, 0}, "door again");    // the same position counts once
  b.Entrance({7, 0, 0}, "off the legs");  // becomes a station of its own
  const SurveyModel m = b.Finish("title");

  EXPECT_EQ(Rows(m), (std::vector<std::vector<int32_t>>{{0, 1, 2}, {0, 3}}));
  ASSERT_EQ(m.StationCount(), 5);
  const std::vector<std::string> names = {"", "first", "", "early", ""};
  const std::vector<uint8_t> flags = {0, 0, kStationFixed | kStationEntrance, 0, kStationEntrance};
  for (int32_t r = 0; r < m.StationCount(); ++r) {
    EXPECT_EQ(m.StationName(r), names[r]) << r;
    EXPECT_EQ(m.StationFlags(r), flags[r]) << r;
  }
  EXPECT_EQ(m.aliasRows, (std::vector<int32_t>{1}));
  EXPECT_EQ(StationNames(m, 1), (std::vector<std::string_view>{"first", "second"}));
  EXPECT_EQ(b.EntrancesFound(), 2);
  EXPECT_EQ(m.entranceCount, 2);
  EXPECT_EQ(m.entranceNames, (std::vector<std::string>{"door", "off the legs"}));
  EXPECT_EQ(m.title, "title");
  // Origin: lower corner in x and y, top in z, whole metres.
  EXPECT_EQ(static_cast<long double>(m.originX), 0);
  EXPECT_EQ(static_cast<long double>(m.originZ), 5);
}

TEST(ModelBuilder, EquatedNamesListTheDescriptiveOneFirst) {
  ModelBuilder b;
  b.Leg({0, 0, 0}, {1, 0, 0});
  b.Name({1, 0, 0}, "zimna.glowny.c1");
  b.Name({1, 0, 0}, "zimna.otwor_polnocny");
  b.Name({1, 0, 0}, "czarna.12a");
  const SurveyModel m = b.Finish("");
  EXPECT_EQ(StationNames(m, 1), (std::vector<std::string_view>{"zimna.otwor_polnocny",
                                                               "zimna.glowny.c1", "czarna.12a"}));
  EXPECT_TRUE(StationNames(m, 0).empty());
  for (const char* plain : {"p12", "a.b.c130", "12a", "E1", ""})
    EXPECT_FALSE(DescriptiveName(plain));
  for (const char* named : {"entrance", "x.sump2", "otwór"}) EXPECT_TRUE(DescriptiveName(named));
}

TEST(ModelBuilder, NamesPastTheBudgetStopTheRead) {
  ModelBuilder b;
  b.SetNameBudget(10);
  b.Name({0, 0, 0}, "12345");
  b.Name({0, 0, 0}, "12345");
  EXPECT_THROW(b.Name({0, 0, 0}, "1"), ModelLimit);
}

TEST(ModelBuilder, RowsBreakWhereTheKindOrTheSurveyChanges) {
  ModelBuilder b;
  const int32_t a = b.SurveyPath("cave.a", '.');
  const int32_t c = b.SurveyPath("cave.c", '.');
  b.MoveTo({0, 0, 0});
  b.LineTo({1, 0, 0}, 0, a);
  b.LineTo({2, 0, 0}, 0, a);
  b.LineTo({3, 0, 0}, kLegSplay, a);  // another kind
  b.MoveTo({2, 0, 0});
  b.LineTo({4, 0, 0}, 0, a);
  b.LineTo({5, 0, 0}, 0, c);             // another survey
  b.MoveTo({5, 0, 0});                   // a move to where the chain is changes nothing
  b.LineTo({6, 0, 0}, kLegSurface, 99);  // no such survey: the root
  const SurveyModel m = b.Finish("", "dir/cave.3d");
  EXPECT_EQ(Rows(m),
            (std::vector<std::vector<int32_t>>{{0, 1, 2}, {2, 3}, {2, 4}, {4, 5}, {5, 6}}));
  EXPECT_EQ(m.lineFlags, (std::vector<uint8_t>{0, kLegSplay, 0, 0, kLegSurface}));
  EXPECT_EQ(m.lineSurvey, (std::vector<int32_t>{a, a, a, c, 0}));
  ASSERT_EQ(m.surveys.size(), 4u);
  EXPECT_EQ(m.surveys[0], (SurveyNode{-1, "cave.3d"}));  // no title: the file's name
  EXPECT_EQ(m.surveys[1], (SurveyNode{0, "cave"}));
  EXPECT_EQ(SurveyPath(m, a), "cave.a");
  EXPECT_EQ(SurveyPath(m, c, '/'), "cave/c");
  EXPECT_EQ(SurveyChildren(m), (std::vector<std::vector<int32_t>>{{1}, {a, c}, {}, {}}));
  // Stations given no survey take their first leg's.
  EXPECT_EQ(m.stationSurvey, (std::vector<int32_t>{a, a, a, a, a, c, 0}));
}

TEST(ModelBuilder, SurveysOfStationsAndTheirLegs) {
  ModelBuilder b;
  const int32_t x = b.SurveyChild(0, "x");
  const int32_t y = b.SurveyChild(x, "y");
  EXPECT_EQ(b.SurveyChild(0, "x"), x);  // interned
  EXPECT_NE(b.SurveyChild(y, "x"), x);  // the same name elsewhere is another node
  EXPECT_EQ(b.SurveyPath("x.y", '.'), y);
  // After x.y: a sibling's child, a child, a stranger, and x.y again.
  const int32_t w = b.SurveyPath("x.z.w", '.');
  EXPECT_EQ(w, b.SurveyChild(b.SurveyChild(x, "z"), "w"));
  EXPECT_EQ(b.SurveyPath("x.z.w.v", '.'), b.SurveyChild(w, "v"));
  EXPECT_EQ(b.SurveyPath("q.z", '.'), b.SurveyChild(b.SurveyChild(0, "q"), "z"));
  EXPECT_EQ(b.SurveyPath("x.y", '.'), y);
  EXPECT_EQ(b.SurveyPath("", '.'), 0);
  b.InSurvey({1, 0, 0}, y);
  b.InSurvey({1, 0, 0}, x);  // the first given wins
  // Legs whose survey comes from their stations: the far end's, else the
  // near end's.
  b.Leg({0, 0, 0}, {1, 0, 0}, 0, ModelBuilder::kSurveyOfStations);
  b.Leg({1, 0, 0}, {2, 0, 0}, 0, ModelBuilder::kSurveyOfStations);
  const SurveyModel m = b.Finish("Title");
  EXPECT_EQ(m.surveys[0].name, "Title");
  EXPECT_EQ(m.lineSurvey, (std::vector<int32_t>{y}));
  EXPECT_EQ(m.stationSurvey, (std::vector<int32_t>{y, y, y}));
  EXPECT_EQ(Rows(m), (std::vector<std::vector<int32_t>>{{0, 1, 2}}));
}

TEST(ModelBuilder, SectionsKeepTheirOrderAndSaneSizes) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  ModelBuilder b;
  b.Leg({0, 0, 0}, {1, 0, 0});
  b.Leg({1, 0, 0}, {2, 0, 0});
  b.Name({2, 0, 0}, "two");
  b.Name({2, 0, 0}, "deux");
  struct Row {
    float left, right, up, down;
    uint8_t flags;
  };
  b.Section(RawPoint{1, 0, 0}, CrossSection{-5, 0, -1, 2.5f, 20000, 0});
  b.Section("deux", CrossSection{-5, nan, 0.5f, 1, 2, kSectionEnd});  // an alias
  b.Section(RawPoint{0, 0, 0}, CrossSection{-5, 1, 1, 1, 1, 0});
  b.Section("nowhere", CrossSection{-5, 1, 1, 1, 1, kSectionEnd});  // ends the passage
  b.Section(RawPoint{1, 0, 0}, CrossSection{-5, 1, 1, 1, 1, 0});    // the last ends its own
  const SurveyModel m = b.Finish("");
  ASSERT_EQ(m.sections.size(), 4u);
  const int32_t rows[] = {1, 2, 0, 1};
  const uint8_t ends[] = {0, kSectionEnd, kSectionEnd, kSectionEnd};
  for (size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(m.sections[k].station, rows[k]) << k;
    EXPECT_EQ(m.sections[k].flags, ends[k]) << k;
  }
  // Negative, NaN and past 10 km: missing; zero is a size.
  const CrossSection& s = m.sections[0];
  EXPECT_EQ(s.left, 0);
  EXPECT_TRUE(std::isnan(s.right));
  EXPECT_EQ(s.up, 2.5f);
  EXPECT_TRUE(std::isnan(s.down));
  EXPECT_TRUE(std::isnan(m.sections[1].left));
  const std::vector<std::string> warnings = b.TakeWarnings("c.3d");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0],
            "c.3d: a passage section at station \"nowhere\" that no leg or label gives: skipped");
}

TEST(ModelBuilder, MeshesLieRelativeToTheOriginAndStayInside) {
  ModelBuilder b(ModelBuilder::Units{1, 100});  // centimetres
  b.Leg({1050, 2050, 310}, {1150, 2050, 310});
  b.Mesh({{1000, 2000, 300}, {1100, 2000, 300}, {1000, 2100, 400}}, {0, 1, 2}, 0);
  SurveyModel m = b.Finish("");
  ASSERT_EQ(m.meshes.size(), 1u);
  // Origin (10, 20, 4): the points less it, in metres.
  EXPECT_EQ(m.meshes[0].xyz, (std::vector<float>{0, 0, -1, 1, 0, -1, 0, 1, 0}));
  EXPECT_EQ(m.meshes[0].triangles, (std::vector<uint32_t>{0, 1, 2}));

  ModelBuilder bad;
  bad.Leg({0, 0, 0}, {1, 0, 0});
  bad.Mesh({{0, 0, 0}}, {0, 0, 1}, 0);
  EXPECT_THROW(bad.Finish(""), ModelLimit);
}

TEST(ModelBuilder, PositionsBeyondAnySurveyAreRefused) {
  for (const double far : {1e308, 2e9, -1e300}) {
    ModelBuilder b;
    b.Leg({0, 0, 0}, {1, 0, 0});
    b.Leg({1, 0, 0}, {1, far, 0});
    EXPECT_THROW(b.Finish(""), ModelLimit) << far;
  }
  ModelBuilder b;  // a big survey far from 0 is fine
  b.Leg({4e8, 5e8, 0}, {4e8 + 1, 5e8, 0});
  EXPECT_NO_THROW(b.Finish(""));
}

}  // namespace
}  // namespace mv
