// Where a survey comes from: a folder of the three survey files or a Survex
// .3d file, and which loader reads it.
#pragma once

#include <filesystem>

#include "data/loader.h"

namespace mv {

// Reads the survey at `path`: a folder through the survey-folder loader, a
// regular file whose name ends in ".3d" (in any letter case) through the .3d
// reader. A missing path or any other file fails with an error naming it.
// Never throws.
LoadResult LoadSurveySource(const std::filesystem::path& path);

// The source a user means by choosing `chosen`: one of the three survey
// files stands for its folder, anything else for itself.
std::filesystem::path SurveySourceFor(const std::filesystem::path& chosen);

// Whether `path` is worth offering to LoadSurveySource once mapped by
// SurveySourceFor: a folder, a .3d file or one of the three survey files.
bool LooksLikeSurveySource(const std::filesystem::path& path);

}  // namespace mv
