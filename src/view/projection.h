// The frame's camera as plain arithmetic: the same model-view and projection
// the frame hands to OpenGL, so that the fit, picking and exports place every
// point where the picture shows it.
#pragma once

#include <array>

#include "view/view_state.h"

namespace mv {

// A 4 x 4 matrix in OpenGL's column-major order, in double precision.
struct Mat4 {
  std::array<double, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  Mat4 operator*(const Mat4& b) const;
};

Mat4 Translation(double x, double y, double z);
Mat4 Rotation(double degrees, double x, double y, double z);  // as glRotate
Mat4 Scaling(double x, double y, double z);                   // as glScale
Mat4 LookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux, double uy,
            double uz);                                                   // as gluLookAt
Mat4 Perspective(double fovy, double aspect, double zNear, double zFar);  // as gluPerspective

// The model-view matrix of the frame for `v`: the product of its camera
// steps (FrameCameraSteps), in the precision OpenGL is handed them. Model coordinates are survey
// coordinates less the axis position in x and y and less the origin's height in z.
Mat4 FrameModelView(const ViewState& v);
// The same without the spin and turn, which turn the model about its own
// vertical axis and so leave its bounding cylinder where it was.
Mat4 FrameModelViewUnspun(const ViewState& v);
// The projection for a viewport of the outer size w x h (FrameLens).
Mat4 FrameProjection(int w, int h);

// How many pixels one scene unit across the line of sight spans at
// `distance` in front of the eye, in a picture `height` pixels high.
long double PixelsPerUnit(long double distance, int height);

// A point in viewport pixels, x to the right and y up from the viewport's
// lower left corner (which is the picture's lower left corner), with its
// distance in front of the eye; `visible` is false for a point behind the
// near plane.
struct WindowPoint {
  double x = 0, y = 0, depth = 0;
  bool visible = false;
};

// Projects a model point through `modelView` and `projection` onto a
// viewport of w x h pixels.
WindowPoint Project(const Mat4& modelView, const Mat4& projection, int w, int h, double x, double y,
                    double z);

}  // namespace mv
