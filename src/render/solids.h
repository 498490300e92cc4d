// Sizes of the solids the scene draws: the arrowheads and the entrance spheres.
#pragma once

#include "data/survey_model.h"

namespace mv {

struct ConeSize {
  long double radius = 0;
  long double height = 0;
};

// The arrowhead of the rotation axis and of each scale axis: base radius
// (MaxZ - MinZ) / 60 and height (MaxZ - MinZ) / 17, whatever its direction.
ConeSize ArrowheadSize(const Extents& box);

// Every entrance sphere: 2 per cent of the survey's extent in y.
long double EntranceRadius(const Extents& box);

}  // namespace mv
