#include "shell/export_command.h"

#include <QGuiApplication>

#include "data/reader_table.h"
#include "shell/exports.h"
#include "shell/file_dialogs.h"
#include "shell/standard_error.h"
#include "shell/startup.h"
#include "shell/survey_opener.h"
#include "ui/key_actions.h"
#include "view/framing.h"
#include "view/install_load.h"

namespace mv {

namespace {

void Say(const QString& line) {
  ReportOnStandardError(line);
}

}  // namespace

ExportState OpenForExport(const ExportRequest& r) {
  ExportState e;
  AppState& s = e.state;
  SetStartParameters(s.view);
  const std::filesystem::path source = SurveySourceFor(r.source);
  LoadResult load = LoadSurveySource(source);
  if (!load.ok) {
    e.error = QString::fromStdString(load.error);
    return e;
  }
  InstallLoad(s, std::move(load));
  s.framing.pending = FitRequestFor(source);
  if (r.plan) ui::ShowPlan(s.view);
  if (r.tilt) s.view.TiltAngle = *r.tilt;
  if (r.turn) s.view.TurnAngle = *r.turn;
  if (r.depth) Show(Toggle::DepthColours, s.view, s.texts);
  if (r.walls) Set(Toggle::Walls, *r.walls, s.view, s.texts);
  if (r.splays) s.view.Splays = *r.splays;
  if (r.surface) s.view.SurfaceLegs = *r.surface;
  s.view.TickCount = r.tick;
  // Fitted for the tilt asked for, like a window of the picture's size
  // with no toolbar.
  e.picture = {r.width, r.height, r.width, r.height, 0, 1};
  ApplyPendingFit(s, e.picture);
  return e;
}

int RunExport(const ExportRequest& r) {
  const QString out = PathText(r.out);
  if (const QString problem = ExportNameProblem(r.out); !problem.isEmpty()) {
    Say(QString("cannot write %1: %2").arg(out, problem));
    return 2;
  }
  const ExportState e = OpenForExport(r);
  if (!e.error.isEmpty()) {
    // A reader's message names the file already; a folder's names the file
    // within it.
    const QString source = PathText(r.source);
    Say(e.error.startsWith(source + ": ") ? "cannot read " + e.error
                                          : QString("cannot read %1: %2").arg(source, e.error));
    return 1;
  }
  const ExportResult result =
      ExportPicture(r.out, *ExportFormatOf(r.out), {e.state.view, e.state.survey, e.picture});
  if (result.ok) return 0;
  if (result.noOpenGl) {
    Say(QString("cannot write %1: OpenGL could not be started (%2 on the \"%3\" platform); PNG "
                "and GIF pictures need it, an SVG drawing does not")
            .arg(out, result.error, QGuiApplication::platformName()));
    return kNoOpenGlExit;
  }
  Say(QString("cannot write %1: %2").arg(out, result.error));
  return 1;
}

}  // namespace mv
