// Load benchmark: time and peak memory of loading a survey folder.
//
//   mv_load_bench [--runs R] DIR ...
//   mv_load_bench --legs DIR      (prints the number of shots of the survey)
//
// Each load runs in a child process of its own, so its peak memory is not
// hidden by an earlier load's. The peak is the child's high-water mark of
// resident memory less its resident memory just before the load.
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "cave_gen.h"
#include "data/survey_folder.h"
#include "median.h"

namespace {

struct Sample {
  double loadMs = 0;
  double peakBytes = 0;
  double modelBytes = 0;
  int stations = 0;
  int lines = 0;
  int ok = 0;
};

// A field of /proc/self/status in bytes ("VmHWM:   1234 kB").
double StatusBytes(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(key);
  while (std::getline(in, line))
    if (line.compare(0, n, key) == 0 && line.size() > n && line[n] == ':')
      return 1024.0 * std::atof(line.c_str() + n + 1);
  return 0;
}

Sample LoadOnce(const char* dir) {
  // Start the high-water mark afresh from what the process holds now.
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
  Sample s;
  const double baseline = StatusBytes("VmRSS");
  const auto start = std::chrono::steady_clock::now();
  mv::LoadResult r = mv::LoadSurveyFolder(dir);
  s.loadMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  s.peakBytes = StatusBytes("VmHWM") - baseline;
  s.ok = r.ok;
  if (!r.ok) std::fprintf(stderr, "%s\n", r.error.c_str());
  s.modelBytes = static_cast<double>(r.model.stations.capacity() * sizeof(double) +
                                     r.model.lines.capacity() * sizeof(int32_t));
  s.stations = r.model.StationCount();
  s.lines = r.model.SurveyLineCount();
  return s;
}

bool LoadInChild(const char* dir, Sample& out) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    close(fds[0]);
    const Sample s = LoadOnce(dir);
    const ssize_t w = write(fds[1], &s, sizeof s);
    _exit(w == static_cast<ssize_t>(sizeof s) ? 0 : 1);
  }
  close(fds[1]);
  const ssize_t got = read(fds[0], &out, sizeof out);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return got == static_cast<ssize_t>(sizeof out) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

using mv::bench::Median;

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  std::vector<const char*> dirs;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--legs") == 0 && i + 1 < argc) {
      const mv::LoadResult r = mv::LoadSurveyFolder(argv[i + 1]);
      if (!r.ok) {
        std::fprintf(stderr, "%s\n", r.error.c_str());
        return 1;
      }
      std::printf("%lld\n", static_cast<long long>(mv::bench::Legs(r.model)));
      return 0;
    }
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else
      dirs.push_back(argv[i]);
  }
  if (dirs.empty()) {
    std::fprintf(stderr, "usage: mv_load_bench [--runs R] DIR ...\n");
    return 2;
  }
  int failures = 0;
  for (const char* dir : dirs) {
    std::vector<double> ms, peak;
    Sample s;
    for (int run = 0; run < runs; ++run) {
      if (!LoadInChild(dir, s) || !s.ok) {
        std::fprintf(stderr, "%s: load failed\n", dir);
        ++failures;
        break;
      }
      ms.push_back(s.loadMs);
      peak.push_back(s.peakBytes);
    }
    if (ms.empty()) continue;
    std::printf("# %s: stations=%d line_records=%d runs=%zu load_ms min=%.0f max=%.0f\n", dir,
                s.stations, s.lines, ms.size(), *std::min_element(ms.begin(), ms.end()),
                *std::max_element(ms.begin(), ms.end()));
    std::printf("load stations=%d load_ms=%.0f peak_mb=%.0f model_mb=%.0f\n", s.stations,
                Median(ms), Median(peak) / 1e6, s.modelBytes / 1e6);
    std::fflush(stdout);
  }
  return failures ? 1 : 0;
}
