// Everything the running program knows about what it shows.
#pragma once

#include "data/survey_model.h"
#include "view/toggles.h"
#include "view/view_state.h"

namespace mv {

struct AppState {
  ViewState view;
  SurveyModel survey = PlaceholderModel();
  ControlTexts texts;
};

}  // namespace mv
