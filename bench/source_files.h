// Writing a generated cave in the other formats the viewer opens, for the
// benchmarks: a Compass plot file and a Therion .lox file.
#pragma once

#include <filesystem>
#include <string>

#include "data/survey_model.h"

namespace mv::bench {

// Each writes the survey lines of `cave` as legs between stations named by
// their rows, the entrances flagged where the format has a flag. Stations
// are the origin plus the station file's numbers. Return an empty string on
// success, else what failed.
std::string WriteCompassPlot(const SurveyModel& cave, const std::filesystem::path& file);
std::string WriteTherionLox(const SurveyModel& cave, const std::filesystem::path& file);

}  // namespace mv::bench
