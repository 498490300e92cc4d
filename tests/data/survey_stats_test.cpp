// Statistics per node of the survey tree: by hand on a small model, against
// cavern's own totals on .svx files, and against dump3d on a real survey.
#include "data/survey_stats.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "data/model_builder.h"
#include "data/survey_source.h"
#include "survey_bytes.h"

namespace mv {
namespace {

namespace fs = std::filesystem;

// root -> a -> a.b, root -> c; legs of every kind in a, one in a.b.
SurveyModel TreeModel() {
  ModelBuilder b;
  const int32_t a = b.SurveyPath("a", '.'), ab = b.SurveyPath("a.b", '.'),
                c = b.SurveyPath("c", '.');
  b.Leg({0, 0, 0}, {3, 4, 0}, 0, a);              // 5 m, level
  b.Leg({3, 4, 0}, {3, 4, -12}, 0, a);            // 12 m, down
  b.Leg({3, 4, 0}, {3, 5, 0}, kLegSplay, a);      // 1 m splay
  b.Leg({0, 0, 0}, {0, 0, 2}, kLegDuplicate, a);  // 2 m duplicate, up
  b.Leg({0, 0, 0}, {0, -30, 40}, kLegSurface, a);
  b.Leg({3, 4, -12}, {9, 12, -12}, 0, ab);  // 10 m
  // Every station named: no leg is taken for a splay by where it ends.
  const std::pair<RawPoint, const char*> names[] = {
      {{0, 0, 0}, "a.0"}, {{3, 4, 0}, "a.1"}, {{3, 4, -12}, "a.b.2"}, {{9, 12, -12}, "a.b.3"},
      {{0, 0, 2}, "a.d"}, {{3, 5, 0}, "a.w"}, {{0, -30, 40}, "s.1"}};
  for (const auto& [p, name] : names) b.Name(p, name);
  b.Entrance({0, 0, 0}, "a.0");
  b.InSurvey({0, 0, 0}, a);
  b.InSurvey({100, 100, 100}, c);  // no station there
  (void)c;
  return b.Finish("T");
}

TEST(SurveyStats, CountsLengthsAndExtentsPerNode) {
  const SurveyModel m = TreeModel();
  const std::vector<SurveyStats> all = ComputeSurveyStats(m);
  ASSERT_EQ(all.size(), 4u);
  struct Row {
    const char* node;
    int64_t legs, splays, duplicates, surface, stations, entrances;
    double length, horizontal, vertical, top, bottom, range;
  };
  const Row rows[] = {
      {"", 6, 1, 1, 1, 6, 1, 27, 15, 12, 2, -12, 14},
      {"a", 6, 1, 1, 1, 6, 1, 27, 15, 12, 2, -12, 14},
      {"a.b", 1, 0, 0, 0, 1, 0, 10, 10, 0, -12, -12, 0},
      {"c", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // no legs, no stations: all zero
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.node);
    const int32_t node = FindSurvey(m, r.node);
    ASSERT_GE(node, 0);
    const SurveyStats& s = all[static_cast<size_t>(node)];
    EXPECT_EQ(s.legs, r.legs);
    EXPECT_EQ(s.splays, r.splays);
    EXPECT_EQ(s.duplicates, r.duplicates);
    EXPECT_EQ(s.surfaceLegs, r.surface);
    EXPECT_EQ(s.stations, r.stations);  // the splay's end is no survey station
    EXPECT_EQ(s.entrances, r.entrances);
    EXPECT_DOUBLE_EQ(s.length, r.length);
    EXPECT_DOUBLE_EQ(s.horizontalLength, r.horizontal);
    EXPECT_DOUBLE_EQ(s.verticalLength, r.vertical);
    EXPECT_DOUBLE_EQ(s.highest.at, r.top);
    EXPECT_DOUBLE_EQ(s.lowest.at, r.bottom);
    EXPECT_DOUBLE_EQ(s.VerticalRange(), r.range);
  }
  const SurveyStats& root = all[0];
  EXPECT_DOUBLE_EQ(root.splayLength, 1);
  EXPECT_DOUBLE_EQ(root.duplicateLength, 2);
  EXPECT_DOUBLE_EQ(root.surfaceLength, 50);
  // The surface leg's far end is no part of the extent; the duplicate's is.
  EXPECT_EQ(m.StationName(root.highest.station), "a.d");
  EXPECT_EQ(m.StationName(root.lowest.station), "a.b.2");
  EXPECT_DOUBLE_EQ(root.NorthSouthRange(), 12);
  EXPECT_DOUBLE_EQ(root.EastWestRange(), 9);
  EXPECT_FALSE(all[3].HasExtent());
  EXPECT_EQ(FindSurvey(m, "a.x"), -1);
  EXPECT_TRUE(InSubtree(m, FindSurvey(m, "a.b"), FindSurvey(m, "a")));
  EXPECT_FALSE(InSubtree(m, FindSurvey(m, "a"), FindSurvey(m, "a.b")));
  EXPECT_FALSE(InSubtree(m, FindSurvey(m, "c"), FindSurvey(m, "a")));

  // A model without a tree (the survey folder's) has the root alone.
  EXPECT_EQ(ComputeSurveyStats(PlaceholderModel()).size(), 1u);
}

using test::RunProgram;

double Number(const std::string& text, const std::string& pattern) {
  std::smatch m;
  if (!std::regex_search(text, m, std::regex(pattern))) return NAN;
  return std::stod(m[1]);
}

// mvdata's figures agree with cavern's for the same .svx: the length
// between the adjusted positions, the vertical range and the extents. The
// .3d file rounds positions to centimetres, so the agreement is to 0.1 % or
// a centimetre, whichever is more.
TEST(SurveyStats, AgreeWithCavern) {
  int status = 0;
  RunProgram("cavern --version", &status);
  if (status != 0) GTEST_SKIP() << "cavern (package survex) is not installed";
  for (const char* name : {"passages.svx", "small.svx"}) {
    SCOPED_TRACE(name);
    const fs::path svx = fs::path(MV_TEST_DATA_DIR) / "survex" / name;
    const fs::path dir = fs::temp_directory_path() / ("mv-cavern-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string cavern =
        RunProgram("cavern -o " + (dir / "out.3d").string() + " " + svx.string(), &status);
    fs::remove_all(dir);
    ASSERT_EQ(status, 0) << cavern;
    const std::string ours = RunProgram(std::string(MV_MVDATA) + " stats " + svx.string(), &status);
    ASSERT_EQ(status, 0) << ours;
    const std::pair<double, double> figures[] = {
        {Number(cavern, R"(Total length of survey legs = *[0-9.]+m \( *([0-9.]+)m adjusted\))"),
         Number(ours, "\nlength \\(m\\)\t([0-9.]+)")},
        {Number(cavern, R"(Vertical range = ([0-9.]+)m)"),
         Number(ours, "\nvertical range \\(m\\)\t([0-9.]+)")},
        {Number(cavern, R"(North-South range = ([0-9.]+)m)"),
         Number(ours, "\nnorth-south range \\(m\\)\t([0-9.]+)")},
        {Number(cavern, R"(East-West range = ([0-9.]+)m)"),
         Number(ours, "\neast-west range \\(m\\)\t([0-9.]+)")},
    };
    for (const auto& [theirs, mine] : figures) {
      ASSERT_FALSE(std::isnan(theirs)) << cavern;
      ASSERT_FALSE(std::isnan(mine)) << ours;
      EXPECT_NEAR(mine, theirs, std::max(0.001 * theirs, 0.0101)) << cavern << ours;
    }
  }
}

// On a real survey, each cave's figures are the sums dump3d's listing gives.
TEST(SurveyStats, EachCaveAgreesWithDump3d) {
  const fs::path dir = fs::path(MV_TEST_DATA_DIR) / "survex";
  const LoadResult r = LoadSurveySource(dir / "jaskinie_all.3d");
  ASSERT_TRUE(r.ok) << r.error;
  const std::vector<SurveyStats> all = ComputeSurveyStats(r.model);

  struct Sums {
    int64_t legs = 0, splays = 0;
    double length = 0;
  };
  std::map<std::string, Sums> caves;
  std::ifstream in(dir / "jaskinie_all.dump.txt");
  std::string line;
  double at[3] = {0, 0, 0};
  while (std::getline(in, line)) {
    std::istringstream ss(line);
    std::string kind;
    double p[3];
    ss >> kind >> p[0] >> p[1] >> p[2];
    if (kind == "LINE") {
      std::string label, flag;
      ss >> label;
      const std::string cave = label.substr(1, label.find_first_of(".]") - 1);
      bool splay = false, other = false;
      while (ss >> flag) {
        splay |= flag == "SPLAY";
        other |= flag == "DUPLICATE" || flag == "SURFACE";
      }
      Sums& s = caves[cave];
      ++s.legs;
      s.splays += splay;
      if (!splay && !other) s.length += std::hypot(p[0] - at[0], p[1] - at[1], p[2] - at[2]);
    }
    if (kind == "MOVE" || kind == "LINE") std::copy(p, p + 3, at);
  }
  ASSERT_EQ(caves.size(), 5u);
  int64_t legs = 0;
  for (const auto& [cave, sums] : caves) {
    SCOPED_TRACE(cave);
    const int32_t node = FindSurvey(r.model, cave);
    ASSERT_GT(node, 0);
    const SurveyStats& s = all[static_cast<size_t>(node)];
    EXPECT_EQ(s.legs, sums.legs);
    EXPECT_EQ(s.splays, sums.splays);
    EXPECT_NEAR(s.length, sums.length, 0.01 + 1e-6 * sums.length);
    legs += s.legs;
  }
  EXPECT_EQ(all[0].legs, legs);
  EXPECT_EQ(all[0].legs, 5186);
  EXPECT_EQ(all[0].splays, 4031);
}

}  // namespace
}  // namespace mv
