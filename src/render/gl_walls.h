// The passages' walls in OpenGL: their vertices kept on the GPU, each
// frame's triangles streamed to it and drawn lit. Part of the production
// seam, apart from the survey lines' buffers.
#pragma once

#include <cstdint>

#include "render/gl_api.h"

namespace mv {

// Needs a current compatibility-profile context for every call, the same
// one each time until Release.
// Binds the 1D texture `texture` of a colour ramp, three bytes a texel,
// making it from `rgb` on first use (while `texture` is 0).
void BindRampTexture(unsigned& texture, const uint8_t* rgb);

class GlWalls {
 public:
  void Draw(const WallsBatch& b);
  // Frees the buffers and the ramp; must run while the context is current.
  void Release();

 private:
  // Writes the triangles `b` draws into the stream buffer: the tubes', then
  // the meshes'. Returns false when they could not be written.
  bool Stream(const WallsBatch& b, int64_t tubes, int64_t meshes);
  void BindRamp();

  unsigned vertices_ = 0;
  uint64_t version_ = 0;  // of the walls in vertices_
  unsigned stream_ = 0;   // this frame's triangles
  unsigned ramp_ = 0;     // the depth colour ramp, lighter, a 1D texture
};

}  // namespace mv
