// The fixed facts of the picture: the window it starts in, the toolbar over
// it and the camera's lens. The frame, the mouse and the fitted view all
// measure with these.
#pragma once

namespace mv {

// Outer size of the main window at start, frame and menu bar included; the
// viewport and projection follow the outer size, not the picture widget's.
inline constexpr int kOuterWidth = 780;
inline constexpr int kOuterHeight = 591;
// The toolbar strip lies over the top of the picture.
inline constexpr int kToolbarHeight = 33;

// The projection's vertical field of view, in degrees, and its clip planes.
inline constexpr double kFieldOfViewDegrees = 35.0;
inline constexpr double kNearPlane = 1.0;
inline constexpr double kFarPlane = 100.0;

// The frame raises the whole picture by this many scene units (in eye space),
// and scales the model by the zoom less kZoomOffset.
inline constexpr float kPictureRaise = 11.0f;
inline constexpr long double kZoomOffset = 0.018L;

// Where the picture is: the viewport (and projection) has the main window's
// outer size and its lower left corner at the picture's; the picture shows
// the part `width` x `height` of it, and the toolbar strip covers the top
// `toolbar` rows of the picture. All in logical pixels; `pixelRatio` device
// pixels to one logical pixel.
struct PictureGeometry {
  int outerWidth = 0, outerHeight = 0;
  int width = 0, height = 0;
  int toolbar = 0;
  double pixelRatio = 1;
  bool operator==(const PictureGeometry&) const = default;
};

}  // namespace mv
