// The frame's camera, described once as the steps OpenGL is given: the frame
// replays them through the GL seam and the projection code multiplies them
// into the matrices that picking, labels and the fit use, so the two cannot
// drift apart.
#pragma once

#include <array>
#include <variant>

#include "view/view_state.h"

namespace mv {

// The steps of the model-view matrix, each with the values and precision of
// the OpenGL call that takes it.
struct GlTranslate {  // glTranslatef
  float x, y, z;
};
struct GlLookAt {  // gluLookAt
  double eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ;
};
struct GlRotate {  // glRotatef: degrees about the axis (x, y, z)
  float degrees, x, y, z;
};
struct GlScale {  // glScalef
  float x, y, z;
};
using CameraStep = std::variant<GlTranslate, GlLookAt, GlRotate, GlScale>;

// One handler for each kind of step, for std::visit.
template <class... Handler>
struct Overloaded : Handler... {
  using Handler::operator()...;
};

// Raise, look-at, spin, tilt about the axis the spin carries onto +y (so the
// tilt always leans the model towards or away from the viewer), turn, and
// the zoom's scale, in the order they multiply onto the identity.
std::array<CameraStep, 6> FrameCameraSteps(const ViewState& v);

// The projection, as gluPerspective takes it, for a viewport of the outer
// size w x h.
struct GlPerspective {
  double fovy, aspect, zNear, zFar;
};
GlPerspective FrameLens(int w, int h);

}  // namespace mv
