// A GlApi that records every call and keeps the model-view matrix, for tests.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "render/gl_api.h"

namespace mv::test {

using Matrix = std::array<long double, 16>;  // column-major, as OpenGL

struct GlCall {
  std::string op;
  std::vector<double> args;
};

class GlRecorder final : public GlApi {
 public:
  GlRecorder();

  std::vector<GlCall> calls;

  const Matrix& ModelView() const { return modelView_; }
  const Matrix& Projection() const { return projection_; }
  void SetModelView(const Matrix& m) { modelView_ = m; }
  void ClearCalls() { calls.clear(); }

  // One line per call: the op, then its arguments with up to 9 significant
  // digits ("Translatef 0 0 -5").
  std::vector<std::string> Lines() const;
  static std::string Line(const GlCall& c);
  // Calls whose op is one of these, e.g. only the drawing calls.
  std::vector<std::string> LinesOf(std::initializer_list<const char*> ops) const;

  void Viewport(int x, int y, int w, int h) override;
  void MatrixMode(MatrixKind m) override;
  void LoadIdentity() override;
  void ClearColor(float r, float g, float b, float a) override;
  void ClearColourAndDepth() override;
  void EnableDepthTest() override;
  void Perspective(double fovy, double aspect, double zNear, double zFar) override;
  void LookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux,
              double uy, double uz) override;
  void Translatef(float x, float y, float z) override;
  void Rotatef(float angle, float x, float y, float z) override;
  void Scalef(float x, float y, float z) override;
  void Color3ub(uint8_t r, uint8_t g, uint8_t b) override;
  void Begin(Prim p) override;
  void End() override;
  void Vertex3f(float x, float y, float z) override;
  void LineStrips(const LineStripBatch& batch) override;
  // Recorded as "ShadeScale s" where the scale is not 1, then Begin(Lines),
  // each segment's vertices (with their shades) and End.
  void LineSegments(const LineStripBatch& batch, const SegmentDraw& draw) override;
  void SolidCone(double radius, double height) override;
  void SolidSphere(double radius) override;
  void DrawOverlay(int x, int y, const OverlayImage& image) override;
  // Records the walls as "DrawWalls" with the vertices, the chunks drawn
  // fine and coarse, the meshes drawn, the colour or the shade plane (with
  // 1 or 0 for shaded), and the shift.
  void DrawWalls(const WallsBatch& batch) override;
  void ClearDepth() override;
  // The viewport last recorded; the main window's outer size before any.
  void GetViewport(int viewport[4]) const override;

 private:
  void Add(const char* op, std::initializer_list<double> args);
  Matrix& Current() { return mode_ == MatrixKind::ModelView ? modelView_ : projection_; }
  void MultCurrent(const Matrix& m);

  MatrixKind mode_ = MatrixKind::ModelView;
  int viewport_[4];
  Matrix modelView_;
  Matrix projection_;
};

Matrix Identity();
// Largest absolute difference between two matrices, scaled by the larger
// magnitude of their entries (1 at least).
long double MatrixDistance(const Matrix& a, const Matrix& b);

}  // namespace mv::test
