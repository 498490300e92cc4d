// Open benchmark: time to read a 100,000-leg survey in each of the other
// formats and build its model, as the viewer does when it opens the file.
//
//   mv_open_bench [--runs R] DIR
//
// The files are written into DIR from the generated cave when missing. Each
// figure is the median of R opens in this process (warm file cache).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cave_gen.h"
#include "data/reader_table.h"
#include "median.h"
#include "source_files.h"

namespace {

constexpr int64_t kLegs = 100000;

using mv::bench::Median;

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  const char* dir = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      dir = argv[i];
    }
  }
  if (dir == nullptr) {
    std::fprintf(stderr, "usage: mv_open_bench [--runs R] DIR\n");
    return 2;
  }
  namespace fs = std::filesystem;
  struct Format {
    const char* name;
    std::string (*write)(const mv::SurveyModel&, const fs::path&);
  };
  const Format formats[] = {{"plt", mv::bench::WriteCompassPlot},
                            {"lox", mv::bench::WriteTherionLox}};
  std::error_code ec;
  fs::create_directories(dir, ec);
  mv::SurveyModel cave;
  int failures = 0;
  for (const Format& f : formats) {
    const fs::path file = fs::path(dir) / ("legs100k." + std::string(f.name));
    if (!fs::exists(file)) {
      if (cave.stations.empty()) cave = mv::bench::GenerateCave(kLegs, 20240611);
      if (const std::string e = f.write(cave, file); !e.empty()) {
        std::fprintf(stderr, "%s\n", e.c_str());
        return 1;
      }
    }
    std::vector<double> ms;
    mv::LoadResult r;
    for (int run = 0; run < runs; ++run) {
      const auto start = std::chrono::steady_clock::now();
      r = mv::LoadSurveySource(file);
      ms.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count());
      if (!r.ok) break;
    }
    if (!r.ok) {
      std::fprintf(stderr, "%s\n", r.error.c_str());
      ++failures;
      continue;
    }
    std::printf("# %s: %ju bytes, stations=%d legs=%lld runs=%zu open_ms min=%.0f max=%.0f\n",
                file.c_str(), static_cast<uintmax_t>(fs::file_size(file, ec)),
                r.model.StationCount(), static_cast<long long>(r.info.legs - r.info.legsLeftOut),
                ms.size(), *std::min_element(ms.begin(), ms.end()),
                *std::max_element(ms.begin(), ms.end()));
    std::printf("open format=%s legs=%lld open_ms=%.0f\n", f.name,
                static_cast<long long>(r.info.legs - r.info.legsLeftOut), Median(ms));
    std::fflush(stdout);
  }
  return failures ? 1 : 0;
}
