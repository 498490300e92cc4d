// Small pieces shared by the element drawers: colour, rounding, precision.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "render/gl_api.h"
#include "view/scene_geometry.h"
#include "view/view_state.h"

namespace mv {

// Every value of the scene is formed in long double (Extended) and rounded
// only when it is handed to OpenGL.
inline float ToFloat(long double v) {
  return static_cast<float>(v);
}

// OpenGL gets the low byte of each component.
inline void SetColour(GlApi& gl, const Rgb& c) {
  gl.Color3ub(static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b));
}

// Puts the survey's origin height at z = 0 for as long as it lives: every
// drawer places a survey point at z - originZ and takes the shift back before
// it returns.
class OriginShift {
 public:
  OriginShift(GlApi& gl, Real48 originZ) : gl_(gl), z_(Extended(originZ)) {
    gl_.Translatef(0, 0, ToFloat(-z_));
  }
  ~OriginShift() { gl_.Translatef(0, 0, ToFloat(z_)); }
  OriginShift(const OriginShift&) = delete;
  OriginShift& operator=(const OriginShift&) = delete;

 private:
  GlApi& gl_;
  long double z_;
};

}  // namespace mv
