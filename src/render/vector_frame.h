// The frame as vector shapes: every drawer's calls, projected with the
// frame's own matrices, painted with QPainter (into an SVG generator, say).
#pragma once

#include <QColor>
#include <QPointF>
#include <vector>

#include "render/depth_colours.h"
#include "render/gl_api.h"
#include "view/camera.h"
#include "view/projection.h"
#include "view/view_state.h"

class QPainter;

namespace mv {

class SceneCache;

// A GlApi that keeps the matrices as OpenGL would and records every line
// segment and solid it is given as a shape in picture pixels (y down from
// the picture's top), with its distance from the eye. Lines are cut where
// they cross the near or the far plane; a solid or a wall triangle with any
// part outside them is left out. The walls are triangles filled with their
// lit colour, the tubes' far sides left out. Overlay images are not
// recorded: what lies flat over the scene is painted by PaintOverlays
// instead.
class VectorGl final : public GlApi {
 public:
  enum class Kind : uint8_t { Line, Polygon, Circle, Facet };
  struct Shape {
    Kind kind = Kind::Line;
    Rgb colour;
    double depth = 0;   // mean distance from the eye of its points
    int first = 0;      // its points in Points(): 2 for a line, 1 (the
    int count = 0;      // centre) for a circle, 3 for a facet of the walls
    double radius = 0;  // of a circle
    int layer = 0;      // shapes after a ClearDepth lie over those before
  };

  // `pictureHeight` turns OpenGL's upward window y into the picture's
  // downward one, in pixels.
  explicit VectorGl(double pictureHeight) : pictureHeight_(pictureHeight) {}

  const std::vector<Shape>& Shapes() const { return shapes_; }
  const std::vector<QPointF>& Points() const { return points_; }
  // Paints the shapes layer by layer, each from the farthest to the nearest,
  // so that nearer ones cover farther ones as the depth test makes them do.
  // Neighbouring lines of one colour become one path.
  void Paint(QPainter& p) const;

  void Viewport(int x, int y, int w, int h) override;
  void MatrixMode(MatrixKind m) override;
  void LoadIdentity() override;
  void ClearColor(float, float, float, float) override {}
  void ClearColourAndDepth() override { shapes_.clear(), points_.clear(), layer_ = 0; }
  void EnableDepthTest() override {}
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
  void DrawOverlay(int, int, const OverlayImage&) override {}
  void DrawWalls(const WallsBatch& batch) override;
  void ClearDepth() override { ++layer_; }
  void GetViewport(int viewport[4]) const override {
    for (int i = 0; i < 4; ++i) viewport[i] = viewport_[i];
  }

 private:
  struct Eye {
    double x, y, z;  // eye space: the eye looks along -z
  };
  Eye ToEye(double x, double y, double z) const;
  QPointF ToPicture(const Eye& e) const;
  void AddLine(Eye a, Eye b, const Rgb& colour);
  // The projected outline of points given in the current model space.
  void AddSolid(const std::vector<Eye>& points, bool circle);
  // One triangle of the walls, lit; `closed` leaves it out when it faces
  // away.
  void AddFacet(const WallsBatch& b, const uint32_t* corners, bool closed);
  Mat4& Current() { return mode_ == MatrixKind::ModelView ? modelView_ : projection_; }

  double pictureHeight_;
  MatrixKind mode_ = MatrixKind::ModelView;
  Mat4 modelView_, projection_;
  int viewport_[4] = {0, 0, 0, 0};
  double near_ = kNearPlane, far_ = kFarPlane;
  Rgb colour_;
  Prim prim_ = Prim::Lines;
  std::vector<Eye> open_;  // the vertices since Begin
  std::vector<Shape> shapes_;
  std::vector<QPointF> points_;
  int layer_ = 0;
};

// What lies flat over the scene, painted in the picture's pixels: the names,
// the picked stations and their description, and the depth legend where the
// frame shows it. Any further overlay of the frame gets its painter here.
void PaintOverlays(QPainter& p, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                   const PictureGeometry& g);

// One frame of the scene painted as vector shapes onto a picture of
// g.width x g.height (logical pixels): black ground, the frame's shapes, the
// overlays. The same frame, matrices and drawers as on the screen, but with
// every leg: the cache is set to draw large surveys unsimplified.
void PaintVectorFrame(QPainter& p, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                      const PictureGeometry& g);

}  // namespace mv
