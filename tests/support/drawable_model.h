// Whether a model that a read accepted can be drawn, for the tests that feed
// the readers damaged files.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "data/survey_model.h"

namespace mv::test {

// What the drawers would trip over in `m`, or "": a station at no finite
// place, a line row running past its record or naming a missing station.
// Rows of no shots, which the survey folder allows, pass: they draw nothing;
// so do entrances as the folder's object file gives them, which the drawers
// check one by one.
inline std::string DrawableFault(const SurveyModel& m) {
  if (m.stations.size() % 3 != 0) return "the station coordinates are not whole rows";
  for (const double v : m.stations)
    if (!std::isfinite(v)) return "a station is not finite";
  if (m.lines.size() % kLineColumns != 0) return "the survey lines are not whole rows";
  for (int32_t row = 0; row < m.SurveyLineCount(); ++row) {
    const int32_t* line = m.Line(row);
    if (line[0] > kLineColumns - 2) return "a line runs past its record";
    for (int64_t c = 1; c <= int64_t{line[0]} + 1; ++c)
      if (!m.ValidStation(line[c])) return "a line names a missing station";
  }
  return {};
}

// The same for a model a format's reader built, which is held to more: at
// least one line row, and whole in every part (entrances, sections, walls,
// the survey tree, the kinds of legs) as ModelFault checks.
inline std::string ReadModelFault(const SurveyModel& m) {
  if (std::string fault = DrawableFault(m); !fault.empty()) return fault;
  if (std::string fault = ModelFault(m); !fault.empty()) return fault;
  if (m.SurveyLineCount() == 0) return "no lines";
  return {};
}

}  // namespace mv::test
