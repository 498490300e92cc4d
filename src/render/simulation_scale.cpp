#include "render/simulation_scale.h"

#include <algorithm>

#include "render/draw_helpers.h"

namespace mv {

namespace {

// Stroke glyphs, placed by their left edge a, in hundredths of the step. The
// digits stand from t = 3.7 to 4.3, the letter m from 3.7 to 4.0.
void DigitOne(std::vector<GlyphStrip>& out, int32_t a) {
  out.push_back({{a, 370}, {a, 430}});
}

void DigitZero(std::vector<GlyphStrip>& out, int32_t a, int32_t w = 30) {
  out.push_back({{a, 370}, {a, 430}, {a + w, 430}, {a + w, 370}, {a, 370}});
}

void DigitTwo(std::vector<GlyphStrip>& out, int32_t a) {
  out.push_back({{a, 430}, {a + 30, 430}, {a + 30, 400}, {a, 400}, {a, 370}, {a + 30, 370}});
}

void DigitFive(std::vector<GlyphStrip>& out, int32_t a) {
  out.push_back({{a, 370}, {a + 30, 370}, {a + 30, 400}, {a, 400}, {a, 430}, {a + 30, 430}});
}

void LetterM(std::vector<GlyphStrip>& out, int32_t a) {
  out.push_back({{a, 370}, {a, 400}, {a + 20, 400}, {a + 20, 370}});
  out.push_back({{a + 20, 400}, {a + 40, 400}, {a + 40, 370}});
}

// Places points of the scale: x and y are survey coordinates less the axis
// position, z is left to the translation by the origin.
class ScalePen {
 public:
  ScalePen(GlApi& gl, const ViewState& v, const SurveyModel& m, const PaddedBox& p, int32_t step)
      : gl_(gl),
        cx_(Extended(v.CentreX)),
        cy_(Extended(v.CentreY)),
        ox_(Extended(m.originX)),
        box_(p),
        step_(step) {}

  void Vertex(long double x, long double y, long double z) {
    gl_.Vertex3f(ToFloat(x - cx_), ToFloat(y - cy_), ToFloat(z));
  }

  // A point of the graduation bar: x = xs x s along the bar from the survey
  // origin's x, y = PaddedMinY + t x s, on the bottom of the padded box.
  // Multiplying whole constants keeps every offset one product, never a sum
  // of steps. The bar starts at the origin rather than at x = 0 of the outer
  // frame, so that a survey in map coordinates still has its bar beside the
  // cave; where the origin is 0 the two are the same.
  void BarVertex(long double xs, long double t) {
    Vertex(ox_ + xs * step_, box_.PaddedMinY + t * step_, box_.PaddedMinZ);
  }

  void Glyphs(const std::vector<GlyphStrip>& strips) {
    for (const GlyphStrip& strip : strips) {
      gl_.Begin(Prim::LineStrip);
      for (const GlyphPoint& g : strip) BarVertex(g.x / 100.0L, g.t / 100.0L);
      gl_.End();
    }
  }

  // One group of ticks along `axis` (0 x, 1 y, 2 z) at the given spacing.
  // Each tick rises from the corner line of the box in +y for the x axis and
  // in +x for the others, from `from` x s to `to` x s.
  void Ticks(int axis, int32_t spacing, long double from, long double to) {
    const int32_t lo[3] = {box_.PaddedMinX, box_.PaddedMinY, box_.PaddedMinZ};
    const int32_t hi[3] = {box_.PaddedMaxX, box_.PaddedMaxY, box_.PaddedMaxZ};
    const int rise = axis == 0 ? 1 : 0;
    const TickRange r = TickIndices(lo[axis], hi[axis], spacing);
    // The pair is issued even for a group without ticks.
    gl_.Begin(Prim::Lines);
    for (int64_t k = r.first; k <= r.last; ++k) {
      long double a[3] = {static_cast<long double>(lo[0]), static_cast<long double>(lo[1]),
                          static_cast<long double>(lo[2])};
      a[axis] = static_cast<long double>(k * spacing);
      long double b[3] = {a[0], a[1], a[2]};
      a[rise] += from * step_;
      b[rise] += to * step_;
      Vertex(a[0], a[1], a[2]);
      Vertex(b[0], b[1], b[2]);
    }
    gl_.End();
  }

