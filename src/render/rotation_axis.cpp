#include "render/rotation_axis.h"

#include "render/draw_helpers.h"

namespace mv {

void DrawRotationAxis(GlApi& gl, const ViewState& v, const SurveyModel& m) {
  SetColor(gl, v.AxisColor);
  const OriginShift shift(gl, m.originZ);
  const AxisSpan axis = RotationAxisSpan(v.Box, v.AxisLengthPercent);
  gl.Begin(Prim::Lines);
  gl.Vertex3f(0, 0, F(axis.top));
  gl.Vertex3f(0, 0, F(axis.bottom));
  gl.End();
  // The arrowhead sits on the upper end, tip up; its size follows the
  // survey's height alone, not the axis length.
  gl.Translatef(0, 0, F(axis.top));
  const ConeSize cone = ArrowheadSize(v.Box);
  gl.SolidCone(static_cast<double>(cone.radius), static_cast<double>(cone.height));
  gl.Translatef(0, 0, F(-axis.top));
}

void DrawAxisPositionMarker(GlApi& gl, const ViewState& v, const SurveyModel& m) {
  SetColor(gl, v.AxisColor);
  const MarkerBounds b = AxisMarkerBounds(v, m.originZ);
  // Two closed rectangles crossing along the axis: one in the plane y = 0,
  // one in the plane x = 0.
  gl.Begin(Prim::LineStrip);
  gl.Vertex3f(F(b.x0), 0, F(b.z0));
  gl.Vertex3f(F(b.x1), 0, F(b.z0));
  gl.Vertex3f(F(b.x1), 0, F(b.z1));
  gl.Vertex3f(F(b.x0), 0, F(b.z1));
  gl.Vertex3f(F(b.x0), 0, F(b.z0));
  gl.End();
  gl.Begin(Prim::LineStrip);
  gl.Vertex3f(0, F(b.y0), F(b.z0));
  gl.Vertex3f(0, F(b.y1), F(b.z0));
  gl.Vertex3f(0, F(b.y1), F(b.z1));
  gl.Vertex3f(0, F(b.y0), F(b.z1));
  gl.Vertex3f(0, F(b.y0), F(b.z0));
  gl.End();
}

}  // namespace mv
