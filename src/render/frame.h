// One frame of the scene: clear, camera, motion of the model, the drawers.
#pragma once

#include "render/gl_api.h"
#include "view/camera.h"
#include "view/view_state.h"

namespace mv {

class SceneCache;

// Clears, sets the model-view matrix from the view state and calls each
// element drawer whose flag is set, in the fixed order. Making the context
// current and presenting the frame are the caller's. With `picture` the
// frame also draws what lies flat over the scene: names, the picked stations
// and the depth legend.
void DrawFrame(GlApi& gl, const ViewState& v, const SurveyModel& m, SceneCache& cache,
               const PictureGeometry* picture = nullptr);

// Projection for a window of outer size w x h: FrameLens.
void SetProjection(GlApi& gl, int w, int h);

// The model-view matrix made the identity, then the camera's steps
// (FrameCameraSteps) applied to it.
void SetFrameCamera(GlApi& gl, const ViewState& v);

}  // namespace mv
