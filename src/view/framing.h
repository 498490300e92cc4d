// When the view is fitted to the survey: after opening a survey, on the
// "Dopasuj widok" command, and again when the window changes size while the
// fitted zoom and pan are untouched.
#pragma once

#include "view/app_state.h"
#include "view/fit.h"

namespace mv {

// Fits the view to the survey now and marks it fitted.
void FitNow(AppState& s, const PictureGeometry& g);

// Carries out a fit asked for by a load, once the picture's size is known.
// For the survey folders the view the loader chose stays where it already
// shows the whole survey at a readable size. Returns whether anything was
// pending.
bool ApplyPendingFit(AppState& s, const PictureGeometry& g);

// After a resize: fits again when the view is still the last fitted one, so
// the survey keeps filling the picture.
void RefitIfUntouched(AppState& s, const PictureGeometry& g);

// Just before a frame: a pending fit, a fit a view command asked for, and,
// for a cave map still fitted, a fit again when an element shown or hidden
// changed what the picture must hold.
void KeepFitted(AppState& s, const PictureGeometry& g);

// The upright cylinder about the rotation axis that holds everything the
// view `v` draws in the model, in model coordinates: the stations'
// cylinder `stations`, and the scale with its ticks, arrowheads and bar, the
// wind rose, the rotation axis with its arrowhead, the axis marker and the
// entrance spheres, each while shown.
SurveyCylinder DrawnCylinder(const ViewState& v, const SurveyModel& m,
                             const SurveyCylinder& stations);
// The same for the state's survey, its stations measured once per survey and
// axis position.
SurveyCylinder DrawnCylinder(AppState& s);

}  // namespace mv
