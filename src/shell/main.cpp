// Start-up of the viewer.
#include <unistd.h>

#include <QApplication>
#include <QOpenGLWidget>
#include <QStringList>
#include <QSurfaceFormat>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "shell/command_line.h"
#include "shell/gl_view.h"
#include "shell/main_window.h"

namespace {

bool EnvironmentFlag(const char* name) {
  const char* v = std::getenv(name);
  return v && std::strcmp(v, "1") == 0;
}

// Milliseconds since the kernel started this process, so that loading the
// shared libraries counts too; the kernel keeps the start in clock ticks
// (10 ms). Where that cannot be read, from `mainEntered` on instead.
double MillisecondsSinceStart(std::chrono::steady_clock::time_point mainEntered) {
  std::ifstream in("/proc/self/stat");
  const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = stat.rfind(')');
  timespec now{};
  if (close != std::string::npos && clock_gettime(CLOCK_BOOTTIME, &now) == 0) {
    // The start time is field 22; the fields after the command name's ')'
    // begin with field 3.
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (fields && ticksPerSecond > 0) {
      const double started = std::stod(field) * 1000.0 / static_cast<double>(ticksPerSecond);
      return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6 -
             started;
    }
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - mainEntered)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  const auto mainEntered = std::chrono::steady_clock::now();
  QStringList rawArguments;
  for (int i = 0; i < argc; ++i) rawArguments << QString::fromLocal8Bit(argv[i]);
  if (mv::AsksForHelp(rawArguments)) {
    std::fputs(
        mv::ParseCommandLine({rawArguments.first(), "--help"}).output.toLocal8Bit().constData(),
        stdout);
    return 0;
  }
  QSurfaceFormat::setDefaultFormat(mv::ViewerSurfaceFormat());
  QApplication app(argc, argv);
  QApplication::setApplicationName("Morwalka Vendra");
  // The window system's own options (-platform, -display, ...) are gone now.
  const mv::CommandLine commandLine = mv::ParseCommandLine(QCoreApplication::arguments());
  if (commandLine.exit) {
    std::fputs(commandLine.output.toLocal8Bit().constData(),
               commandLine.exitCode == 0 ? stdout : stderr);
    return commandLine.exitCode;
  }
  // A source that cannot be read gets the failure box and the line on
  // standard error, as any failed load does.
  mv::MainWindow window(commandLine.source);

  // For measuring start-up: MV_REPORT_STARTUP=1 prints how long the first
  // frame took to reach the screen; MV_EXIT_AFTER_FIRST_FRAME=1 then quits.
  if (EnvironmentFlag("MV_REPORT_STARTUP") || EnvironmentFlag("MV_EXIT_AFTER_FIRST_FRAME")) {
    const bool report = EnvironmentFlag("MV_REPORT_STARTUP");
    const bool exit = EnvironmentFlag("MV_EXIT_AFTER_FIRST_FRAME");
    QObject::connect(
        window.View(), &QOpenGLWidget::frameSwapped, &window,
        [mainEntered, report, exit] {
          if (report) {
            std::fprintf(stderr, "first_frame_ms=%.0f\n", MillisecondsSinceStart(mainEntered));
            std::fflush(stderr);
          }
          if (exit) QCoreApplication::quit();
        },
        Qt::SingleShotConnection);
  }
  window.show();
  return app.exec();
}
