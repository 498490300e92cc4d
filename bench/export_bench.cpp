// Export benchmark: the animated GIF of one turn (72 frames) and the SVG
// drawing of a survey as the viewer opens it, at the picture's size in the
// start window (780 x 558), written to a temporary folder.
//
//   mv_export_bench [--runs R] SOURCE ...    prints per source and format:
//     export format=gif legs=N export_ms=T
//     export format=svg legs=N export_ms=T
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cave_gen.h"
#include "shell/export_command.h"
#include "shell/exports.h"
#include "shell/gl_view.h"

int main(int argc, char** argv) {
  QSurfaceFormat::setDefaultFormat(mv::ViewerSurfaceFormat());
  QApplication app(argc, argv);
  int runs = 1;
  std::vector<const char*> sources;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else
      sources.push_back(argv[i]);
  }
  if (sources.empty()) {
    std::fprintf(stderr, "usage: mv_export_bench [--runs R] SOURCE ...\n");
    return 2;
  }
  QTemporaryDir out;
  for (const char* source : sources) {
    mv::ExportRequest r;
    r.source = source;
    r.width = mv::kOuterWidth;
    r.height = 558;  // the picture under the menu bar of the start window
    r.tick = 200;
    const mv::ExportState e = mv::OpenForExport(r);
    if (!e.error.isEmpty()) {
      std::fprintf(stderr, "%s: %s\n", source, e.error.toLocal8Bit().constData());
      return 1;
    }
    const long long legs = static_cast<long long>(mv::bench::Legs(e.state.survey));
    for (const auto& [format, name] :
         {std::pair{mv::ExportFormat::Gif, "gif"}, std::pair{mv::ExportFormat::Svg, "svg"}}) {
      std::vector<double> times;
      for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const mv::ExportResult result =
            mv::ExportPicture(out.filePath(QString("picture.") + name).toStdString(), format,
                              {e.state.view, e.state.survey, e.picture});
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (!result.ok) {
          std::fprintf(stderr, "%s: %s\n", source, result.error.toLocal8Bit().constData());
          return 1;
        }
      }
      std::sort(times.begin(), times.end());
      std::printf("export format=%s legs=%lld export_ms=%.0f\n", name, legs,
                  times[times.size() / 2]);
      std::fflush(stdout);
    }
  }
  return 0;
}
