// Writes one frame of a survey as the viewer shows it after opening it, at a
// given timer tick, to a PNG file. Used for the pictures in the README:
//   mv_screenshot <survey> <tick> <output.png> [width height] [--depth]
// --depth colours the lines by altitude, with the legend.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "data/survey_source.h"
#include "offscreen_frame.h"
#include "view/framing.h"
#include "view/survey_loading.h"

int main(int argc, char** argv) {
  bool depth = false;
  if (argc > 1 && std::strcmp(argv[argc - 1], "--depth") == 0) {
    depth = true;
    --argc;
  }
  if (argc != 4 && argc != 6) {
    std::fprintf(stderr, "usage: %s <survey> <tick> <output.png> [width height] [--depth]\n",
                 argv[0]);
    return 2;
  }
  const int tick = std::atoi(argv[2]);
  const int width = argc == 6 ? std::atoi(argv[4]) : mv::test::kFrameWidth;
  const int height = argc == 6 ? std::atoi(argv[5]) : mv::test::kFrameHeight;
  if (tick < 0 || width <= 0 || height <= 0) {
    std::fprintf(stderr, "the tick must not be negative, the size must be positive\n");
    return 2;
  }
  QGuiApplication app(argc, argv);

  mv::AppState s;
  mv::SetStartParameters(s.view);
  const std::filesystem::path source = mv::SurveySourceFor(argv[1]);
  mv::LoadResult load = mv::LoadSurveySource(source);
  if (!load.ok) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[1], load.error.c_str());
    return 1;
  }
  mv::ApplyLoad(s, std::move(load));
  // As the viewer opens it, in a picture without a toolbar.
  std::error_code ec;
  s.framing.pending = std::filesystem::is_directory(source, ec) ? mv::FitRequest::UnlessWhole
                                                                : mv::FitRequest::Always;
  const mv::PictureGeometry picture{width, height, width, height, 0, 1};
  mv::ApplyPendingFit(s, picture);
  s.view.TickCount = tick;
  s.view.DepthColours = depth;

  mv::test::OffscreenGl gl(width, height);
  if (!gl.Error().empty()) {
    std::fprintf(stderr, "%s\n", gl.Error().c_str());
    return 1;
  }
  if (!gl.Frame(s.view, s.survey, &picture).save(argv[3])) {
    std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
