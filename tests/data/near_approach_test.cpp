// The connection finder: against measuring every pair on random surveys,
// and its rules on small hand-made ones.
#include "data/near_approach.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "data/model_builder.h"
#include "data/survey_stats.h"
#include "survey_bytes.h"

namespace mv {
namespace {

// Three caves of random walks, one of them with a side branch in a survey
// of its own, and splays here and there.
SurveyModel RandomSurvey(uint32_t seed, int legsPerCave) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> step(-6, 6), offset(-40, 40);
  ModelBuilder b;
  const int32_t caves[] = {b.SurveyPath("a", '.'), b.SurveyPath("b", '.'), b.SurveyPath("c", '.'),
                           b.SurveyPath("a.side", '.')};
  for (int c = 0; c < 3; ++c) {
    RawPoint at{offset(rng) + 30 * c, offset(rng), offset(rng) / 4};
    std::vector<RawPoint> walked = {at};
    for (int i = 0; i < legsPerCave; ++i) {
      // Now and then back to an earlier station, for branches and loops.
      if (rng() % 9 == 0) at = walked[rng() % walked.size()];
      const RawPoint next{at.x + step(rng), at.y + step(rng), at.z + step(rng) / 3};
      const int32_t survey = c == 0 && i > legsPerCave / 2 ? caves[3] : caves[c];
      b.Leg(at, next, 0, survey);
      if (rng() % 4 == 0)
        b.Leg(next, {next.x + step(rng) / 4, next.y + step(rng) / 4, next.z}, kLegSplay, survey);
      walked.push_back(next);
      at = next;
    }
  }
  return b.Finish("random");
}

void ExpectSame(const ApproachResult& fast, const ApproachResult& slow) {
  ASSERT_EQ(fast.problem, slow.problem);
  ASSERT_EQ(fast.approaches.size(), slow.approaches.size());
  for (size_t i = 0; i < fast.approaches.size(); ++i) {
    const Approach &f = fast.approaches[i], &s = slow.approaches[i];
    EXPECT_NEAR(f.distance, s.distance, 1e-9) << i;
    EXPECT_EQ(f.fromStation, s.fromStation) << i;
    EXPECT_EQ(f.toStation, s.toStation) << i;
    EXPECT_NEAR(f.dx(), s.dx(), 1e-9) << i;
    EXPECT_NEAR(f.dz(), s.dz(), 1e-9) << i;
  }
}

TEST(NearApproach, AgreesWithMeasuringEveryPair) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    const SurveyModel m = RandomSurvey(seed, 60 + 20 * static_cast<int>(seed % 4));
    const int32_t a = FindSurvey(m, "a"), b = FindSurvey(m, "b"), side = FindSurvey(m, "a.side");
    struct Case {
      ApproachQuery q;
    };
    const ApproachQuery queries[] = {
        {a, -1, 10, false},  {a, b, 10, false}, {b, a, 10, true},   {side, -1, 3, false},
        {side, b, 25, true}, {b, -1, 1, false}, {a, b, 200, false},
    };
    for (const ApproachQuery& q : queries) {
      SCOPED_TRACE("seed " + std::to_string(seed) + " node " + std::to_string(q.node) + " other " +
                   std::to_string(q.other) + " k " + std::to_string(q.k) +
                   (q.splays ? " splays" : ""));
      const ApproachResult fast = FindApproaches(m, q);
      ExpectSame(fast, FindApproachesBruteForce(m, q));
      EXPECT_FALSE(fast.approaches.empty());
      // Sides as asked: `from` on the node's legs, distances ascending.
      for (size_t i = 1; i < fast.approaches.size(); ++i)
        EXPECT_LE(fast.approaches[i - 1].distance, fast.approaches[i].distance);
      for (const Approach& x : fast.approaches)
        EXPECT_TRUE(InSubtree(m, m.StationSurvey(x.fromStation), q.node) ||
                    !InSubtree(m, m.StationSurvey(x.toStation), q.node));
    }
  }
}

// Two passages joined at one end: a straight one, and one that bends in to
// 1 m from it at 6 m along and away again. Legs next to the join are
// neighbours, not an approach, and the pairs on either side of the bend only
// lead towards it: one approach, at the bend.
TEST(NearApproach, NeighboursAndRepeatsAreNoApproaches) {
  ModelBuilder b;
  const int32_t x = b.SurveyPath("x", '.'), y = b.SurveyPath("y", '.');
  const auto bent = [](double at) { return RawPoint{at, 1 + 0.25 * std::abs(at - 6), 0}; };
  b.Leg({0, 0, 0}, bent(0), 0, x);  // the join
  for (int i = 0; i < 10; ++i) {
    b.Leg({double(i), 0, 0}, {double(i + 1), 0, 0}, 0, x);
    b.Leg(bent(i), bent(i + 1), 0, y);
  }
  const SurveyModel m = b.Finish("");
  const ApproachResult r = FindApproaches(m, {x, y, 10, false});
  ASSERT_EQ(r.problem, ApproachResult::Problem::kNone);
  ASSERT_EQ(r.approaches.size(), 1u);
  const Approach& a = r.approaches[0];
  EXPECT_NEAR(a.distance, 1, 1e-12);
  EXPECT_NEAR(a.dy(), 1, 1e-12);
  EXPECT_NEAR(a.dx(), 0, 1e-12);
  EXPECT_EQ(m.X(a.fromStation), 6);
  EXPECT_EQ(m.X(a.toStation), 6);
  EXPECT_EQ(m.StationSurvey(a.fromStation), x);
  ExpectSame(r, FindApproachesBruteForce(m, {x, y, 10, false}));
  // Asked the other way round, the sides swap.
  const ApproachResult back = FindApproaches(m, {y, x, 1, false});
  ASSERT_EQ(back.approaches.size(), 1u);
  EXPECT_EQ(back.approaches[0].fromStation, a.toStation);
  EXPECT_NEAR(back.approaches[0].dy(), -1, 1e-12);
}

