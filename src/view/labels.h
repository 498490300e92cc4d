// Which station names the picture has room for: each label beside its
// station, none over another, the entrances first and then the stations
// nearest the eye.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "data/survey_model.h"
#include "view/camera.h"
#include "view/view_state.h"

namespace mv {

struct PlacedLabel {
  int32_t row = -1;
  bool entrance = false;
  // The label's box in picture pixels from the top left corner.
  double left = 0, top = 0, width = 0, height = 0;
};

// The label of station `row` is `width(row, entrance)` pixels wide and `height` high
// and sits right of the station, centred on it vertically. Stations outside
// the scene area or behind the eye get none. At most `most` labels: the
// picture's room, not the survey's size, bounds the work done for them.
// No label goes over a `blocked` box (the depth legend, say).
std::vector<PlacedLabel> PlaceLabels(const ViewState& v, const SurveyModel& m,
                                     const PictureGeometry& g,
                                     const std::vector<int32_t>& entrances,
                                     const std::vector<int32_t>& stations,
                                     const std::function<double(int32_t, bool)>& width,
                                     double height, size_t most = 2000,
                                     const std::vector<PlacedLabel>& blocked = {});

}  // namespace mv
