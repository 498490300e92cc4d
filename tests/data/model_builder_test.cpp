// The model builder every reader shares: chains, names, flags, entrances and
// the limits that keep a hostile file from taking unbounded memory.
#include "data/model_builder.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace mv
