// mvdata: writes the viewer's survey files from a text description or from
// a survey in another format, shows them back as text, and describes a
// survey.
//
// Exit codes: 0 done; 1 the input is bad, or a file could not be read or
// written; 2 the command line is wrong.
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/loader.h"
#include "data/near_approach.h"
#include "data/records.h"
#include "data/stats_table.h"
#include "data/survey_source.h"
#include "data/survey_stats.h"
#include "data/survey_writer.h"
#include "mv_version.h"
#include "survey_text.h"

namespace {

constexpr int kOk = 0;
constexpr int kBadInput = 1;
constexpr int kUsage = 2;

int Usage();

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
  mv::ReadResult read = mv::ReadSurveyFolder(dir, options);
  if (!read.ok()) return Fail(read.ErrorMessage());
  mv::SurveyText survey;
  survey.name = read.model.title;
  survey.model = std::move(read.model);
  std::cout << "# " << dir.string() << "\n";
  mv::PrintSurveyText(std::cout, survey);
  std::cout.flush();
  if (!std::cout) return Fail("cannot write the output");
  return kOk;
}

// A title cut to the object name's 75 bytes, never inside a UTF-8 sequence.
std::string ObjectName(const std::string& title) {
  if (title.size() <= static_cast<size_t>(mv::kNameCapacity)) return title;
  size_t n = static_cast<size_t>(mv::kNameCapacity);
  while (n > 0 && (static_cast<unsigned char>(title[n]) & 0xC0) == 0x80) --n;
  return title.substr(0, n);
}

int Convert(std::span<char* const> args) {
  const std::filesystem::path source = args[0], outDir = args[1];
  // The survey files cannot tell a splay from a leg: splays stay out.
  mv::SourceOptions read;
  read.legs.splays = false;
  const mv::ReadResult s = mv::ReadSurveySource(source, read);
  if (!s.ok()) return Fail(s.ErrorMessage());
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (ec) return Fail(outDir.string() + ": " + ec.message());
  mv::WriteOptions options;
  options.name = ObjectName(s.model.title);
  std::string error;
  if (!mv::WriteSurveyFolder(outDir, s.model, options, error)) return Fail(error);
  std::cout << source.string() << ": " << s.model.StationCount() << " stations, "
            << s.model.SurveyLineCount() << " line records, " << s.model.entranceCount
            << " entrances (" << s.info.entrancesFound << " flagged); " << s.info.legs << " legs, "
            << s.info.legsLeftOut << " left out\n";
  return kOk;
}

// A node named on the command line: its dotted path, or "#N" for node N.
int32_t NodeArgument(const mv::SurveyModel& m, std::string_view arg) {
  if (arg.size() > 1 && arg[0] == '#') {
    int32_t n = -1;
    const auto [end, ec] = std::from_chars(arg.data() + 1, arg.data() + arg.size(), n);
    return ec == std::errc() && end == arg.data() + arg.size() && n >= 0 && n < m.SurveyCount()
               ? n
               : -1;
  }
  return mv::FindSurvey(m, arg);
}

