#include "render/rotation_axis.h"

#include "render/draw_helpers.h"
#include "render/solids.h"

namespace mv {

AxisSpan RotationAxisSpan(const Extents& box, int32_t lengthPercent) {
  const long double minZ = Extended(box.minZ), maxZ = Extended(box.maxZ);
  const long double h = maxZ - minZ;
  // The percentage difference is an integer; widen first so no value of the
  // variable can overflow it.
  const long double e = h * static_cast<long double>(int64_t{lengthPercent} - 100) * 0.005L;
  return {e, minZ - e, maxZ + e};
}

MarkerBounds AxisMarkerBounds(const ViewState& v, Real48 originZ) {
  // 1.2 times the survey coordinate measured from the survey origin, not its
  // distance from the centre of the box, formed as the value plus a fifth of
  // it. These are the limits of the arrow keys that move the axis.
  const auto widened = [](Real48 value, Real48 origin) {
    const long double d = Extended(value) - Extended(origin);
    return Extended(origin) + (d + 0.2L * d);
  };
  const Extents& box = v.Box;
  MarkerBounds b;
  b.x0 = widened(box.minX, v.OriginX) - Extended(v.CentreX);
  b.x1 = widened(box.maxX, v.OriginX) - Extended(v.CentreX);
  b.y0 = widened(box.minY, v.OriginY) - Extended(v.CentreY);
  b.y1 = widened(box.maxY, v.OriginY) - Extended(v.CentreY);
  b.z0 = Extended(box.minZ) - Extended(originZ);
  b.z1 = Extended(box.maxZ) - Extended(originZ);
  return b;
}

void DrawRotationAxis(GlApi& gl, const ViewState& v, const SurveyModel& m) {
  SetColor(gl, v.AxisColor);
  const OriginShift shift(gl, m.originZ);
  const AxisSpan axis = RotationAxisSpan(v.Box, v.AxisLengthPercent);
  gl.Begin(Prim::Lines);
  gl.Vertex3f(0, 0, ToFloat(axis.top));
  gl.Vertex3f(0, 0, ToFloat(axis.bottom));
  gl.End();
  // The arrowhead sits on the upper end, tip up; its size follows the
  // survey's height alone, not the axis length.
  gl.Translatef(0, 0, ToFloat(axis.top));
  const ConeSize cone = ArrowheadSize(v.Box);
  gl.SolidCone(static_cast<double>(cone.radius), static_cast<double>(cone.height));
  gl.Translatef(0, 0, ToFloat(-axis.top));
}

void DrawAxisPositionMarker(GlApi& gl, const ViewState& v, const SurveyModel& m) {
  SetColor(gl, v.AxisColor);
  const MarkerBounds b = AxisMarkerBounds(v, m.originZ);
  // Two closed rectangles crossing along the axis: one in the plane y = 0,
  // one in the plane x = 0.
  gl.Begin(Prim::LineStrip);
  gl.Vertex3f(ToFloat(b.x0), 0, ToFloat(b.z0));
  gl.Vertex3f(ToFloat(b.x1), 0, ToFloat(b.z0));
  gl.Vertex3f(ToFloat(b.x1), 0, ToFloat(b.z1));
  gl.Vertex3f(ToFloat(b.x0), 0, ToFloat(b.z1));
  gl.Vertex3f(ToFloat(b.x0), 0, ToFloat(b.z0));
  gl.End();
  gl.Begin(Prim::LineStrip);
  gl.Vertex3f(0, ToFloat(b.y0), ToFloat(b.z0));
  gl.Vertex3f(0, ToFloat(b.y1), ToFloat(b.z0));
  gl.Vertex3f(0, ToFloat(b.y1), ToFloat(b.z1));
  gl.Vertex3f(0, ToFloat(b.y0), ToFloat(b.z1));
  gl.Vertex3f(0, ToFloat(b.y0), ToFloat(b.z0));
  gl.End();
}

}  // namespace mv
