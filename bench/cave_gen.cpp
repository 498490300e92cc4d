#include "cave_gen.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <system_error>
#include <vector>

#include "data/survey_writer.h"

namespace mv::bench {

namespace {

// splitmix64: the standard library's distributions differ between
// implementations, so the caves draw their numbers from this alone.
class Random {
 public:
  explicit Random(uint64_t seed) : s_(seed) {}
  uint64_t Next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  double Between(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  // Uniform in [lo, hi].
  int64_t Int(int64_t lo, int64_t hi) {
    return lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(hi - lo + 1));
  }

 private:
  uint64_t s_;
};

constexpr double kPi = std::numbers::pi;

// Shots in one passage: mostly short crawls between junctions, some long
// galleries that need two or three records; about ten shots a record.
int64_t PassageShots(Random& r) {
  return r.Unit() < 0.85 ? r.Int(1, 10) : r.Int(11, 80);
}

}  // namespace

int64_t Legs(const SurveyModel& m) {
  int64_t legs = 0;
  for (size_t i = 0; i < m.lines.size(); i += kLineColumns) legs += std::max(0, m.lines[i]);
  return legs;
}

SurveyModel GenerateCave(int64_t legs, uint64_t seed) {
  SurveyModel s;
  Random r(seed);
  // A real survey's origin lies at the main entrance, in map coordinates.
  s.originX = 512345.5L;
  s.originY = 4812345.25L;
  s.originZ = 1650.0L;
  s.stations.reserve(3 * static_cast<size_t>(legs + 1));
  s.lines.reserve(static_cast<size_t>(legs / 8 + 16) * kLineColumns);
  s.stations.insert(s.stations.end(), {0.0, 0.0, 0.0});

  // Positions in decimetres; the stations get them divided by ten, which is
  // the double a conversion of the decimal text gives.
  std::vector<int32_t> dm{0, 0, 0};
  dm.reserve(3 * static_cast<size_t>(legs + 1));
  std::vector<int32_t> chain;
  int64_t left = legs;
  while (left > 0) {
    const int32_t stations = s.StationCount();
    // Most passages leave from the part of the cave surveyed last, so the
    // cave grows outwards; the rest from anywhere, as side passages do.
    int32_t from = 0;
    if (stations > 1) {
      const int32_t recent = std::min(stations, 3000);
      from = r.Unit() < 0.7 ? static_cast<int32_t>(stations - 1 - r.Int(0, recent - 1))
                            : static_cast<int32_t>(r.Int(0, stations - 1));
    }
    const int64_t shots = std::min(PassageShots(r), left);
    left -= shots;

    double heading = r.Between(0, 2 * kPi);
    const bool shaft = r.Unit() < 0.06;
    double x = dm[3 * static_cast<size_t>(from)];
    double y = dm[3 * static_cast<size_t>(from) + 1];
    double z = dm[3 * static_cast<size_t>(from) + 2];
    // Keep the cave below its entrance, as the viewer's camera expects.
    const double slope = shaft ? -1.4 : (z > -200 ? -0.25 : 0.0);
    chain.assign(1, from);
    for (int64_t k = 0; k < shots; ++k) {
      heading += r.Between(-0.35, 0.35);
      const double length = r.Between(20, 120);  // decimetres
      const double inclination =
          shaft ? r.Between(-1.57, -1.2) : std::clamp(slope + r.Between(-0.25, 0.25), -0.8, 0.8);
      x += length * std::cos(inclination) * std::cos(heading);
      y += length * std::cos(inclination) * std::sin(heading);
      z += length * std::sin(inclination);
      chain.push_back(s.StationCount());
      const int32_t p[3] = {static_cast<int32_t>(std::lround(x)),
                            static_cast<int32_t>(std::lround(y)),
                            static_cast<int32_t>(std::lround(z))};
      dm.insert(dm.end(), p, p + 3);
      s.stations.insert(s.stations.end(), {p[0] / 10.0, p[1] / 10.0, p[2] / 10.0});
    }
    AppendChain(s.lines, chain);
  }

  // The main entrance at the origin and two more elsewhere.
  s.entranceCount = 3;
  s.entrances[0] = 0;
  for (int k = 1; k < s.entranceCount; ++k)
    s.entrances[static_cast<size_t>(k)] = static_cast<int32_t>(r.Int(0, s.StationCount() - 1));
  s.generation = NextModelGeneration();
  return s;
}

namespace {
WriteOptions CaveWriteOptions() {
  WriteOptions o;
  o.name = "Jaskinia testowa";
  o.stationsRelative = true;
  return o;
}
}  // namespace

std::string WriteCave(const SurveyModel& cave, const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return dir.string() + ": " + ec.message();
  std::string error;
  if (!WriteSurveyFolder(dir, cave, CaveWriteOptions(), error)) return error;
  return {};
}

LoadResult LoadCave(const SurveyModel& cave) {
  SurveyFiles files;
  LoadResult r;
  if (!EncodeSurvey(cave, CaveWriteOptions(), files, r.error)) return r;
  return LoadSurveyBytes({files.stations, files.lines, files.object}, ".");
}

}  // namespace mv::bench
