#include "render/gl_real.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "render/depth_colours.h"
#include "render/segment_pairs.h"

namespace mv {

void RealGl::ReleaseResources() {
  if (quadric_) gluDeleteQuadric(quadric_);
  quadric_ = nullptr;
  if (buffer_) glDeleteBuffers(1, &buffer_);
  buffer_ = 0;
  if (segments_) glDeleteBuffers(1, &segments_);
  segments_ = 0;
  perSegment_ = 0;
  if (shades_) glDeleteBuffers(1, &shades_);
  shades_ = 0;
  shadesVersion_ = 0;
  if (ramp_) glDeleteTextures(1, &ramp_);
  ramp_ = 0;
  segmentIndices_ = stripIndices_ = 0;
  bufferVersion_ = 0;
  ForgetSolids();
  walls_.Release();
}

void RealGl::ForgetSolids() {
  for (int i = 0; i < solidCount_; ++i) glDeleteLists(solids_[static_cast<size_t>(i)].list, 1);
  solidCount_ = 0;
}

bool RealGl::CallSolid(Shape shape, double a, double b, unsigned& compile) {
  for (int i = 0; i < solidCount_; ++i) {
    const SolidList& s = solids_[static_cast<size_t>(i)];
    if (s.shape == shape && s.a == a && s.b == b) {
      glCallList(s.list);
      return true;
    }
  }
  // A full table holds the sizes of earlier surveys; start afresh.
  if (solidCount_ == kMaxSolidLists) ForgetSolids();
  compile = glGenLists(1);
  if (compile) solids_[static_cast<size_t>(solidCount_++)] = {shape, a, b, compile};
  return false;
}

GLUquadric* RealGl::Quadric() {
  if (!quadric_) {
    quadric_ = gluNewQuadric();
    gluQuadricDrawStyle(quadric_, GLU_FILL);
    gluQuadricNormals(quadric_, GLU_NONE);
  }
  return quadric_;
}

void RealGl::Viewport(int x, int y, int w, int h) {
  glViewport(x, y, w, h);
}
void RealGl::MatrixMode(MatrixKind m) {
  glMatrixMode(m == MatrixKind::ModelView ? GL_MODELVIEW : GL_PROJECTION);
}
void RealGl::LoadIdentity() {
  glLoadIdentity();
}
void RealGl::ClearColor(float r, float g, float b, float a) {
  glClearColor(r, g, b, a);
}
void RealGl::ClearColourAndDepth() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
void RealGl::EnableDepthTest() {
  glEnable(GL_DEPTH_TEST);
}
void RealGl::Perspective(double fovy, double aspect, double zNear, double zFar) {
  gluPerspective(fovy, aspect, zNear, zFar);
}
void RealGl::LookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux,
                    double uy, double uz) {
  gluLookAt(ex, ey, ez, cx, cy, cz, ux, uy, uz);
}
void RealGl::Translatef(float x, float y, float z) {
  glTranslatef(x, y, z);
}
void RealGl::Rotatef(float angle, float x, float y, float z) {
  glRotatef(angle, x, y, z);
}
void RealGl::Scalef(float x, float y, float z) {
  glScalef(x, y, z);
}
void RealGl::Color3ub(uint8_t r, uint8_t g, uint8_t b) {
  glColor3ub(r, g, b);
}
void RealGl::Begin(Prim p) {
  glBegin(p == Prim::Lines ? GL_LINES : GL_LINE_STRIP);
}
void RealGl::End() {
  glEnd();
}
void RealGl::Vertex3f(float x, float y, float z) {
  glVertex3f(x, y, z);
}

bool RealGl::BindLines(const LineStripBatch& b, float shadeScale) {
  if (b.strips <= 0 || b.vertices <= 0) return false;
  if (!buffer_) glGenBuffers(1, &buffer_);
  if (!segments_) glGenBuffers(1, &segments_);
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, segments_);
  if (bufferVersion_ != b.version) {
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(b.vertices) * 3 * sizeof(float), b.xyz,
                 GL_STATIC_DRAW);
    UploadSegments(b);
    bufferVersion_ = b.version;
  }
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  if (b.shade) {
    // Each vertex's place on the ramp is a texture coordinate, so the colour
    // runs through the ramp along a leg, not straight between its ends.
    if (!shades_) glGenBuffers(1, &shades_);
    glBindBuffer(GL_ARRAY_BUFFER, shades_);
    if (shadesVersion_ != b.version) {
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(b.vertices) * sizeof(float), b.shade,
                   GL_STATIC_DRAW);
      shadesVersion_ = b.version;
    }
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(1, GL_FLOAT, 0, nullptr);
    BindRamp();
    glEnable(GL_TEXTURE_1D);
    if (shadeScale != 1) {
      // The ramp's colour times the current colour, which is kept.
      glPushAttrib(GL_CURRENT_BIT);
      glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
      glColor4f(shadeScale, shadeScale, shadeScale, 1);
    }
  }
  return true;
}

