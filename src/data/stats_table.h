// The statistics of one part of a survey as a table of rows, the same for
// the viewer's dialog (in Polish) and for `mvdata stats` (in English).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/survey_model.h"
#include "data/survey_stats.h"

namespace mv {

struct StatsRow {
  std::string english, polish;  // what the row counts
  std::string value;            // a count, or metres with two decimals
  std::string station;          // the station where it is reached, if any
};

// The rows for node `node` of `m` with its figures `s`; numbers with
// `decimalMark` before their decimals.
std::vector<StatsRow> StatsTable(const SurveyModel& m, int32_t node, const SurveyStats& s,
                                 char decimalMark);

// The name of a node as the table and the tree show it: its path below the
// root, or for the root the survey's own name.
std::string SurveyTitle(const SurveyModel& m, int32_t node);

// Tab-separated lines, one a row: what it counts (in Polish or English),
// the value, and the station.
std::string StatsText(const std::vector<StatsRow>& rows, bool polish);

}  // namespace mv
