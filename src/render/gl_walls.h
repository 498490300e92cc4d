// The passages' walls in OpenGL: their vertices and triangles kept on the
// GPU, drawn lit, chunk runs at a time. Part of the production seam, apart
// from the survey lines' buffers.
#pragma once

#include <cstdint>
#include <vector>

#include "render/gl_api.h"

namespace mv {

// Needs a current compatibility-profile context for every call, the same
// one each time until Release.
class GlWalls {
 public:
  void Draw(const WallsBatch& b);
  // Frees the buffers and the ramp; must run while the context is current.
  void Release();

 private:
  void Upload(const WallsBatch& b);
  void BindRamp();

  unsigned vertices_ = 0;
  unsigned indices_ = 0;  // fine triangles, coarse triangles, mesh triangles
  unsigned ramp_ = 0;     // the depth colour ramp, lighter, a 1D texture
  uint64_t version_ = 0;
  // Where each chunk's triangles start in the index buffer, in indices, at
  // either detail; one more than the chunks, so each chunk ends where the
  // next starts.
  std::vector<uint32_t> fine_, coarse_;
  uint32_t meshes_ = 0;  // where the meshes' triangles start
  // Per frame: the runs to draw, as counts and byte offsets.
  std::vector<int32_t> counts_;
  std::vector<const void*> offsets_;
};

}  // namespace mv
