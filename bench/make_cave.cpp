// Writes a generated cave as a survey folder for the benchmarks.
//
//   mv_make_cave DIR LEGS [SEED]
#include <cstdio>
#include <cstdlib>

#include "cave_gen.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: mv_make_cave DIR LEGS [SEED]\n");
    return 2;
  }
  const long long legs = std::atoll(argv[2]);
  const unsigned long long seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20240611ull;
  if (legs < 1) {
    std::fprintf(stderr, "mv_make_cave: LEGS must be at least 1\n");
    return 2;
  }
  const mv::SurveyModel cave = mv::bench::GenerateCave(legs, seed);
  if (const std::string e = mv::bench::WriteCave(cave, argv[1]); !e.empty()) {
    std::fprintf(stderr, "mv_make_cave: %s\n", e.c_str());
    return 1;
  }
  std::printf("# %s: legs=%lld stations=%d line_records=%d\n", argv[1],
              static_cast<long long>(mv::bench::Legs(cave)), cave.StationCount(),
              cave.SurveyLineCount());
  return 0;
}
