// Where each element of the scene lies, as plain numbers: the padded box of
// the simulation scale and its step, the wind rose, the rotation axis and its
// position marker, the arrowheads and the entrance spheres. The drawers draw
// from these, and the fit measures the picture with them.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "data/survey_model.h"
#include "view/view_state.h"

namespace mv {

// The nearest integer, halves to the even neighbour (the default rounding
// mode). Values beyond the 32-bit range, which only a corrupt survey can
// produce, stick at its ends instead of wrapping.
inline int32_t NearestInt32(long double v) {
  if (std::isnan(v)) return 0;
  const long double r = std::nearbyint(v);
  if (r <= static_cast<long double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  if (r >= static_cast<long double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

// --- the simulation scale ---------------------------------------------------

// The bounding box widened by a fifth of its size on every side and rounded
// to whole survey units, halves to even.
struct PaddedBox {
  int32_t PaddedMinX = 0, PaddedMaxX = 0;
  int32_t PaddedMinY = 0, PaddedMaxY = 0;
  int32_t PaddedMinZ = 0, PaddedMaxZ = 0;
};
int32_t PaddedMin(Real48 min, Real48 max);
int32_t PaddedMax(Real48 min, Real48 max);
PaddedBox ComputePaddedBox(const Extents& box);

// The least of the three sides of the padded box.
int64_t ShortestSide(const PaddedBox& p);

// The tick spacing, 1, 2, 5, 10 or 20 survey units, from the shortest side m:
// m / 20 rounded halves to even, then mapped onto the steps.
int32_t ScaleStep(int64_t shortestSide);

// Ticks along an axis from lo to hi at the given spacing stand at k x spacing
// for k from lo / spacing to hi / spacing - 1, with division truncating
// toward zero. So the first tick may lie just outside the axis (lo = 37 with
// spacing 10 gives 30) and none stands on hi itself.
struct TickRange {
  int64_t first = 0, last = -1;
  bool Empty() const { return last < first; }
};
TickRange TickIndices(int32_t lo, int32_t hi, int32_t spacing);

// How far the ticks rise from the axes, and where the graduation bar and its
// labels lie, in scale steps: the bar runs along x from the survey origin's
// x, across y from the bottom of the padded box.
inline constexpr long double kLongTickRise = 1.8L;
inline constexpr long double kBarLengthSteps = 10;
inline constexpr long double kBarLabelEndSteps = 12;  // the widest length label ends here
inline constexpr long double kBarLowest = 2.9L, kBarHighest = 4.3L;

// --- the wind rose ----------------------------------------------------------

// The whole number nearest to MinZ - 0.2 x (MaxZ - MinZ), halves to even:
// the plane of the base of the simulation scale.
long double RoseHeight(Real48 minZ, Real48 maxZ);

// Where the rose lies and how big it is, each held as a six-byte real like the
// rest of the view's reals.
struct RoseFrame {
  Real48 RoseUnit;  // the survey's extent in y; every offset is a multiple of it
  Real48 x0, y0;    // the centre of the bounding box less the axis position
  Real48 RoseHeight;
};
RoseFrame WindRoseFrame(const Extents& box, Real48 centreX, Real48 centreY);

// The rose's figure reaches this far from its centre, in rose units: the
// cross bar across, the needle along.
inline constexpr long double kRoseHalfWidth = 0.15L, kRoseHalfLength = 0.3L;

// --- the rotation axis and its marker ------------------------------------------

// The axis in survey z: from MinZ - extension to MaxZ + extension, where
// extension = H x (P - 100) x 0.005 for the height H and length percent P. A
// percentage under 100 gives a negative extension and an axis shorter than
// the survey.
struct AxisSpan {
  long double extension = 0;
  long double bottom = 0;
  long double top = 0;
};
AxisSpan RotationAxisSpan(const Extents& box, int32_t lengthPercent);

// The two upright rectangles of the marker, already in scene coordinates:
// x and y span 1.2 x the survey bounds (measured from the survey origin) less
// the axis position, z spans the survey's height less the origin's.
struct MarkerBounds {
  long double x0 = 0, x1 = 0, y0 = 0, y1 = 0, z0 = 0, z1 = 0;
};
MarkerBounds AxisMarkerBounds(const ViewState& v, Real48 originZ);

// --- the solids -------------------------------------------------------------

struct ConeSize {
  long double radius = 0;
  long double height = 0;
};

// The arrowhead of the rotation axis and of each scale axis: base radius
// (MaxZ - MinZ) / 60 and height (MaxZ - MinZ) / 17, whatever its direction.
ConeSize ArrowheadSize(const Extents& box);

// Every entrance sphere: 2 per cent of the survey's extent in y.
long double EntranceRadius(const Extents& box);

}  // namespace mv
