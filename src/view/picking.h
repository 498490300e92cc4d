// Picking stations on the picture and measuring between two of them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "data/survey_model.h"
#include "view/camera.h"
#include "view/view_state.h"

namespace mv {

// How near the pointer a station must appear to be picked, in pixels.
inline constexpr double kPickRadius = 8.0;

// The stations the picture shows and a click may pick: those of the survey
// lines while the lines are drawn, and the entrances while they are shown.
// Rows in increasing order, each once.
std::vector<int32_t> LineStations(const SurveyModel& m);
// The same for the legs the view `v` draws: a station only on legs of a
// hidden kind is not shown.
std::vector<int32_t> LineStations(const SurveyModel& m, const ViewState& v);
// The entrances of the survey nodes the view `v` shows.
std::vector<int32_t> ShownEntrances(const SurveyModel& m, const ViewState& v);

// The station shown nearest to the point (x, y) of the picture (pixels from
// its top left corner) within kPickRadius, or -1. Of stations equally near
// on the screen the one nearer the eye wins, then the lower row.
int32_t NearestStation(const ViewState& v, const SurveyModel& m, const PictureGeometry& g,
                       std::initializer_list<const std::vector<int32_t>*> candidates, double x,
                       double y);

// A cave map marks each entrance with a disc of this radius, in pixels,
// whatever the zoom.
inline constexpr double kEntranceMarkRadius = 5.0;

// The radius, in pixels, of the mark of an entrance that lies `depth` in
// front of the eye: a cave map's disc, or the survey folders' sphere as the
// perspective shows it.
double EntranceMarkRadius(const ViewState& v, const PictureGeometry& g, double depth);

// What a click at (x, y) picks (pixels from the picture's top left corner):
// an entrance whose mark it falls on, the one whose centre is nearest, else
// the station shown nearest within kPickRadius, or -1. Only what the picture
// shows counts: `lines` while the survey lines are drawn, `entrances` while
// the entrances are shown.
int32_t StationAt(const ViewState& v, const SurveyModel& m, const PictureGeometry& g,
                  const std::vector<int32_t>& lines, const std::vector<int32_t>& entrances,
                  double x, double y);

// A click's pick: `row` (or none, -1) becomes the picked station; with
// `second`, the station measured to from the one already picked.
void PickStation(ViewState& v, int32_t row, bool second);

// Where a survey station appears: picture pixels from the top left corner;
// `visible` is false behind the near plane.
struct PicturePoint {
  double x = 0, y = 0;
  bool visible = false;
};
PicturePoint StationOnPicture(const ViewState& v, const SurveyModel& m, const PictureGeometry& g,
                              int32_t row);

// The height depths are measured from: the highest entrance, or the highest
// station where the survey has no entrance.
double DepthReference(const SurveyModel& m);

// A number with `decimals` decimals after the mark `point`, thousands not
// grouped; a value that rounds to zero has no minus sign.
std::string DecimalText(double v, int decimals, char point);

// The name a station is shown by: its most descriptive name, or its row
// counted from 1 where the survey names none.
std::string StationLabel(const SurveyModel& m, int32_t row);
// Every name of a station, the most descriptive first, joined by " = ".
std::string StationNamesText(const SurveyModel& m, int32_t row);

// The lines under the picture for one or two picked stations, in Polish
// with decimal commas (-1 for no station).
std::vector<std::string> PickDescription(const SurveyModel& m, int32_t first, int32_t second);

// The pick as tab-separated text for a spreadsheet: one line per station,
// name, x, y, z in metres with two decimals after the decimal mark `point`,
// and with two stations a line of the distance and its horizontal and
// vertical parts, in Polish words. Empty without a pick.
std::string PickClipboardText(const SurveyModel& m, int32_t first, int32_t second, char point);

}  // namespace mv
