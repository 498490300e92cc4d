// Reading a survey into the in-memory model: the three binary files of a
// survey folder ("Dane.bin", "Dane1.bin", the optional "Dane2.bin").
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "data/survey_model.h"

namespace mv {

inline constexpr std::string_view kStationFileName = "Dane.bin";
inline constexpr std::string_view kSurveyLineFileName = "Dane1.bin";
inline constexpr std::string_view kObjectFileName = "Dane2.bin";

struct LoadResult {
  bool ok = false;
  SurveyModel model;  // the loaded survey when ok
  Extents box;
  Real48 centreX, centreY;
  Real48 zoom;
  // The files were read and the lines switched on before the load failed
  // (a survey with no extent): the failure keeps the lines visible.
  bool linesShown = false;
  // When not ok: one line saying what failed, naming the file and record.
  std::string error;
};

// Loads the survey folder `dir`, converting coordinates with the decimal
// separator of the current C locale (a dot and a comma are taken as well).
// Never throws; every failure comes back as !ok with `error` set.
LoadResult LoadSurveyFolder(const std::filesystem::path& dir);

// The common end of every load: bounding box, centre, size and zoom of an
// already filled model. Fails only when the model has no extent.
LoadResult FinishLoad(SurveyModel&& model);

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

// Reads the files into `model` (stations, lines, origin, entrances; no box),
// checking them in the order the viewer reads them: object file, stations,
// survey lines. On failure returns false with `error` set; `model` is then
// partly filled and must not be used.
bool ReadSurveyBytes(const SurveyBytes& files, const ReadOptions& options, SurveyModel& model,
                     std::string& error);
bool ReadSurveyFolder(const std::filesystem::path& dir, const ReadOptions& options,
                      SurveyModel& model, std::string& error);

// ReadSurveyBytes, then FinishLoad: the whole load, from memory.
LoadResult LoadSurveyBytes(const SurveyBytes& files, std::string_view decimalPoint);

// Whether two file names are the same without regard to (ASCII) letter case.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// The file of `dir` called `name` without regard to letter case; empty when
// there is none. Directories do not count. When several names differ only by
// case, the exact spelling wins, else the first in byte order.
std::filesystem::path FindSurveyFile(const std::filesystem::path& dir, std::string_view name);

}  // namespace mv
