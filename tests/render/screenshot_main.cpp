// Writes one frame of a survey as the viewer shows it at start-up, at a given
// timer tick, to a PNG file. Used for the picture in the README:
//   mv_screenshot <survey folder> <tick> <output.png> [width height]
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/loader.h"
#include "offscreen_frame.h"
#include "view/survey_loading.h"

int main(int argc, char** argv) {
  if (argc != 4 && argc != 6) {
    std::fprintf(stderr, "usage: %s <survey folder> <tick> <output.png> [width height]\n", argv[0]);
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
  mv::LoadResult load = mv::LoadSurveyFolder(argv[1]);
  if (!load.ok) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[1], load.error.c_str());
    return 1;
  }
  mv::ApplyLoad(s, std::move(load));
  s.view.TickCount = tick;

  mv::test::OffscreenGl gl(width, height);
  if (!gl.Error().empty()) {
    std::fprintf(stderr, "%s\n", gl.Error().c_str());
    return 1;
  }
  if (!gl.Frame(s.view, s.survey).save(argv[3])) {
    std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