 private:
  GlApi& gl_;
  long double cx_, cy_, ox_;
  const PaddedBox& box_;
  int32_t step_;
};

}  // namespace

std::vector<GlyphStrip> ZeroLabel() {
  std::vector<GlyphStrip> out;
  DigitZero(out, 25, 35);
  return out;
}

std::vector<GlyphStrip> LengthLabel(int32_t step) {
  std::vector<GlyphStrip> out;
  switch (step) {
    case 1:  // 10m
      DigitOne(out, 1020), DigitZero(out, 1040), LetterM(out, 1080);
      break;
    case 2:  // 20m
      DigitTwo(out, 1020), DigitZero(out, 1070), LetterM(out, 1120);
      break;
    case 5:  // 50m
      DigitFive(out, 1020), DigitZero(out, 1070), LetterM(out, 1120);
      break;
    case 10:  // 100m
      DigitOne(out, 1020), DigitZero(out, 1040), DigitZero(out, 1090), LetterM(out, 1140);
      break;
    case 20:  // 200m
      DigitTwo(out, 1020), DigitZero(out, 1070), DigitZero(out, 1120), LetterM(out, 1170);
      break;
    default:
      break;
  }
  return out;
}

void DrawSimulationScale(GlApi& gl, const ViewState& v, const SurveyModel& m) {
  const OriginShift shift(gl, m.originZ);
  const PaddedBox p = ComputePaddedBox(v.Box);
  SetColour(gl, v.ScaleColor);
  const int32_t s = ScaleStep(ShortestSide(p));
  ScalePen pen(gl, v, m, p, s);

  // Three axes from the lower corner of the padded box.
  const long double x0 = p.PaddedMinX, y0 = p.PaddedMinY, z0 = p.PaddedMinZ;
  gl.Begin(Prim::Lines);
  pen.Vertex(x0, y0, z0);
  pen.Vertex(p.PaddedMaxX, y0, z0);
  pen.Vertex(x0, y0, z0);
  pen.Vertex(x0, p.PaddedMaxY, z0);
  pen.Vertex(x0, y0, z0);
  pen.Vertex(x0, y0, p.PaddedMaxZ);
  gl.End();

  // Arrowheads: the cone points along local +z, so the x and y ones are
  // turned onto their axes. All three take the survey's height for their size.
  const ConeSize c = ArrowheadSize(v.Box);
  const double radius = static_cast<double>(c.radius), height = static_cast<double>(c.height);
  const long double cx = Extended(v.CentreX), cy = Extended(v.CentreY);
  const auto cone = [&](long double x, long double y, long double z, float angle, float ax,
                        float ay) {
    gl.Translatef(ToFloat(x - cx), ToFloat(y - cy), ToFloat(z));
    if (angle != 0) gl.Rotatef(angle, ax, ay, 0);
    gl.SolidCone(radius, height);
    if (angle != 0) gl.Rotatef(-angle, ax, ay, 0);
    gl.Translatef(ToFloat(cx - x), ToFloat(cy - y), ToFloat(-z));
  };
  cone(x0, y0, p.PaddedMaxZ, 0, 0, 0);
  cone(p.PaddedMaxX, y0, z0, 90, 0, 1);
  cone(x0, p.PaddedMaxY, z0, -90, 1, 0);

  pen.Ticks(0, s, 0, 0.9L);
  pen.Ticks(1, s, 0, 0.9L);
  pen.Ticks(2, s, 0, 0.9L);
  pen.Ticks(0, 5 * s, 0.9L, 1.8L);
  pen.Ticks(1, 5 * s, 0.9L, 1.8L);
  pen.Ticks(2, 5 * s, 0.9L, 1.8L);

  if (v.GraduationVisible) {
    gl.Begin(Prim::Lines);
    pen.BarVertex(0, 2.9L);
    pen.BarVertex(10, 2.9L);
    gl.End();
    for (int i = 0; i <= 10; ++i) {
      gl.Begin(Prim::Lines);
      pen.BarVertex(i, 2.9L);
      pen.BarVertex(i, 3.5L);
      gl.End();
    }
    // The end ticks reach higher than the inner ones.
    gl.Begin(Prim::Lines);
    pen.BarVertex(0, 3.9L);
    pen.BarVertex(0, 3.5L);
    pen.BarVertex(10, 3.9L);
    pen.BarVertex(10, 3.5L);
    gl.End();
    // The labels are fixed per step: build them once, not every frame.
    static const std::vector<GlyphStrip> zero = ZeroLabel();
    static const std::vector<GlyphStrip> lengths[] = {
        LengthLabel(1), LengthLabel(2), LengthLabel(5), LengthLabel(10), LengthLabel(20)};
    pen.Glyphs(zero);
    pen.Glyphs(lengths[s == 1 ? 0 : s == 2 ? 1 : s == 5 ? 2 : s == 10 ? 3 : 4]);
  }
}

}  // namespace mv
