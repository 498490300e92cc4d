// Where a survey comes from (a folder of the three survey files or a file in
// one of the formats below) and which reader reads it.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/loader.h"
#include "data/source_reader.h"

namespace mv {

struct SourceOptions {
  LegOptions legs;
  // Polled while a slow step runs (cavern on a Survex source); returning
  // true stops it and the open fails as cancelled.
  std::function<bool()> cancelled;
};

// One file format the program opens. A format that reads bytes has
// `readBytes`; one that needs the file itself (a Survex source, handed to
// cavern) has `readFile`.
struct FormatReader {
  SourceFormat format;
  std::array<std::string_view, 2> extensions;  // lower case, with the dot; "" for none
  // Whether the first bytes of a file are this format's; null when the
  // format has no mark of its own and is known by its extension only.
  bool (*looksLike)(std::span<const uint8_t> head);
  ReadResult (*readBytes)(std::span<const uint8_t> bytes, std::string_view name,
                          const LegOptions& options);
  ReadResult (*readFile)(const std::filesystem::path& path, const SourceOptions& options);
  // How people know these files: the program that writes them, a note for
  // the usage text ("" for none), and the open dialog's name for them (the
  // interface is Polish).
  std::string_view program;
  std::string_view note;
  std::string_view dialogName;
};

// Every format, in the order their marks are tried. The usage text, the
// open dialog and the message for a file of no known format list them from
// here.
std::span<const FormatReader> FormatReaders();

// The three files of a survey folder.
inline constexpr std::array<std::string_view, 3> kSurveyFolderFiles = {
    kStationFileName, kSurveyLineFileName, kObjectFileName};

// "a, b or c": the items as a list for a sentence, `or` before the last.
std::string OneOf(const std::vector<std::string>& items, std::string_view or_ = "or");
// Every format's extensions: ".3d, .lox, .plt, .plf or .svx".
std::string SurveyExtensions(std::string_view or_ = "or");

// Reads the survey at `path`: a folder through the survey-folder loader, a
// file by the reader its extension names (in any letter case) when the
// content agrees, else by the reader whose mark the content bears, else by
// its extension's reader, which then says what is wrong. Never throws.
ReadResult ReadSurveySource(const std::filesystem::path& path, const SourceOptions& options = {});

// ReadSurveySource, then FinishLoad.
LoadResult LoadSurveySource(const std::filesystem::path& path, const SourceOptions& options = {});

// The source a user means by choosing `chosen`: one of the three survey
// files stands for its folder, anything else for itself.
std::filesystem::path SurveySourceFor(const std::filesystem::path& chosen);

// Whether `path` is worth offering to LoadSurveySource once mapped by
// SurveySourceFor: a folder, a file with the extension of a format above, or
// one of the three survey files.
bool LooksLikeSurveySource(const std::filesystem::path& path);

}  // namespace mv
