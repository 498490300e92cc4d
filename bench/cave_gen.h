// Generated caves for the benchmarks: random-walk passages with branches,
// written as survey-line records of at most 29 shots.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "data/survey_folder.h"
#include "data/survey_model.h"

namespace mv::bench {

// A cave of exactly `legs` shots and legs + 1 stations. Passages start at an
// existing station (a junction), wander with a drifting heading, now and then
// drop down a shaft, and are cut into records of at most 29 shots. Stations
// hold the station file's numbers (relative to the origin) in whole
// decimetres, so each fits the 8-character text exactly. The same seed gives
// the same cave on every machine.
SurveyModel GenerateCave(int64_t legs, uint64_t seed);

int64_t Legs(const SurveyModel& m);

// Writes the cave's three files into `dir` (created if missing). Returns an
// empty string on success, else what failed.
std::string WriteCave(const SurveyModel& cave, const std::filesystem::path& dir);

// The cave as the viewer's survey-folder reader makes it from its files.
LoadResult LoadCave(const SurveyModel& cave);

}  // namespace mv::bench
