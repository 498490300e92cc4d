// Everything the running program knows about what it shows.
#pragma once

#include "data/read_result.h"
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
  // What was fitted into where, to tell when shown elements changed it.
  double radius = 0, bottom = 0, top = 0;
  double areaLeft = 0, areaRight = 0, areaBottom = 0, areaTop = 0;
};

// The survey's bounding cylinder about the axis, kept until the survey or
// the axis changes: a million stations take a few milliseconds to measure.
struct CylinderCache {
  bool valid = false;
  uint64_t generation = 0;
  double centreX = 0, centreY = 0;
  double radius = 0, bottom = 0, top = 0;
};

struct Framing {
  FitRequest pending = FitRequest::None;
  LastFit last;
  CylinderCache cylinder;
};

// The survey folders (and the placeholder) keep the viewer's original
// picture; every other source is drawn as a cave map: fitted with every
// element in view, entrances marked at a fixed size, coloured by depth,
// with a scale bar and a compass.
inline bool DrawnAsMap(SourceFormat f) {
  return f != SourceFormat::kUnknown && f != SourceFormat::kSurveyFolder;
}

struct AppState {
  ViewState view;
  SurveyModel survey = PlaceholderModel();
  // The format of the survey shown; kUnknown for the placeholder.
  SourceFormat source = SourceFormat::kUnknown;
  ControlTexts texts;
  Framing framing;
};

}  // namespace mv
