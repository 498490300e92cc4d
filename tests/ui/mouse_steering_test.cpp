// Mouse steering on a plain view state: drags, clicks and the wheel.
#include "ui/mouse_steering.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "ui/key_actions.h"
#include "view/camera.h"

namespace mv::ui {
namespace {

ViewState Started() {
  ViewState v;
  SetStartParameters(v);
  return v;
}

bool Near(long double a, long double b) {
  return std::fabs(a - b) < 1e-9L;
}

struct Point {
  int x, y;
};

// The view-state changes of one press, a path of moves and the release.
TEST(MouseSteering, DragsTurnTiltAndPanClicksDoNothing) {
  constexpr int kHeight = 591;
  struct Row {
    const char* name;
    DragButton button;
    std::vector<Point> path;  // the press, then the moves
    long double turn, tilt;   // expected changes, degrees
    int panX, panY;           // expected pan, in pixels of drag
  };
  const Row rows[] = {
      {"click", DragButton::Left, {{100, 100}}, 0, 0, 0, 0},
      {"jitter within the threshold",
       DragButton::Left,
       {{100, 100}, {102, 101}, {101, 99}},
       0,
       0,
       0,
       0},
      {"left drag counts from the press",
       DragButton::Left,
       {{100, 100}, {101, 100}, {103, 100}, {120, 110}},
       10,
       5,
       0,
       0},
      {"left drag and back", DragButton::Left, {{100, 100}, {140, 80}, {100, 100}}, 0, 0, 0, 0},
      {"right drag pans", DragButton::Right, {{100, 100}, {130, 88}}, 0, 0, 30, -12},
      {"no button", DragButton::None, {{100, 100}, {200, 200}}, 0, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ViewState v = Started();
    const ViewState before = v;
    MouseSteering m;
    m.Press(row.button, row.path[0].x, row.path[0].y);
    for (size_t i = 1; i < row.path.size(); ++i) m.Move(v, row.path[i].x, row.path[i].y, kHeight);
    m.Release(row.button);
    const long double step = PanPerPixel(before, kHeight);
    EXPECT_TRUE(Near(v.TurnAngle, before.TurnAngle + row.turn));
    EXPECT_TRUE(Near(v.TiltAngle, before.TiltAngle + row.tilt));
    EXPECT_TRUE(Near(v.TargetY, before.TargetY - row.panX * step));
    EXPECT_TRUE(Near(v.TargetZ, before.TargetZ + row.panY * step));
    EXPECT_EQ(v.ZoomScale, before.ZoomScale);
    EXPECT_EQ(v.SpinStep, before.SpinStep);
    EXPECT_EQ(v.TickCount, before.TickCount);
  }
}

TEST(MouseSteering, ADragPixelIsAnArrowKeyPress) {
  ViewState byMouse = Started();
  ViewState byKeys = byMouse;
  MouseSteering m;
  m.Press(DragButton::Left, 0, 0);
  m.Move(byMouse, 7, 4, 591);
  for (int i = 0; i < 7; ++i) FormKeyDown(byKeys, kVkRight);
  for (int i = 0; i < 4; ++i) FormKeyDown(byKeys, kVkDown);
  EXPECT_TRUE(Near(byMouse.TurnAngle, byKeys.TurnAngle));
  EXPECT_TRUE(Near(byMouse.TiltAngle, byKeys.TiltAngle));
}

TEST(MouseSteering, OnlyTheFirstButtonSteersUntilItIsReleased) {
  ViewState v = Started();
  const ViewState before = v;
  MouseSteering m;
  m.Press(DragButton::Left, 0, 0);
  m.Press(DragButton::Right, 0, 0);  // ignored
  m.Move(v, 10, 0, 591);
  m.Release(DragButton::Right);  // not the button that steers
  m.Move(v, 20, 0, 591);
  EXPECT_TRUE(Near(v.TurnAngle, before.TurnAngle + 10));
  EXPECT_EQ(v.TargetY, before.TargetY);
  m.Release(DragButton::Left);
  EXPECT_EQ(m.Held(), DragButton::None);
}

// Where the survey's origin appears in a window of outer size w x h, by the
// frame's camera: eye (EyeX, 0, 0) looking at (TargetX, TargetY, TargetZ)
// with z up, the picture moved 11 units up, 35 degrees of view.
std::array<long double, 2> OriginPixel(const ViewState& v, int w, int h) {
  using Vec = std::array<long double, 3>;
  const auto sub = [](Vec a, Vec b) { return Vec{a[0] - b[0], a[1] - b[1], a[2] - b[2]}; };
  const auto dot = [](Vec a, Vec b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
  const auto cross = [](Vec a, Vec b) {
    return Vec{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  };
  const auto unit = [&](Vec a) {
    const long double n = std::sqrt(dot(a, a));
    return Vec{a[0] / n, a[1] / n, a[2] / n};
  };
  const Vec eye{static_cast<long double>(v.EyeX), 0, 0};
  const Vec f = unit(sub({static_cast<long double>(v.TargetX), v.TargetY, v.TargetZ}, eye));
  const Vec s = unit(cross(f, {0, 0, 1}));
  const Vec u = cross(s, f);
  const Vec p = sub({0, 0, 0}, eye);
  const long double xe = dot(s, p), ye = dot(u, p) + 11, depth = dot(f, p);
  const long double cot = 1 / std::tan(17.5L * std::numbers::pi_v<long double> / 180);
  const long double aspect = static_cast<long double>(w) / h;
  return {(cot / aspect * xe / depth + 1) / 2 * w, (1 - cot * ye / depth) / 2 * h};
}

TEST(MouseSteering, PannedPictureFollowsThePointer) {
  struct Row {
    int w, h;
    bool eyeMoved;  // the look-at point 2 units ahead instead of 5
    int dx, dy;
  };
  const Row rows[] = {
      {780, 591, false, 40, 0},     {780, 591, false, 0, 30},   {780, 591, true, -25, 35},
      {1280, 1024, false, 60, -60}, {1280, 1024, true, 0, -45},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.w << "x" << row.h << " " << row.dx << "," << row.dy);
    ViewState v = Started();
    if (row.eyeMoved) MoveEyeAway(v);
    const auto before = OriginPixel(v, row.w, row.h);
    PanByDrag(v, row.dx, row.dy, row.h);
    const auto after = OriginPixel(v, row.w, row.h);
    EXPECT_NEAR(static_cast<double>(after[0] - before[0]), row.dx, 0.02 * std::abs(row.dx) + 0.5);
    EXPECT_NEAR(static_cast<double>(after[1] - before[1]), row.dy, 0.02 * std::abs(row.dy) + 0.5);
  }
}

TEST(MouseSteering, WheelNotchesScaleThePictureSteadily) {
  struct Row {
    const char* name;
    double zoom;
    std::vector<int> deltas;
    int notches;  // whole notches in the end, + forward
  };
  const Row rows[] = {
      {"one notch in", 0.12, {120}, 1},
      {"one notch out", 0.12, {-120}, -1},
      {"two notches at once", 0.115, {240}, 2},
      {"half notches add up", 0.12, {60, 60}, 1},
      {"parts that cancel", 0.12, {60, -60, 60}, 0},
      {"less than a notch", 0.12, {119}, 0},
      {"small parts out", 0.05, {-40, -40, -40, -40}, -1},
      {"a scale near its offset", 0.0181, {-600}, -5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ViewState v = Started();
    v.Box.maxX = 100.0L;  // a survey 100 m across
    v.ZoomScale = row.zoom;
    const long double before = v.ZoomScale - mv::kZoomOffset;
    MouseSteering m;
    for (int d : row.deltas) m.Wheel(v, d);
    const long double after = v.ZoomScale - mv::kZoomOffset;
    EXPECT_NEAR(static_cast<double>(after / before),
                std::pow(1.15, static_cast<double>(row.notches)), 1e-9);
  }
}

TEST(MouseSteering, NoZoomMakesTheScaleVanishFlipOrRunAway) {
  // Surveys from a metre to 100 km, the folders' own framing and a fitted
  // view, a hundred steps in and then out by wheel and keys.
  for (const long double size : {0.0L, 1.0L, 100.0L, 5000.0L, 100000.0L}) {
    for (const bool fitted : {false, true}) {
      SCOPED_TRACE(testing::Message() << size << (fitted ? " fitted" : ""));
      ViewState v = Started();
      v.Box.maxX = size;
      v.Fitted = fitted;
      // No survey yet (the placeholder has no size): the start zoom.
      v.ZoomScale = size > 0 ? mv::kZoomOffset + 25 / size : 0.12L;
      MouseSteering m;
      // The first notch scales by the steady factor, never jumping to a limit.
      const long double s0 = v.ZoomScale - mv::kZoomOffset;
      m.Wheel(v, 120);
      ASSERT_NEAR(static_cast<double>((v.ZoomScale - mv::kZoomOffset) / s0), 1.15, 1e-9);
      for (int i = 0; i < 100; ++i) {
        m.Wheel(v, -120);
        FormKeyPress(v, '-');
        const long double s = v.ZoomScale - mv::kZoomOffset;
        ASSERT_GT(s, 0);
      }
      for (int i = 0; i < 200; ++i) {
        m.Wheel(v, 120);
        FormKeyPress(v, '+');
        const long double s = v.ZoomScale - mv::kZoomOffset;
        ASSERT_TRUE(std::isfinite(static_cast<double>(s)) && s > 0 && s * size < 1e6);
      }
    }
  }
}

}  // namespace
}  // namespace mv::ui
