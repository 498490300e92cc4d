// Which parts of the survey tree the picture shows: a node hidden leaves out
// its own legs, walls, stations and labels; showing or hiding one takes its
// descendants along. And fitting the view to one part.
#pragma once

#include <cstdint>
#include <vector>

#include "view/app_state.h"
#include "view/camera.h"

namespace mv {

// The state of a node's checkbox: everything at and below it shown, none of
// it, or some.
enum class SurveyCheck : uint8_t { Shown, Hidden, Partly };

// Every node's state, in one pass from the leaves up (index = node).
std::vector<SurveyCheck> SurveyChecks(const ViewState& v, const SurveyModel& m);

// Whether each node lies at or below `node` (index = node).
std::vector<uint8_t> Subtree(const SurveyModel& m, int32_t node);

// Shows or hides `node` and everything below it.
void SetSurveyShown(ViewState& v, const SurveyModel& m, int32_t node, bool shown);
// Shows `node` and everything below it, and nothing else.
void ShowOnlySurvey(ViewState& v, const SurveyModel& m, int32_t node);
void ShowAllSurveys(ViewState& v);

// Fits the view to the stations of `node` and its descendants and moves the
// rotation axis to the middle of their box. False, with nothing changed,
// for a node without stations.
bool FitToSurvey(AppState& s, const PictureGeometry& g, int32_t node);

}  // namespace mv
