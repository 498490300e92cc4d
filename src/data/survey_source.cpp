#include "data/survey_source.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

#include "data/compass_plot.h"
#include "data/file_bytes.h"
#include "data/records.h"
#include "data/survex3d.h"
#include "data/survex_source.h"
#include "data/therion_lox.h"

namespace mv {

namespace {

ReadResult RunCavern(const std::filesystem::path& path, const SourceOptions& options) {
  CavernOptions cavern;
  cavern.cancelled = options.cancelled;
  return ReadSurvexSource(path, options.legs, cavern);
}

constexpr FormatReader kReaders[] = {
    {SourceFormat::kSurvex3d,
     {".3d", ""},
     LooksLikeSurvex3d,
     ReadSurvex3d,
     nullptr,
     "Survex",
     "",
     "Survex, wynik"},
    {SourceFormat::kTherionLox,
     {".lox", ""},
     LooksLikeTherionLox,
     ReadTherionLox,
     nullptr,
     "Therion",
     "",
     "Therion"},
    {SourceFormat::kCompassPlot,
     {".plt", ".plf"},
     LooksLikeCompassPlot,
     ReadCompassPlot,
     nullptr,
     "Compass",
     "",
     "Compass"},
    {SourceFormat::kSurvexSource,
     {".svx", ""},
     nullptr,
     nullptr,
     RunCavern,
     "Survex",
     "read with cavern",
     "Survex, pomiary źródłowe"},
};

const FormatReader* ByExtension(const std::filesystem::path& path) {
  const std::string ext = path.extension().string();
  for (const FormatReader& r : kReaders)
    for (const std::string_view e : r.extensions)
      if (!e.empty() && SameIgnoringCase(ext, e)) return &r;
  return nullptr;
}

bool IsSurveyFileName(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  return std::any_of(kSurveyFolderFiles.begin(), kSurveyFolderFiles.end(),
                     [&](std::string_view n) { return SameIgnoringCase(name, n); });
}

ReadResult Failed(std::string file, std::string what) {
  ReadResult r;
  r.error = SourceError{std::move(file), SourceError::Place::kFile, 0, std::move(what)};
  return r;
}

}  // namespace

std::span<const FormatReader> FormatReaders() {
  return kReaders;
}

std::string OneOf(const std::vector<std::string>& items, std::string_view or_) {
  std::string list;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) list += i + 1 == items.size() ? " " + std::string(or_) + " " : ", ";
    list += items[i];
  }
  return list;
}

std::string SurveyExtensions(std::string_view or_) {
  std::vector<std::string> extensions;
  for (const FormatReader& r : kReaders)
    for (const std::string_view e : r.extensions)
      if (!e.empty()) extensions.emplace_back(e);
  return OneOf(extensions, or_);
}

ReadResult ReadSurveySource(const std::filesystem::path& path, const SourceOptions& options) {
  if (path.empty()) return Failed("", "no survey file or folder was given");
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(path, ec);
  if (st.type() == std::filesystem::file_type::not_found)
    return Failed(path.string(), "no such file or folder");
  if (ec) return Failed(path.string(), ec.message());
  if (std::filesystem::is_directory(st)) {
    ReadOptions read;
    read.decimalPoint = LocaleDecimalPoint();
    return ReadSurveyFolder(path, read);
  }

  const FormatReader* named = ByExtension(path);
  if (named != nullptr && named->readFile != nullptr) return named->readFile(path, options);
  std::vector<uint8_t> bytes;
  if (const auto e = ReadFileBytes(path, bytes)) {
    ReadResult r;
    r.error = *e;
    return r;
  }
  const FormatReader* chosen = nullptr;
  if (named != nullptr && named->looksLike(bytes)) chosen = named;
  for (const FormatReader& r : kReaders)
    if (chosen == nullptr && r.looksLike != nullptr && r.looksLike(bytes)) chosen = &r;
  if (chosen == nullptr) chosen = named;
  if (chosen == nullptr)
    return Failed(path.string(), "not a survey this program reads (a survey folder, or a " +
                                     SurveyExtensions() + " file)");
  return chosen->readBytes(bytes, path.string(), options.legs);
}

LoadResult LoadSurveySource(const std::filesystem::path& path, const SourceOptions& options) {
  // A folder's survey without extent is reported as the folder loader does.
  std::error_code ec;
  const bool folder = std::filesystem::is_directory(path, ec);
  return FinishLoad(ReadSurveySource(path, options), folder ? "" : path.string());
}

std::filesystem::path SurveySourceFor(const std::filesystem::path& chosen) {
  if (!IsSurveyFileName(chosen)) return chosen;
  const std::filesystem::path folder = chosen.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

bool LooksLikeSurveySource(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec) || ByExtension(path) != nullptr ||
         IsSurveyFileName(path);
}

}  // namespace mv
