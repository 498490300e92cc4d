#include "shell/survey_loading.h"

namespace mv {

namespace {
void ShowLines(AppState& s) {
  s.view.LinesVisible = true;
  s.texts.lines.caption = s.texts.lines.hint = "Nie rysuj linii pomiarowych";
}
}  // namespace

bool ApplyLoad(AppState& s, LoadResult&& r) {
  s.view.LinesVisible = false;
  if (r.ok) {
    s.survey = std::move(r.model);
    ShowLines(s);
    s.view.Box = r.box;
    s.view.CentreX = r.centreX;
    s.view.CentreY = r.centreY;
    s.view.OriginX = s.survey.originX;
    s.view.OriginY = s.survey.originY;
    s.view.ZoomScale = r.zoom;
    return true;
  }
  s.survey = PlaceholderModel();
  s.view.Box = Extents{};
  s.view.CentreX = 0.0L;
  s.view.CentreY = 0.0L;
  s.view.OriginX = 0.0L;
  s.view.OriginY = 0.0L;
  if (r.linesShown) ShowLines(s);
  return false;
}

}  // namespace mv
