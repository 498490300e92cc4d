#include "view/projection.h"

#include <cmath>
#include <numbers>
#include <variant>

#include "view/camera.h"
#include "view/camera_steps.h"

namespace mv {

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

double& At(Mat4& a, int row, int col) {
  return a.m[static_cast<size_t>(col * 4 + row)];
}
double At(const Mat4& a, int row, int col) {
  return a.m[static_cast<size_t>(col * 4 + row)];
}

}  // namespace

Mat4 Mat4::operator*(const Mat4& b) const {
  Mat4 r;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += At(*this, row, k) * At(b, k, col);
      At(r, row, col) = sum;
    }
  return r;
}

Mat4 Translation(double x, double y, double z) {
  Mat4 t;
  At(t, 0, 3) = x;
  At(t, 1, 3) = y;
  At(t, 2, 3) = z;
  return t;
}

Mat4 Rotation(double degrees, double x, double y, double z) {
  Mat4 r;
  const double len = std::sqrt(x * x + y * y + z * z);
  if (len == 0) return r;
  x /= len, y /= len, z /= len;
  const double a = degrees * kRadiansPerDegree, c = std::cos(a), s = std::sin(a), k = 1 - c;
  At(r, 0, 0) = x * x * k + c;
  At(r, 0, 1) = x * y * k - z * s;
  At(r, 0, 2) = x * z * k + y * s;
  At(r, 1, 0) = y * x * k + z * s;
  At(r, 1, 1) = y * y * k + c;
  At(r, 1, 2) = y * z * k - x * s;
  At(r, 2, 0) = x * z * k - y * s;
  At(r, 2, 1) = y * z * k + x * s;
  At(r, 2, 2) = z * z * k + c;
  return r;
}

Mat4 Scaling(double x, double y, double z) {
  Mat4 r;
  At(r, 0, 0) = x;
  At(r, 1, 1) = y;
  At(r, 2, 2) = z;
  return r;
}

Mat4 LookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux, double uy,
            double uz) {
  double f[3] = {cx - ex, cy - ey, cz - ez};
  const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
  if (fl > 0) f[0] /= fl, f[1] /= fl, f[2] /= fl;
  // side = forward x up, normalized; up' = side x forward.
  double s[3] = {f[1] * uz - f[2] * uy, f[2] * ux - f[0] * uz, f[0] * uy - f[1] * ux};
  const double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
  if (sl > 0) s[0] /= sl, s[1] /= sl, s[2] /= sl;
  const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                       s[0] * f[1] - s[1] * f[0]};
  Mat4 r;
  for (int col = 0; col < 3; ++col) {
    At(r, 0, col) = s[col];
    At(r, 1, col) = u[col];
    At(r, 2, col) = -f[col];
  }
  return r * Translation(-ex, -ey, -ez);
}

Mat4 Perspective(double fovy, double aspect, double zNear, double zFar) {
  Mat4 r;
  const double f = 1.0 / std::tan(fovy * kRadiansPerDegree / 2);
  At(r, 0, 0) = f / aspect;
  At(r, 1, 1) = f;
  At(r, 2, 2) = (zFar + zNear) / (zNear - zFar);
  At(r, 2, 3) = 2 * zFar * zNear / (zNear - zFar);
  At(r, 3, 2) = -1;
  At(r, 3, 3) = 0;
  return r;
}

namespace {

Mat4 MatrixOf(const CameraStep& step) {
  return std::visit(Overloaded{
                        [](const GlTranslate& t) { return Translation(t.x, t.y, t.z); },
                        [](const GlLookAt& l) {
                          return LookAt(l.eyeX, l.eyeY, l.eyeZ, l.centreX, l.centreY, l.centreZ,
                                        l.upX, l.upY, l.upZ);
                        },
                        [](const GlRotate& r) { return Rotation(r.degrees, r.x, r.y, r.z); },
                        [](const GlScale& s) { return Scaling(s.x, s.y, s.z); },
                    },
                    step);
}

}  // namespace

Mat4 FrameModelView(const ViewState& v) {
  Mat4 m;
  for (const CameraStep& step : FrameCameraSteps(v)) m = m * MatrixOf(step);
  return m;
}

Mat4 FrameModelViewUnspun(const ViewState& v) {
  ViewState still = v;
  still.TickCount = 0;
  still.TurnAngle = 0;
  return FrameModelView(still);
}

Mat4 FrameProjection(int w, int h) {
  const GlPerspective p = FrameLens(w, h);
  return Perspective(p.fovy, p.aspect, p.zNear, p.zFar);
}

long double PixelsPerUnit(long double distance, int height) {
  const long double halfAngle =
      static_cast<long double>(kFieldOfViewDegrees) / 2 * std::numbers::pi_v<long double> / 180;
  return height / (2 * distance * std::tan(halfAngle));
}

WindowPoint Project(const Mat4& modelView, const Mat4& projection, int w, int h, double x, double y,
                    double z) {
  const auto& a = modelView.m;
  const double ex = a[0] * x + a[4] * y + a[8] * z + a[12];
  const double ey = a[1] * x + a[5] * y + a[9] * z + a[13];
  const double ez = a[2] * x + a[6] * y + a[10] * z + a[14];
  const auto& p = projection.m;
  const double cx = p[0] * ex + p[4] * ey + p[8] * ez + p[12];
  const double cy = p[1] * ex + p[5] * ey + p[9] * ez + p[13];
  const double cw = p[3] * ex + p[7] * ey + p[11] * ez + p[15];
  WindowPoint out;
  out.depth = -ez;
  out.visible = -ez >= kNearPlane;
  if (cw == 0) return out;
  out.x = (cx / cw + 1) / 2 * w;
  out.y = (cy / cw + 1) / 2 * h;
  return out;
}

}  // namespace mv
