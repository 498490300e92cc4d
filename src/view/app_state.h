// Everything the running program knows about what it shows.
#pragma once

#include "data/survey_model.h"
#include "view/toggles.h"
#include "view/view_state.h"

namespace mv {

// A fit asked for and not yet carried out: the picture's size is known only
// once the window is laid out.
enum class FitRequest {
  None,
  Always,
  UnlessWhole,  // keep the view where it already shows the whole survey
};

// The view the last fit made, to tell whether it has been changed since.
struct LastFit {
  bool valid = false;
  Real48 zoom, targetY, targetZ, tilt;
  int32_t eyeX = 0;
  Real48 centreX, centreY;
};

struct Framing {
  FitRequest pending = FitRequest::None;
  LastFit last;
};

struct AppState {
  ViewState view;
  SurveyModel survey = PlaceholderModel();
  ControlTexts texts;
  Framing framing;
};

}  // namespace mv
