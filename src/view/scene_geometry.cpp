#include "view/scene_geometry.h"

#include <algorithm>

namespace mv {

int32_t PaddedMin(Real48 min, Real48 max) {
  return NearestInt32(Extended(min) - 0.2L * (Extended(max) - Extended(min)));
}

int32_t PaddedMax(Real48 min, Real48 max) {
  return NearestInt32(Extended(max) + 0.2L * (Extended(max) - Extended(min)));
}

PaddedBox ComputePaddedBox(const Extents& b) {
  return {PaddedMin(b.minX, b.maxX), PaddedMax(b.minX, b.maxX), PaddedMin(b.minY, b.maxY),
          PaddedMax(b.minY, b.maxY), PaddedMin(b.minZ, b.maxZ), PaddedMax(b.minZ, b.maxZ)};
}

int64_t ShortestSide(const PaddedBox& p) {
  // Sides in 64 bits: the difference of two 32-bit bounds may not fit in 32.
  return std::min({int64_t{p.PaddedMaxX} - p.PaddedMinX, int64_t{p.PaddedMaxY} - p.PaddedMinY,
                   int64_t{p.PaddedMaxZ} - p.PaddedMinZ});
}

int32_t ScaleStep(int64_t shortestSide) {
  const long double r = std::nearbyint(static_cast<long double>(shortestSide) * 0.05L);
  if (r < 2) return 1;
  if (r < 4) return 2;
  if (r < 8) return 5;
  if (r < 16) return 10;
  return 20;
}

TickRange TickIndices(int32_t lo, int32_t hi, int32_t spacing) {
  if (spacing <= 0) return {};
  return {int64_t{lo} / spacing, int64_t{hi} / spacing - 1};
}

long double RoseHeight(Real48 minZ, Real48 maxZ) {
  // The rose lies in the plane of the base of the simulation scale.
  return PaddedMin(minZ, maxZ);
}

RoseFrame WindRoseFrame(const Extents& box, Real48 centreX, Real48 centreY) {
  RoseFrame f;
  f.RoseUnit = Extended(box.maxY) - Extended(box.minY);
  f.x0 = MiddleOf(box.minX, box.maxX) - Extended(centreX);
  f.y0 = MiddleOf(box.minY, box.maxY) - Extended(centreY);
  f.RoseHeight = RoseHeight(box.minZ, box.maxZ);
  return f;
}

AxisSpan RotationAxisSpan(const Extents& box, int32_t lengthPercent) {
  const long double minZ = Extended(box.minZ), maxZ = Extended(box.maxZ);
  const long double h = maxZ - minZ;
  // The percentage difference is an integer; widen first so no value of the
  // variable can overflow it.
  const long double e = h * static_cast<long double>(int64_t{lengthPercent} - 100) * 0.005L;
  return {e, minZ - e, maxZ + e};
}

MarkerBounds AxisMarkerBounds(const ViewState& v, Real48 originZ) {
  // 1.2 times the survey coordinate measured from the survey origin, not its
  // distance from the centre of the box, formed as the value plus a fifth of
  // it. These are the limits of the arrow keys that move the axis.
  const auto widened = [](Real48 value, Real48 origin) {
    const long double d = Extended(value) - Extended(origin);
    return Extended(origin) + (d + 0.2L * d);
  };
  const Extents& box = v.Box;
  MarkerBounds b;
  b.x0 = widened(box.minX, v.OriginX) - Extended(v.CentreX);
  b.x1 = widened(box.maxX, v.OriginX) - Extended(v.CentreX);
  b.y0 = widened(box.minY, v.OriginY) - Extended(v.CentreY);
  b.y1 = widened(box.maxY, v.OriginY) - Extended(v.CentreY);
  b.z0 = Extended(box.minZ) - Extended(originZ);
  b.z1 = Extended(box.maxZ) - Extended(originZ);
  return b;
}

ConeSize ArrowheadSize(const Extents& box) {
  const long double h = Extended(box.maxZ) - Extended(box.minZ);
  return {h * (1.0L / 60), h * (1.0L / 17)};
}

long double EntranceRadius(const Extents& box) {
  return 0.02L * (Extended(box.maxY) - Extended(box.minY));
}

}  // namespace mv
