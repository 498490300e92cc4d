// The seam's production side: straight OpenGL 1.x and GLU calls.
#pragma once

#include "render/gl_api.h"

struct GLUquadric;

namespace mv {

// Needs a current compatibility-profile context for every call. Holds a GLU
// quadric and one vertex buffer for the survey lines; ReleaseResources frees
// them and must run while the same context is current.
class RealGl final : public GlApi {
 public:
  RealGl() = default;
  ~RealGl() override = default;
  RealGl(const RealGl&) = delete;
  RealGl& operator=(const RealGl&) = delete;

  void ReleaseResources();

  void Viewport(int x, int y, int w, int h) override;
  void MatrixMode(MatrixKind m) override;
  void LoadIdentity() override;
  void ClearColor(float r, float g, float b, float a) override;
  void ClearColorAndDepth() override;
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
  void SolidCone(double radius, double height) override;
  void SolidSphere(double radius) override;

 private:
  GLUquadric* Quadric();

  GLUquadric* quadric_ = nullptr;
  unsigned buffer_ = 0;
  uint64_t bufferVersion_ = 0;
};

}  // namespace mv
