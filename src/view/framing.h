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

// The upright cylinder about the rotation axis that holds all the spin
// carries round: the stations, and the scale, wind rose and axis marker that
// reach past them (the box widened by a fifth of each side, and 1.2 x the
// box from the origin). Measured once per survey and axis position.
SurveyCylinder DrawnCylinder(AppState& s);

}  // namespace mv
