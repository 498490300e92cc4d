#include "data/loader.h"

namespace mv {

LoadResult FinishLoad(SurveyModel&& model) {
  LoadResult r;
  r.linesShown = true;
  r.box = ComputeExtents(model);
  r.centreX = CentreOf(r.box.minX, r.box.maxX);
  r.centreY = CentreOf(r.box.minY, r.box.maxY);
  const long double size = ModelSize(r.box);
  if (!(size > 0)) {
    r.error = "the survey has no extent (every station lies at the origin)";
    return r;
  }
  r.zoom = FittedZoom(size);
  r.model = std::move(model);
  r.ok = true;
  return r;
}

LoadResult LoadSurveyFolder(const std::filesystem::path& dir) {
  LoadResult r;
  r.error = dir.string() + ": reading survey folders is not written yet";
  return r;
}

}  // namespace mv
