#include "data/survey_model.h"

#include <cmath>

namespace mv {

uint64_t NextModelGeneration() {
  static uint64_t g = 0;
  return ++g;
}

SurveyModel PlaceholderModel() {
  SurveyModel m;
  m.stations.assign(6, 0.0);
  m.lines.assign(kLineColumns, 0);
  m.lines[0] = 1;
  m.lines[1] = 0;
  m.lines[2] = 1;
  m.generation = NextModelGeneration();
  return m;
}

Extents ComputeExtents(const SurveyModel& m) {
  Extents e;
  e.minX = e.maxX = m.originX;
  e.minY = e.maxY = m.originY;
  e.minZ = e.maxZ = m.originZ;
  // Each bound is a six-byte real, so a station is compared with the rounded
  // bound and a replacing value is rounded as soon as it is taken.
  long double minX = e.minX, maxX = e.maxX, minY = e.minY, maxY = e.maxY, minZ = e.minZ,
              maxZ = e.maxZ;
  const size_t n = m.stations.size() / 3;
  const double* s = m.stations.data();
  for (size_t r = 0; r < n; ++r, s += 3) {
    if (s[0] < minX) minX = Real48(s[0]);
    if (s[0] > maxX) maxX = Real48(s[0]);
    if (s[1] < minY) minY = Real48(s[1]);
    if (s[1] > maxY) maxY = Real48(s[1]);
    if (s[2] < minZ) minZ = Real48(s[2]);
    if (s[2] > maxZ) maxZ = Real48(s[2]);
  }
  e.minX = minX;
  e.maxX = maxX;
  e.minY = minY;
  e.maxY = maxY;
  e.minZ = minZ;
  e.maxZ = maxZ;
  return e;
}

long double MiddleOf(Real48 min, Real48 max) {
  const long double lo = min, hi = max;
  return hi - (hi - lo) * 0.5L;
}

Real48 CentreOf(Real48 min, Real48 max) {
  return MiddleOf(min, max);
}

long double ModelSize(const Extents& e) {
  long double size = static_cast<long double>(e.maxX) - e.minX;
  const long double dy = static_cast<long double>(e.maxY) - e.minY;
  if (dy > size) size = dy;
  const long double dz = static_cast<long double>(e.maxZ) - e.minZ;
  if (dz > size) size = dz;
  return size;
}

Real48 FittedZoom(long double size) {
  return std::exp(2.56437L - 0.834415L * std::log(size));
}

}  // namespace mv