TEST(NearApproach, PartsThatCannotBeCompared) {
  const SurveyModel m = RandomSurvey(7, 30);
  const int32_t a = FindSurvey(m, "a"), side = FindSurvey(m, "a.side");
  struct Row {
    ApproachQuery q;
    ApproachResult::Problem problem;
  };
  const Row rows[] = {
      {{a, side, 10, false}, ApproachResult::Problem::kOverlap},
      {{side, a, 10, false}, ApproachResult::Problem::kOverlap},
      {{a, a, 10, false}, ApproachResult::Problem::kOverlap},
      {{0, -1, 10, false}, ApproachResult::Problem::kNoLegs},  // the root: no rest
      {{99, -1, 10, false}, ApproachResult::Problem::kNoSuchNode},
      {{a, 99, 10, false}, ApproachResult::Problem::kNoSuchNode},
  };
  for (const Row& r : rows) {
    const ApproachResult got = FindApproaches(m, r.q);
    EXPECT_EQ(got.problem, r.problem) << r.q.node << " " << r.q.other;
    EXPECT_TRUE(got.approaches.empty());
  }
}

TEST(NearApproach, SegmentDistances) {
  struct Row {
    std::vector<double> p0, p1, q0, q1;
    double distance, s, t;
  };
  const Row rows[] = {
      {{0, 0, 0}, {2, 0, 0}, {1, 1, 0}, {1, 3, 0}, 1, 0.5, 0},     // a T
      {{0, 0, 0}, {2, 0, 0}, {1, -1, 3}, {1, 1, 3}, 3, 0.5, 0.5},  // crossing above
      {{0, 0, 0}, {1, 0, 0}, {3, 0, 0}, {5, 0, 0}, 2, 1, 0},       // in line
      {{0, 0, 0}, {0, 0, 0}, {0, 4, 0}, {0, 4, 0}, 4, 0, 0},       // two points
      {{0, 0, 0}, {4, 0, 0}, {1, 2, 0}, {3, 2, 0}, 2, 0.25, 0},    // parallel
  };
  for (const Row& r : rows) {
    double s = -1, t = -1;
    const double d =
        std::sqrt(SegmentDistanceSquared(r.p0.data(), r.p1.data(), r.q0.data(), r.q1.data(), s, t));
    EXPECT_NEAR(d, r.distance, 1e-12);
    EXPECT_NEAR(s, r.s, 1e-12);
    EXPECT_NEAR(t, r.t, 1e-12);
  }
}

// A made survey of two caves that do not connect (twocaves.svx, through
// cavern): the tool finds the dead end that comes closest to the other
// cave, and with splays the wall point closer still.
TEST(NearApproach, ToolFindsTheKnownApproachOfTwoCaves) {
  int status = 0;
  test::RunProgram("cavern --version", &status);
  if (status != 0) GTEST_SKIP() << "cavern (package survex) is not installed";
  const std::string svx = std::string(MV_TEST_DATA_DIR) + "/survex/twocaves.svx";
  const std::string tool = std::string(MV_MVDATA) + " near " + svx;
  const std::string header = "distance (m)\tdx (m)\tdy (m)\tdz (m)\tstation\tstation\n";
  struct Row {
    std::string args, output;
  };
  const Row rows[] = {
      {" twocaves.north", header + "7.48\t4.00\t-6.00\t2.00\ttwocaves.north.5\ttwocaves.south.4\n"},
      {" twocaves.south twocaves.north --k 1",
       header + "7.48\t-4.00\t6.00\t-2.00\ttwocaves.south.4\ttwocaves.north.5\n"},
      {" twocaves.north twocaves.south --splays --k 1",
       header + "3.00\t2.00\t-2.00\t1.00\ttwocaves.north.5\ttwocaves.south.w1\n"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(test::RunProgram(tool + r.args, &status), r.output) << r.args;
    EXPECT_EQ(status, 0);
  }
  const std::pair<std::string, std::string> faults[] = {
      {" twocaves", "a part has no legs to compare"},
      {" twocaves twocaves.north", "the two parts overlap"},
      {" twocaves.east", "no survey \"twocaves.east\""},
      {" twocaves.north --k 0", "usage:"},
  };
  for (const auto& [args, message] : faults) {
    EXPECT_NE(test::RunProgram(tool + args, &status).find(message), std::string::npos) << args;
    EXPECT_NE(status, 0);
  }
}

}  // namespace
}  // namespace mv
