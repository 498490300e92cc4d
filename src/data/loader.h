// Reading a survey into the in-memory model: the three binary files of a
// survey folder ("Dane.bin", "Dane1.bin", the optional "Dane2.bin").
#pragma once

#include <filesystem>
#include <string>

#include "data/survey_model.h"

namespace mv {

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

// Loads the survey folder `dir`. Never throws; every failure comes back as
// !ok with `error` set.
LoadResult LoadSurveyFolder(const std::filesystem::path& dir);

// The common end of every load: bounding box, centre, size and zoom of an
// already filled model. Fails only when the model has no extent.
LoadResult FinishLoad(SurveyModel&& model);

}  // namespace mv
