#include "render/rotation_axis.h"

#include "render/draw_helpers.h"

namespace mv {

void DrawRotationAxis(GlApi& gl, const ViewState& v, const SurveyModel& m) {
  SetColour(gl, v.AxisColor);
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
  SetColour(gl, v.AxisColor);
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
