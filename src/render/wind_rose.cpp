#include "render/wind_rose.h"

#include <span>

#include "render/draw_helpers.h"

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

void DrawWindRose(GlApi& gl, const ViewState& v, const SurveyModel& m) {
  const OriginShift shift(gl, m.originZ);
  const RoseFrame f = WindRoseFrame(v.Box, v.CentreX, v.CentreY);
  SetColour(gl, v.ScaleColor);
  Figure(gl, Prim::LineStrip, kNeedle, f);
  Figure(gl, Prim::Lines, kCrossBar, f);
  Figure(gl, Prim::LineStrip, kLetterN, f);
}

}  // namespace mv
