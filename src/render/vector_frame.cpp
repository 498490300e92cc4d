#include "render/vector_frame.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "render/frame.h"
#include "render/gl_real.h"
#include "render/passage_walls.h"
#include "render/scene_cache.h"
#include "render/segment_pairs.h"

namespace mv {

namespace {

QColor ColourOf(const Rgb& c) {
  return QColor(QRgb(Rgb24(c)));
}

// The convex hull of `p`, counter-clockwise (Andrew's monotone chain).
QPolygonF Hull(std::vector<QPointF> p) {
  std::sort(p.begin(), p.end(), [](const QPointF& a, const QPointF& b) {
    return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
  });
  if (p.size() < 3) return QPolygonF(QList<QPointF>(p.begin(), p.end()));
  const auto cross = [](const QPointF& o, const QPointF& a, const QPointF& b) {
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
  };
  std::vector<QPointF> h(2 * p.size());
  size_t k = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  for (size_t i = p.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  h.resize(k - 1);
  return QPolygonF(QList<QPointF>(h.begin(), h.end()));
}

// The colour OpenGL gives a place on the depth ramp: the ramp's texel there.
Rgb RampColour(double shade) {
  const int texel = std::clamp(static_cast<int>(shade * kDepthRampTexels), 0, kDepthRampTexels - 1);
  return DepthColour((texel + 0.5) / kDepthRampTexels);
}

// A colour times `scale`, as OpenGL modulates the ramp's colour.
Rgb Scaled(const Rgb& c, float scale) {
  if (scale == 1) return c;
  const auto part = [scale](int32_t v) { return static_cast<int32_t>(std::lround(v * scale)); };
  return {part(c.r), part(c.g), part(c.b)};
}

}  // namespace

void VectorGl::Viewport(int x, int y, int w, int h) {
  viewport_[0] = x, viewport_[1] = y, viewport_[2] = w, viewport_[3] = h;
}
void VectorGl::MatrixMode(MatrixKind m) {
  mode_ = m;
}
void VectorGl::LoadIdentity() {
  Current() = Mat4{};
}
void VectorGl::Perspective(double fovy, double aspect, double zNear, double zFar) {
  Current() = Current() * mv::Perspective(fovy, aspect, zNear, zFar);
  near_ = zNear, far_ = zFar;
}
void VectorGl::LookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux,
                      double uy, double uz) {
  Current() = Current() * mv::LookAt(ex, ey, ez, cx, cy, cz, ux, uy, uz);
}
void VectorGl::Translatef(float x, float y, float z) {
  Current() = Current() * Translation(x, y, z);
}
void VectorGl::Rotatef(float angle, float x, float y, float z) {
  Current() = Current() * Rotation(angle, x, y, z);
}
void VectorGl::Scalef(float x, float y, float z) {
  Mat4 s;
  s.m[0] = x, s.m[5] = y, s.m[10] = z;
  Current() = Current() * s;
}
void VectorGl::Color3ub(uint8_t r, uint8_t g, uint8_t b) {
  colour_ = {r, g, b};
}
void VectorGl::Begin(Prim p) {
  prim_ = p;
  open_.clear();
}
void VectorGl::Vertex3f(float x, float y, float z) {
  open_.push_back(ToEye(x, y, z));
}
void VectorGl::End() {
  if (prim_ == Prim::Lines) {
    for (size_t i = 0; i + 1 < open_.size(); i += 2) AddLine(open_[i], open_[i + 1], colour_);
  } else {
    for (size_t i = 0; i + 1 < open_.size(); ++i) AddLine(open_[i], open_[i + 1], colour_);
  }
  open_.clear();
}

void VectorGl::LineStrips(const LineStripBatch& b) {
  for (int32_t s = 0; s < b.strips; ++s) {
    const int32_t first = b.first[s];
    Eye previous{};
    for (int32_t k = 0; k < b.count[s]; ++k) {
      const float* v = b.xyz + 3 * static_cast<size_t>(first + k);
      const Eye e = ToEye(v[0], v[1], v[2]);
      if (k > 0) {
        const Rgb c =
            b.shade ? RampColour(0.5 * (b.shade[first + k - 1] + b.shade[first + k])) : colour_;
        AddLine(previous, e, c);
      }
      previous = e;
    }
  }
}

void VectorGl::LineSegments(const LineStripBatch& b, const SegmentDraw& draw) {
  ForEachSegment(b, draw, [&](uint32_t p, uint32_t q) {
    const float* u = b.xyz + 3 * static_cast<size_t>(p);
    const float* w = b.xyz + 3 * static_cast<size_t>(q);
    const Rgb c =
        b.shade ? Scaled(RampColour(0.5 * (b.shade[p] + b.shade[q])), draw.shadeScale) : colour_;
    AddLine(ToEye(u[0], u[1], u[2]), ToEye(w[0], w[1], w[2]), c);
  });
}

void VectorGl::SolidCone(double radius, double height) {
  if (!(radius > 0) || !(height > 0)) return;
  std::vector<Eye> points;
  for (int i = 0; i < RealGl::kSolidSlices; ++i) {
    const double a = 2 * std::numbers::pi * i / RealGl::kSolidSlices;
    points.push_back(ToEye(radius * std::sin(a), radius * std::cos(a), 0));
  }
  points.push_back(ToEye(0, 0, height));
  AddSolid(points, false);
}

void VectorGl::SolidSphere(double radius) {
  if (!(radius > 0)) return;
  std::vector<Eye> points{ToEye(0, 0, 0)};  // the centre first
  for (int j = 0; j <= RealGl::kSolidStacks; ++j) {
    const double polar = std::numbers::pi * j / RealGl::kSolidStacks;
    for (int i = 0; i < RealGl::kSolidSlices; ++i) {
      const double a = 2 * std::numbers::pi * i / RealGl::kSolidSlices;
      points.push_back(ToEye(radius * std::sin(polar) * std::sin(a),
                             radius * std::sin(polar) * std::cos(a), radius * std::cos(polar)));
    }
  }
  AddSolid(points, true);
}

void VectorGl::DrawWalls(const WallsBatch& b) {
  if (!b.walls) return;
  const PassageWalls& w = *b.walls;
  const Mat4 kept = modelView_;
  modelView_ = modelView_ * Translation(b.shift[0], b.shift[1], b.shift[2]);
  std::vector<uint32_t> corners;
  for (size_t c = 0; c < w.chunks.size(); ++c) {
    corners.clear();
    AppendChunkTriangles(w, w.chunks[c], b.detail[c], corners);
    for (size_t t = 0; t + 2 < corners.size(); t += 3) AddFacet(b, &corners[t], true);
  }
  for (size_t p = 0; p < w.meshParts.size(); ++p) {
    if (!b.meshDrawn[p]) continue;
    const WallMeshPart& part = w.meshParts[p];
    for (int32_t t = 0; t + 2 < part.indices; t += 3)
      AddFacet(b, &w.meshTriangles[static_cast<size_t>(part.firstIndex + t)], false);
  }
  modelView_ = kept;
}

void VectorGl::AddFacet(const WallsBatch& b, const uint32_t* corners, bool closed) {
  const PassageWalls& w = *b.walls;
  Eye eye[3];
  QPointF at[3];
  double depth = 0, nx = 0, ny = 0, nz = 0, sx = 0, sy = 0, sz = 0;
  for (int k = 0; k < 3; ++k) {
    const WallVertex& v = w.vertices[corners[k]];
    eye[k] = ToEye(v.x, v.y, v.z);
    if (-eye[k].z < near_ || -eye[k].z > far_) return;
    depth += -eye[k].z / 3;
    at[k] = ToPicture(eye[k]);
    nx += v.nx, ny += v.ny, nz += v.nz;
    sx += v.x / 3, sy += v.y / 3, sz += v.z / 3;
  }
  // Counter-clockwise on the screen faces the eye; the picture's y runs down.
  const double turn = (at[1].x() - at[0].x()) * (at[2].y() - at[0].y()) -
                      (at[1].y() - at[0].y()) * (at[2].x() - at[0].x());
  const bool front = turn < 0;
  if (closed && !front) return;
  // The light from the eye falls along eye z on the normal, turned as the
  // model is; a back face is lit on its own side.
  const auto& m = modelView_.m;
  const double ex = m[0] * nx + m[4] * ny + m[8] * nz, ey = m[1] * nx + m[5] * ny + m[9] * nz,
               ez = m[2] * nx + m[6] * ny + m[10] * nz;
  const double length = std::sqrt(ex * ex + ey * ey + ez * ez);
  const double facing = length > 0 ? (front ? ez : -ez) / length : 1;
  const double light = kWallAmbient + kWallDiffuse * std::max(0.0, facing);
  const Rgb base = b.shaded ? ScaledColour(WallShade(RampColour(b.shade[0] * sx + b.shade[1] * sy +
                                                                b.shade[2] * sz + b.shade[3])),
                                           b.shadeScale)
                            : Rgb{b.colour[0], b.colour[1], b.colour[2]};
  const auto lit = [light](int32_t c) {
    return std::clamp(static_cast<int32_t>(std::lround(c * light)), 0, 255);
  };
  Shape s{Kind::Facet, {lit(base.r), lit(base.g), lit(base.b)},
          depth,       static_cast<int>(points_.size()),
          3,           0,
          layer_};
  points_.insert(points_.end(), at, at + 3);
  shapes_.push_back(s);
}

VectorGl::Eye VectorGl::ToEye(double x, double y, double z) const {
  const auto& a = modelView_.m;
  return {a[0] * x + a[4] * y + a[8] * z + a[12], a[1] * x + a[5] * y + a[9] * z + a[13],
          a[2] * x + a[6] * y + a[10] * z + a[14]};
}

QPointF VectorGl::ToPicture(const Eye& e) const {
  const auto& p = projection_.m;
  const double cx = p[0] * e.x + p[4] * e.y + p[8] * e.z + p[12];
  const double cy = p[1] * e.x + p[5] * e.y + p[9] * e.z + p[13];
  const double cw = p[3] * e.x + p[7] * e.y + p[11] * e.z + p[15];
  const double wx = viewport_[0] + (cx / cw + 1) / 2 * viewport_[2];
  const double wy = viewport_[1] + (cy / cw + 1) / 2 * viewport_[3];
  return {wx, pictureHeight_ - wy};
}

void VectorGl::AddLine(Eye a, Eye b, const Rgb& colour) {
  // Distances in front of the eye; keep the part between the planes.
  const double da = -a.z, db = -b.z;
  double t0 = 0, t1 = 1;
  for (const auto& [lo, sign] : {std::pair{near_, 1.0}, std::pair{far_, -1.0}}) {
    const double fa = sign * (da - lo), fb = sign * (db - lo);
    if (fa < 0 && fb < 0) return;
    if (fa < 0) t0 = std::max(t0, fa / (fa - fb));
    if (fb < 0) t1 = std::min(t1, fa / (fa - fb));
  }
  if (t0 > t1) return;
  const auto at = [&](double t) {
    return Eye{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)};
  };
  const Eye p = t0 > 0 ? at(t0) : a, q = t1 < 1 ? at(t1) : b;
  Shape s{Kind::Line, colour, -(p.z + q.z) / 2, static_cast<int>(points_.size()), 2, 0, layer_};
  points_.push_back(ToPicture(p));
  points_.push_back(ToPicture(q));
  shapes_.push_back(s);
}

