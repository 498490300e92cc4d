// Start-up of the viewer.
#include <QApplication>
#include <QStringList>
#include <QSurfaceFormat>
#include <cstdio>
#include <memory>

#include "shell/command_line.h"
#include "shell/export_command.h"
#include "shell/gl_view.h"
#include "shell/main_window.h"
#include "shell/recent_surveys.h"
#include "shell/standard_error.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
  QStringList rawArguments;
  for (int i = 0; i < argc; ++i) rawArguments << QString::fromLocal8Bit(argv[i]);
  if (const QString asked = mv::AsksForInformation(rawArguments); !asked.isEmpty()) {
    std::fputs(mv::ParseCommandLine({rawArguments.first(), asked}).output.toLocal8Bit().constData(),
               stdout);
    return 0;
  }
  // An export shows no window: without a display it runs on Qt's offscreen
  // platform, where OpenGL may still be had.
  const bool exporting = rawArguments.contains("--export");
  // Its standard error is one line on failure and nothing else: Qt's own
  // remarks about the platform are not for it.
  if (exporting)
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
      if (type == QtCriticalMsg || type == QtFatalMsg) mv::ReportOnStandardError(text);
    });
  if (exporting && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
      qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QSurfaceFormat::setDefaultFormat(mv::ViewerSurfaceFormat());
  QApplication app(argc, argv);
  mv::PrepareApplication(app);
  // The window system's own options (-platform, -display, ...) are gone now.
  const mv::CommandLine commandLine = mv::ParseCommandLine(QCoreApplication::arguments());
  if (commandLine.exit) {
    std::fputs(commandLine.output.toLocal8Bit().constData(),
               commandLine.exitCode == 0 ? stdout : stderr);
    return commandLine.exitCode;
  }
  if (commandLine.exportRequest) return mv::RunExport(*commandLine.exportRequest);
  // Without OpenGL the window could not draw at all.
  if (const QString problem = mv::OpenGlProblem(); !problem.isEmpty()) {
    mv::ReportNoOpenGl(problem);
    return mv::kNoOpenGlExit;
  }
  // A source that cannot be read gets the failure box and the line on
  // standard error, as any failed load does.
  auto recent = std::make_unique<mv::RecentSurveys>();
  const std::filesystem::path source = mv::StartSource(commandLine, *recent);
  mv::MainWindow window(source, {}, nullptr, std::move(recent));
  window.show();
  return app.exec();
}
