// Reading a Survex .3d file (format versions 3 to 8) into the survey model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/loader.h"
#include "data/survey_model.h"

namespace mv {

// Which legs go into the model, by the flags the file gives them. A leg with
// several flags is left out when any of them is left out.
struct Survex3dOptions {
  bool splays = false;  // radial shots to the walls: clutter in a line drawing
  bool surface = true;
  bool duplicates = true;
};

struct Survex3dSurvey {
  bool ok = false;
  // When not ok: one line naming the file, the byte offset and the fault.
  std::string error;

  // Stations are the distinct positions of the kept legs' ends and of the
  // entrances, held with the origin added. The origin is the lower corner of
  // the stations' box in x and y rounded down to whole metres and the top of
  // the box rounded up to a whole metre in z, so every station lies within
  // the box's size of it and z never exceeds it.
  SurveyModel model;

  int version = 0;               // 3 to 8
  std::string title;             // as the file gives it, not recoded
  std::string coordinateSystem;  // empty before version 8 or when unset
  bool extendedElevation = false;

  // Legs in the file, and how many of them carry each flag.
  int64_t legs = 0;
  int64_t splayLegs = 0;
  int64_t surfaceLegs = 0;
  int64_t duplicateLegs = 0;
  int64_t legsLeftOut = 0;  // by the options

  // Stations flagged as entrances (distinct positions), of which the model
  // keeps the first kMaxEntrances in file order; the names of those kept.
  int64_t entrancesFound = 0;
  std::vector<std::string> entranceNames;
};

// Reads a whole .3d file held in memory. `name` stands for the file in error
// messages. Never throws and never reads outside `bytes`.
Survex3dSurvey ReadSurvex3d(std::span<const uint8_t> bytes, std::string_view name,
                            const Survex3dOptions& options = {});

Survex3dSurvey ReadSurvex3dFile(const std::filesystem::path& path,
                                const Survex3dOptions& options = {});

// Reads a .3d file and finishes the load as the survey-folder loader does.
LoadResult LoadSurvex3d(const std::filesystem::path& path, const Survex3dOptions& options = {});

}  // namespace mv