void VectorGl::AddSolid(const std::vector<Eye>& eye, bool circle) {
  double depth = 0;
  std::vector<QPointF> outline;
  for (const Eye& e : eye) {
    if (-e.z < near_ || -e.z > far_) return;
    depth += -e.z;
    outline.push_back(ToPicture(e));
  }
  Shape s{circle ? Kind::Circle : Kind::Polygon,
          colour_,
          depth / static_cast<double>(eye.size()),
          static_cast<int>(points_.size()),
          0,
          0,
          layer_};
  if (circle) {
    // The sphere's outline is the circle about its centre's image through
    // its farthest-reaching point.
    for (const QPointF& q : outline)
      s.radius = std::max(s.radius, std::hypot(q.x() - outline[0].x(), q.y() - outline[0].y()));
    points_.push_back(outline[0]);
    s.count = 1;
  } else {
    const QPolygonF hull = Hull(outline);
    for (const QPointF& q : hull) points_.push_back(q);
    s.count = static_cast<int>(hull.size());
  }
  shapes_.push_back(s);
}

void VectorGl::Paint(QPainter& p) const {
  std::vector<size_t> order(shapes_.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
    const Shape &p = shapes_[a], &q = shapes_[b];
    return p.layer != q.layer ? p.layer < q.layer : p.depth > q.depth;
  });
  QPainterPath lines;
  Rgb linesColour;
  const auto flush = [&] {
    if (lines.isEmpty()) return;
    QPen pen(ColourOf(linesColour), 1.0);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(lines);
    lines.clear();
  };
  for (const size_t i : order) {
    const Shape& s = shapes_[i];
    const QPointF* at = points_.data() + s.first;
    if (s.kind == Kind::Line) {
      if (!(s.colour == linesColour)) flush();
      linesColour = s.colour;
      lines.moveTo(at[0]);
      lines.lineTo(at[1]);
      continue;
    }
    flush();
    p.setBrush(ColourOf(s.colour));
    if (s.kind == Kind::Facet) {
      // Edged in their own colour, so no seam shows between neighbours.
      p.setPen(QPen(ColourOf(s.colour), 0.5));
      p.drawPolygon(at, s.count);
      continue;
    }
    p.setPen(Qt::NoPen);
    if (s.kind == Kind::Circle)
      p.drawEllipse(at[0], s.radius, s.radius);
    else
      p.drawPolygon(at, s.count);
  }
  flush();
}

void PaintOverlays(QPainter& p, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                   const PictureGeometry& g) {
  PaintOverlayShapes(p, v, m, cache, g);
  const LegendPlace place = PlaceDepthLegend(v, g);
  if (place.shown && cache.Depths().valid)
    PaintDepthLegend(p, QRectF(place.x, place.top, kLegendWidth, kLegendHeight), cache.Depths());
}

void PaintVectorFrame(QPainter& p, const ViewState& v, const SurveyModel& m, SceneCache& cache,
                      const PictureGeometry& g) {
  // A drawing may be enlarged after: it keeps every leg.
  cache.SetSimplified(false);
  VectorGl gl(g.height);
  gl.Viewport(0, 0, g.outerWidth, g.outerHeight);
  SetProjection(gl, g.outerWidth, g.outerHeight);
  DrawFrame(gl, v, m, cache, &g);
  p.fillRect(QRectF(0, 0, g.width, g.height), Qt::black);
  gl.Paint(p);
  PaintOverlays(p, v, m, cache, g);
}

}  // namespace mv
