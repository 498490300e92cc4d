#include "gl_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "render/segment_pairs.h"
#include "view/camera.h"

namespace mv::test {

Matrix Identity() {
  Matrix m{};
  m[0] = m[5] = m[10] = m[15] = 1;
  return m;
}

long double MatrixDistance(const Matrix& a, const Matrix& b) {
  long double scale = 1, d = 0;
  for (int i = 0; i < 16; ++i) {
    scale = std::max({scale, std::fabs(a[i]), std::fabs(b[i])});
    d = std::max(d, std::fabs(a[i] - b[i]));
  }
  return d / scale;
}

GlRecorder::GlRecorder()
    : viewport_{0, 0, kOuterWidth, kOuterHeight}, modelView_(Identity()), projection_(Identity()) {}

void GlRecorder::Add(const char* op, std::initializer_list<double> args) {
  calls.push_back(GlCall{op, std::vector<double>(args)});
}

std::string GlRecorder::Line(const GlCall& c) {
  std::string s = c.op;
  char buf[40];
  for (double a : c.args) {
    std::snprintf(buf, sizeof buf, " %.9g", a == 0 ? 0.0 : a);
    s += buf;
  }
  return s;
}

std::vector<std::string> GlRecorder::Lines() const {
  std::vector<std::string> out;
  out.reserve(calls.size());
  for (const auto& c : calls) out.push_back(Line(c));
  return out;
}

std::vector<std::string> GlRecorder::LinesOf(std::initializer_list<const char*> ops) const {
  std::vector<std::string> out;
  for (const auto& c : calls)
    for (const char* op : ops)
      if (c.op == op) out.push_back(Line(c));
  return out;
}

void GlRecorder::MultCurrent(const Matrix& m) {
  Matrix& c = Current();
  Matrix r{};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      long double s = 0;
      for (int k = 0; k < 4; ++k) s += c[k * 4 + row] * m[col * 4 + k];
      r[col * 4 + row] = s;
    }
  c = r;
}

void GlRecorder::Viewport(int x, int y, int w, int h) {
  viewport_[0] = x, viewport_[1] = y, viewport_[2] = w, viewport_[3] = h;
  Add("Viewport", {double(x), double(y), double(w), double(h)});
}
void GlRecorder::MatrixMode(MatrixKind m) {
  mode_ = m;
  Add("MatrixMode", {m == MatrixKind::ModelView ? 0.0 : 1.0});
}
void GlRecorder::LoadIdentity() {
  Current() = Identity();
  Add("LoadIdentity", {});
}
void GlRecorder::ClearColor(float r, float g, float b, float a) {
  Add("ClearColor", {r, g, b, a});
}
void GlRecorder::ClearColourAndDepth() {
  Add("Clear", {});
}
void GlRecorder::EnableDepthTest() {
  Add("EnableDepthTest", {});
}

void GlRecorder::Perspective(double fovy, double aspect, double zNear, double zFar) {
  Add("Perspective", {fovy, aspect, zNear, zFar});
  const long double f = 1.0L / std::tan(fovy * std::numbers::pi_v<long double> / 360.0L);
  Matrix m{};
  m[0] = f / aspect;
  m[5] = f;
  m[10] = (zFar + zNear) / (zNear - zFar);
  m[11] = -1;
  m[14] = 2 * zFar * zNear / (zNear - zFar);
  MultCurrent(m);
}

void GlRecorder::LookAt(double ex, double ey, double ez, double cx, double cy, double cz, double ux,
                        double uy, double uz) {
  Add("LookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
  long double f[3] = {cx - ex, cy - ey, cz - ez};
  long double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
  for (auto& x : f) x /= fl;
  long double up[3] = {ux, uy, uz};
  long double s[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2],
                      f[0] * up[1] - f[1] * up[0]};
  long double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
  for (auto& x : s) x /= sl;
  long double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                      s[0] * f[1] - s[1] * f[0]};
  Matrix m = Identity();
  for (int i = 0; i < 3; ++i) {
    m[i * 4 + 0] = s[i];
    m[i * 4 + 1] = u[i];
    m[i * 4 + 2] = -f[i];
  }
  MultCurrent(m);
  Matrix t = Identity();
  t[12] = -ex;
  t[13] = -ey;
  t[14] = -ez;
  MultCurrent(t);
}

void GlRecorder::Translatef(float x, float y, float z) {
  Add("Translatef", {x, y, z});
  Matrix t = Identity();
  t[12] = x;
  t[13] = y;
  t[14] = z;
  MultCurrent(t);
}

