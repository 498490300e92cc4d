// The viewer's command line: an optional survey folder or .3d file.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "view/camera.h"
#include "view/view_state.h"

namespace mv {

// Writing a picture of a survey without a window: the file, its size and
// the view it shows.
struct ExportRequest {
  std::filesystem::path out;
  std::filesystem::path source = ".";
  int width = kOuterWidth, height = kOuterHeight;
  std::optional<double> tilt, turn;  // degrees
  int32_t tick = 0;
  bool plan = false, depth = false;
  std::optional<bool> walls;  // the passages' walls on or off; as opened when unset
  // How splays and surface legs are drawn, where not as the survey opens.
  std::optional<LegShow> splays, surface;
};
// The largest picture an export makes, in pixels a side.
inline constexpr int kLargestExport = 16384;

struct CommandLine {
  // The survey to open; the working directory when none is given, but empty
  // for a start from the desktop menu without one.
  std::filesystem::path source = ".";
  // Started by the desktop entry (--from-desktop).
  bool fromDesktop = false;
  // Set when a picture is to be written instead of showing the viewer.
  std::optional<ExportRequest> exportRequest;
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
