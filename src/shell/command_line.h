// The viewer's command line: an optional survey folder or .3d file.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>

namespace mv {

struct CommandLine {
  // The survey to open; the working directory when none is given.
  std::filesystem::path source = ".";
  // Set when the program should print `output` and end with `exitCode`
  // instead of starting (the usage, or a mistake on the command line).
  bool exit = false;
  int exitCode = 0;
  QString output;
};

// `arguments` with the program's name first. Options of the window system
// that QApplication takes out must be gone already.
CommandLine ParseCommandLine(const QStringList& arguments);

// "--help" or "--version" when the usage or the version is asked for, else
// empty. This is looked at before there is a display, so that both work
// without one.
QString AsksForInformation(const QStringList& arguments);

}  // namespace mv
