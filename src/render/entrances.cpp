#include "render/entrances.h"

#include <algorithm>

#include "render/draw_helpers.h"

namespace mv {

EntranceSlots DrawableEntrances(const SurveyModel& m) {
  EntranceSlots out;
  const int32_t count = std::min(m.entranceCount, kMaxEntrances);
  for (int32_t k = 0; k < count; ++k) {
    const int32_t p = m.entrances[static_cast<size_t>(k)];
    if (m.ValidStation(p)) out.rows[static_cast<size_t>(out.count++)] = p;
  }
  return out;
}

void DrawEntrances(GlApi& gl, const ViewState& v, const SurveyModel& m) {
  // A cave map marks its entrances over the picture instead.
  if (v.MapStyle) return;
  const OriginShift shift(gl, m.originZ);
  SetColour(gl, v.LineColor);
  const double radius = static_cast<double>(EntranceRadius(v.Box));
  const double cx = v.CentreX.AsDouble(), cy = v.CentreY.AsDouble();
  for (const int32_t p : DrawableEntrances(m)) {
    // The differences are formed in double, like those of the survey lines,
    // so a sphere sits exactly on its station's line vertex.
    gl.Translatef(static_cast<float>(m.X(p) - cx), static_cast<float>(m.Y(p) - cy),
                  static_cast<float>(m.Z(p)));
    gl.SolidSphere(radius);
    gl.Translatef(static_cast<float>(-m.X(p) + cx), static_cast<float>(-m.Y(p) + cy),
                  static_cast<float>(-m.Z(p)));
  }
}

}  // namespace mv
