// Writing a survey as the three files the viewer reads, for the data tools,
// the tests and the benchmarks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "data/survey_model.h"

namespace mv {

struct WriteOptions {
  std::string name;  // the object's name, at most 75 bytes, stored as given
  // The stations already hold the station file's numbers (relative to the
  // origin) instead of including the origin.
  bool stationsRelative = false;
};

// The three files' contents, each starting with an all-zero leading record.
struct SurveyFiles {
  std::vector<uint8_t> stations, lines, object;
};

// Stations are written relative to the origin as dot decimals with as many
// decimals as fit in 8 characters; line rows and entrances exactly as the
// model holds them. Fails (false, `error` set) when a coordinate does not fit
// in 8 characters or the name is too long.
bool EncodeSurvey(const SurveyModel& m, const WriteOptions& options, SurveyFiles& out,
                  std::string& error);

// Writes "Dane.bin", "Dane1.bin" and "Dane2.bin" into `dir` (which must
// exist), replacing files of those names.
bool WriteSurveyFiles(const std::filesystem::path& dir, const SurveyFiles& files,
                      std::string& error);
bool WriteSurveyFolder(const std::filesystem::path& dir, const SurveyModel& m,
                       const WriteOptions& options, std::string& error);

// Appends the line rows of a chain of stations: one row per 29 shots, each
// row after the first starting at the station where the one before ended.
// A chain of one station gives one row of 0 shots; an empty chain none.
void AppendChain(std::vector<int32_t>& lines, std::span<const int32_t> chain);

}  // namespace mv
