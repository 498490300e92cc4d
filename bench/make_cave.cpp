// Writes a generated cave as a survey folder for the benchmarks, or with
// --plt as a Compass plot file (which the peer viewer reads too).
//
//   mv_make_cave [--plt] DIR|FILE LEGS [SEED]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cave_gen.h"
#include "source_files.h"

int main(int argc, char** argv) {
  const bool plot = argc > 1 && std::strcmp(argv[1], "--plt") == 0;
  if (plot) --argc, ++argv;
  if (argc < 3) {
    std::fprintf(stderr, "usage: mv_make_cave [--plt] DIR|FILE LEGS [SEED]\n");
    return 2;
  }
  const long long legs = std::atoll(argv[2]);
  const unsigned long long seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20240611ull;
  if (legs < 1) {
    std::fprintf(stderr, "mv_make_cave: LEGS must be at least 1\n");
    return 2;
  }
  const mv::SurveyModel cave = mv::bench::GenerateCave(legs, seed);
  const std::string e =
      plot ? mv::bench::WriteCompassPlot(cave, argv[1]) : mv::bench::WriteCave(cave, argv[1]);
  if (!e.empty()) {
    std::fprintf(stderr, "mv_make_cave: %s\n", e.c_str());
    return 1;
  }
  std::printf("# %s: legs=%lld stations=%d line_records=%d\n", argv[1],
              static_cast<long long>(mv::bench::Legs(cave)), cave.StationCount(),
              cave.SurveyLineCount());
  return 0;
}
