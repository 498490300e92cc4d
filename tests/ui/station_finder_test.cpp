// Finding a station by name.
#include "ui/station_finder.h"

#include <gtest/gtest.h>

namespace mv::ui {
namespace {

TEST(FindStation, WholeNameThenLastPartWithoutRegardToCase) {
  SurveyModel m;
  m.stations.assign(3 * 4, 0.0);
  for (const char* name : {"czarna.glowny.c12", "czarna.komin.c1", "c12", "Śnieżna.ŻÓŁW"})
    m.stationNames.Append(name);
  struct Row {
    const char* query;
    int32_t row;
  };
  const Row rows[] = {
      {"c12", 2},              // the whole name before a last part
      {"CZARNA.KOMIN.C1", 1},  // case does not matter
      {"  c1 ", 1},            // nor blanks around
      {"śnieżna.żółw", 3},     // in Polish letters too
      {"żółw", 3},             // the last part alone
      {"komin", -1},           // a middle part is no match
      {"", -1},
  };
  for (const Row& r : rows) EXPECT_EQ(FindStation(m, QString::fromUtf8(r.query)), r.row) << r.query;

  // A survey folder names no station: its rows count from 1.
  SurveyModel folder;
  folder.stations.assign(3 * 5, 0.0);
  EXPECT_EQ(FindStation(folder, "5"), 4);
  EXPECT_EQ(FindStation(folder, "6"), -1);
  EXPECT_EQ(FindStation(folder, "0"), -1);
}

}  // namespace
}  // namespace mv::ui
