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
  if (indices_) glDeleteBuffers(1, &indices_);
  if (ramp_) glDeleteTextures(1, &ramp_);
  vertices_ = indices_ = ramp_ = 0;
  version_ = 0;
}

// The vertices as they are; the triangles of every chunk at both details,
// made here once so the frames only pick ranges of them.
void GlWalls::Upload(const WallsBatch& b) {
  const PassageWalls& w = *b.walls;
  if (!vertices_) glGenBuffers(1, &vertices_);
  if (!indices_) glGenBuffers(1, &indices_);
  glBindBuffer(GL_ARRAY_BUFFER, vertices_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(w.vertices.size() * sizeof(WallVertex)),
               w.vertices.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);

  fine_.assign(w.chunks.size() + 1, 0);
  coarse_.assign(w.chunks.size() + 1, 0);
  uint64_t total = 0;
  for (const WallDetail detail : {WallDetail::kFine, WallDetail::kCoarse}) {
    std::vector<uint32_t>& at = detail == WallDetail::kFine ? fine_ : coarse_;
    for (size_t c = 0; c < w.chunks.size(); ++c) {
      at[c] = static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
      total += 3 * static_cast<uint64_t>(ChunkTriangleCount(w, w.chunks[c], detail));
    }
    at.back() = static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
  }
  meshes_ = static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
  total += w.meshTriangles.size();
  // Beyond what one buffer can count, the walls are not drawn.
  version_ = b.version;
  if (total >= std::numeric_limits<int32_t>::max() / sizeof(uint32_t)) {
    fine_.assign(fine_.size(), 0);
    coarse_.assign(coarse_.size(), 0);
    meshes_ = 0;
    return;
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(total * sizeof(uint32_t)), nullptr,
               GL_STATIC_DRAW);
  auto* out = static_cast<uint32_t*>(glMapBuffer(GL_ELEMENT_ARRAY_BUFFER, GL_WRITE_ONLY));
  if (out) {
    std::vector<uint32_t> chunk;
    for (const WallDetail detail : {WallDetail::kFine, WallDetail::kCoarse})
      for (const WallChunk& c : w.chunks) {
        chunk.clear();
        AppendChunkTriangles(w, c, detail, chunk);
        std::memcpy(out, chunk.data(), chunk.size() * sizeof(uint32_t));
        out += chunk.size();
      }
    std::memcpy(out, w.meshTriangles.data(), w.meshTriangles.size() * sizeof(uint32_t));
    if (!glUnmapBuffer(GL_ELEMENT_ARRAY_BUFFER)) version_ = 0;  // contents lost: again next time
  } else {
    version_ = 0;
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void GlWalls::BindRamp() {
  if (ramp_) {
    glBindTexture(GL_TEXTURE_1D, ramp_);
    return;
  }
  glGenTextures(1, &ramp_);
  glBindTexture(GL_TEXTURE_1D, ramp_);
  const auto table = WallRampTable();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB8, kDepthRampTexels, 0, GL_RGB, GL_UNSIGNED_BYTE,
               table.data());
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
}

void GlWalls::Draw(const WallsBatch& b) {
  if (!b.walls || b.walls->empty()) return;
  const PassageWalls& w = *b.walls;
  if (version_ != b.version) Upload(b);
  if (version_ != b.version) return;

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
    glColor3ub(255, 255, 255);
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

  glBindBuffer(GL_ARRAY_BUFFER, vertices_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(WallVertex), nullptr);
  glNormalPointer(GL_BYTE, sizeof(WallVertex),
                  reinterpret_cast<const void*>(offsetof(WallVertex, nx)));

  // The tubes are closed and seen from outside only.
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  const auto offset = [](uint32_t index) {
    return reinterpret_cast<const void*>(static_cast<uintptr_t>(index) * sizeof(uint32_t));
  };
  // Neighbouring chunks of one detail are one run of the index buffer.
  for (const WallDetail detail : {WallDetail::kFine, WallDetail::kCoarse}) {
    const std::vector<uint32_t>& at = detail == WallDetail::kFine ? fine_ : coarse_;
    counts_.clear();
    offsets_.clear();
    for (size_t c = 0; c < w.chunks.size();) {
      if (b.detail[c] != detail) {
        ++c;
        continue;
      }
      const size_t first = c;
      while (c < w.chunks.size() && b.detail[c] == detail) ++c;
      if (at[c] > at[first]) {
        counts_.push_back(static_cast<int32_t>(at[c] - at[first]));
        offsets_.push_back(offset(at[first]));
      }
    }
    if (!counts_.empty())
      glMultiDrawElements(GL_TRIANGLES, counts_.data(), GL_UNSIGNED_INT, offsets_.data(),
                          static_cast<GLsizei>(counts_.size()));
  }
  // The meshes need not be closed: both sides show, each lit.
  glDisable(GL_CULL_FACE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  for (size_t p = 0; p < w.meshParts.size(); ++p)
    if (b.meshDrawn[p])
      glDrawElements(GL_TRIANGLES, w.meshParts[p].indices, GL_UNSIGNED_INT,
                     offset(meshes_ + static_cast<uint32_t>(w.meshParts[p].firstIndex)));

  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glPopMatrix();
  if (b.shaded) glBindTexture(GL_TEXTURE_1D, 0);
  glPopClientAttrib();
  glPopAttrib();
}

}  // namespace mv