void GlRecorder::Rotatef(float angle, float x, float y, float z) {
  Add("Rotatef", {angle, x, y, z});
  long double len = std::sqrt((long double)x * x + (long double)y * y + (long double)z * z);
  if (len == 0) return;
  long double ax = x / len, ay = y / len, az = z / len;
  long double a = angle * std::numbers::pi_v<long double> / 180.0L;
  long double c = std::cos(a), s = std::sin(a), t = 1 - c;
  Matrix m = Identity();
  m[0] = t * ax * ax + c;
  m[1] = t * ax * ay + s * az;
  m[2] = t * ax * az - s * ay;
  m[4] = t * ax * ay - s * az;
  m[5] = t * ay * ay + c;
  m[6] = t * ay * az + s * ax;
  m[8] = t * ax * az + s * ay;
  m[9] = t * ay * az - s * ax;
  m[10] = t * az * az + c;
  MultCurrent(m);
}

void GlRecorder::Scalef(float x, float y, float z) {
  Add("Scalef", {x, y, z});
  Matrix m = Identity();
  m[0] = x;
  m[5] = y;
  m[10] = z;
  MultCurrent(m);
}

void GlRecorder::Color3ub(uint8_t r, uint8_t g, uint8_t b) {
  Add("Color3ub", {double(r), double(g), double(b)});
}
void GlRecorder::Begin(Prim p) {
  Add(p == Prim::Lines ? "Begin Lines" : "Begin LineStrip", {});
}
void GlRecorder::End() {
  Add("End", {});
}
void GlRecorder::Vertex3f(float x, float y, float z) {
  Add("Vertex3f", {x, y, z});
}

void GlRecorder::LineStrips(const LineStripBatch& b) {
  for (int32_t i = 0; i < b.strips; ++i) {
    Begin(Prim::LineStrip);
    const float* v = b.xyz + 3 * static_cast<size_t>(b.first[i]);
    const float* t = b.shade ? b.shade + b.first[i] : nullptr;
    for (int32_t k = 0; k < b.count[i]; ++k, v += 3) {
      if (t) Add("Shade", {*t++});
      Vertex3f(v[0], v[1], v[2]);
    }
    End();
  }
}

void GlRecorder::LineSegments(const LineStripBatch& b, const SegmentDraw& draw) {
  if (b.shade && draw.shadeScale != 1) Add("ShadeScale", {draw.shadeScale});
  Begin(Prim::Lines);
  ForEachSegment(b, draw, [&](uint32_t p, uint32_t q) {
    for (const uint32_t i : {p, q}) {
      if (b.shade) Add("Shade", {b.shade[i]});
      const float* v = b.xyz + 3 * static_cast<size_t>(i);
      Vertex3f(v[0], v[1], v[2]);
    }
  });
  End();
}

void GlRecorder::SolidCone(double radius, double height) {
  Add("SolidCone", {radius, height});
}
void GlRecorder::SolidSphere(double radius) {
  Add("SolidSphere", {radius});
}
void GlRecorder::DrawOverlay(int x, int y, const OverlayImage& image) {
  Add("DrawOverlay", {double(x), double(y), double(image.width), double(image.height)});
}

}  // namespace mv::test

namespace mv::test {

void GlRecorder::DrawWalls(const WallsBatch& b) {
  double fine = 0, coarse = 0, meshes = 0;
  for (size_t c = 0; c < b.walls->chunks.size(); ++c) {
    fine += b.detail[c] == WallDetail::kFine;
    coarse += b.detail[c] == WallDetail::kCoarse;
  }
  for (size_t p = 0; p < b.walls->meshParts.size(); ++p) meshes += b.meshDrawn[p];
  Add("DrawWalls", {double(b.walls->vertices.size()), fine, coarse, meshes, b.shaded ? 1.0 : 0.0,
                    b.shaded ? b.shade[0] : b.colour[0], b.shaded ? b.shade[1] : b.colour[1],
                    b.shaded ? b.shade[2] : b.colour[2], b.shaded ? b.shade[3] : 0, b.shift[0],
                    b.shift[1], b.shift[2], b.shadeScale});
}
void GlRecorder::ClearDepth() {
  Add("ClearDepth", {});
}
void GlRecorder::GetViewport(int viewport[4]) const {
  for (int i = 0; i < 4; ++i) viewport[i] = viewport_[i];
}

}  // namespace mv::test