void RealGl::UnbindLines(const LineStripBatch& b, float shadeScale) {
  if (b.shade) {
    if (shadeScale != 1) {
      glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
      glPopAttrib();
    }
    glDisable(GL_TEXTURE_1D);
    glBindTexture(GL_TEXTURE_1D, 0);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void RealGl::LineStrips(const LineStripBatch& b) {
  if (!BindLines(b, 1)) return;
  if (segmentIndices_ > 0)
    glDrawElements(GL_LINES, stripIndices_, GL_UNSIGNED_INT, nullptr);
  else
    glMultiDrawArrays(GL_LINE_STRIP, b.first, b.count, b.strips);
  UnbindLines(b, 1);
}

void RealGl::LineSegments(const LineStripBatch& b, const SegmentDraw& draw) {
  if (draw.pairs) {
    if (draw.pairCount <= 0 || 2 * draw.pairCount > std::numeric_limits<GLsizei>::max() ||
        !BindLines(b, draw.shadeScale))
      return;
    // Indices made for this draw alone are read from where they lie.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glDrawElements(GL_LINES, static_cast<GLsizei>(2 * draw.pairCount), GL_UNSIGNED_INT, draw.pairs);
    UnbindLines(b, draw.shadeScale);
    return;
  }
  if (draw.count <= 0 || !BindLines(b, draw.shadeScale)) return;
  if (segmentIndices_ > 0) {
    drawCounts_.clear();
    drawOffsets_.clear();
    for (int32_t i = 0; i < draw.count; ++i) {
      const SegmentRange& r = draw.ranges[i];
      if (r.count <= 0 || r.first < 0 || 2 * (r.first + r.count) > segmentIndices_) continue;
      drawCounts_.push_back(static_cast<GLsizei>(2 * r.count));
      drawOffsets_.push_back(
          reinterpret_cast<const void*>(static_cast<uintptr_t>(2 * r.first) * sizeof(GLuint)));
    }
    if (!drawCounts_.empty())
      glMultiDrawElements(GL_LINES, drawCounts_.data(), GL_UNSIGNED_INT, drawOffsets_.data(),
                          static_cast<GLsizei>(drawCounts_.size()));
  } else {
    // Beyond what the index buffer can count: the strips as they are.
    glMultiDrawArrays(GL_LINE_STRIP, b.first, b.count, b.strips);
  }
  UnbindLines(b, draw.shadeScale);
}

void RealGl::BindRamp() {
  static const auto kTable = DepthRampTable();
  BindRampTexture(ramp_, kTable.data());
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
}

void RealGl::DrawWalls(const WallsBatch& batch) {
  walls_.Draw(batch);
}
void RealGl::ClearDepth() {
  glClear(GL_DEPTH_BUFFER_BIT);
}
void RealGl::GetViewport(int viewport[4]) const {
  glGetIntegerv(GL_VIEWPORT, viewport);
}

bool RealGl::GetMatrices(double modelView[16], double projection[16]) const {
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  return true;
}

void RealGl::StartDrawing() {
  glFlush();
}

bool RealGl::PaysPerSegment() const {
  if (perSegment_ == 0) {
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    perSegment_ = name && std::strstr(name, "llvmpipe") ? 2 : 1;
  }
  return perSegment_ == 2;
}

void RealGl::DrawOverlay(int x, int y, const OverlayImage& image) {
  if (!image.rgba || image.width <= 0 || image.height <= 0) return;
  const GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glWindowPos2i(x, y);
  glDrawPixels(image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba);
  glDisable(GL_BLEND);
  if (depth) glEnable(GL_DEPTH_TEST);
}

// Each strip as its separate segments, in the same order, for one draw of
// independent lines, then the batch's extra segments. OpenGL rasterizes every
// segment of a strip on its own, without its last pixel, exactly as an
// independent line, so the picture is the same; the renderer is spared a
// draw per strip, which on a software renderer costs about a tenth of the
// time of the whole survey.
void RealGl::UploadSegments(const LineStripBatch& b) {
  const std::vector<int64_t> starts = StripSegmentStarts(b);
  const int64_t segments = starts.back();
  const SegmentRange everything{0, segments + std::max<int64_t>(b.extraSegments, 0)};
  const SegmentDraw draw{&everything, 1};
  const SegmentPairs pairs(b, draw, starts);
  const auto all = static_cast<int64_t>(pairs.Count());
  segmentIndices_ = stripIndices_ = 0;
  // Beyond what one draw can count, the strips are drawn as they are.
  if (all == 0 || 2 * all > std::numeric_limits<GLsizei>::max()) {
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, 0, nullptr, GL_STATIC_DRAW);
    return;
  }
  const auto bytes = static_cast<GLsizeiptr>(2 * all * sizeof(GLuint));
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, bytes, nullptr, GL_STATIC_DRAW);
  auto* out = static_cast<GLuint*>(glMapBuffer(GL_ELEMENT_ARRAY_BUFFER, GL_WRITE_ONLY));
  if (!out) return;
  pairs.Write(0, pairs.Count(), out);
  if (glUnmapBuffer(GL_ELEMENT_ARRAY_BUFFER)) {
    segmentIndices_ = static_cast<GLsizei>(2 * all);
    stripIndices_ = static_cast<GLsizei>(2 * segments);
  }
}

void RealGl::SolidCone(double radius, double height) {
  // A cone of no size draws nothing; skip it so no state is touched.
  if (!(radius > 0) || !(height > 0)) return;
  unsigned compile = 0;
  if (CallSolid(Shape::Cone, radius, height, compile)) return;
  // The list holds only the geometry: the colour and matrix in force when it
  // is called apply, as they do to the immediate calls.
  if (compile) glNewList(compile, GL_COMPILE_AND_EXECUTE);
  GLUquadric* q = Quadric();
  gluCylinder(q, radius, 0.0, height, kSolidSlices, kConeStacks);
  // Close the base with a disc at the local origin. Without lighting or face
  // culling its facing does not matter, and no extra transform is needed.
  gluDisk(q, 0.0, radius, kSolidSlices, 1);
  if (compile) glEndList();
}

void RealGl::SolidSphere(double radius) {
  if (!(radius > 0)) return;
  unsigned compile = 0;
  if (CallSolid(Shape::Sphere, radius, 0, compile)) return;
  if (compile) glNewList(compile, GL_COMPILE_AND_EXECUTE);
  gluSphere(Quadric(), radius, kSolidSlices, kSolidStacks);
  if (compile) glEndList();
}

}  // namespace mv
