#include "data/survey_source.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <system_error>

#include "data/survex3d.h"

namespace mv {

namespace {

bool Is3dName(const std::filesystem::path& path) {
  return SameIgnoringCase(path.extension().string(), ".3d");
}

bool IsSurveyFileName(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  constexpr std::array<std::string_view, 3> kNames = {kStationFileName, kSurveyLineFileName,
                                                      kObjectFileName};
  return std::any_of(kNames.begin(), kNames.end(),
                     [&](std::string_view n) { return SameIgnoringCase(name, n); });
}

LoadResult Failed(std::string error) {
  LoadResult r;
  r.error = std::move(error);
  return r;
}

}  // namespace

LoadResult LoadSurveySource(const std::filesystem::path& path) {
  if (path.empty()) return Failed("no survey folder or .3d file was given");
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(path, ec);
  if (st.type() == std::filesystem::file_type::not_found)
    return Failed(path.string() + ": no such file or folder");
  if (ec) return Failed(path.string() + ": " + ec.message());
  if (std::filesystem::is_directory(st)) return LoadSurveyFolder(path);
  if (std::filesystem::is_regular_file(st) && Is3dName(path)) return LoadSurvex3d(path);
  return Failed(path.string() + ": neither a survey folder nor a .3d file");
}

std::filesystem::path SurveySourceFor(const std::filesystem::path& chosen) {
  if (!IsSurveyFileName(chosen)) return chosen;
  const std::filesystem::path folder = chosen.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

bool LooksLikeSurveySource(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec) || Is3dName(path) || IsSurveyFileName(path);
}

}  // namespace mv
