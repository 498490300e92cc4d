// Repainting only what moved: the spin's speed on the screen, and the gate
// that lets a tick through only when the picture would change.
#include "view/repaint.h"

#include <gtest/gtest.h>

#include <cmath>

#include "view/projection.h"

namespace mv {
namespace {

constexpr PictureGeometry kPicture{780, 591, 780, 558, 33};

ViewState FittedView(const SurveyCylinder& c, double tilt) {
  ViewState v;
  SetStartParameters(v);
  v.TiltAngle = tilt;
  const FitResult f = FitView(v, c, kPicture);
  v.ZoomScale = f.ZoomScale;
  v.TargetY = f.TargetY;
  v.TargetZ = f.TargetZ;
  return v;
}

TEST(SpinDegreesBetween, TakesTheShorterWayRound) {
  const struct {
    long double a, b, want;
  } rows[] = {{0, 0, 0},   {359, 1, 2},           {10, 370, 0},
              {-5, 5, 10}, {0.0001L, 0, 0.0001L}, {0, 180, 180}};
  for (const auto& r : rows)
    EXPECT_NEAR(static_cast<double>(SpinDegreesBetween(r.a, r.b)), static_cast<double>(r.want),
                1e-9)
        << r.a << " " << r.b;
}

// The speed found from the unspun view bounds how far the frame's own
// matrices move any point of the cylinder in one degree, and some rim point
// comes close to it.
TEST(SpinPixelsPerDegree, BoundsThePointsOfTheSpinningFrame) {
  const SurveyCylinder c{120, -80, 40};
  for (const double tilt : {0.0001, 30.0, 90.0, -60.0}) {
    ViewState v = FittedView(c, tilt);
    v.SpinStep = 1.0L;
    v.TickCount = 37;
    v.TurnAngle = 12;
    const double speed = SpinPixelsPerDegree(v, c, kPicture);
    ASSERT_GT(speed, 0);
    ViewState next = v;
    next.TickCount = 38;
    const Mat4 p = FrameProjection(kPicture.outerWidth, kPicture.outerHeight);
    const Mat4 a = FrameModelView(v), b = FrameModelView(next);
    double fastest = 0;
    for (int i = 0; i < 360; ++i)
      for (const double f : {0.0, 0.5, 1.0})
        for (const double z : {c.bottom, 0.0, c.top}) {
          const double x = f * c.radius * std::cos(i * M_PI / 180),
                       y = f * c.radius * std::sin(i * M_PI / 180);
          const WindowPoint u = Project(a, p, kPicture.outerWidth, kPicture.outerHeight, x, y, z);
          const WindowPoint w = Project(b, p, kPicture.outerWidth, kPicture.outerHeight, x, y, z);
          fastest = std::max(fastest, std::hypot(w.x - u.x, w.y - u.y));
        }
    EXPECT_LE(fastest, speed * 1.01) << "tilt " << tilt;
    EXPECT_GE(fastest, speed * 0.99) << "tilt " << tilt;
  }
  // A survey that is only its axis does not move.
  EXPECT_EQ(SpinPixelsPerDegree(FittedView(c, 30), {0, -80, 40}, kPicture), 0);
}

TEST(RepaintGate, LetsThroughWhatChangesThePicture) {
  AppState s;
  SetStartParameters(s.view);
  const SurveyCylinder c{120, -80, 40};
  s.view = FittedView(c, 20);
  const double speed = SpinPixelsPerDegree(s.view, c, kPicture);
  RepaintGate gate;
  EXPECT_TRUE(gate.Wanted(FrameInputsOf(s, kPicture), 0)) << "nothing drawn yet";
  gate.Drawn(FrameInputsOf(s, kPicture), SpinAngle(s.view), speed);

  const struct {
    const char* what;
    void (*change)(AppState&, PictureGeometry&);
    bool wanted;
  } rows[] = {
      {"nothing", [](AppState&, PictureGeometry&) {}, false},
      {"a tick of a stopped spin",
       [](AppState& a, PictureGeometry&) {
         a.view.SpinStep = kNearZero;
         a.view.TickCount = 1;
       },
       true},  // SpinStep itself changed
      {"a tick", [](AppState& a, PictureGeometry&) { a.view.TickCount = 1; }, true},
      {"zoom", [](AppState& a, PictureGeometry&) { a.view.ZoomScale = 0.5L; }, true},
      {"colour", [](AppState& a, PictureGeometry&) { a.view.LineColor.g = 1; }, true},
      {"depth colours", [](AppState& a, PictureGeometry&) { a.view.DepthColours = true; }, true},
      {"a new survey", [](AppState& a, PictureGeometry&) { a.survey.generation += 1; }, true},
      {"resize", [](AppState&, PictureGeometry& g) { g.height -= 1; }, true},
  };
  for (const auto& r : rows) {
    AppState changed = s;
    PictureGeometry g = kPicture;
    r.change(changed, g);
    EXPECT_EQ(gate.Wanted(FrameInputsOf(changed, g), SpinAngle(changed.view)), r.wanted) << r.what;
  }

  // A stopped spin crawls: the first tick that carries a rim point half a
  // pixel gets a frame, none before it.
  s.view.SpinStep = kNearZero;
  gate.Drawn(FrameInputsOf(s, kPicture), SpinAngle(s.view), speed);
  const int due = static_cast<int>(std::ceil(0.5 / (speed * static_cast<double>(kNearZero))));
  ASSERT_GT(due, 64);
  int first = 0;
  for (int tick = 1; tick <= 2 * due && !first; ++tick) {
    s.view.TickCount = tick;
    if (gate.Wanted(FrameInputsOf(s, kPicture), SpinAngle(s.view))) first = tick;
  }
  EXPECT_NEAR(first, due, 1);
}

}  // namespace
}  // namespace mv
