// Whether a tick needs a new frame: only when something the frame reads has
// changed, or the spin has carried some point of the picture half a pixel or
// more since the last frame drawn. A stopped spin still crawls (0.0001° a
// tick), so its frames come in rare steps instead of 64 times a second.
#pragma once

#include <cstdint>

#include "view/app_state.h"
#include "view/camera.h"
#include "view/fit.h"

namespace mv {

// Everything the frame reads but the tick: the whole view state with its
// TickCount set to 0 (the spin angle is judged apart), the survey's
// generation and where the picture lies. What the frame comes to read
// besides belongs here too.
struct FrameInputs {
  ViewState view;
  uint64_t generation = 0;
  PictureGeometry picture;
  bool operator==(const FrameInputs&) const = default;
};
FrameInputs FrameInputsOf(const AppState& s, const PictureGeometry& g);

// How far apart two spin angles are, in degrees from 0 to 180.
long double SpinDegreesBetween(long double a, long double b);

// The farthest any point of the cylinder moves on the screen, in pixels,
// while the model spins by one degree: the spin turns the model about the
// cylinder's axis, so the points of its rims move most. Infinite when part
// of the cylinder lies behind the eye.
double SpinPixelsPerDegree(const ViewState& v, const SurveyCylinder& c, const PictureGeometry& g);

// Remembers the last frame drawn and tells whether a tick needs another.
class RepaintGate {
 public:
  // A picture that moved less than this since the last frame keeps it.
  static constexpr double kPixels = 0.5;

  // A frame has been drawn of `inputs` at `spinDegrees`; `pixelsPerDegree`
  // is SpinPixelsPerDegree of the same view.
  void Drawn(const FrameInputs& inputs, long double spinDegrees, double pixelsPerDegree);
  // Whether a frame of `inputs` at `spinDegrees` would differ from the last
  // one drawn.
  bool Wanted(const FrameInputs& inputs, long double spinDegrees) const;

 private:
  bool drawn_ = false;
  FrameInputs last_;
  long double lastDegrees_ = 0;
  double pixelsPerDegree_ = 0;
};

}  // namespace mv
