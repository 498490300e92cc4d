// The one seam between the drawers and OpenGL: every call the scene makes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "data/passage_walls.h"

namespace mv {

enum class Prim : uint8_t { Lines, LineStrip };
enum class MatrixKind : uint8_t { ModelView, Projection };

// Line strips laid out for one multi-draw: strip i uses count[i] vertices from
// vertex first[i] of xyz (three floats a vertex). `version` changes whenever
// the contents change, so an implementation may keep a copy on the GPU.
struct LineStripBatch {
  const float* xyz = nullptr;
  const int32_t* first = nullptr;
  const int32_t* count = nullptr;
  int32_t strips = 0;
  int32_t vertices = 0;
  uint64_t version = 0;
  // Null, or one value a vertex from 0 to 1: its place on the depth colour
  // ramp, which then colours the lines instead of the current colour.
  const float* shade = nullptr;
  // Segments besides the strips' own, as pairs of vertex indices: the
  // survey lines simplified. The strips' segments are numbered first, strip
  // by strip in order, and these after them.
  const uint32_t* extra = nullptr;
  int64_t extraSegments = 0;
};

// The passages' walls for one frame: lit, filled surfaces from the vertices
// of `walls`, each chunk at its detail for this frame and each mesh part
// drawn or not. `version` changes whenever the walls do, so an
// implementation may keep a copy on the GPU.
struct WallsBatch {
  const PassageWalls* walls = nullptr;
  uint64_t version = 0;
  const WallDetail* detail = nullptr;  // one a chunk
  const uint8_t* meshDrawn = nullptr;  // one a mesh part: 0 or 1
  // Added to every vertex: the walls lie relative to the survey's origin,
  // the model about the rotation axis.
  float shift[3] = {0, 0, 0};
  // The colour of the walls, unlit; or, when `shaded`, the place of each
  // point on the depth colour ramp, shade[0] x + shade[1] y + shade[2] z +
  // shade[3] of its vertex coordinates (before the shift), through the walls'
  // lighter ramp.
  uint8_t colour[3] = {0, 0, 0};
  bool shaded = false;
  float shade[4] = {0, 0, 0, 0};
  // With shades, the ramp's colours scaled by this: dimmed walls beside a
  // highlighted part of the survey tree.
  float shadeScale = 1;
};

// Consecutive segments of a batch, by the numbering above.
struct SegmentRange {
  int64_t first = 0;
  int64_t count = 0;
};

// Part of a batch drawn as separate segments.
struct SegmentDraw {
  const SegmentRange* ranges = nullptr;
  int32_t count = 0;
  // With shades, the ramp's colours scaled by this; a faded kind of leg
  // draws at a quarter. Without, the current colour is used as it is.
  float shadeScale = 1;
  // Instead of the ranges, when set: these segments as pairs of vertex
  // indices, `pairCount` pairs.
  const uint32_t* pairs = nullptr;
  int64_t pairCount = 0;
};

// Premultiplied RGBA pixels, rows from the bottom up.
struct OverlayImage {
  const uint8_t* rgba = nullptr;
  int width = 0, height = 0;
};

// The drawers issue their calls through this interface. In the program it
// forwards to OpenGL and GLU; in tests it records the calls and keeps the
// model-view matrix.
class GlApi {
 public:
  virtual ~GlApi() = default;

  virtual void Viewport(int x, int y, int w, int h) = 0;
  virtual void MatrixMode(MatrixKind m) = 0;
  virtual void LoadIdentity() = 0;
  virtual void ClearColor(float r, float g, float b, float a) = 0;
  virtual void ClearColourAndDepth() = 0;
  virtual void EnableDepthTest() = 0;
  virtual void Perspective(double fovy, double aspect, double zNear, double zFar) = 0;
  virtual void LookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux,
                      double uy, double uz) = 0;
  virtual void Translatef(float x, float y, float z) = 0;
  virtual void Rotatef(float angle, float x, float y, float z) = 0;
  virtual void Scalef(float x, float y, float z) = 0;
  virtual void Color3ub(uint8_t r, uint8_t g, uint8_t b) = 0;
  virtual void Begin(Prim p) = 0;
  virtual void End() = 0;
  virtual void Vertex3f(float x, float y, float z) = 0;
  // The same picture as one Begin(LineStrip) ... End per strip.
  virtual void LineStrips(const LineStripBatch& batch) = 0;
  // The same picture as Begin(Lines), the two vertices of each segment of
  // `draw`, End.
  virtual void LineSegments(const LineStripBatch& batch, const SegmentDraw& draw) = 0;
  // A filled cone along local +z, tip at +z, and a filled sphere about the
  // local origin, in the current colour; matrix and colour are left as found.
  virtual void SolidCone(double radius, double height) = 0;
  virtual void SolidSphere(double radius) = 0;
  // The walls, lit by one light from the eye with a little ambient light:
  // the tubes from outside only, the meshes from both sides. Matrix,
  // colour and every other state are left as found.
  virtual void DrawWalls(const WallsBatch& batch) = 0;
  // Forgets the depth of everything drawn so far, so what follows is drawn
  // over it.
  virtual void ClearDepth() = 0;
  // The viewport last set: x, y, width, height.
  virtual void GetViewport(int viewport[4]) const = 0;
  // Whether drawing costs about the same for each segment handed over,
  // however few pixels it lights, as on a renderer without graphics
  // hardware; the frame then leaves out segments the picture would not show.
  virtual bool PaysPerSegment() const { return false; }
  // Starts the renderer on what it has been handed, where it draws in
  // threads of its own, while this thread goes on to hand it more.
  virtual void StartDrawing() {}
  // The model-view and projection matrices in force, column-major, as the
  // renderer holds them; false where they cannot be read back.
  virtual bool GetMatrices(double modelView[16], double projection[16]) const {
    (void)modelView;
    (void)projection;
    return false;
  }
  // An image over the finished picture, pixel for pixel, its lower left
  // corner at window pixel (x, y); matrices, colour and depth test are left
  // as found.
  virtual void DrawOverlay(int x, int y, const OverlayImage& image) = 0;
};

}  // namespace mv
