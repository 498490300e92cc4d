// Fitting the view to the survey: the zoom and pan that show the whole
// survey, centred and as large as it goes, at every spin angle.
#pragma once

#include "data/survey_model.h"
#include "view/camera.h"
#include "view/view_state.h"

namespace mv {

// The upright cylinder about the rotation axis that holds every station, in
// model coordinates (z less the origin's height).
struct SurveyCylinder {
  double radius = 0;
  double bottom = 0, top = 0;
};
SurveyCylinder StationsCylinder(const SurveyModel& m, Real48 centreX, Real48 centreY);

// A rectangle in viewport pixels, y up.
struct ScreenBox {
  double left = 0, right = 0, bottom = 0, top = 0;
  double Width() const { return right - left; }
  double Height() const { return top - bottom; }
};

// The part of the picture that shows the scene: below the toolbar.
ScreenBox SceneArea(const PictureGeometry& g);

// Where the cylinder appears with the view `v`, whatever the spin and turn;
// `inFront` is false when some of it lies behind the near plane or beyond
// the far one.
struct ProjectedCylinder {
  ScreenBox box;
  bool inFront = false;
};
ProjectedCylinder ProjectCylinder(const ViewState& v, const SurveyCylinder& c,
                                  const PictureGeometry& g);

// The zoom and pan of a fitted view. Every other value of the view stays.
struct FitResult {
  Real48 ZoomScale, TargetY, TargetZ;
};
FitResult FitView(const ViewState& v, const SurveyCylinder& c, const PictureGeometry& g);
// The same into the part `area` of the picture (viewport pixels, y up).
FitResult FitView(const ViewState& v, const SurveyCylinder& c, const PictureGeometry& g,
                  const ScreenBox& area);

// Whether the view as it stands shows the whole cylinder within the scene
// area, spanning at least a quarter of its width or height.
bool ShowsWholeSurvey(const ViewState& v, const SurveyCylinder& c, const PictureGeometry& g);

// The frame's scale factor, ZoomScale less its offset.
long double FrameScale(const ViewState& v);

// How many pixels a metre of the survey spans on the picture at `depth`
// scene units in front of the eye.
double PixelsPerMetre(const ViewState& v, const PictureGeometry& g, double depth);

}  // namespace mv
