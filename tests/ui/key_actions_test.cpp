// The keyboard's view actions on a plain view state.
#include "ui/key_actions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace mv::ui {
namespace {

ViewState Started() {
  ViewState v;
  SetStartParameters(v);
  return v;
}

// How far two spin angles are apart on the screen, in degrees.
long double PictureGap(long double a, long double b) {
  return std::fabs(std::remainderl(a - b, 360.0L));
}

void Type(ViewState& v, const std::string& keys) {
  for (char c : keys) FormKeyPress(v, c);
}

TEST(SpinKeys, StepPressesChangeSpeedWithoutAJump) {
  struct Row {
    const char* name;
    double step;
    int32_t ticks;
    char key;
  };
  const Row rows[] = {
      {"faster", 1.0, 1000, 'a'},
      {"slower", 1.0, 1000, 'z'},
      {"capital A", 0.62, 777777, 'A'},
      {"capital Z", 0.62, 777777, 'Z'},
      {"through zero", 0.05, 5000, 'z'},
      {"back through zero", -0.14, 5000, 'a'},
      // A long run: angle / new step no longer fits the tick counter.
      {"near the wrap", 1.0, 359999000, 'z'},
      {"past the 32-bit range", 0.24, 300000000, 'z'},
      {"negative past the range", -0.24, 300000000, 'a'},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ViewState v = Started();
    v.SpinStep = r.step;
    v.TickCount = r.ticks;
    const long double before = SpinAngle(v);
    const long double delta = (r.key == 'a' || r.key == 'A') ? 0.19L : -0.19L;
    ASSERT_TRUE(FormKeyPress(v, r.key));
    EXPECT_EQ(v.SpinStep, Real48(Real48(r.step) + delta));
    EXPECT_LE(v.TickCount, kTickCountLimit);
    // Rounding to a whole tick moves the picture by at most half a step.
    EXPECT_LE(PictureGap(SpinAngle(v), before), std::fabs(v.SpinStep) / 2 + 1e-6L);
  }
}

TEST(SpinKeys, RescaleIsTheNearestTickWhereNothingOverflows) {
  ViewState v = Started();
  v.TickCount = 1000;
  IncreaseSpinStep(v);
  EXPECT_EQ(v.TickCount, 840);  // 1000 / 1.19 = 840.34
  DecreaseSpinStep(v);
  EXPECT_EQ(v.TickCount, 1000);  // 840 * 1.19 / 1.0 = 999.6
}

TEST(SpinKeys, FiveSlowerPressesNearlyStopAndTheSixthReverses) {
  ViewState v = Started();
  v.TickCount = 4321;
  for (int i = 1; i <= 6; ++i) {
    const long double before = SpinAngle(v);
    FormKeyPress(v, 'z');
    EXPECT_LE(PictureGap(SpinAngle(v), before), std::fabs(v.SpinStep) / 2 + 1e-9L) << i;
    if (i == 5) {
      EXPECT_NEAR(v.SpinStep, 0.05, 1e-9);
    }
  }
  EXPECT_NEAR(v.SpinStep, -0.14, 1e-9);
  // The counter keeps counting up; the model now turns the other way.
  const long double before = SpinAngle(v);
  AdvanceTick(v);
  EXPECT_LT(SpinAngle(v), before);
}

TEST(SpinKeys, SpaceStopsToACrawlAndResumesTheSavedStep) {
  const struct {
    double step;
    int32_t ticks;
  } rows[] = {{1.0, 12345}, {0.62, 1}, {-0.14, 900000}, {1.19, 200000}, {1.0, 359999999}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.ticks);
    ViewState v = Started();
    v.SpinStep = r.step;
    v.TickCount = r.ticks;
    const long double before = SpinAngle(v);
    FormKeyPress(v, ' ');
    EXPECT_TRUE(v.SpinStopped);
    EXPECT_EQ(v.SavedSpinStep, Real48(r.step));
    EXPECT_EQ(v.SpinStep, Real48(kNearZero));
    EXPECT_LE(PictureGap(SpinAngle(v), before), 0.0001L);
    for (int i = 0; i < 50; ++i) AdvanceTick(v);
    const long double crawled = SpinAngle(v);
    EXPECT_NEAR(std::remainderl(crawled - before, 360.0L), 50 * 0.0001, 1e-4);
    FormKeyPress(v, ' ');
    EXPECT_FALSE(v.SpinStopped);
    EXPECT_EQ(v.SpinStep, Real48(r.step));
    EXPECT_LE(PictureGap(SpinAngle(v), crawled), std::fabs(r.step) / 2 + 1e-6);
  }
}

