// Start-up benchmark: starts the viewer's main window on a survey as the
// program does and prints how long the first frame took to reach the
// screen, counted from the start of the process, then quits.
//
//   mv_startup_bench SOURCE      prints first_frame_ms=T
#include <unistd.h>

#include <QApplication>
#include <QOpenGLWidget>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "shell/gl_view.h"
#include "shell/main_window.h"
#include "shell/startup.h"

namespace {

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
  if (argc != 2) {
    std::fprintf(stderr, "usage: mv_startup_bench SOURCE\n");
    return 2;
  }
  QSurfaceFormat::setDefaultFormat(mv::ViewerSurfaceFormat());
  QApplication app(argc, argv);
  mv::PrepareApplication(app);
  mv::MainWindow window(argv[1]);
  QObject::connect(
      window.View(), &QOpenGLWidget::frameSwapped, &window,
      [mainEntered] {
        std::printf("first_frame_ms=%.0f\n", MillisecondsSinceStart(mainEntered));
        std::fflush(stdout);
        QCoreApplication::quit();
      },
      Qt::SingleShotConnection);
  window.show();
  return app.exec();
}
