// The fitted view: the whole survey inside the picture below the toolbar,
// centred and as large as the margin allows, at every spin angle.
#include "view/fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "view/camera.h"
#include "view/framing.h"
#include "view/install_load.h"
#include "view/projection.h"

namespace mv {
namespace {

// The start window: outer 780 x 591, picture 776 x 539 under a menu bar.
constexpr PictureGeometry kPicture{780, 591, 776, 539, 33};

struct Station {
  double x, y, z;
};

SurveyModel ModelOf(const std::vector<Station>& stations, double originZ) {
  SurveyModel m;
  for (const Station& s : stations) m.stations.insert(m.stations.end(), {s.x, s.y, s.z});
  m.originZ = originZ;
  return m;
}

ViewState StartView(const SurveyModel& m) {
  ViewState v;
  SetStartParameters(v);
  const Extents box = ComputeExtents(m);
  v.Box = box;
  v.CentreX = CentreOf(box.minX, box.maxX);
  v.CentreY = CentreOf(box.minY, box.maxY);
  return v;
}

// Where the stations appear at every tenth degree of spin.
ScreenBox SpunStations(ViewState v, const SurveyModel& m) {
  ScreenBox b{INFINITY, -INFINITY, INFINITY, -INFINITY};
  const Mat4 projection = FrameProjection(kPicture.outerWidth, kPicture.outerHeight);
  v.SpinStep = 0.1L;
  for (v.TickCount = 0; v.TickCount < 3600; v.TickCount += 7) {
    const Mat4 mv = FrameModelView(v);
    for (int32_t i = 0; i < m.StationCount(); ++i) {
      const WindowPoint p = Project(mv, projection, kPicture.outerWidth, kPicture.outerHeight,
                                    m.X(i) - v.CentreX.AsDouble(), m.Y(i) - v.CentreY.AsDouble(),
                                    m.Z(i) - m.originZ.AsDouble());
      b.left = std::min(b.left, p.x), b.right = std::max(b.right, p.x);
      b.bottom = std::min(b.bottom, p.y), b.top = std::max(b.top, p.y);
    }
  }
  return b;
}

TEST(FitView, WholeCentredAndAsLargeAsTheMarginAllows) {
  struct Row {
    const char* name;
    std::vector<Station> stations;
    double originZ;
    double tilt;
    double axisShiftX = 0;  // the rotation axis moved off the survey's centre
  };
  const double big = 1e7;  // map coordinates
  const Row rows[] = {
      {"1 m", {{0, 0, 0}, {1, 0.5, -0.3}, {0.2, 1, -0.8}}, 0, 0.0001},
      {"300 m", {{0, 0, 0}, {300, 120, -80}, {150, -40, -20}}, 0, 0.0001},
      {"5 km in map coordinates",
       {{big, big, 1500}, {big + 5000, big + 800, 900}, {big + 2000, big - 700, 1200}},
       1500,
       0.0001},
      {"100 km", {{0, 0, 0}, {100000, 2000, -1500}, {40000, 30000, -300}}, 0, 0.0001},
      {"a long thin passage", {{0, 0, 0}, {1000, 0, 0}, {1000, 1, -1}}, 0, 0.0001},
      {"a deep shaft", {{0, 0, 0}, {2, 1, -400}}, 0, 0.0001},
      {"plan", {{0, 0, 0}, {300, 120, -80}, {150, -40, -20}}, 0, 90},
      {"tilted", {{0, 0, 0}, {300, 120, -80}, {150, -40, -20}}, 0, 30},
      {"axis off the centre", {{0, 0, 0}, {300, 120, -80}, {150, -40, -20}}, 0, 0.0001, 120},
  };
  const ScreenBox area = SceneArea(kPicture);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const SurveyModel m = ModelOf(row.stations, row.originZ);
    ViewState v = StartView(m);
    v.TiltAngle = row.tilt;
    v.CentreX = v.CentreX + row.axisShiftX;
    const ViewState before = v;
    const SurveyCylinder c = StationsCylinder(m, v.CentreX, v.CentreY);
    const FitResult r = FitView(v, c, kPicture);
    v.ZoomScale = r.ZoomScale;
    v.TargetY = r.TargetY;
    v.TargetZ = r.TargetZ;
    ASSERT_GT(FrameScale(v), 0);

    const ProjectedCylinder p = ProjectCylinder(v, c, kPicture);
    EXPECT_TRUE(p.inFront);
    EXPECT_NEAR((p.box.left + p.box.right) / 2, area.Width() / 2, 0.01);
    EXPECT_NEAR((p.box.bottom + p.box.top) / 2, area.Height() / 2, 0.01);
    const double fill = std::max(p.box.Width() / area.Width(), p.box.Height() / area.Height());
    // A shaft seen from above is held back by the clip planes, not the edges.
    if (std::string(row.name) != "a deep shaft" || row.tilt < 45) {
      EXPECT_NEAR(fill, 0.92, 1e-4);
    }

    // The stations themselves, spun through a whole turn, stay inside.
    const ScreenBox s = SpunStations(v, m);
    EXPECT_GE(s.left, area.left);
    EXPECT_LE(s.right, area.right);
    EXPECT_GE(s.bottom, area.bottom);
    EXPECT_LE(s.top, area.top);

    // Nothing else changes.
    EXPECT_EQ(v.TiltAngle, before.TiltAngle);
    EXPECT_EQ(v.CentreX, before.CentreX);
    EXPECT_EQ(v.EyeX, before.EyeX);
    EXPECT_EQ(v.TargetX, before.TargetX);
  }
}

TEST(FitView, DegenerateSurveysGetAFiniteView) {
  const std::vector<std::vector<Station>> surveys = {
      {},                                      // no stations at all
      {{5, 5, 5}},                             // one station
      {{5, 5, 5}, {5, 5, 5}},                  // all at one point
      {{5, 5, 0}, {5, 5, -50}, {5, 5, -120}},  // all on one vertical line
  };
  for (const auto& stations : surveys) {
    for (const double tilt : {0.0001, 90.0}) {
      SCOPED_TRACE(testing::Message() << stations.size() << " stations, tilt " << tilt);
      const SurveyModel m = ModelOf(stations, 0);
      ViewState v = StartView(m);
      v.TiltAngle = tilt;
      const FitResult r = FitView(v, StationsCylinder(m, v.CentreX, v.CentreY), kPicture);
      const long double s = r.ZoomScale - kZoomOffset;
      EXPECT_TRUE(std::isfinite(static_cast<double>(s)) && s > 0);
      EXPECT_TRUE(std::isfinite(r.TargetY.AsDouble()) && std::isfinite(r.TargetZ.AsDouble()));
    }
  }
}

TEST(FitView, FoldersKeepTheirViewOnlyWhereItShowsTheWholeSurveyReadably) {
  // The loader's zoom for a survey of the given size, as a survey folder
  // opens it: whole and readable up to about 1 km; cut off, shrunk or
  // mirrored above.
  struct Row {
    double size;
    bool kept;
  };
  const Row rows[] = {{5, true}, {300, true}, {800, true}, {2700, false}, {4800, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    const SurveyModel m = ModelOf({{0, 0, 0}, {row.size, row.size / 3, -row.size / 5}}, 0);
    AppState s;
    s.survey = m;
    s.view = StartView(m);
    s.view.ZoomScale = FittedZoom(ModelSize(s.view.Box));
    const ViewState before = s.view;
    s.framing.pending = FitRequest::UnlessWhole;
    EXPECT_TRUE(ApplyPendingFit(s, kPicture));
    EXPECT_EQ(s.view.Fitted, !row.kept);
    if (row.kept) {
      EXPECT_EQ(s.view.ZoomScale, before.ZoomScale);
    }
    EXPECT_GT(FrameScale(s.view), 0);
  }
}

TEST(FitView, ResizingRefitsOnlyAnUntouchedFit) {
  const SurveyModel m = ModelOf({{0, 0, 0}, {300, 120, -80}}, 0);
  AppState s;
  s.survey = m;
  s.view = StartView(m);
  FitNow(s, kPicture);
  const Real48 fitted = s.view.ZoomScale;
  PictureGeometry wide = kPicture;
  wide.outerWidth = wide.width = 1600;
  wide.outerHeight = 1000, wide.height = 950;
  RefitIfUntouched(s, wide);
  EXPECT_NE(s.view.ZoomScale, fitted);  // refitted to the larger picture
  s.view.ZoomScale = s.view.ZoomScale * 2.0L;
  const Real48 zoomed = s.view.ZoomScale;
  RefitIfUntouched(s, kPicture);
  EXPECT_EQ(s.view.ZoomScale, zoomed);  // the user's zoom stays
}

}  // namespace
}  // namespace mv
