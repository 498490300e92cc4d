// Reading a survey into the in-memory model: the three binary files of a
// survey folder ("Dane.bin", "Dane1.bin", the optional "Dane2.bin").
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "data/model_builder.h"
#include "data/read_result.h"
#include "data/survey_model.h"

namespace mv {

inline constexpr std::string_view kStationFileName = "Dane.bin";
inline constexpr std::string_view kSurveyLineFileName = "Dane1.bin";
inline constexpr std::string_view kObjectFileName = "Dane2.bin";

// Loads the survey folder `dir`, converting coordinates with the decimal
// separator of the current C locale (a dot and a comma are taken as well).
// Never throws; every failure comes back as !ok with `error` set.
LoadResult LoadSurveyFolder(const std::filesystem::path& dir);

// The contents of the three files; `object` is empty when there is no object
// file.
struct SurveyBytes {
  std::span<const uint8_t> stations;
  std::span<const uint8_t> lines;
  std::optional<std::span<const uint8_t>> object;
};

struct ReadOptions {
  // The user's decimal separator; a dot and a comma are always accepted as
  // well (see ParseNumber).
  std::string decimalPoint = ".";
  // False keeps the stations as the station file holds them, relative to the
  // origin (for tools that write them back).
  bool addOrigin = true;
};

// Reads the files into a model (stations, lines, origin, entrances and the
// object's name as the title; no box), checking them in the order the viewer
// reads them: object file, stations, survey lines. The files have no station
// names. A fault names the file and, within it, the record.
ReadResult ReadSurveyBytes(const SurveyBytes& files, const ReadOptions& options);
ReadResult ReadSurveyFolder(const std::filesystem::path& dir, const ReadOptions& options);

// ReadSurveyBytes, then FinishLoad: the whole load, from memory.
LoadResult LoadSurveyBytes(const SurveyBytes& files, std::string_view decimalPoint);

// Whether two file names are the same without regard to (ASCII) letter case.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// The file of `dir` called `name` without regard to letter case; empty when
// there is none. Directories do not count. When several names differ only by
// case, the exact spelling wins, else the first in byte order.
std::filesystem::path FindSurveyFile(const std::filesystem::path& dir, std::string_view name);

}  // namespace mv