TEST(SpinKeys, StepKeysWhileStoppedChangeTheCrawlAndSpaceStillResumes) {
  ViewState v = Started();
  v.TickCount = 500;
  Type(v, " a");
  EXPECT_TRUE(v.SpinStopped);
  EXPECT_NEAR(v.SpinStep, 0.1901, 1e-12);
  Type(v, " ");
  EXPECT_FALSE(v.SpinStopped);
  EXPECT_EQ(v.SpinStep, Real48(1.0L));
}

TEST(SpinKeys, AZeroOrVanishingStepLeavesAUsableCount) {
  // Resuming a step of zero: every count shows the angle 0.
  ViewState v = Started();
  v.SpinStopped = true;
  v.SavedSpinStep = 0.0L;
  v.TickCount = 123456;
  ToggleSpinStop(v);
  EXPECT_EQ(v.SpinStep, Real48(0.0L));
  EXPECT_EQ(v.TickCount, 0);

  // 0.19 - 0.19 leaves only the rounding of the six-byte real: a step so small
  // that no count in range reaches the angle.
  for (double step : {0.19, -0.19}) {
    SCOPED_TRACE(step);
    ViewState w = Started();
    w.SpinStep = step;
    w.TickCount = 1000;
    FormKeyPress(w, step > 0 ? 'z' : 'a');
    EXPECT_LT(std::fabs(w.SpinStep), 1e-9);
    EXPECT_LE(w.TickCount, kTickCountLimit);
  }
}

TEST(ZoomKeys, LadderDownStopsNearTheFloorAndClimbsBack) {
  ViewState v = Started();
  FormKeyPress(v, '-');
  EXPECT_NEAR(v.ZoomScale, 0.11, 1e-9);
  FormKeyPress(v, '-');
  EXPECT_NEAR(v.ZoomScale, 0.109, 1e-9);
  FormKeyPress(v, '-');
  EXPECT_NEAR(v.ZoomScale, 0.108, 1e-9);
  for (int i = 0; i < 200; ++i) FormKeyPress(v, '-');
  const double floor = v.ZoomScale;
  EXPECT_LE(floor, 0.02);
  EXPECT_GT(floor, 0.0189);
  FormKeyPress(v, '-');
  EXPECT_EQ(v.ZoomScale.AsDouble(), floor);

  // Up by 0.001 until the value passes 0.118, then by 0.01; "=" is "+".
  int small = 0;
  while (v.ZoomScale <= 0.118L) {
    const double before = v.ZoomScale;
    FormKeyPress(v, small % 2 ? '=' : '+');
    EXPECT_NEAR(v.ZoomScale - before, 0.001, 1e-9);
    ++small;
  }
  EXPECT_GE(small, 98);
  const double before = v.ZoomScale;
  FormKeyPress(v, '+');
  EXPECT_NEAR(v.ZoomScale - before, 0.01, 1e-9);
  FormKeyPress(v, '-');
  EXPECT_NEAR(v.ZoomScale, before, 1e-9);
}

TEST(OtherKeys, EachCharacterChangesOnlyItsVariable) {
  struct Row {
    char key;
    int32_t eyeX, targetX;
    double targetY, targetZ;
  };
  const double n = Real48(kNearZero);
  const Row rows[] = {
      {'1', 66, 64, n, n},        {'2', 64, 62, n, n},        {'8', 65, 60, n, n - 0.02},
      {'5', 65, 60, n, n + 0.02}, {'6', 65, 60, n - 0.02, n}, {'4', 65, 60, n + 0.02, n},
      {'_', 65, 60, n, n},        {'x', 65, 60, n, n},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(1, r.key));
    ViewState v = Started();
    v.TickCount = 77;
    const bool known = FormKeyPress(v, r.key);
    EXPECT_EQ(known, r.key != '_' && r.key != 'x');
    EXPECT_EQ(v.EyeX, r.eyeX);
    EXPECT_EQ(v.TargetX, r.targetX);
    EXPECT_NEAR(v.TargetY, r.targetY, 1e-12);
    EXPECT_NEAR(v.TargetZ, r.targetZ, 1e-12);
    EXPECT_EQ(v.SpinStep, Real48(1.0L));
    EXPECT_EQ(v.ZoomScale, Real48(0.12L));
    EXPECT_EQ(v.TickCount, 77);
  }
  // The look-at point stays 2 units in front of the eye once moved.
  ViewState v = Started();
  Type(v, "1112");
  EXPECT_EQ(v.EyeX, 67);
  EXPECT_EQ(v.TargetX, 65);
}

