#include "view/camera_steps.h"

#include <cmath>
#include <numbers>

#include "view/camera.h"

namespace mv {

namespace {

// Single precision holds the spin angle of a short run to well under a
// thousandth of a degree, but a long run's angle grows to hundreds of
// millions of degrees, which it rounds by whole degrees and more; OpenGL
// also takes the angle's sine in single precision. Whole turns change
// nothing on the screen, so the spin step is handed the angle less whole
// runs of this many degrees (sixteen turns).
constexpr long double kSpinDegreesHandedOn = 16 * 360.0L;

}  // namespace

std::array<CameraStep, 6> FrameCameraSteps(const ViewState& v) {
  const long double theta = SpinAngle(v);
  const float spin = static_cast<float>(std::fmod(theta, kSpinDegreesHandedOn));
  const long double r = theta * std::numbers::pi_v<long double> / 180.0L;
  const float s = static_cast<float>(static_cast<long double>(v.ZoomScale) - kZoomOffset);
  return {
      GlTranslate{0, kPictureRaise, 0},
      GlLookAt{static_cast<double>(v.EyeX), 0, 0, static_cast<double>(v.TargetX),
               v.TargetY.AsDouble(), v.TargetZ.AsDouble(), 0, 0, 1},
      GlRotate{spin, 0, 0, 1},
      GlRotate{static_cast<float>(static_cast<long double>(v.TiltAngle)),
               static_cast<float>(std::sin(r)), static_cast<float>(std::cos(r)), 0},
      GlRotate{static_cast<float>(static_cast<long double>(v.TurnAngle)), 0, 0, 1},
      GlScale{s, s, s},
  };
}

GlPerspective FrameLens(int w, int h) {
  return {kFieldOfViewDegrees, h != 0 ? static_cast<double>(w) / h : 1.0, kNearPlane, kFarPlane};
}

}  // namespace mv
