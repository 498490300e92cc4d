// What kind each leg is (a splay, a surface or duplicate leg, a plain leg)
// once the whole survey is known, and the survey-line rows regrouped by kind.
#pragma once

#include <cstdint>
#include <span>

#include "data/survey_model.h"

namespace mv {

// Completes the splay flags of a built model, the same for every format:
//
// - A plain leg (no flag at all) becomes a splay when its far end is a wall
//   point: a station whose every other leg is a splay already, which is
//   anonymous (flagged so, or nameless where the source names its
//   stations), is no entrance or fixed point and has no passage section;
//   and whose near end is a survey station (it has another leg that is no
//   splay). Named dead ends stay legs: they are the ends of passages; so do
//   surface and duplicate legs, whatever their ends.
// - Every station whose every leg is a splay is flagged kStationSplayEnd,
//   whatever its name, so wall points that a file names are known too.
//
// Rows are split where a leg's kind changes; lineFlags stays empty when no
// leg has a flag.
void ClassifySplays(SurveyModel& m);

// Rebuilds the survey-line rows from the same legs in the same order, leg k
// (counted through the rows) taking flags[k] and survey[k]: a row continues
// while the legs chain, share their kind and survey, and it has room.
void RegroupLegs(SurveyModel& m, std::span<const uint8_t> flags, std::span<const int32_t> survey);

}  // namespace mv
