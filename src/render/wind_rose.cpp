#include "render/wind_rose.h"

#include <span>

#include "render/draw_helpers.h"
#include "render/simulation_scale.h"

namespace mv {

namespace {

// Offsets in multiples of the rose unit; +y is north.
struct Offset {
  long double u, v;
};

// The shaft from south to the tip, then down the right side of the head and
// across; the left side of the head stays open.
constexpr Offset kNeedle[] = {{0, -0.3L}, {0, 0.3L}, {0.05L, 0.05L}, {-0.05L, 0.05L}};
constexpr Offset kCrossBar[] = {{-0.15L, -0.1L}, {0.15L, -0.1L}};
// A closed outline of the letter N with strokes 0.005 thick, right of the
// shaft and under the cross bar, reading correctly from above.
constexpr Offset kLetterN[] = {{0.05L, -0.25L},  {0.05L, -0.125L}, {0.055L, -0.125L},
                               {0.12L, -0.235L}, {0.12L, -0.125L}, {0.125L, -0.125L},
                               {0.125L, -0.25L}, {0.12L, -0.25L},  {0.055L, -0.14L},
                               {0.055L, -0.25L}, {0.05L, -0.25L}};

void Figure(GlApi& gl, Prim prim, std::span<const Offset> points, const RoseFrame& f) {
  const long double d = Extended(f.RoseUnit), x0 = Extended(f.x0), y0 = Extended(f.y0);
  const float z = ToFloat(Extended(f.RoseHeight));
  gl.Begin(prim);
  for (const Offset& p : points) gl.Vertex3f(ToFloat(x0 + p.u * d), ToFloat(y0 + p.v * d), z);
  gl.End();
}

}  // namespace

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

void DrawWindRose(GlApi& gl, const ViewState& v, const SurveyModel& m) {
  const OriginShift shift(gl, m.originZ);
  const RoseFrame f = WindRoseFrame(v.Box, v.CentreX, v.CentreY);
  SetColor(gl, v.ScaleColor);
  Figure(gl, Prim::LineStrip, kNeedle, f);
  Figure(gl, Prim::Lines, kCrossBar, f);
  Figure(gl, Prim::LineStrip, kLetterN, f);
}

}  // namespace mv
