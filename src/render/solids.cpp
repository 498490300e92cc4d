#include "render/solids.h"

namespace mv {

ConeSize ArrowheadSize(const Extents& box) {
  const long double h = static_cast<long double>(box.maxZ) - static_cast<long double>(box.minZ);
  return {h * (1.0L / 60), h * (1.0L / 17)};
}

long double EntranceRadius(const Extents& box) {
  return 0.02L * (static_cast<long double>(box.maxY) - static_cast<long double>(box.minY));
}

}  // namespace mv
