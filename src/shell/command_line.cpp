#include "shell/command_line.h"

#include <QFile>
#include <QFileInfo>

#include "mv_version.h"

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

QString Usage(const QString& program) {
  return QString(
             "Usage: %1 [SOURCE]\n"
             "Shows a cave survey as a spinning 3D model.\n"
             "\n"
             "SOURCE is a folder holding Dane.bin, Dane1.bin and the optional Dane2.bin\n"
             "(or one of those files, which stands for its folder), or a survey file:\n"
             "Survex .3d or .svx (read with cavern), Compass .plt or .plf, Therion .lox.\n"
             "Without SOURCE the survey is read from the working directory.\n"
             "\n"
             "  -h, --help  show this text and end\n"
             "  --version   show the version and end\n")
      .arg(program);
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
  const auto fail = [&](const QString& message) {
    c.exit = true;
    c.exitCode = 2;
    c.output = QString("%1: %2\nTry '%1 --help'.\n").arg(program, message);
    return c;
  };
  QStringList sources;
  bool optionsEnded = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (!optionsEnded && a == "--") {
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
  return c;
}

}  // namespace mv
