// `morvalka --export`: a picture of a survey written without a window.
#pragma once

#include <QString>

#include "shell/command_line.h"
#include "view/app_state.h"

namespace mv {

// The survey of `r` opened as the viewer opens it (fitted, or in its own
// view for a folder that shows it whole) in a picture of the request's size
// without a toolbar, with the request's tilt, turn, tick, plan and colours.
// Nullopt-like: `error` says why the source could not be read.
struct ExportState {
  AppState state;
  PictureGeometry picture;
  QString error;
};
ExportState OpenForExport(const ExportRequest& r);

// Writes the picture and returns the exit status: 0, or after one line on
// standard error 1 (the source or the file failed), 2 (a wrong file name)
// or kNoOpenGlExit.
int RunExport(const ExportRequest& r);

}  // namespace mv
