// Survey-tree benchmark: building the tree, the statistics of every node
// and the connection finder, on generated caves.
//
//   mv_survey_bench [--runs R]
//
// Prints
//   tree stations=N tree_ms=T build_ms=B   (the model built with the tree,
//                                           and what the tree adds to it)
//   stats legs=N stats_ms=T
//   near legs=N against=M near_ms=T approaches=K
// each the median of R runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cave_gen.h"
#include "data/model_builder.h"
#include "data/near_approach.h"
#include "data/survey_stats.h"
#include "median.h"

namespace {

using mv::bench::Median;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// The cave's legs through the builder, every station named by its survey
// and number. With the tree, a row's survey is "system.cN.pM.sR": a few
// hundred thousand legs a cave, 64 rows a part, as a large system might be.
mv::SurveyModel Build(const mv::SurveyModel& cave, bool tree, int32_t top = 0) {
  mv::ModelBuilder b;
  std::string path, name;
  for (int32_t r = 0; r < cave.SurveyLineCount(); ++r) {
    path = "system.c" + std::to_string(r / 4096) + ".p" + std::to_string(r / 64) + ".s" +
           std::to_string(r);
    const int32_t survey = tree ? b.SurveyPath(path, '.') : top;
    const int32_t* l = cave.Line(r);
    const auto point = [&](int32_t row) {
      return mv::RawPoint{cave.X(row), cave.Y(row), cave.Z(row)};
    };
    b.MoveTo(point(l[1]));
    for (int32_t i = 1; i <= l[0] + 1; ++i) {
      const mv::RawPoint p = point(l[i]);
      if (i > 1) b.LineTo(p, 0, survey);
      name = path;
      name += '.';
      name += std::to_string(i);
      b.Name(p, name, tree ? survey : -1);
    }
  }
  return b.Finish("bench");
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: mv_survey_bench [--runs R]\n");
      return 2;
    }
  }
  const mv::SurveyModel cave = mv::bench::GenerateCave(999999, 20240611);

  std::vector<double> with, without, stats;
  mv::SurveyModel model;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    model = Build(cave, false);
    without.push_back(Ms(start));
    start = Clock::now();
    model = Build(cave, true);
    with.push_back(Ms(start));
    start = Clock::now();
    const std::vector<mv::SurveyStats> all = mv::ComputeSurveyStats(model);
    stats.push_back(Ms(start));
    if (all[0].legs != mv::bench::Legs(cave)) std::fprintf(stderr, "# stats lost legs\n");
  }
  std::printf("# %d survey nodes\n", model.SurveyCount());
  std::printf("tree stations=%d tree_ms=%.1f build_ms=%.1f\n", model.StationCount(),
              std::max(0.0, Median(with) - Median(without)), Median(with));
  std::printf("stats legs=%lld stats_ms=%.1f\n", static_cast<long long>(mv::bench::Legs(cave)),
              Median(stats));

  // A small cave of 10,000 legs beside the large one, as its own survey.
  const mv::SurveyModel small = mv::bench::GenerateCave(10000, 7);
  mv::ModelBuilder b;
  const int32_t big = b.SurveyPath("big", '.'), side = b.SurveyPath("small", '.');
  double shift[3] = {0, 0, 0};
  for (int a = 0; a < 3; ++a) {
    // Beside it: the small cave's box starts where the large one's ends.
    double hi = -1e300, lo = 1e300;
    for (int32_t s = 0; s < cave.StationCount(); ++s) hi = std::max(hi, cave.stations[3 * s + a]);
    for (int32_t s = 0; s < small.StationCount(); ++s) lo = std::min(lo, small.stations[3 * s + a]);
    shift[a] = a == 0 ? hi - lo - 50 : 0;
  }
  for (const auto& [source, survey, move] :
       {std::tuple{&cave, big, false}, std::tuple{&small, side, true}}) {
    for (int32_t r = 0; r < source->SurveyLineCount(); ++r) {
      const int32_t* l = source->Line(r);
      const auto point = [&, move = move, source = source](int32_t row) {
        return mv::RawPoint{source->X(row) + (move ? shift[0] : 0), source->Y(row), source->Z(row)};
      };
      b.MoveTo(point(l[1]));
      for (int32_t i = 2; i <= l[0] + 1; ++i) b.LineTo(point(l[i]), 0, survey);
    }
  }
  const mv::SurveyModel both = b.Finish("two caves");
  std::vector<double> near;
  size_t found = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    const mv::ApproachResult r = mv::FindApproaches(both, {side, -1, 10, false});
    near.push_back(Ms(start));
    found = r.approaches.size();
  }
  std::printf("near legs=%lld against=%lld near_ms=%.1f approaches=%zu\n",
              static_cast<long long>(mv::bench::Legs(small)),
              static_cast<long long>(mv::bench::Legs(cave)), Median(near), found);
  return 0;
}
