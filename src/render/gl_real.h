// The seam's production side: straight OpenGL 1.x and GLU calls.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/gl_api.h"
#include "render/gl_walls.h"

struct GLUquadric;

namespace mv {

// Needs a current compatibility-profile context for every call. Holds a GLU
// quadric, a vertex and an index buffer for the survey lines and a display
// list for each solid drawn so far; ReleaseResources frees them and must run while the
// same context is current.
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
  void LineSegments(const LineStripBatch& batch, const SegmentDraw& draw) override;
  void SolidCone(double radius, double height) override;
  void SolidSphere(double radius) override;
  void DrawOverlay(int x, int y, const OverlayImage& image) override;
  void DrawWalls(const WallsBatch& batch) override;
  void ClearDepth() override;
  void GetViewport(int viewport[4]) const override;
  // True for Mesa's software renderer (llvmpipe), whose rule for which
  // pixels a line lights the frame's thinning follows.
  bool PaysPerSegment() const override;
  void StartDrawing() override;
  bool GetMatrices(double modelView[16], double projection[16]) const override;

  // How finely GLU cuts the solids. They are flat silhouettes a few pixels
  // to a few dozen pixels across; finer cuts cost frame time and show nothing.
  // The cone has one stack: its side is straight.
  static constexpr int kSolidSlices = 16;
  static constexpr int kSolidStacks = 8;
  static constexpr int kConeStacks = 1;

 private:
  enum class Shape : uint8_t { Cone, Sphere };
  // A solid already drawn, kept as a display list. The sizes follow the
  // survey's box, so the same few solids come back every frame, and replaying
  // the list spares GLU's tessellation and the immediate-mode calls.
  struct SolidList {
    Shape shape = Shape::Cone;
    double a = 0, b = 0;
    unsigned list = 0;
  };
  static constexpr int kMaxSolidLists = 16;

  GLUquadric* Quadric();
  // Draws the solid from its list and returns true if there is one. Else
  // returns false with `compile` set to a new list to record the solid into
  // while drawing it (0 if none could be made).
  bool CallSolid(Shape shape, double a, double b, unsigned& compile);
  // Fills the index buffer with the strips' segments as pairs of vertices,
  // then the batch's extra segments.
  void UploadSegments(const LineStripBatch& b);
  // Binds the batch's buffers, uploaded if new, for a draw of its lines;
  // false when it has none. Unbind undoes it.
  bool BindLines(const LineStripBatch& b, float shadeScale);
  void UnbindLines(const LineStripBatch& b, float shadeScale);
  void ForgetSolids();
  // Binds the depth colour ramp, made on first use.
  void BindRamp();

  GLUquadric* quadric_ = nullptr;
  unsigned buffer_ = 0;
  uint64_t bufferVersion_ = 0;
  unsigned segments_ = 0;
  // Whether the renderer pays per segment: 0 not asked yet, 1 no, 2 yes.
  mutable uint8_t perSegment_ = 0;
  unsigned shades_ = 0;  // the batch's shades, uploaded for shadesVersion_
  uint64_t shadesVersion_ = 0;
  unsigned ramp_ = 0;            // the depth colour ramp, a 1D texture
  int segmentIndices_ = 0;       // 0: draw the strips as they are
  int stripIndices_ = 0;         // the strips' own, at the start
  std::vector<int> drawCounts_;  // a multi-draw's counts and offsets, kept
  std::vector<const void*> drawOffsets_;
  std::array<SolidList, kMaxSolidLists> solids_{};
  int solidCount_ = 0;
  GlWalls walls_;
};

}  // namespace mv
