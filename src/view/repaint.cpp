#include "view/repaint.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "view/projection.h"

namespace mv {

namespace {

// Points on each rim. Between two of them the rim turns by 5°, so the
// fastest point found is short of the fastest there is by at most
// 1 - cos(2.5°), a thousandth.
constexpr int kRimPoints = 72;

}  // namespace

FrameInputs FrameInputsOf(const AppState& s, const PictureGeometry& g) {
  FrameInputs in{s.view, s.survey.generation, g};
  in.view.TickCount = 0;
  return in;
}

long double SpinDegreesBetween(long double a, long double b) {
  const long double d = std::fmod(std::fabs(a - b), 360.0L);
  return std::min(d, 360.0L - d);
}

double SpinPixelsPerDegree(const ViewState& v, const SurveyCylinder& c, const PictureGeometry& g) {
  if (g.outerWidth <= 0 || g.outerHeight <= 0) return 0;
  // The spin turns the model about its z axis after the tilt; the cylinder
  // looks the same at every spin angle, so the unspun view tells the speed
  // at all of them.
  const Mat4 modelView = FrameModelViewUnspun(v);
  const Mat4 projection = FrameProjection(g.outerWidth, g.outerHeight);
  const double r = std::max(c.radius, 0.0);
  const double step = std::numbers::pi / 180.0;
  double fastest = 0;
  for (int i = 0; i < kRimPoints; ++i) {
    const double a = 2 * std::numbers::pi * i / kRimPoints;
    for (const double z : {c.bottom, c.top}) {
      const WindowPoint p = Project(modelView, projection, g.outerWidth, g.outerHeight,
                                    r * std::cos(a), r * std::sin(a), z);
      const WindowPoint q = Project(modelView, projection, g.outerWidth, g.outerHeight,
                                    r * std::cos(a + step), r * std::sin(a + step), z);
      if (!p.visible || !q.visible) return std::numeric_limits<double>::infinity();
      fastest = std::max(fastest, std::hypot(q.x - p.x, q.y - p.y));
    }
  }
  return fastest * g.pixelRatio;
}

void RepaintGate::Drawn(const FrameInputs& inputs, long double spinDegrees,
                        double pixelsPerDegree) {
  drawn_ = true;
  last_ = inputs;
  lastDegrees_ = spinDegrees;
  pixelsPerDegree_ = pixelsPerDegree;
}

bool RepaintGate::Wanted(const FrameInputs& inputs, long double spinDegrees) const {
  if (!drawn_ || !(inputs == last_)) return true;
  const long double moved = SpinDegreesBetween(spinDegrees, lastDegrees_);
  return moved > 0 && pixelsPerDegree_ * moved >= kPixels;
}

}  // namespace mv