TEST(ArrowKeys, TiltAndTurnOrMoveTheAxis) {
  struct Row {
    int key;
    bool moveMode;
    double tilt, turn, centreX, centreY;
  };
  const double n = Real48(kNearZero);
  // Box x from -100 to 200 (step 3), y from -50 to 50 (step 1).
  const Row rows[] = {
      {kVkDown, false, n + 0.5, 0, 10, 20}, {kVkUp, false, n - 0.5, 0, 10, 20},
      {kVkRight, false, n, 0.5, 10, 20},    {kVkLeft, false, n, -0.5, 10, 20},
      {kVkDown, true, n, 0, 13, 20},        {kVkUp, true, n, 0, 7, 20},
      {kVkRight, true, n, 0, 10, 21},       {kVkLeft, true, n, 0, 10, 19},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.key << (r.moveMode ? " moving" : ""));
    ViewState v = Started();
    v.Box = {-100.0L, 200.0L, -50.0L, 50.0L, 0.0L, 30.0L};
    v.CentreX = 10.0L;
    v.CentreY = 20.0L;
    v.AxisMoveMode = r.moveMode;
    ASSERT_TRUE(FormKeyDown(v, r.key));
    EXPECT_NEAR(v.TiltAngle, r.tilt, 1e-12);
    EXPECT_NEAR(v.TurnAngle, r.turn, 1e-12);
    EXPECT_NEAR(v.CentreX, r.centreX, 1e-9);
    EXPECT_NEAR(v.CentreY, r.centreY, 1e-9);
  }
  ViewState v = Started();
  EXPECT_FALSE(FormKeyDown(v, 0x0D));
}

TEST(ArrowKeys, BoundIsTestedBeforeTheStep) {
  ViewState v = Started();
  v.Box = {0.0L, 100.0L, 0.0L, 100.0L, 0.0L, 10.0L};  // step 1; bounds 0 and 120
  v.AxisMoveMode = true;
  v.CentreX = 119.5L;
  ArrowDown(v);
  EXPECT_NEAR(v.CentreX, 120.5, 1e-9);  // one whole step past the bound
  ArrowDown(v);
  EXPECT_NEAR(v.CentreX, 120.5, 1e-9);
  ArrowUp(v);
  EXPECT_NEAR(v.CentreX, 119.5, 1e-9);
  // For a box wholly on one side of zero, 1.2 x MinX lies inside the box.
  v.Box = {50.0L, 150.0L, 0.0L, 100.0L, 0.0L, 10.0L};
  v.CentreX = 60.5L;
  ArrowUp(v);
  EXPECT_NEAR(v.CentreX, 59.5, 1e-9);
  ArrowUp(v);
  EXPECT_NEAR(v.CentreX, 59.5, 1e-9);
  // Down runs until the centre reaches or passes 1.2 x MaxX, 180.
  int presses = 0;
  while (presses < 1000 && v.CentreX < 180.0L) {
    ArrowDown(v);
    ++presses;
  }
  EXPECT_EQ(presses, 121);
  EXPECT_NEAR(v.TiltAngle, kNearZero, 1e-12);
}

// A survey in map coordinates lies far from zero; its axis may move as far
// beyond the box as the same survey's near zero, measured from its origin.
TEST(ArrowKeys, ReachOfASurveyInMapCoordinatesIsMeasuredFromItsOrigin) {
  auto presses = [](long double east) {
    ViewState v = Started();
    v.Box = {east - 50, east + 53, 0.0L, 100.0L, 0.0L, 10.0L};  // step 1.03
    v.OriginX = east;
    v.CentreX = east;
    v.AxisMoveMode = true;
    int n = 0;
    for (; n < 1000; ++n) {
      const long double before = v.CentreX;
      ArrowDown(v);
      if (v.CentreX == before) break;
    }
    return n;
  };
  const int nearZero = presses(0);
  EXPECT_EQ(nearZero, 62);  // past 1.2 x 53 = 63.6 in steps of 1.03
  EXPECT_EQ(presses(482300), nearZero);
}

TEST(ArrowKeys, ZeroBoxMovesNothing) {
  ViewState v = Started();  // the box is all zeros
  v.AxisMoveMode = true;
  for (int key : {kVkDown, kVkUp, kVkRight, kVkLeft}) FormKeyDown(v, key);
  EXPECT_EQ(v.CentreX, Real48(0.0L));
  EXPECT_EQ(v.CentreY, Real48(0.0L));
  EXPECT_EQ(v.TiltAngle, Real48(kNearZero));
  EXPECT_EQ(v.TurnAngle, Real48(0.0L));
}

}  // namespace
}  // namespace mv::ui