std::string Metres(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

int Info(std::span<char* const> args) {
  const std::filesystem::path source = args[0];
  const mv::ReadResult s = mv::ReadSurveySource(source);
  if (!s.ok()) return Fail(s.ErrorMessage());
  for (const std::string& line : s.info.warnings) std::cerr << "mvdata: " << line << '\n';
  const mv::SurveyModel& m = s.model;
  const mv::SourceInfo& i = s.info;
  const mv::SurveyStats all = mv::ComputeSurveyStats(m)[0];
  size_t triangles = 0;
  for (const mv::WallMesh& w : m.meshes) triangles += w.triangles.size() / 3;
  std::cout << "file: " << source.string() << "\n"
            << "format: " << mv::FormatName(i.format);
  if (i.format == mv::SourceFormat::kSurvex3d || i.format == mv::SourceFormat::kSurvexSource)
    std::cout << " (version "
              << (i.version <= 1 ? (i.version == 0 ? "0.01" : "B0.01") : std::to_string(i.version))
              << ")";
  std::cout << "\n";
  if (!m.title.empty()) std::cout << "title: " << m.title << "\n";
  if (!i.coordinateSystem.empty()) std::cout << "coordinate system: " << i.coordinateSystem << "\n";
  // The kinds are the model's: splays include legs to wall points that the
  // file does not flag.
  std::cout << "stations: " << m.StationCount() << "\n"
            << "legs: " << i.legs << " (" << i.legs - i.legsLeftOut << " shown)\n"
            << "splays: " << all.splays << "\n"
            << "surface legs: " << all.surfaceLegs << "\n"
            << "duplicate legs: " << all.duplicates << "\n"
            << "cross-sections: " << m.sections.size() << "\n"
            << "wall triangles: " << triangles << "\n"
            << "surveys: " << m.SurveyCount() << "\n"
            << "entrances: " << i.entrancesFound << "\n";
  if (m.StationCount() > 0) {
    double lo[3], hi[3];
    for (int a = 0; a < 3; ++a) lo[a] = hi[a] = m.stations[a];
    for (size_t k = 0; k < m.stations.size(); ++k) {
      lo[k % 3] = std::min(lo[k % 3], m.stations[k]);
      hi[k % 3] = std::max(hi[k % 3], m.stations[k]);
    }
    char box[200];
    std::snprintf(box, sizeof box, "box (m): x %.2f to %.2f, y %.2f to %.2f, z %.2f to %.2f\n",
                  lo[0], hi[0], lo[1], hi[1], lo[2], hi[2]);
    std::cout << box;
  }
  std::cout.flush();
  if (!std::cout) return Fail("cannot write the output");
  return kOk;
}

// The statistics of a node (the whole survey without one) as a table of
// tab-separated rows, for a spreadsheet.
int Stats(std::span<char* const> args) {
  const std::filesystem::path source = args[0];
  const mv::ReadResult s = mv::ReadSurveySource(source);
  if (!s.ok()) return Fail(s.ErrorMessage());
  const mv::SurveyModel& m = s.model;
  const int32_t node = args.size() > 1 ? NodeArgument(m, args[1]) : 0;
  if (node < 0) return Fail(source.string() + ": no survey \"" + args[1] + "\"");
  const mv::SurveyStats st = mv::ComputeSurveyStats(m)[static_cast<size_t>(node)];
  std::cout << mv::StatsText(mv::StatsTable(m, node, st, '.'), false);
  std::cout.flush();
  if (!std::cout) return Fail("cannot write the output");
  return kOk;
}

// The closest approaches between a node and another node or the rest of
// the survey, nearest first, as tab-separated rows.
int Near(std::span<char* const> args) {
  std::vector<std::string_view> plain;
  mv::ApproachQuery q;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--splays") {
      q.splays = true;
    } else if (a == "--k" && i + 1 < args.size()) {
      const std::string_view n = args[++i];
      const auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), q.k);
      if (ec != std::errc() || end != n.data() + n.size() || q.k < 1) return Usage();
    } else if (a.starts_with("--")) {
      return Usage();
    } else {
      plain.push_back(a);
    }
  }
  if (plain.size() < 2 || plain.size() > 3) return Usage();
  const std::filesystem::path source(plain[0]);
  const mv::ReadResult s = mv::ReadSurveySource(source);
  if (!s.ok()) return Fail(s.ErrorMessage());
  const mv::SurveyModel& m = s.model;
  q.node = NodeArgument(m, plain[1]);
  if (q.node < 0) return Fail(source.string() + ": no survey \"" + std::string(plain[1]) + "\"");
  if (plain.size() == 3) {
    q.other = NodeArgument(m, plain[2]);
    if (q.other < 0) return Fail(source.string() + ": no survey \"" + std::string(plain[2]) + "\"");
  }
  const mv::ApproachResult r = mv::FindApproaches(m, q);
  switch (r.problem) {
    case mv::ApproachResult::Problem::kNone:
      break;
    case mv::ApproachResult::Problem::kNoSuchNode:
      return Fail("no such survey");
    case mv::ApproachResult::Problem::kOverlap:
      return Fail("the two parts overlap: one lies within the other");
    case mv::ApproachResult::Problem::kNoLegs:
      return Fail("a part has no legs to compare");
  }
  std::cout << "distance (m)\tdx (m)\tdy (m)\tdz (m)\tstation\tstation\n";
  for (const mv::Approach& a : r.approaches)
    std::cout << Metres(a.distance) << '\t' << Metres(a.dx()) << '\t' << Metres(a.dy()) << '\t'
              << Metres(a.dz()) << '\t' << m.StationName(a.fromStation) << '\t'
              << m.StationName(a.toStation) << '\n';
  std::cout.flush();
  if (!std::cout) return Fail("cannot write the output");
  return kOk;
}

struct Command {
  std::string_view name;
  std::string_view arguments;
  std::string_view purpose;
  size_t argumentCount;  // at least
  size_t mostArguments;
  int (*run)(std::span<char* const> args);
};

constexpr Command kCommands[] = {
    {"build", "<survey.txt> <outdir>",
     "write Dane.bin, Dane1.bin and Dane2.bin into <outdir> from a text survey", 2, 2, Build},
    {"dump", "<dir>", "print the survey files of <dir> as a text survey", 1, 1, Dump},
    {"convert", "<survey> <outdir>",
     "write the survey files into <outdir> from any survey the viewer opens (.3d, .svx, .plt, "
     ".plf, .lox or a survey folder; splays left out)",
     2, 2, Convert},
    {"from3d", "<survey> <outdir>", "another name for convert", 2, 2, Convert},
    {"info", "<survey>",
     "print the format, the counts of stations, legs, splays, surface and duplicate legs, "
     "cross-sections, wall triangles, surveys and entrances, and the bounding box in metres",
     1, 1, Info},
    {"stats", "<survey> [<node>]",
     "print the counts, lengths (net of splays, duplicates and surface legs, and each apart) "
     "and extents of the whole survey or of one node of its tree (a dotted path, or #N), as "
     "tab-separated rows",
     1, 2, Stats},
    {"near", "<survey> <node> [<other>] [--k N] [--splays]",
     "print the N (10) closest approaches between the legs of <node> and of <other> (or of the "
     "rest of the survey), with splays if asked: distance, dx, dy, dz and the nearest station "
     "at each side, as tab-separated rows",
     2, 6, Near},
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
    const size_t given = static_cast<size_t>(argc - 2);
    if (given < c.argumentCount || given > c.mostArguments) return Usage();
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
