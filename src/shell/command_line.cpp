#include "shell/command_line.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "data/reader_table.h"
#include "mv_version.h"
#include "shell/exports.h"
#include "view/view_state.h"

namespace mv {

namespace {

bool IsHelp(const QString& a) {
  return a == "--help" || a == "-h" || a == "-?";
}

QString Version() {
  return QString(
             "morvalka %1\n"
             "License GPLv3+: GNU GPL version 3 or later.\n"
             "This is free software: you are free to change and redistribute it.\n")
      .arg(kVersion);
}

QString ProgramName(const QStringList& arguments) {
  const QString name = arguments.isEmpty() ? QString() : QFileInfo(arguments.first()).fileName();
  return name.isEmpty() ? QString("morvalka") : name;
}

// "Survex .3d, ..., Compass .plt or .plf, Survex .svx (read with cavern)"
QString SurveyFormatsForUsage() {
  QStringList formats;
  for (const FormatReader& r : FormatReaders()) {
    std::vector<std::string> extensions;
    for (const std::string_view e : r.extensions)
      if (!e.empty()) extensions.emplace_back(e);
    std::string format = std::string(r.program) + " " + OneOf(extensions);
    if (!r.note.empty()) format += " (" + std::string(r.note) + ")";
    formats << QString::fromStdString(format);
  }
  return formats.join(", ");
}

// ".png a picture, .gif one turn, .svg a drawing"
QString ExportKindsForUsage() {
  QStringList kinds;
  for (const ExportKind& k : ExportKinds()) kinds << QString("%1 %2").arg(k.extension, k.usage);
  return kinds.join(", ");
}

QString Usage(const QString& program) {
  return QString(
             "Usage: %1 [SOURCE]\n"
             "       %1 --export OUT [SOURCE] [--size WxH] [--tilt DEG] [--turn DEG]\n"
             "                [--tick N] [--plan] [--depth] [--walls on|off]\n"
             "                [--splays S] [--surface S]\n"
             "Shows a cave survey as a spinning 3D model, or writes a picture of it.\n"
             "\n"
             "SOURCE is a folder holding Dane.bin, Dane1.bin and the optional Dane2.bin\n"
             "(or one of those files, which stands for its folder), or a survey file:\n"
             "%2.\n"
             "Without SOURCE the survey is read from the working directory.\n"
             "\n"
             "  --export OUT  write the survey as the viewer opens it to OUT, without a\n"
             "                window: %3\n"
             "  --size WxH    the picture's size in pixels (780x591; at most 16384x16384)\n"
             "  --tilt DEG    tilt the model by DEG degrees\n"
             "  --turn DEG    turn the model by DEG degrees about its axis\n"
             "  --tick N      the spin after N timer ticks (64 a second)\n"
             "  --plan        the plan: looking straight down\n"
             "  --depth       colour the survey lines by altitude, with a legend\n"
             "  --walls on|off  draw the passages' walls, or not (on where the survey\n"
             "                gives passage sizes)\n"
             "  --splays S    splays (shots to the walls): show, fade or hide (fade)\n"
             "  --surface S   surface legs: show, fade or hide (hide)\n"
             "  --from-desktop  started from the desktop menu: without SOURCE, open the\n"
             "                survey opened last, or none and say how to open one\n"
             "  -h, --help    show this text and end\n"
             "  --version     show the version and end\n")
      .arg(program, SurveyFormatsForUsage(), ExportKindsForUsage());
}

// A number of the whole text, or nullopt.
std::optional<double> Number(const QString& text) {
  bool ok = false;
  const double v = text.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<LegShow> LegShowNamed(const QString& text) {
  if (text == "show") return LegShow::Shown;
  if (text == "fade") return LegShow::Faded;
  if (text == "hide") return LegShow::Hidden;
  return std::nullopt;
}

std::optional<std::pair<int, int>> Size(const QString& text) {
  const QStringList parts = text.toLower().split('x');
  if (parts.size() != 2) return std::nullopt;
  bool okW = false, okH = false;
  const int w = parts[0].toInt(&okW), h = parts[1].toInt(&okH);
  if (!okW || !okH || w < 1 || h < 1 || w > kLargestExport || h > kLargestExport)
    return std::nullopt;
  return std::pair{w, h};
}

// The options of an export that take a value.
bool TakesValue(const QString& option) {
  static const QStringList kValued{"--export", "--size",  "--tilt",   "--turn",
                                   "--tick",   "--walls", "--splays", "--surface"};
  return kValued.contains(option);
}

// Puts the value of an option that takes one into `request`; what is wrong
// with the value, or empty.
QString SetExportValue(ExportRequest& request, const QString& option, const QString& value) {
  if (option == "--export") {
    if (value.isEmpty()) return "--export needs a file name";
    request.out = QFile::encodeName(value).toStdString();
  } else if (option == "--size") {
    const auto size = Size(value);
    if (!size)
      return QString("--size '%1' is not a size from 1x1 to %2x%2").arg(value).arg(kLargestExport);
    request.width = size->first;
    request.height = size->second;
  } else if (option == "--tick") {
    bool ok = false;
    const qlonglong tick = value.toLongLong(&ok);
    if (!ok || tick < 0 || tick > kTickCountLimit)
      return QString("--tick '%1' is not a tick from 0 to %2").arg(value).arg(kTickCountLimit);
    request.tick = static_cast<int32_t>(tick);
  } else if (option == "--walls") {
    if (value != "on" && value != "off")
      return QString("--walls '%1' is neither on nor off").arg(value);
    request.walls = value == "on";
  } else if (option == "--splays" || option == "--surface") {
    const std::optional<LegShow> show = LegShowNamed(value);
    if (!show) return QString("%1 '%2' is not show, fade or hide").arg(option, value);
    (option == "--splays" ? request.splays : request.surface) = show;
  } else {
    const auto degrees = Number(value);
    if (!degrees) return QString("%1 '%2' is not a number of degrees").arg(option, value);
    (option == "--tilt" ? request.tilt : request.turn) = *degrees;
  }
  return {};
}

}  // namespace

QString AsksForInformation(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--") break;
    if (IsHelp(arguments[i])) return "--help";
    if (arguments[i] == "--version") return "--version";
  }
  return {};
}

CommandLine ParseCommandLine(const QStringList& arguments) {
  CommandLine c;
  const QString program = ProgramName(arguments);
  // One line, so that a script's log says what went wrong where.
  const auto fail = [&](const QString& message) {
    c.exit = true;
    c.exitCode = 2;
    c.output = QString("%1: %2 (see %1 --help)\n").arg(program, message);
    c.exportRequest.reset();
    return c;
  };
  QStringList sources;
  bool optionsEnded = false;
  ExportRequest request;
  bool exporting = false, exportOption = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (!optionsEnded && TakesValue(a)) {
      if (i + 1 >= arguments.size()) return fail(QString("%1 needs a value").arg(a));
      const QString problem = SetExportValue(request, a, arguments[++i]);
      if (!problem.isEmpty()) return fail(problem);
      (a == "--export" ? exporting : exportOption) = true;
    } else if (!optionsEnded && (a == "--plan" || a == "--depth")) {
      exportOption = true;
      (a == "--plan" ? request.plan : request.depth) = true;
    } else if (!optionsEnded && a == "--from-desktop") {
      c.fromDesktop = true;
    } else if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && IsHelp(a)) {
      c.exit = true;
      c.output = Usage(program);
      return c;
    } else if (!optionsEnded && a == "--version") {
      c.exit = true;
      c.output = Version();
      return c;
    } else if (!optionsEnded && a.size() > 1 && a.startsWith('-')) {
      return fail(QString("unknown option '%1'").arg(a));
    } else {
      sources << a;
    }
  }
  if (sources.size() > 1) return fail("give at most one survey folder or file");
  if (sources.size() == 1) {
    if (sources.first().isEmpty()) return fail("the survey path is empty");
    c.source = QFile::encodeName(sources.first()).toStdString();
  }
  if (exportOption && !exporting) return fail("the picture's options go with --export OUT");
  if (exporting && c.fromDesktop) return fail("--from-desktop does not go with --export");
  if (c.fromDesktop && sources.isEmpty()) c.source.clear();
  if (exporting) {
    request.source = c.source;
    c.exportRequest = request;
  }
  return c;
}

}  // namespace mv
