// The in-memory survey: stations, survey lines, origin and entrances.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/real48.h"

namespace mv {

// Columns of one survey-line row: the shot count n, then up to 30 station rows.
inline constexpr int kLineColumns = 31;
inline constexpr int kMaxEntrances = 10;

struct SurveyModel {
  // Row r holds X, Y, Z of station r at [3r], [3r + 1], [3r + 2]; the origin
  // has already been added.
  std::vector<double> stations;
  // Row r holds kLineColumns integers at [31r .. 31r + 30], exactly as read.
  std::vector<int32_t> lines;
  Real48 originX, originY, originZ;
  int32_t entranceCount = 0;
  std::array<int32_t, kMaxEntrances> entrances{};
  // Changes whenever the model is replaced, so cached geometry can tell.
  uint64_t generation = 0;

  int32_t StationCount() const { return static_cast<int32_t>(stations.size() / 3); }
  int32_t SurveyLineCount() const { return static_cast<int32_t>(lines.size() / kLineColumns); }
  double X(int32_t row) const { return stations[3 * static_cast<size_t>(row)]; }
  double Y(int32_t row) const { return stations[3 * static_cast<size_t>(row) + 1]; }
  double Z(int32_t row) const { return stations[3 * static_cast<size_t>(row) + 2]; }
  const int32_t* Line(int32_t row) const { return &lines[kLineColumns * static_cast<size_t>(row)]; }
  bool ValidStation(int64_t row) const { return row >= 0 && row < StationCount(); }
};

// A new value for SurveyModel::generation, different from every earlier one.
uint64_t NextModelGeneration();

// Two stations at the origin joined by one line; in force before the first
// load and after a failed one.
SurveyModel PlaceholderModel();

// Bounding box of the stations and the origin point.
struct Extents {
  Real48 minX, maxX, minY, maxY, minZ, maxZ;
  bool operator==(const Extents&) const = default;
};

// The box starts at the origin (so the origin always lies inside) and widens
// by every station. Each bound is held as a six-byte real.
Extents ComputeExtents(const SurveyModel& m);

// Horizontal centre of the box: Max - (Max - Min) * 0.5.
Real48 CentreOf(Real48 min, Real48 max);

// The largest side of the box; a later side replaces an earlier only when
// strictly greater.
long double ModelSize(const Extents& e);

// exp(2.56437 - 0.834415 ln(size)); size must be positive.
Real48 FittedZoom(long double size);

}  // namespace mv
