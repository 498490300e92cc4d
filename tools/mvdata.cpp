// mvdata: writes the viewer's survey files from a text description and shows
// them back as text.
//
// Exit codes: 0 done; 1 the input is bad, or a file could not be read or
// written; 2 the command line is wrong.
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <string_view>

#include "data/loader.h"
#include "data/records.h"
#include "data/survex3d.h"
#include "data/survey_writer.h"
#include "mv_version.h"
#include "survey_text.h"

namespace {

constexpr int kOk = 0;
constexpr int kBadInput = 1;
constexpr int kUsage = 2;

int Fail(const std::string& message) {
  std::cerr << "mvdata: " << message << '\n';
  return kBadInput;
}

int Build(std::span<char* const> args) {
  const std::filesystem::path source = args[0], outDir = args[1];
  std::ifstream in(source);
  if (!in) return Fail(source.string() + ": cannot be opened");
  mv::SurveyText survey;
  std::string error;
  if (!mv::ParseSurveyText(in, survey, error)) return Fail(source.string() + ": " + error);
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (ec) return Fail(outDir.string() + ": " + ec.message());
  mv::WriteOptions options;
  options.name = survey.name;
  options.stationsRelative = true;
  if (!mv::WriteSurveyFolder(outDir, survey.model, options, error)) return Fail(error);
  return kOk;
}

int Dump(std::span<char* const> args) {
  const std::filesystem::path dir = args[0];
  mv::ReadOptions options;
  // Read with the user's decimal separator, as the viewer does.
  options.decimalPoint = mv::LocaleDecimalPoint();
  options.addOrigin = false;
  mv::SurveyText survey;
  std::string error;
  if (!mv::ReadSurveyFolder(dir, options, survey.model, error)) return Fail(error);
  // The name is not part of the model; take it straight from the object file.
  const std::filesystem::path object = mv::FindSurveyFile(dir, mv::kObjectFileName);
  if (!object.empty()) {
    std::ifstream in(object, std::ios::binary);
    std::vector<char> bytes(2 * mv::kObjectRecordSize);
    if (in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
      survey.name = mv::DecodeObjectRecord(reinterpret_cast<const uint8_t*>(bytes.data()) +
                                           mv::kObjectRecordSize)
                        .name.text;
  }
  std::cout << "# " << dir.string() << "\n";
  mv::PrintSurveyText(std::cout, survey);
  std::cout.flush();
  if (!std::cout) return Fail("cannot write the output");
  return kOk;
}

// The title of a .3d file cut to the object name's 75 bytes, never inside a
// UTF-8 sequence.
std::string ObjectName(const std::string& title) {
  if (title.size() <= static_cast<size_t>(mv::kNameCapacity)) return title;
  size_t n = static_cast<size_t>(mv::kNameCapacity);
  while (n > 0 && (static_cast<unsigned char>(title[n]) & 0xC0) == 0x80) --n;
  return title.substr(0, n);
}

int From3d(std::span<char* const> args) {
  const std::filesystem::path source = args[0], outDir = args[1];
  const mv::Survex3dSurvey s = mv::ReadSurvex3dFile(source);
  if (!s.ok) return Fail(s.error);
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (ec) return Fail(outDir.string() + ": " + ec.message());
  mv::WriteOptions options;
  options.name = ObjectName(s.title);
  std::string error;
  if (!mv::WriteSurveyFolder(outDir, s.model, options, error)) return Fail(error);
  std::cout << source.string() << ": " << s.model.StationCount() << " stations, "
            << s.model.SurveyLineCount() << " line records, " << s.model.entranceCount
            << " entrances (" << s.entrancesFound << " flagged); " << s.legs << " legs, "
            << s.legsLeftOut << " left out (splays)\n";
  return kOk;
}

struct Command {
  std::string_view name;
  std::string_view arguments;
  std::string_view purpose;
  size_t argumentCount;
  int (*run)(std::span<char* const> args);
};

constexpr Command kCommands[] = {
    {"build", "<survey.txt> <outdir>",
     "write Dane.bin, Dane1.bin and Dane2.bin into <outdir> from a text survey", 2, Build},
    {"dump", "<dir>", "print the survey files of <dir> as a text survey", 1, Dump},
    {"from3d", "<survey.3d> <outdir>",
     "write the survey files into <outdir> from a Survex .3d file (splays left out)", 2, From3d},
};

int Usage() {
  std::cerr << "usage:\n";
  for (const Command& c : kCommands)
    std::cerr << "  mvdata " << c.name << ' ' << c.arguments << "\n      " << c.purpose << '\n';
  std::cerr << "The text survey has one statement a line:\n"
               "  name TEXT | origin X Y Z | station NAME X Y Z | line NAME NAME ... |\n"
               "  entrance NAME     ('#' starts a comment; stations relative to the origin)\n"
               "mvdata --version prints the version.\n";
  return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // The user's locale decides the decimal separator the files are read with;
  // numbers are printed with a dot whatever it is.
  std::setlocale(LC_ALL, "");
  if (argc < 2) return Usage();
  const std::string_view name = argv[1];
  for (const Command& c : kCommands) {
    if (c.name != name) continue;
    if (static_cast<size_t>(argc - 2) != c.argumentCount) return Usage();
    return c.run(std::span<char* const>(argv + 2, argv + argc));
  }
  if (name == "--version") {
    std::cout << "mvdata " << mv::kVersion << '\n';
    return kOk;
  }
  if (name == "help" || name == "--help" || name == "-h") {
    Usage();
    return kOk;
  }
  std::cerr << "mvdata: unknown command \"" << name << "\"\n";
  return Usage();
}
