// A cave map's overlays: the scale bar's round lengths, the compass, the
// room the fit leaves them, and fits of surveys of extreme shapes.
#include "view/overlay_layout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/model_builder.h"
#include "view/framing.h"
#include "view/install_load.h"

namespace mv {
namespace {

constexpr PictureGeometry kPicture{780, 591, 776, 539, 33, 1};

TEST(ScaleBar, RoundLengthsAboutAQuarterOfTheWidth) {
  struct Row {
    double pixelsPerMetre, width, metres;
    const char* text;
  };
  const Row rows[] = {
      {1, 400, 100, "100 m"},    {1, 800, 200, "200 m"},      {0.1, 800, 2000, "2 km"},
      {0.25, 800, 1000, "1 km"}, {100, 400, 1, "1 m"},        {200, 800, 1, "1 m"},
      {500, 800, 0.5, "0,5 m"},  {4000, 800, 0.05, "0,05 m"}, {0.0003, 800, 500000, "500 km"},
  };
  for (const Row& r : rows) {
    const ScaleBar b = ScaleBarFor(r.pixelsPerMetre, r.width);
    EXPECT_TRUE(b.shown);
    EXPECT_DOUBLE_EQ(b.metres, r.metres) << r.text;
    EXPECT_EQ(b.text, r.text);
    EXPECT_GT(b.pixels, r.width / 4 / 2.5);
    EXPECT_LT(b.pixels, r.width / 4 * 2.5);
  }
  for (const double bad : {0.0, -1.0, double(NAN), double(INFINITY)})
    EXPECT_FALSE(ScaleBarFor(bad, 800).shown);
}

TEST(Compass, NorthTurnsWithTheSpinAndTheTiltIsNamed) {
  ViewState v;
  SetStartParameters(v);
  v.TiltAngle = 90.0L;
  const CompassReading plan = CompassFor(v);
  EXPECT_EQ(plan.tilt, "Rzut poziomy");
  v.TickCount = 90;  // a quarter turn of spin
  const CompassReading turned = CompassFor(v);
  EXPECT_NEAR(std::abs(std::remainder(turned.northDegrees - plan.northDegrees, 360.0)), 90, 1e-6);
  // The compass shows the plan's north whatever the tilt.
  v.TiltAngle = 35.0L;
  EXPECT_NEAR(CompassFor(v).northDegrees, turned.northDegrees, 1e-6);
  EXPECT_EQ(CompassFor(v).tilt, "Nachylenie 35°");
  v.TiltAngle = kNearZero;
  EXPECT_EQ(CompassFor(v).tilt, "Nachylenie 0°");
}

// A cave map of one straight passage from (0, 0, 0) to `far`, fitted.
AppState FittedMap(RawPoint far, const PictureGeometry& g) {
  ModelBuilder b;
  b.Leg({0, 0, 0}, far);
  for (int k = 0; k < 3000; ++k) b.Entrance({0, 0, 0}, "otwor");
  LoadResult r = FinishLoad(b.Finish("map"));
  r.info.format = SourceFormat::kSurvex3d;
  AppState s;
  SetStartParameters(s.view);
  InstallLoad(s, std::move(r));
  FitNow(s, g);
  return s;
}

TEST(MapFit, EverythingInsideTheRoomTheOverlaysLeaveWhateverTheShape) {
  const RawPoint shapes[] = {
      {1000, 0, -1}, {0, 1000, -1}, {1, 1, -1000}, {0.001, 0, 0}, {5000, 20000, -1500}};
  for (const RawPoint& far : shapes) {
    for (const PictureGeometry g : {kPicture, PictureGeometry{1600, 1000, 1596, 948, 33, 1}}) {
      AppState s = FittedMap(far, g);
      EXPECT_EQ(EntranceRows(s.survey).size(), 1u);  // thousands at one point: one mark
      const ScreenBox area = MapFitArea(s.view, g);
      EXPECT_LT(area.right, g.width - kLegendWidth);  // the legend's column
      EXPECT_GE(area.bottom, kMapStripHeight);        // the scale bar and compass
      for (const double tilt : {0.0001, 35.0, 90.0}) {
        s.view.TiltAngle = tilt;
        FitNow(s, g);
        ASSERT_TRUE(std::isfinite(s.view.ZoomScale.AsDouble()));
        const ProjectedCylinder p = ProjectCylinder(s.view, DrawnCylinder(s), g);
        EXPECT_TRUE(p.inFront);
        EXPECT_GE(p.box.left, area.left - 1e-6) << far.x << " " << far.z << " " << tilt;
        EXPECT_LE(p.box.right, area.right + 1e-6);
        EXPECT_GE(p.box.bottom, area.bottom - 1e-6);
        EXPECT_LE(p.box.top, area.top + 1e-6);
      }
    }
  }
}

TEST(MapFit, ShowingOrHidingAnElementRefitsAStillFittedView) {
  AppState s = FittedMap({300, 40, -80}, kPicture);
  const double fitted = s.view.ZoomScale.AsDouble();
  s.view.ScaleVisible = s.view.WindRoseVisible = false;
  KeepFitted(s, kPicture);
  EXPECT_GT(s.view.ZoomScale.AsDouble(), fitted);
  // Zoomed by hand, the view stays where the user put it.
  s.view.ZoomScale = 0.5L;
  s.view.ScaleVisible = true;
  KeepFitted(s, kPicture);
  EXPECT_EQ(s.view.ZoomScale.AsDouble(), 0.5);
}

}  // namespace
}  // namespace mv
