#include "render/gl_walls.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <limits>

#include "render/passage_walls.h"

namespace mv {

void GlWalls::Release() {
  if (vertices_) glDeleteBuffers(1, &vertices_);
  if (stream_) glDeleteBuffers(1, &stream_);
  if (ramp_) glDeleteTextures(1, &ramp_);
  vertices_ = stream_ = ramp_ = 0;
  version_ = 0;
}

void BindRampTexture(unsigned& texture, const uint8_t* rgb) {
  if (texture) {
    glBindTexture(GL_TEXTURE_1D, texture);
    return;
  }
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_1D, texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB8, kDepthRampTexels, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
}

void GlWalls::BindRamp() {
  static const auto kTable = WallRampTable();
  BindRampTexture(ramp_, kTable.data());
}

// The triangles are made afresh each frame for the chunks it shows, at
// their detail: the picture shows few of them, and the GPU then holds no
// triangles of every chunk at every detail.
bool GlWalls::Stream(const WallsBatch& b, int64_t tubes, int64_t meshes) {
  const PassageWalls& w = *b.walls;
  const auto bytes = static_cast<GLsizeiptr>((tubes + meshes) * sizeof(uint32_t));
  if (!stream_) glGenBuffers(1, &stream_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, stream_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, bytes, nullptr, GL_STREAM_DRAW);
  auto* out = static_cast<uint32_t*>(glMapBufferRange(
      GL_ELEMENT_ARRAY_BUFFER, 0, bytes, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT));
  if (!out) return false;
  for (size_t c = 0; c < w.chunks.size(); ++c)
    out = WriteChunkTriangles(w, w.chunks[c], b.detail[c], out);
  for (size_t p = 0; p < w.meshParts.size(); ++p) {
    if (!b.meshDrawn[p]) continue;
    const WallMeshPart& part = w.meshParts[p];
    std::memcpy(out, w.meshTriangles.data() + part.firstIndex,
                static_cast<size_t>(part.indices) * sizeof(uint32_t));
    out += part.indices;
  }
  return glUnmapBuffer(GL_ELEMENT_ARRAY_BUFFER) == GL_TRUE;
}

void GlWalls::Draw(const WallsBatch& b) {
  if (!b.walls || b.walls->empty()) return;
  const PassageWalls& w = *b.walls;
  int64_t tubes = 0, meshes = 0;
  for (size_t c = 0; c < w.chunks.size(); ++c)
    tubes += 3 * static_cast<int64_t>(ChunkTriangleCount(w, w.chunks[c], b.detail[c]));
  for (size_t p = 0; p < w.meshParts.size(); ++p)
    if (b.meshDrawn[p]) meshes += w.meshParts[p].indices;
  // Beyond what one draw can count, the walls are not drawn.
  if (tubes + meshes == 0 ||
      tubes + meshes > std::numeric_limits<GLsizei>::max() / static_cast<int64_t>(sizeof(uint32_t)))
    return;

  if (!vertices_) glGenBuffers(1, &vertices_);
  glBindBuffer(GL_ARRAY_BUFFER, vertices_);
  if (version_ != b.version) {
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(w.vertices.size() * sizeof(WallVertex)),
                 w.vertices.data(), GL_STATIC_DRAW);
    version_ = b.version;
  }
  if (!Stream(b, tubes, meshes)) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return;
  }

  // Every state touched here comes back as it was.
  glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT | GL_POLYGON_BIT);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glMatrixMode(GL_MODELVIEW);
  // The light comes from the eye: its direction in eye space.
  glPushMatrix();
  glLoadIdentity();
  const GLfloat fromEye[] = {0, 0, 1, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, fromEye);
  glPopMatrix();
  const GLfloat diffuse[] = {kWallDiffuse, kWallDiffuse, kWallDiffuse, 1};
  const GLfloat ambient[] = {kWallAmbient, kWallAmbient, kWallAmbient, 1};
  const GLfloat none[] = {0, 0, 0, 1};
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, none);
  glLightfv(GL_LIGHT0, GL_AMBIENT, none);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  // The frame scales alike in every direction.
  glEnable(GL_RESCALE_NORMAL);
  if (b.shaded) {
    glColor3f(b.shadeScale, b.shadeScale, b.shadeScale);
    BindRamp();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_S, GL_OBJECT_PLANE, b.shade);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_1D);
  } else {
    glColor3ub(b.colour[0], b.colour[1], b.colour[2]);
  }
  glPushMatrix();
  glTranslatef(b.shift[0], b.shift[1], b.shift[2]);

  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(WallVertex), nullptr);
  glNormalPointer(GL_BYTE, sizeof(WallVertex),
                  reinterpret_cast<const void*>(offsetof(WallVertex, nx)));
  // The tubes are closed and seen from outside only.
  if (tubes > 0) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(tubes), GL_UNSIGNED_INT, nullptr);
  }
  // The meshes need not be closed: both sides show, each lit.
  if (meshes > 0) {
    glDisable(GL_CULL_FACE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(meshes), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<uintptr_t>(tubes) * sizeof(uint32_t)));
  }

  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glPopMatrix();
  if (b.shaded) glBindTexture(GL_TEXTURE_1D, 0);
  glPopClientAttrib();
  glPopAttrib();
}

}  // namespace mv
