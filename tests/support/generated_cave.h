// Large caves made up for tests: random-walk passages that branch from
// earlier stations, as survey-line rows of at most 29 legs.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "data/survey_model.h"

namespace mv::test {

struct CaveShape {
  int64_t legs = 60000;
  uint32_t seed = 1;
  double legLength = 5;  // metres, on average
  // A splay from every this many stations, none at 0.
  int splayEvery = 0;
  // One passage of all the legs, in rows that continue one another.
  bool oneTraverse = false;
  // Passages of 1 to this many legs, turning by up to half this many
  // radians a leg.
  int passageMost = 40;
  double turn = 0.7;
  // Passages branch from the last stations made, so the cave spreads out,
  // instead of from anywhere.
  bool spreads = false;
};

// Station 0 is the entrance; the cave lies in map coordinates.
inline SurveyModel GeneratedCave(const CaveShape& shape) {
  SurveyModel m;
  m.originX = 512000.0L;
  m.originY = 4812000.0L;
  m.originZ = 1500.0L;
  uint32_t s = shape.seed;
  const auto unit = [&s] {
    s = s * 1664525u + 1013904223u;
    return static_cast<double>(s >> 8) / 16777216.0;
  };
  const auto add = [&m](double x, double y, double z) {
    m.stations.insert(m.stations.end(), {x, y, z});
    return m.StationCount() - 1;
  };
  const auto row = [&m](const int32_t* stations, int32_t n, uint8_t flags) {
    const size_t at = m.lines.size();
    m.lines.resize(at + kLineColumns, 0);
    m.lines[at] = n - 1;
    std::copy(stations, stations + n, m.lines.begin() + static_cast<std::ptrdiff_t>(at) + 1);
    m.lineFlags.push_back(flags);
  };
  add(512000.0, 4812000.0, 1500.0);
  int64_t left = shape.legs;
  std::vector<int32_t> chain;
  while (left > 0) {
    const int32_t stations = m.StationCount();
    const int32_t recent = shape.spreads ? std::min(stations, 2000) : stations;
    const int32_t from =
        shape.oneTraverse
            ? stations - 1
            : std::min(stations - 1, stations - 1 - static_cast<int32_t>(unit() * recent));
    const int64_t legs =
        shape.oneTraverse
            ? left
            : std::min<int64_t>(left, 1 + static_cast<int64_t>(unit() * shape.passageMost));
    left -= legs;
    double heading = unit() * 6.283, x = m.X(from), y = m.Y(from), z = m.Z(from);
    chain.assign(1, from);
    for (int64_t k = 0; k < legs; ++k) {
      heading += (unit() - 0.5) * shape.turn;
      const double length = shape.legLength * (0.4 + 1.2 * unit());
      const double slope = (unit() - 0.6) * 0.6;
      x += length * std::cos(heading);
      y += length * std::sin(heading);
      z += length * slope;
      chain.push_back(add(x, y, z));
      if (shape.splayEvery > 0 && chain.back() % shape.splayEvery == 0) {
        const int32_t wall[2] = {chain.back(), add(x + length * 0.3, y - length * 0.2, z + 0.5)};
        // A splay row lies between the passage's rows: the passage's rows
        // are written when it ends.
        row(wall, 2, kLegSplay);
      }
    }
    for (size_t at = 0; at + 1 < chain.size(); at += 29)
      row(chain.data() + at, static_cast<int32_t>(std::min<size_t>(30, chain.size() - at)), 0);
  }
  if (std::all_of(m.lineFlags.begin(), m.lineFlags.end(), [](uint8_t f) { return f == 0; }))
    m.lineFlags.clear();
  m.entranceCount = 1;
  m.entrances[0] = 0;
  m.generation = NextModelGeneration();
  return m;
}

}  // namespace mv::test
