// Finding a station by name.
#include "ui/station_finder.h"

#include <gtest/gtest.h>

namespace mv::ui {
namespace {

TEST(FindStation, WholeNamesThenDottedEndsWithoutRegardToCase) {
  SurveyModel m;
  m.stations.assign(3 * 6, 0.0);
  for (const char* name :
       {"czarna.glowny.c12", "czarna.komin.c1", "c12", "Śnieżna.ŻÓŁW", "zimna.glowny.c12", ""})
    m.stationNames.Append(name);
  struct Row {
    const char* query;
    std::vector<int32_t> rows;
  };
  const Row rows[] = {
      {"c12", {2}},              // a whole name before the ends of others
      {"glowny.c12", {0, 4}},    // every dotted end, in row order
      {"CZARNA.KOMIN.C1", {1}},  // case does not matter
      {"  c1 ", {1}},            // nor blanks around
      {"śnieżna.żółw", {3}},     // in Polish letters too
      {"żółw", {3}},             // the last part alone
      {"komin", {}},             // a middle part is no match
      {"a.glowny.c12", {}},      // nor a part of a part
      {"", {}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(FindStations(m, QString::fromUtf8(r.query)), r.rows) << r.query;
    EXPECT_EQ(FindStation(m, QString::fromUtf8(r.query)), r.rows.empty() ? -1 : r.rows.front())
        << r.query;
  }
  // An unnamed station has no names to find it by.
  EXPECT_TRUE(NamesOfStation(m, 5).empty());

  // A survey folder names no station: its rows count from 1.
  SurveyModel folder;
  folder.stations.assign(3 * 5, 0.0);
  EXPECT_EQ(FindStation(folder, "5"), 4);
  EXPECT_EQ(FindStation(folder, "6"), -1);
  EXPECT_EQ(FindStation(folder, "0"), -1);
}

}  // namespace
}  // namespace mv::ui
