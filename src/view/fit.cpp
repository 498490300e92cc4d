#include "view/fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "view/camera.h"
#include "view/projection.h"

namespace mv {

namespace {

// Each side of the scene area keeps this share of its length free.
constexpr double kFitMargin = 0.04;
// Points on each rim of the cylinder: the bounding box they give is short of
// the true one by at most 1 - cos(pi / 720) of the radius, 5 parts in a
// million.
constexpr int kRimPoints = 720;
// A survey narrower than this (one station, a vertical shaft) is fitted as
// if it were this wide, in metres.
constexpr double kSmallestRadius = 0.5;
// The fitted model stays within this distance of its centre, in scene units,
// so that none of it reaches the near or the far plane: the eye is 65 units
// away and the far plane 100.
constexpr double kFarPlaneMargin = 2.0;

double Clamp(double v, double lo, double hi) {
  return std::max(lo, std::min(v, hi));
}

}  // namespace

SurveyCylinder StationsCylinder(const SurveyModel& m, Real48 centreX, Real48 centreY) {
  SurveyCylinder c;
  const size_t n = static_cast<size_t>(m.StationCount());
  if (n == 0) return c;
  const double cx = centreX.AsDouble(), cy = centreY.AsDouble();
  const double oz = m.originZ.AsDouble();
  // Four independent running extremes, so a million stations take one pass
  // at the speed of memory rather than of a chain of comparisons.
  double r2[4] = {0, 0, 0, 0};
  double lo[4], hi[4];
  for (int k = 0; k < 4; ++k) lo[k] = hi[k] = m.Z(0);
  const double* p = m.stations.data();
  size_t i = 0;
  for (; i + 4 <= n; i += 4, p += 12) {
    for (int k = 0; k < 4; ++k) {
      const double dx = p[3 * k] - cx, dy = p[3 * k + 1] - cy, z = p[3 * k + 2];
      const double d2 = dx * dx + dy * dy;
      r2[k] = d2 > r2[k] ? d2 : r2[k];
      lo[k] = z < lo[k] ? z : lo[k];
      hi[k] = z > hi[k] ? z : hi[k];
    }
  }
  for (; i < n; ++i, p += 3) {
    const double dx = p[0] - cx, dy = p[1] - cy;
    r2[0] = std::max(r2[0], dx * dx + dy * dy);
    lo[0] = std::min(lo[0], p[2]);
    hi[0] = std::max(hi[0], p[2]);
  }
  c.radius = std::sqrt(std::max({r2[0], r2[1], r2[2], r2[3]}));
  c.bottom = std::min({lo[0], lo[1], lo[2], lo[3]}) - oz;
  c.top = std::max({hi[0], hi[1], hi[2], hi[3]}) - oz;
  return c;
}

ScreenBox SceneArea(const PictureGeometry& g) {
  return {0, static_cast<double>(g.width), 0, static_cast<double>(g.height - g.toolbar)};
}

long double FrameScale(const ViewState& v) {
  return static_cast<long double>(v.ZoomScale) - kZoomOffset;
}

double PixelsPerMetre(const ViewState& v, const PictureGeometry& g, double depth) {
  if (!(depth > 0) || g.outerHeight <= 0) return 0;
  return static_cast<double>(FrameScale(v) * PixelsPerUnit(depth, g.outerHeight));
}

ProjectedCylinder ProjectCylinder(const ViewState& v, const SurveyCylinder& c,
                                  const PictureGeometry& g) {
  const Mat4 modelView = FrameModelViewUnspun(v);
  const Mat4 projection = FrameProjection(g.outerWidth, g.outerHeight);
  ProjectedCylinder out;
  out.inFront = true;
  ScreenBox& b = out.box;
  b.left = b.bottom = INFINITY;
  b.right = b.top = -INFINITY;
  const double r = std::max(c.radius, 0.0);
  static const std::array<std::pair<double, double>, kRimPoints> kRim = [] {
    std::array<std::pair<double, double>, kRimPoints> rim;
    for (int i = 0; i < kRimPoints; ++i) {
      const double a = 2 * std::numbers::pi * i / kRimPoints;
      rim[static_cast<size_t>(i)] = {std::cos(a), std::sin(a)};
    }
    return rim;
  }();
  for (const auto& [cosine, sine] : kRim) {
    const double x = r * cosine, y = r * sine;
    for (const double z : {c.bottom, c.top}) {
      const WindowPoint w = Project(modelView, projection, g.outerWidth, g.outerHeight, x, y, z);
      if (!w.visible || w.depth > kFarPlane) out.inFront = false;
      b.left = std::min(b.left, w.x);
      b.right = std::max(b.right, w.x);
      b.bottom = std::min(b.bottom, w.y);
      b.top = std::max(b.top, w.y);
    }
  }
  return out;
}

FitResult FitView(const ViewState& v, const SurveyCylinder& c, const PictureGeometry& g) {
  return FitView(v, c, g, SceneArea(g));
}

FitResult FitView(const ViewState& start, const SurveyCylinder& cylinder, const PictureGeometry& g,
                  const ScreenBox& area) {
  ViewState v = start;
  if (area.Width() <= 0 || area.Height() <= 0 || g.outerHeight <= 0 || g.outerWidth <= 0)
    return {v.ZoomScale, v.TargetY, v.TargetZ};

  SurveyCylinder c = cylinder;
  c.radius = std::max(c.radius, kSmallestRadius);
  // How far the model may reach from its centre, scaled, before the near or
  // far plane cuts it.
  const double eye = std::abs(static_cast<double>(v.EyeX));
  const double reach =
      std::max(std::min(eye - 2 * kNearPlane, kFarPlane - kFarPlaneMargin - eye), kNearPlane);
  const double extent = std::hypot(c.radius, std::max(std::abs(c.bottom), std::abs(c.top)));
  const double sMax = reach / extent;
  // The look-at point lies `ahead` in front of the eye; a pan of the target
  // by one unit moves the picture there by `pixelsPerUnit`.
  const double ahead = std::max(std::abs(static_cast<double>(v.EyeX - v.TargetX)), 1e-3);
  const double pixelsPerUnit = static_cast<double>(PixelsPerUnit(ahead, g.outerHeight));

  const double mx = kFitMargin * area.Width(), my = kFitMargin * area.Height();
  const double wantWidth = area.Width() - 2 * mx, wantHeight = area.Height() - 2 * my;
  const double wantX = (area.left + area.right) / 2, wantY = (area.bottom + area.top) / 2;

  double s = std::min(sMax, 0.25 * reach / extent);
  double ty = 0, tz = 0;
  for (int i = 0; i < 200; ++i) {
    v.ZoomScale = kZoomOffset + s;
    v.TargetY = ty;
    v.TargetZ = tz;
    const ScreenBox b = ProjectCylinder(v, c, g).box;
    const double k =
        std::min(wantWidth / std::max(b.Width(), 1e-12), wantHeight / std::max(b.Height(), 1e-12));
    const double dx = wantX - (b.left + b.right) / 2, dy = wantY - (b.bottom + b.top) / 2;
    // Closer than this the rim's points and the six-byte values make the
    // size and place wander by a few parts in ten million: the fit is then
    // within a thousandth of a pixel, and a closer one is not to be had.
    const bool sized = std::abs(k - 1) < 1e-6 || (s >= sMax && k > 1);
    if (sized && std::abs(dx) < 1e-3 && std::abs(dy) < 1e-3) break;
    s = Clamp(s * k, 0, sMax);
    // Turning the view right moves the picture left, turning it up moves
    // the picture down.
    ty -= (1 + (ty / ahead) * (ty / ahead)) * dx / pixelsPerUnit;
    tz -= (1 + (tz / ahead) * (tz / ahead)) * dy / pixelsPerUnit;
  }
  return {kZoomOffset + s, ty, tz};
}

bool ShowsWholeSurvey(const ViewState& v, const SurveyCylinder& c, const PictureGeometry& g) {
  if (!(FrameScale(v) > 0)) return false;
  const ProjectedCylinder p = ProjectCylinder(v, c, g);
  const ScreenBox area = SceneArea(g);
  const ScreenBox& b = p.box;
  if (!p.inFront || b.left < area.left || b.right > area.right || b.bottom < area.bottom ||
      b.top > area.top)
    return false;
  return b.Width() >= area.Width() / 4 || b.Height() >= area.Height() / 4;
}

}  // namespace mv
