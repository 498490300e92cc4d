// A GlApi that hands every call on to another one; tests derive from it and
// override the calls they watch or replace.
#pragma once

#include "render/gl_api.h"

namespace mv::test {

class ForwardingGl : public GlApi {
 public:
  explicit ForwardingGl(GlApi& inner) : in_(inner) {}

  void Viewport(int x, int y, int w, int h) override { in_.Viewport(x, y, w, h); }
  void MatrixMode(MatrixKind m) override { in_.MatrixMode(m); }
  void LoadIdentity() override { in_.LoadIdentity(); }
  void ClearColor(float r, float g, float b, float a) override { in_.ClearColor(r, g, b, a); }
  void ClearColourAndDepth() override { in_.ClearColourAndDepth(); }
  void EnableDepthTest() override { in_.EnableDepthTest(); }
  void Perspective(double fovy, double aspect, double zNear, double zFar) override {
    in_.Perspective(fovy, aspect, zNear, zFar);
  }
  void LookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux,
              double uy, double uz) override {
    in_.LookAt(ex, ey, ez, cx, cy, cz, ux, uy, uz);
  }
  void Translatef(float x, float y, float z) override { in_.Translatef(x, y, z); }
  void Rotatef(float angle, float x, float y, float z) override { in_.Rotatef(angle, x, y, z); }
  void Scalef(float x, float y, float z) override { in_.Scalef(x, y, z); }
  void Color3ub(uint8_t r, uint8_t g, uint8_t b) override { in_.Color3ub(r, g, b); }
  void Begin(Prim p) override { in_.Begin(p); }
  void End() override { in_.End(); }
  void Vertex3f(float x, float y, float z) override { in_.Vertex3f(x, y, z); }
  void LineStrips(const LineStripBatch& b) override { in_.LineStrips(b); }
  bool PaysPerSegment() const override { return in_.PaysPerSegment(); }
  void StartDrawing() override { in_.StartDrawing(); }
  bool GetMatrices(double modelView[16], double projection[16]) const override {
    return in_.GetMatrices(modelView, projection);
  }
  void LineSegments(const LineStripBatch& b, const SegmentDraw& d) override {
    in_.LineSegments(b, d);
  }
  void SolidCone(double radius, double height) override { in_.SolidCone(radius, height); }
  void SolidSphere(double radius) override { in_.SolidSphere(radius); }
  void DrawOverlay(int x, int y, const OverlayImage& i) override { in_.DrawOverlay(x, y, i); }
  void DrawWalls(const WallsBatch& b) override { in_.DrawWalls(b); }
  void ClearDepth() override { in_.ClearDepth(); }
  void GetViewport(int viewport[4]) const override { in_.GetViewport(viewport); }

 private:
  GlApi& in_;
};

}  // namespace mv::test
