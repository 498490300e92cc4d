// The wind rose: a north arrow with the letter N in a plane under the model.
#pragma once

#include "render/gl_api.h"
#include "view/view_state.h"

namespace mv {

// The whole number nearest to MinZ - 0.2 x (MaxZ - MinZ), halves to even:
// the plane of the base of the simulation scale.
long double RoseHeight(Real48 minZ, Real48 maxZ);

// Where the rose lies and how big it is, each held as a six-byte real like the
// rest of the view's reals.
struct RoseFrame {
  Real48 RoseUnit;  // the survey's extent in y; every offset is a multiple of it
  Real48 x0, y0;    // the centre of the bounding box less the axis position
  Real48 RoseHeight;
};
RoseFrame WindRoseFrame(const Extents& box, Real48 centreX, Real48 centreY);

void DrawWindRose(GlApi& gl, const ViewState& v, const SurveyModel& m);

}  // namespace mv
