#include "view/view_state.h"

#include <gtest/gtest.h>

#include <tuple>

#include "view/install_load.h"

namespace mv {
namespace {

TEST(ViewState, StartParametersHoldTheNearestSixByteValues) {
  ViewState v;
  SetStartParameters(v);
  EXPECT_DOUBLE_EQ(v.SpinStep.AsDouble(), 1.0);
  EXPECT_FALSE(v.SpinStopped);
  // The six-byte format cannot hold 0.12 or 0.0001 exactly.
  EXPECT_NEAR(v.ZoomScale.AsDouble(), 0.12000000000000455, 1e-17);
  EXPECT_NE(v.ZoomScale.AsDouble(), 0.12);
  for (Real48 r : {v.TiltAngle, v.TargetY, v.TargetZ})
    EXPECT_NEAR(r.AsDouble(), 0.000099999999999989, 1e-19);
  EXPECT_EQ(v.EyeX, 65);
  EXPECT_EQ(v.TargetX, 60);
  EXPECT_FALSE(v.LinesVisible);
  EXPECT_TRUE(v.AxisVisible && v.ScaleVisible && v.GraduationVisible && v.WindRoseVisible &&
              v.EntrancesVisible);
  EXPECT_EQ(v.LineColor, (Rgb{255, 0, 0}));
  EXPECT_EQ(v.AxisColor, (Rgb{0, 0, 255}));
  EXPECT_EQ(v.ScaleColor, (Rgb{0, 255, 0}));
  EXPECT_EQ(v.AxisLengthPercent, 120);
  EXPECT_FALSE(v.AxisMoveMode);
}

TEST(ViewState, ReturnToStartKeepsTickTurnAndSavedStep) {
  ViewState v;
  SetStartParameters(v);
  v.TickCount = 12345;
  v.SavedSpinStep = 0.57L;
  v.TurnAngle = -3.5L;
  v.SpinStep = 2.0L;
  v.SpinStopped = true;
  v.AxisVisible = false;
  v.CentreX = 10.0L;
  v.Box.maxZ = 4.0L;
  v.AxisLengthPercent = 40;
  v.LineColor = {1, 2, 3};
  SetStartParameters(v);
  EXPECT_EQ(v.TickCount, 12345);
  EXPECT_DOUBLE_EQ(v.SavedSpinStep.AsDouble(), Real48(0.57L).AsDouble());
  EXPECT_DOUBLE_EQ(v.TurnAngle.AsDouble(), -3.5);
  EXPECT_DOUBLE_EQ(v.SpinStep.AsDouble(), 1.0);
  EXPECT_FALSE(v.SpinStopped);
  EXPECT_TRUE(v.AxisVisible);
  EXPECT_EQ(v.CentreX.AsDouble(), 0.0);
  EXPECT_EQ(v.Box.maxZ.AsDouble(), 0.0);
  EXPECT_EQ(v.AxisLengthPercent, 120);
  EXPECT_EQ(v.LineColor, (Rgb{255, 0, 0}));
}

TEST(ViewState, TickCounterWrapsAfterItsLastValue) {
  struct Row {
    int32_t before, after;
  } rows[] = {{0, 1}, {359999998, 359999999}, {359999999, 0}, {-5, -4}, {INT32_MAX, 0}};
  for (const Row& r : rows) {
    ViewState v;
    v.TickCount = r.before;
    AdvanceTick(v);
    EXPECT_EQ(v.TickCount, r.after) << "from " << r.before;
  }
}

SurveyModel TwoStationSurvey() {
  SurveyModel m;
  m.originX = 100.0L;
  m.originZ = 50.0L;
  m.stations = {100, 0, 50, 110, 20, 40};
  m.lines.assign(kLineColumns, 0);
  m.lines[0] = 1;
  m.lines[2] = 1;
  m.entranceCount = 1;
  return m;
}

TEST(SurveyLoading, SuccessInstallsModelBoxCentreZoomAndShowsLines) {
  AppState s;
  SetStartParameters(s.view);
  s.texts.lines.caption = s.texts.lines.hint = "Rysuj linie pomiarowe";
  ASSERT_TRUE(InstallLoad(s, FinishLoad(TwoStationSurvey())));
  EXPECT_EQ(s.survey.StationCount(), 2);
  EXPECT_TRUE(s.view.LinesVisible);
  EXPECT_EQ(s.texts.lines.caption, "Nie rysuj linii pomiarowych");
  EXPECT_EQ(s.texts.lines.hint, "Nie rysuj linii pomiarowych");
  EXPECT_DOUBLE_EQ(s.view.Box.minX.AsDouble(), 100);
  EXPECT_DOUBLE_EQ(s.view.Box.maxY.AsDouble(), 20);
  EXPECT_DOUBLE_EQ(s.view.CentreX.AsDouble(), 105);
  EXPECT_DOUBLE_EQ(s.view.CentreY.AsDouble(), 10);
  // Largest side is y (20): exp(2.56437 - 0.834415 ln 20).
  EXPECT_NEAR(s.view.ZoomScale.AsDouble(), 1.06680, 1e-4);
}

TEST(SurveyLoading, ZoomFitsTheModelSize) {
  const std::tuple<long double, double, double> rows[] = {
      {1, 12.99, 0.005}, {10, 1.902, 0.0005}, {100, 0.2785, 0.00005}};
  for (const auto& [size, zoom, tolerance] : rows)
    EXPECT_NEAR(FittedZoom(size).AsDouble(), zoom, tolerance) << static_cast<double>(size);
}

TEST(SurveyLoading, FailureLeavesPlaceholderAndStartZoom) {
  AppState s;
  SetStartParameters(s.view);
  ASSERT_TRUE(InstallLoad(s, FinishLoad(TwoStationSurvey())));
  SetStartParameters(s.view);
  s.texts.lines.caption = "Rysuj linie pomiarowe";
  LoadResult bad;
  bad.error = "Dane.bin: missing";
  EXPECT_FALSE(InstallLoad(s, std::move(bad)));
  EXPECT_EQ(s.survey.StationCount(), 2);
  EXPECT_EQ(s.survey.SurveyLineCount(), 1);
  EXPECT_EQ(s.survey.X(1), 0.0);
  EXPECT_EQ(s.view.Box.maxX.AsDouble(), 0.0);
  EXPECT_NEAR(s.view.ZoomScale.AsDouble(), 0.12, 1e-12);
  EXPECT_FALSE(s.view.LinesVisible);
  // A failure before the lines were switched on leaves their texts alone.
  EXPECT_EQ(s.texts.lines.caption, "Rysuj linie pomiarowe");
}

TEST(SurveyLoading, SurveyWithoutExtentFailsWithLinesShown) {
  SurveyModel m = TwoStationSurvey();
  m.stations = {100, 0, 50, 100, 0, 50};
  AppState s;
  SetStartParameters(s.view);
  LoadResult r = FinishLoad(std::move(m));
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(InstallLoad(s, std::move(r)));
  EXPECT_TRUE(s.view.LinesVisible);
  EXPECT_EQ(s.texts.lines.caption, "Nie rysuj linii pomiarowych");
  EXPECT_EQ(s.view.CentreX.AsDouble(), 0.0);
}

}  // namespace
}  // namespace mv
