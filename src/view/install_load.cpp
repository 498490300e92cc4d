#include "view/install_load.h"

#include <cmath>

namespace mv {

Real48 FittedZoom(long double size) {
  return std::exp(2.56437L - 0.834415L * std::log(size));
}

bool InstallLoad(AppState& s, LoadResult&& r) {
  s.view.LinesVisible = false;
  s.view.PickedFirst = s.view.PickedSecond = -1;
  if (r.ok) {
    s.survey = std::move(r.model);
    s.source = r.info.format;
    Show(Toggle::Lines, s.view, s.texts);
    // A cave map opens coloured by depth, with its scale bar and compass.
    const bool map = DrawnAsMap(s.source);
    s.view.MapStyle = map;
    Set(Toggle::DepthColours, map, s.view, s.texts);
    Set(Toggle::MapOverlays, map, s.view, s.texts);
    // Splays faded and surface legs hidden, as a caver expects them; the
    // walls wherever the survey gives passage sizes.
    s.view.Splays = LegShow::Faded;
    s.view.SurfaceLegs = LegShow::Hidden;
    const bool walls = !s.survey.sections.empty() || !s.survey.meshes.empty();
    Set(Toggle::Walls, walls, s.view, s.texts);
    s.texts.walls.enabled = walls;
    s.view.Box = r.box;
    s.view.CentreX = CentreOf(r.box.minX, r.box.maxX);
    s.view.CentreY = CentreOf(r.box.minY, r.box.maxY);
    s.view.OriginX = s.survey.originX;
    s.view.OriginY = s.survey.originY;
    s.view.ZoomScale = FittedZoom(ModelSize(r.box));
    return true;
  }
  s.survey = PlaceholderModel();
  s.source = SourceFormat::kUnknown;
  s.view.MapStyle = false;
  s.view.Box = Extents{};
  s.view.CentreX = 0.0L;
  s.view.CentreY = 0.0L;
  s.view.OriginX = 0.0L;
  s.view.OriginY = 0.0L;
  Set(Toggle::Walls, false, s.view, s.texts);
  s.texts.walls.enabled = false;
  if (r.sourceRead) Show(Toggle::Lines, s.view, s.texts);
  return false;
}

}  // namespace mv
