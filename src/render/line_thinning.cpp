#include "render/line_thinning.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "render/segment_pairs.h"
#include "view/projection.h"

namespace mv {

namespace {

// How close to the boundary between two pixels, or to the segment's end, a
// crossing may come and still count as certain: four steps of the grid a
// rasteriser snaps vertices to (a 256th of a pixel), and far more than its
// projection of a vertex and ours may differ.
constexpr float kMargin = 1.0f / 64;
// How much nearer, in normalised depth, a segment must lie to hide another,
// besides its own span of depths on either side (a line's depth across its
// pixels may stray beyond its ends'): several steps of a 24-bit depth
// buffer, where two depths a step apart are equal and the one drawn first
// wins.
constexpr float kDepthMargin = 1e-6f;

// The least whole number not below v, for v above -1.
inline int CeilOfPositive(float v) {
  const auto whole = static_cast<int>(v);
  return whole + (static_cast<float>(whole) < v);
}

// The pixels a segment may light, each with whether it lights it for sure
// and where its middle lies along the segment's major axis.
struct SegmentPixels {
  static constexpr int kMost = 64;
  uint32_t pixel[kMost + 2];
  bool sure[kMost + 2];
  float middle[kMost + 2];
  int count = 0;
};

// How far a point lies from its pixel's middle, across and up.
struct FromMiddle {
  float dx, dy;
  explicit FromMiddle(const ViewportPoint& p)
      : dx(std::abs(p.x - std::floor(p.x) - 0.5f)), dy(std::abs(p.y - std::floor(p.y) - 0.5f)) {}
};

// Whether the point lies in its pixel's diamond (the square of the
// pixel's middle turned by 45 degrees) by more than the margin, and away
// from the pixel's middle lines by more than the margin (a segment that
// ends on the middle line across its major axis lights that pixel or not by
// the rule for an edge through a pixel's middle; a segment near a diagonal
// may be drawn along either axis).
inline bool WellInDiamond(const FromMiddle& d) {
  return d.dx + d.dy < 0.5f - kMargin && d.dx > kMargin && d.dy > kMargin;
}
// Whether the point lies outside its pixel's diamond by more than the
// margin.
inline bool WellOutOfDiamond(const FromMiddle& d) {
  return d.dx + d.dy > 0.5f + kMargin;
}

// The pixels the segment from a to b may light, both ends inside the
// viewport, `width` pixels wide; false when there are more than kMost.
bool PixelsOf(const ViewportPoint& a, const ViewportPoint& b, int width, SegmentPixels& out) {
  const auto at = [width](int x, int y) { return static_cast<uint32_t>(y * width + x); };
  const int ax = static_cast<int>(a.x), ay = static_cast<int>(a.y);
  const int bx = static_cast<int>(b.x), by = static_cast<int>(b.y);
  const bool xMajor = std::abs(b.x - a.x) >= std::abs(b.y - a.y);
  const float ma = xMajor ? a.x : a.y, mb = xMajor ? b.x : b.y;
  // The ends' pixels by the diamond rule, where the segment reaches a
  // whole pixel or more along its major axis (so its ends lie in different
  // columns, or rows): the segment leaves the diamond it starts well
  // inside, so it lights that pixel, and never leaves the one it ends well
  // inside, so it lights nothing of that column (or row). An end well
  // outside its pixel's diamond lights that pixel only where the segment
  // crosses the pixel's middle line, which the columns below list.
  // Otherwise either may or may not be lit.
  const bool reaches = std::abs(mb - ma) >= 1 + kMargin;
  const FromMiddle fromA(a), fromB(b);
  const bool startLit = reaches && WellInDiamond(fromA);
  const bool endDark = reaches && WellInDiamond(fromB);
  const bool endOut = WellOutOfDiamond(fromB);
  const uint32_t start = at(ax, ay), end = at(bx, by);
  const float startMiddle = std::floor(ma) + 0.5f;
  int n = 0;
  out.pixel[n] = start;
  out.middle[n] = startMiddle;
  out.sure[n] = startLit;
  n += !(reaches && WellOutOfDiamond(fromA));
  out.pixel[n] = endDark ? start : end;
  out.middle[n] = endDark ? startMiddle : std::floor(mb) + 0.5f;
  out.sure[n] = false;
  n += !(reaches && endOut);
  // Along the major axis, the pixel whose middle line the segment crosses,
  // in each row or column it crosses, is lit for sure: the segment passes
  // through its diamond and leaves it, unless it ends there (within the
  // diamond, or where the ends share a column and the renderer's rules for
  // the two may meet). Where the crossing comes close to the boundary
  // between two pixels, either may be lit. (Laid out without branches: the
  // ends' directions and the boundaries vary at random.)
  const float na = xMajor ? a.y : a.x, nb = xMajor ? b.y : b.x;
  const int majorStep = xMajor ? 1 : width, minorStep = xMajor ? width : 1;
  const float slope = mb != ma ? (nb - na) / (mb - ma) : 0;
  const float lo = std::min(ma, mb), hi = std::max(ma, mb);
  const int first = CeilOfPositive(lo - 0.5f - kMargin);
  const int last = CeilOfPositive(hi - 0.5f + kMargin) - 1;
  if (last - first >= SegmentPixels::kMost / 2) return false;
  const uint32_t darkEnd = endDark ? end : UINT32_MAX;
  for (int c = first; c <= last; ++c) {
    const float t = static_cast<float>(c) + 0.5f;
    const float across = na + (t - ma) * slope;
    const auto row = static_cast<int>(across);
    const float frac = across - static_cast<float>(row);
    const bool boundary = (frac < kMargin) | (frac > 1 - kMargin);
    const int other = frac < 0.5f ? row - 1 : row + 1;
    const auto p = static_cast<uint32_t>(c * majorStep + row * minorStep);
    const auto q = static_cast<uint32_t>(c * majorStep + other * minorStep);
    // The column (or row) of an end well inside its diamond lights nothing.
    const uint32_t sp = p == darkEnd ? start : p;
    const float spMiddle = p == darkEnd ? startMiddle : t;
    out.pixel[n] = sp;
    out.middle[n] = spMiddle;
    out.sure[n++] = !boundary & (t - lo > kMargin) & (hi - t > kMargin) &
                    ((!(p == start) & !(p == end)) | (reaches & (!(p == end) | endOut)));
    const bool qDark = q == darkEnd;
    out.pixel[n] = boundary ? (qDark ? start : q) : sp;
    out.middle[n] = boundary ? (qDark ? startMiddle : t) : spMiddle;
    out.sure[n++] = false;
  }
  out.count = n;
  return true;
}

// The depths a segment may have at the middles of the pixels it lights,
// widened by the margin on the near side. A renderer carries the depth
// along the major axis from the ends, and a lit pixel's middle may lie up
// to half a pixel beyond an end along it, which is many times the
// segment's own length for a short one.
struct DepthRange {
  float near, far;
};
inline DepthRange DepthRangeOf(const ViewportPoint& a, const ViewportPoint& b) {
  const float major = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
  const float reach = std::max(1.0f, (0.5f + kMargin) / std::max(major, 1e-9f));
  const float span = std::abs(a.z - b.z) * reach;
  return {std::min(a.z, b.z) - span - kDepthMargin, std::max(a.z, b.z) + span};
}

// How far a depth computed from the ends' may stray by their rounding, for
// each end's part in it (a few steps of a float near 1).
constexpr float kDepthRounding = 4e-7f;
// Segments shorter than this along their major axis take DepthRangeOf at
// every pixel.
constexpr float kShortest = 0.125f;

// The depths a segment may have at the pixels it lights. A renderer carries
// the depth along the major axis from the ends, so every pixel of one
// column (one row, where the segment runs along y) has the depth of the
// column's middle. That is known but for a 64th of a pixel along the
// segment, and for the rounding of the ends' depths, which grows with how
// far beyond the ends the middle lies. Besides, a depth carried along the
// segment itself (as other renderers carry it) is allowed for, and near a
// diagonal a depth carried along the other axis.
struct SegmentDepths {
  float z, dz;          // at the start, and to the end
  float start, across;  // the start along the major axis, and 1 / the way to the end
  float stray;          // how far a pixel's place between the ends may stray
  DepthRange whole;     // for a segment too short to tell columns apart
  bool isShort;
  float nearest;  // no pixel's near depth lies under this

  SegmentDepths(const ViewportPoint& a, const ViewportPoint& b)
      : z(a.z), dz(b.z - a.z), whole(DepthRangeOf(a, b)) {
    const float dx = std::abs(b.x - a.x), dy = std::abs(b.y - a.y);
    const bool xMajor = dx >= dy;
    const float length = std::max(dx, dy), other = std::min(dx, dy);
    isShort = length < kShortest;
    start = xMajor ? a.x : a.y;
    across = isShort ? 0 : 1 / ((xMajor ? b.x : b.y) - start);
    stray = isShort ? 0
                    : (kMargin + (length - other <= kMargin ? 0.5f + kMargin : 0)) / length +
                          (0.5f + kMargin) * other / (length * length + other * other);
    // Every pixel's middle lies within half a pixel of the ends along the
    // major axis, and the near depth, less than linear along it, is least
    // at one end of that (less a little for its rounding).
    const float end = xMajor ? b.x : b.y;
    nearest = isShort ? whole.near
                      : std::min(At(std::min(start, end) - 0.5f).near,
                                 At(std::max(start, end) + 0.5f).near) -
                            kDepthRounding;
  }
  // At the pixels whose middle lies at `middle` along the major axis.
  DepthRange At(float middle) const {
    if (isShort) return whole;
    const float t = (middle - start) * across;
    const float at = z + dz * t;
    const float half = std::abs(dz) * stray + kDepthRounding * (1 + 2 * std::abs(t - 0.5f));
    return {at - half - kDepthMargin, at + half};
  }
};

// Depths held as steps of 16 bits across the frame's depths, so that the
// depths of a whole picture stay near the processor. A step is never finer
// than a few times a depth's own rounding error, so that steps computed from
// two depths keep their order whatever that error: a segment held to lie
// nearer where the steps say so lies nearer by at least a step.
struct DepthSteps {
  static constexpr uint16_t kNone = UINT16_MAX;  // nothing at that pixel
  float from = 0, per = 0;

  DepthSteps(float nearest, float farthest) : from(nearest) {
    per = std::min(static_cast<float>(kNone - 1) / std::max(farthest - nearest, 1e-30f), 2e6f);
  }
  // A step beyond depth z (kNone for one beyond the steps).
  uint16_t Beyond(float z) const {
    const float s = std::max((z - from) * per, 0.0f);
    return s < kNone - 2 ? static_cast<uint16_t>(static_cast<int>(s) + 2) : kNone;
  }
  // A step nearer than depth z: any step under it lies nearer than z.
  // (A depth far before the first step, as a short segment seen end on
  // may reach, is held at one step before it, which nothing lies under.)
  int Before(float z) const {
    const float s = std::clamp((z - from) * per, -1.0f, static_cast<float>(kNone));
    return static_cast<int>(s) - 1;
  }
};

// Whether the segment from a to b is hidden already: whether at every pixel
// it may light a segment lighting it for sure lies wholly nearer, by the
// depths of `nearest`. If not, lowers the depth of each pixel it lights for
// sure to its farthest depth, where that is nearer. (A hidden segment's
// farthest depth is nowhere nearer.)
bool HiddenElseCover(const ViewportPoint& a, const ViewportPoint& b, int width,
                     const DepthSteps& steps, uint16_t* nearest) {
  SegmentPixels lit;
  if (!PixelsOf(a, b, width, lit)) return false;
  const SegmentDepths depths(a, b);
  // Most pixels lie behind others by more than the whole segment's span.
  const int under = steps.Before(depths.nearest);
  bool shows = false;
  for (int k = 0; k < lit.count; ++k) {
    const uint16_t d = nearest[lit.pixel[k]];
    shows |= !(d < under) && !(d < steps.Before(depths.At(lit.middle[k]).near));
  }
  if (!shows) return true;
  for (int k = 0; k < lit.count; ++k) {
    uint16_t& d = nearest[lit.pixel[k]];
    d = lit.sure[k] ? std::min(d, steps.Beyond(depths.At(lit.middle[k]).far)) : d;
  }
  return false;
}

// How the vertices are placed on the viewport: clip coordinates from
// vertex coordinates, and the viewport's edges in pixels.
struct Placing {
  float c[16];
  float halfWidth, halfHeight;
  float right, top;  // the last places inside, two pixels from the edge
  float wide, high;  // a pixel beyond the edge

  explicit Placing(const ThinningView& view) {
    for (int i = 0; i < 16; ++i) c[i] = static_cast<float>(view.clip[i]);
    halfWidth = 0.5f * static_cast<float>(view.width);
    halfHeight = 0.5f * static_cast<float>(view.height);
    right = static_cast<float>(view.width - 2);
    top = static_cast<float>(view.height - 2);
    wide = static_cast<float>(view.width + 1);
    high = static_cast<float>(view.height + 1);
  }

  // Vertex i of the three coordinates a vertex at `xyz`.
  ViewportPoint Place(const float* xyz, uint32_t i) const {
    const float* p = xyz + 3 * static_cast<size_t>(i);
    const float x = p[0], y = p[1], z = p[2];
    const float cw = c[3] * x + c[7] * y + c[11] * z + c[15];
    ViewportPoint v;
    if (!(cw > 0)) return v;
    const float inverse = 1 / cw;
    v.x = ((c[0] * x + c[4] * y + c[8] * z + c[12]) * inverse + 1) * halfWidth;
    v.y = ((c[1] * x + c[5] * y + c[9] * z + c[13]) * inverse + 1) * halfHeight;
    v.z = (c[2] * x + c[6] * y + c[10] * z + c[14]) * inverse;
    v.inside = v.x >= 2 && v.x < right && v.y >= 2 && v.y < top && v.z > -1 && v.z < 1;
    v.beyond = static_cast<uint8_t>((v.x < -1) | ((v.x > wide) << 1) | ((v.y < -1) << 2) |
                                    ((v.y > high) << 3));
    return v;
  }
};

#if defined(__x86_64__) && defined(__GNUC__)
#define MV_THINNING_AVX512 1
// Sixteen segments at once, on processors with AVX-512. The pixels each
// may light are those PixelsOf lists, computed the same way, and the tests
// and covering are those of HiddenElseCover and Shows; only the order in
// which the segments of one sixteen cover their pixels differs, and what
// is left out in the end does not depend on it (a segment found hidden
// would cover nothing: at each pixel its farthest depth is no nearer than
// what is there already).
// GCC 12's own intrinsics leave lanes undefined on purpose and then warn of
// them.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define MV_AVX512 __attribute__((target("avx512f")))
#define MV_AVX512_INLINE __attribute__((target("avx512f"), always_inline)) inline

// The depths of `lanes`' pixels, read sixteen at once (two bytes past the
// last pixel must be readable).
MV_AVX512_INLINE __m512i DepthsAt(__mmask16 lanes, __m512i pixel, const uint16_t* nearest) {
  return _mm512_and_si512(
      _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), lanes, pixel, nearest, 2),
      _mm512_set1_epi32(0xffff));
}
// Whether any of `lanes` has a pixel whose depth is not under `near`, by
// `nearest` and, where not null, `more`.
MV_AVX512_INLINE __mmask16 NotNearer(__mmask16 lanes, __m512i pixel, __m512i near,
                                     const uint16_t* nearest, const uint16_t* more) {
  __m512i d = DepthsAt(lanes, pixel, nearest);
  if (more) d = _mm512_min_epi32(d, DepthsAt(lanes, pixel, more));
  return _mm512_mask_cmpge_epi32_mask(lanes, d, near);
}
// CeilOfPositive, lane by lane.
MV_AVX512_INLINE __m512i CeilsOfPositive(__m512 v) {
  const __m512i whole = _mm512_cvttps_epi32(v);
  const __mmask16 below = _mm512_cmp_ps_mask(_mm512_cvtepi32_ps(whole), v, _CMP_LT_OQ);
  return _mm512_mask_add_epi32(whole, below, whole, _mm512_set1_epi32(1));
}
// The pixel of column c and row r along a major x, the other way round
// along y.
MV_AVX512_INLINE __m512i PixelOf(__mmask16 xMajor, __m512i c, __m512i r, __m512i w) {
  return _mm512_mask_blend_epi32(xMajor, _mm512_add_epi32(_mm512_mullo_epi32(c, w), r),
                                 _mm512_add_epi32(_mm512_mullo_epi32(r, w), c));
}
// FromMiddle, lane by lane.
struct FromMiddles {
  __m512 dx, dy;
  MV_AVX512_INLINE FromMiddles(__m512 x, __m512 y) {
    const __m512 half = _mm512_set1_ps(0.5f);
    dx = _mm512_abs_ps(_mm512_sub_ps(_mm512_sub_ps(x, _mm512_roundscale_ps(x, 1)), half));
    dy = _mm512_abs_ps(_mm512_sub_ps(_mm512_sub_ps(y, _mm512_roundscale_ps(y, 1)), half));
  }
};
// WellOutOfDiamond, lane by lane.
MV_AVX512_INLINE __mmask16 WellOutOfDiamonds(const FromMiddles& d) {
  return _mm512_cmp_ps_mask(_mm512_add_ps(d.dx, d.dy), _mm512_set1_ps(0.5f + kMargin), _CMP_GT_OQ);
}
// The floats `k` past those at `at`.
MV_AVX512_INLINE __m512 FieldOf(__m512i at, int k, const float* base) {
  return _mm512_i32gather_ps(_mm512_add_epi32(at, _mm512_set1_epi32(k)), base, 4);
}
// WellInDiamond, lane by lane.
MV_AVX512_INLINE __mmask16 WellInDiamonds(const FromMiddles& d) {
  const __m512 margin = _mm512_set1_ps(kMargin);
  return _mm512_cmp_ps_mask(_mm512_add_ps(d.dx, d.dy), _mm512_set1_ps(0.5f - kMargin), _CMP_LT_OQ) &
         _mm512_cmp_ps_mask(d.dx, margin, _CMP_GT_OQ) &
         _mm512_cmp_ps_mask(d.dy, margin, _CMP_GT_OQ);
}

// Sixteen segments, each a pair of ends at `ends` + 2 `segment[i]`, all
// inside the viewport, `width` pixels wide: the pixels PixelsOf lists for
// each, the two ends' first, then column by column (row by row where the
// segment runs along y), each with its depths in steps as SegmentDepths
// and DepthSteps give them.
struct SixteenSegments {
  // The lanes whose pixels are listed; the others cross too many columns.
  __mmask16 few;
  // The start's pixel and whether it is lit for sure; the pixel listed
  // second (the end's, or the start's where the end lights nothing).
  __m512i start, second;
  // Whether each is listed: where the segment reaches another column and
  // the end lies well outside its pixel's diamond, that pixel is lit only
  // where the segment crosses its middle line, and listed there.
  __mmask16 startSure, startListed, secondListed;
  // The depths at each: the step under which a depth lies wholly nearer,
  // and the step beyond the farthest.
  __m512i startNear, startFar, secondNear;
  // The column now: the lanes that have one; the pixel whose middle line
  // the segment crosses there and whether it is lit for sure; the lanes
  // whose crossing comes close to the next pixel, and that pixel; the
  // depths at each.
  __mmask16 active, sure, boundary;
  __m512i p, q, pNear, pFar, qNear;

  MV_AVX512_INLINE SixteenSegments(const ViewportPoint* ends, const int32_t* segment, int width,
                                   const DepthSteps& steps) {
    const __m512i at = _mm512_slli_epi32(_mm512_loadu_si512(segment), 3);  // 8 floats a segment
    const auto* base = reinterpret_cast<const float*>(ends);
    const __m512 ax = FieldOf(at, 0, base), ay = FieldOf(at, 1, base), az = FieldOf(at, 2, base);
    const __m512 bx = FieldOf(at, 4, base), by = FieldOf(at, 5, base), bz = FieldOf(at, 6, base);
    const __m512 margin = _mm512_set1_ps(kMargin), half = _mm512_set1_ps(0.5f);
    w_ = _mm512_set1_epi32(width);
    from_ = _mm512_set1_ps(steps.from);
    per_ = _mm512_set1_ps(steps.per);
    const __m512 dx = _mm512_abs_ps(_mm512_sub_ps(bx, ax));
    const __m512 dy = _mm512_abs_ps(_mm512_sub_ps(by, ay));
    const __m512 length = _mm512_max_ps(dx, dy), other = _mm512_min_ps(dx, dy);
    // The whole depth range, as DepthRangeOf, for a short segment.
    const __m512 reach = _mm512_max_ps(_mm512_set1_ps(1.0f),
                                       _mm512_div_ps(_mm512_set1_ps(0.5f + kMargin),
                                                     _mm512_max_ps(length, _mm512_set1_ps(1e-9f))));
    const __m512 span = _mm512_mul_ps(_mm512_abs_ps(_mm512_sub_ps(az, bz)), reach);
    wholeNear_ = NearStep(
        _mm512_sub_ps(_mm512_sub_ps(_mm512_min_ps(az, bz), span), _mm512_set1_ps(kDepthMargin)));
    wholeFar_ = FarStep(_mm512_add_ps(_mm512_max_ps(az, bz), span));
    // Depths by column, as SegmentDepths.
    short_ = _mm512_cmp_ps_mask(length, _mm512_set1_ps(kShortest), _CMP_LT_OQ);
    xMajor_ = _mm512_cmp_ps_mask(dx, dy, _CMP_GE_OQ);
    ma_ = _mm512_mask_blend_ps(xMajor_, ay, ax);
    const __m512 mb = _mm512_mask_blend_ps(xMajor_, by, bx);
    z_ = az;
    dz_ = _mm512_sub_ps(bz, az);
    across_ = _mm512_maskz_div_ps(static_cast<__mmask16>(~short_), _mm512_set1_ps(1),
                                  _mm512_sub_ps(mb, ma_));
    const __mmask16 diagonal = _mm512_cmp_ps_mask(_mm512_sub_ps(length, other), margin, _CMP_LE_OQ);
    const __m512 along = _mm512_div_ps(
        _mm512_add_ps(margin, _mm512_maskz_mov_ps(diagonal, _mm512_set1_ps(0.5f + kMargin))),
        length);
    const __m512 aside =
        _mm512_div_ps(_mm512_mul_ps(_mm512_set1_ps(0.5f + kMargin), other),
                      _mm512_add_ps(_mm512_mul_ps(length, length), _mm512_mul_ps(other, other)));
    stray_ = _mm512_maskz_add_ps(static_cast<__mmask16>(~short_), along, aside);
    // The ends' pixels, as PixelsOf.
    start =
        _mm512_add_epi32(_mm512_mullo_epi32(_mm512_cvttps_epi32(ay), w_), _mm512_cvttps_epi32(ax));
    end_ =
        _mm512_add_epi32(_mm512_mullo_epi32(_mm512_cvttps_epi32(by), w_), _mm512_cvttps_epi32(bx));
    const __mmask16 reaches = _mm512_cmp_ps_mask(_mm512_abs_ps(_mm512_sub_ps(mb, ma_)),
                                                 _mm512_set1_ps(1 + kMargin), _CMP_GE_OQ);
    const FromMiddles fromA(ax, ay), fromB(bx, by);
    const __mmask16 endDark = reaches & WellInDiamonds(fromB);
    endOut_ = WellOutOfDiamonds(fromB);
    reaches_ = reaches;
    second = _mm512_mask_blend_epi32(endDark, end_, start);
    darkEnd_ = _mm512_mask_blend_epi32(endDark, _mm512_set1_epi32(-1), end_);
    const __m512 startMiddle = _mm512_add_ps(_mm512_roundscale_ps(ma_, 1), half);
    StepsAt(startMiddle, startNear, startFar);
    __m512i endFar;
    StepsAt(_mm512_add_ps(_mm512_roundscale_ps(mb, 1), half), secondNear, endFar);
    secondNear = _mm512_mask_blend_epi32(endDark, secondNear, startNear);
    // The columns between them.
    na_ = _mm512_mask_blend_ps(xMajor_, ax, ay);
    const __m512 nb = _mm512_mask_blend_ps(xMajor_, bx, by);
    const __mmask16 level = _mm512_cmp_ps_mask(mb, ma_, _CMP_NEQ_UQ);
    slope_ = _mm512_maskz_div_ps(level, _mm512_sub_ps(nb, na_), _mm512_sub_ps(mb, ma_));
    lo_ = _mm512_min_ps(ma_, mb);
    hi_ = _mm512_max_ps(ma_, mb);
    c_ = CeilsOfPositive(_mm512_sub_ps(_mm512_sub_ps(lo_, half), margin));
    last_ = _mm512_sub_epi32(CeilsOfPositive(_mm512_add_ps(_mm512_sub_ps(hi_, half), margin)),
                             _mm512_set1_epi32(1));
    few = _mm512_cmplt_epi32_mask(_mm512_sub_epi32(last_, c_),
                                  _mm512_set1_epi32(SegmentPixels::kMost / 2));
    startSure = few & reaches & WellInDiamonds(fromA);
    startListed = few & ~(reaches & WellOutOfDiamonds(fromA));
    secondListed = few & ~(reaches & endOut_);
    left_ = few & _mm512_cmple_epi32_mask(c_, last_);
  }

  // Moves to the next column; false when no lane has one left.
  MV_AVX512_INLINE bool Next() {
    active = left_;
    if (!active) return false;
    const __m512 half = _mm512_set1_ps(0.5f), margin = _mm512_set1_ps(kMargin);
    const __m512i plusOne = _mm512_set1_epi32(1);
    const __m512 t = _mm512_add_ps(_mm512_cvtepi32_ps(c_), half);
    const __m512 across = _mm512_add_ps(na_, _mm512_mul_ps(_mm512_sub_ps(t, ma_), slope_));
    const __m512i row = _mm512_cvttps_epi32(across);
    const __m512 frac = _mm512_sub_ps(across, _mm512_cvtepi32_ps(row));
    const __mmask16 nearBoundary =
        _mm512_cmp_ps_mask(frac, margin, _CMP_LT_OQ) |
        _mm512_cmp_ps_mask(frac, _mm512_set1_ps(1 - kMargin), _CMP_GT_OQ);
    boundary = active & nearBoundary;
    const __m512i other =
        _mm512_add_epi32(row, _mm512_mask_blend_epi32(_mm512_cmp_ps_mask(frac, half, _CMP_LT_OQ),
                                                      plusOne, _mm512_set1_epi32(-1)));
    const __m512i raw = PixelOf(xMajor_, c_, row, w_);
    const __m512i otherPixel = PixelOf(xMajor_, c_, other, w_);
    // The column (or row) of an end well inside its diamond lights nothing.
    const __mmask16 pDark = _mm512_cmpeq_epi32_mask(raw, darkEnd_);
    const __mmask16 qDark = _mm512_cmpeq_epi32_mask(otherPixel, darkEnd_);
    p = _mm512_mask_blend_epi32(pDark, raw, start);
    q = _mm512_mask_blend_epi32(qDark, otherPixel, start);
    StepsAt(t, pNear, pFar);
    const __m512i columnNear = pNear;
    pNear = _mm512_mask_blend_epi32(pDark, columnNear, startNear);
    pFar = _mm512_mask_blend_epi32(pDark, pFar, startFar);
    qNear = _mm512_mask_blend_epi32(qDark, columnNear, startNear);
    sure = active & ~nearBoundary & _mm512_cmp_ps_mask(_mm512_sub_ps(t, lo_), margin, _CMP_GT_OQ) &
           _mm512_cmp_ps_mask(_mm512_sub_ps(hi_, t), margin, _CMP_GT_OQ) &
           ((_mm512_cmpneq_epi32_mask(raw, start) & _mm512_cmpneq_epi32_mask(raw, end_)) |
            (reaches_ & (_mm512_cmpneq_epi32_mask(raw, end_) | endOut_)));
    c_ = _mm512_add_epi32(c_, plusOne);
    left_ &= _mm512_cmple_epi32_mask(c_, last_);
    return true;
  }

 private:
  // DepthSteps::Before and Beyond, lane by lane.
  MV_AVX512_INLINE __m512i NearStep(__m512 z) const {
    const __m512 none = _mm512_set1_ps(static_cast<float>(DepthSteps::kNone));
    const __m512 s = _mm512_max_ps(
        _mm512_min_ps(_mm512_mul_ps(_mm512_sub_ps(z, from_), per_), none), _mm512_set1_ps(-1));
    return _mm512_sub_epi32(_mm512_cvttps_epi32(s), _mm512_set1_epi32(1));
  }
  MV_AVX512_INLINE __m512i FarStep(__m512 z) const {
    const __m512 s =
        _mm512_max_ps(_mm512_mul_ps(_mm512_sub_ps(z, from_), per_), _mm512_setzero_ps());
    return _mm512_mask_blend_epi32(
        _mm512_cmp_ps_mask(s, _mm512_set1_ps(static_cast<float>(DepthSteps::kNone - 2)),
                           _CMP_LT_OQ),
        _mm512_set1_epi32(DepthSteps::kNone),
        _mm512_add_epi32(_mm512_cvttps_epi32(s), _mm512_set1_epi32(2)));
  }
  // SegmentDepths::At the pixels whose middle lies at `middle`, in steps.
  MV_AVX512_INLINE void StepsAt(__m512 middle, __m512i& near, __m512i& far) const {
    const __m512 t = _mm512_mul_ps(_mm512_sub_ps(middle, ma_), across_);
    const __m512 at = _mm512_add_ps(z_, _mm512_mul_ps(dz_, t));
    const __m512 half = _mm512_add_ps(
        _mm512_mul_ps(_mm512_abs_ps(dz_), stray_),
        _mm512_mul_ps(
            _mm512_set1_ps(kDepthRounding),
            _mm512_add_ps(_mm512_set1_ps(1),
                          _mm512_mul_ps(_mm512_set1_ps(2),
                                        _mm512_abs_ps(_mm512_sub_ps(t, _mm512_set1_ps(0.5f)))))));
    near = _mm512_mask_blend_epi32(
        short_, NearStep(_mm512_sub_ps(_mm512_sub_ps(at, half), _mm512_set1_ps(kDepthMargin))),
        wholeNear_);
    far = _mm512_mask_blend_epi32(short_, FarStep(_mm512_add_ps(at, half)), wholeFar_);
  }

  __m512i w_, end_, darkEnd_, c_, last_, wholeNear_, wholeFar_;
  __m512 ma_, na_, slope_, lo_, hi_, z_, dz_, across_, stray_, from_, per_;
  __mmask16 xMajor_, left_, short_, endOut_, reaches_;
};

// HiddenElseCover for sixteen segments at once: a bit for each found hidden
// by the depths of `nearest` as they were before any of the sixteen covered
// its pixels; the others then cover theirs.
MV_AVX512 uint32_t HiddenElseCoverSixteen(const ViewportPoint* ends, const int32_t* segment,
                                          int width, const DepthSteps& steps, uint16_t* nearest) {
  SixteenSegments s(ends, segment, width, steps);
  // The pixels lit for sure, as listed, and their farthest depths.
  constexpr int kMostListed = SegmentPixels::kMost / 2 + 1;
  __m512i sureAt[kMostListed], farAt[kMostListed];
  __mmask16 sureOf[kMostListed];
  sureAt[0] = s.start;
  farAt[0] = s.startFar;
  sureOf[0] = s.startSure;
  int listed = 1;
  __mmask16 shows = NotNearer(s.startListed, s.start, s.startNear, nearest, nullptr) |
                    NotNearer(s.secondListed, s.second, s.secondNear, nearest, nullptr);
  while (s.Next()) {
    shows |= NotNearer(s.active, s.p, s.pNear, nearest, nullptr) |
             NotNearer(s.boundary, s.q, s.qNear, nearest, nullptr);
    sureAt[listed] = s.p;
    farAt[listed] = s.pFar;
    sureOf[listed++] = s.sure;
  }
  const auto hidden = static_cast<__mmask16>(s.few & ~shows);
  alignas(64) int32_t pixel[16], far[16];
  for (int i = 0; i < listed; ++i) {
    _mm512_store_si512(pixel, sureAt[i]);
    _mm512_store_si512(far, farAt[i]);
    for (uint32_t lanes = sureOf[i] & ~hidden; lanes; lanes &= lanes - 1) {
      const int lane = __builtin_ctz(lanes);
      uint16_t& d = nearest[pixel[lane]];
      d = std::min(d, static_cast<uint16_t>(far[lane]));
    }
  }
  return hidden;
}

// Shows for sixteen segments at once: a bit for each that may show.
MV_AVX512 uint32_t ShowsOfSixteen(const ViewportPoint* ends, const int32_t* segment, int width,
                                  const DepthSteps& steps, const uint16_t* nearest,
                                  const uint16_t* more) {
  SixteenSegments s(ends, segment, width, steps);
  __mmask16 shows = NotNearer(s.startListed, s.start, s.startNear, nearest, more) |
                    NotNearer(s.secondListed, s.second, s.secondNear, nearest, more);
  while (s.Next())
    shows |= NotNearer(s.active, s.p, s.pNear, nearest, more) |
             NotNearer(s.boundary, s.q, s.qNear, nearest, more);
  return static_cast<__mmask16>(shows | ~s.few);
}

// Row r of the clip matrix `c` times the vertices, added up in the order
// Placing::Place adds it.
MV_AVX512_INLINE __m512 ClipRow(const float* c, int r, __m512 x, __m512 y, __m512 z) {
  return _mm512_add_ps(_mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(_mm512_set1_ps(c[r]), x),
                                                   _mm512_mul_ps(_mm512_set1_ps(c[r + 4]), y)),
                                     _mm512_mul_ps(_mm512_set1_ps(c[r + 8]), z)),
                       _mm512_set1_ps(c[r + 12]));
}
// `value` in `lanes`, nothing in the others.
MV_AVX512_INLINE __m512i LanesOf(__mmask16 lanes, int value) {
  return _mm512_maskz_mov_epi32(lanes, _mm512_set1_epi32(value));
}
// Placing::Place for the vertices `order[from..to)` into `ends`, sixteen at
// once, and the nearest and farthest depth of those inside. `ends` has room
// for sixteen more; `order` is read on up to `end`.
MV_AVX512 void PlaceSixteenAtOnce(const Placing& at, const float* xyz, const uint32_t* order,
                                  size_t from, size_t to, size_t end, ViewportPoint* ends,
                                  float& nearest, float& farthest) {
  constexpr size_t kAhead = 128;
  __m512 nearestZ = _mm512_set1_ps(INFINITY), farthestZ = _mm512_set1_ps(-INFINITY);
  for (size_t k = from; k < to; k += 16) {
    // The vertices a few sixteens on asked for now: they lie scattered over
    // far more memory than the processor keeps near.
    for (size_t ahead = k + kAhead; ahead < std::min(k + kAhead + 16, end); ++ahead)
      _mm_prefetch(reinterpret_cast<const char*>(xyz + 3 * static_cast<size_t>(order[ahead])),
                   _MM_HINT_T0);
    const auto lanes = static_cast<__mmask16>(to - k >= 16 ? 0xffff : (1u << (to - k)) - 1);
    const __m512i at3 =
        _mm512_mullo_epi32(_mm512_maskz_loadu_epi32(lanes, order + k), _mm512_set1_epi32(3));
    const __m512 x = _mm512_mask_i32gather_ps(_mm512_setzero_ps(), lanes, at3, xyz, 4);
    const __m512 y = _mm512_mask_i32gather_ps(_mm512_setzero_ps(), lanes,
                                              _mm512_add_epi32(at3, _mm512_set1_epi32(1)), xyz, 4);
    const __m512 z = _mm512_mask_i32gather_ps(_mm512_setzero_ps(), lanes,
                                              _mm512_add_epi32(at3, _mm512_set1_epi32(2)), xyz, 4);
    const __m512 cw = ClipRow(at.c, 3, x, y, z);
    const __mmask16 front = _mm512_cmp_ps_mask(cw, _mm512_setzero_ps(), _CMP_GT_OQ);
    const __m512 inverse = _mm512_div_ps(_mm512_set1_ps(1), cw);
    const __m512 vx = _mm512_maskz_mul_ps(
        front, _mm512_add_ps(_mm512_mul_ps(ClipRow(at.c, 0, x, y, z), inverse), _mm512_set1_ps(1)),
        _mm512_set1_ps(at.halfWidth));
    const __m512 vy = _mm512_maskz_mul_ps(
        front, _mm512_add_ps(_mm512_mul_ps(ClipRow(at.c, 1, x, y, z), inverse), _mm512_set1_ps(1)),
        _mm512_set1_ps(at.halfHeight));
    const __m512 vz = _mm512_maskz_mul_ps(front, ClipRow(at.c, 2, x, y, z), inverse);
    const __mmask16 inside = front & _mm512_cmp_ps_mask(vx, _mm512_set1_ps(2), _CMP_GE_OQ) &
                             _mm512_cmp_ps_mask(vx, _mm512_set1_ps(at.right), _CMP_LT_OQ) &
                             _mm512_cmp_ps_mask(vy, _mm512_set1_ps(2), _CMP_GE_OQ) &
                             _mm512_cmp_ps_mask(vy, _mm512_set1_ps(at.top), _CMP_LT_OQ) &
                             _mm512_cmp_ps_mask(vz, _mm512_set1_ps(-1), _CMP_GT_OQ) &
                             _mm512_cmp_ps_mask(vz, _mm512_set1_ps(1), _CMP_LT_OQ);
    // The flags as ViewportPoint lays them out: `inside`, then `beyond`.
    const __m512i flags = _mm512_or_si512(
        _mm512_or_si512(
            LanesOf(inside, 1),
            LanesOf(front & _mm512_cmp_ps_mask(vx, _mm512_set1_ps(-1), _CMP_LT_OQ), 1 << 8)),
        _mm512_or_si512(
            _mm512_or_si512(
                LanesOf(front & _mm512_cmp_ps_mask(vx, _mm512_set1_ps(at.wide), _CMP_GT_OQ),
                        2 << 8),
                LanesOf(front & _mm512_cmp_ps_mask(vy, _mm512_set1_ps(-1), _CMP_LT_OQ), 4 << 8)),
            LanesOf(front & _mm512_cmp_ps_mask(vy, _mm512_set1_ps(at.high), _CMP_GT_OQ), 8 << 8)));
    nearestZ = _mm512_mask_min_ps(nearestZ, inside, nearestZ, vz);
    farthestZ = _mm512_mask_max_ps(farthestZ, inside, farthestZ, vz);
    // Sixteen points of four fields each, turned into four fields of each
    // point in turn.
    const __m512 w = _mm512_castsi512_ps(flags);
    const __m512 xy0 = _mm512_unpacklo_ps(vx, vy), xy1 = _mm512_unpackhi_ps(vx, vy);
    const __m512 zw0 = _mm512_unpacklo_ps(vz, w), zw1 = _mm512_unpackhi_ps(vz, w);
    const __m512 p0 = _mm512_shuffle_ps(xy0, zw0, 0x44);       // points 0, 4, 8, 12
    const __m512 p1 = _mm512_shuffle_ps(xy0, zw0, 0xee);       // 1, 5, 9, 13
    const __m512 p2 = _mm512_shuffle_ps(xy1, zw1, 0x44);       // 2, 6, 10, 14
    const __m512 p3 = _mm512_shuffle_ps(xy1, zw1, 0xee);       // 3, 7, 11, 15
    const __m512 low01 = _mm512_shuffle_f32x4(p0, p1, 0x44);   // 0, 4, 1, 5
    const __m512 low23 = _mm512_shuffle_f32x4(p2, p3, 0x44);   // 2, 6, 3, 7
    const __m512 high01 = _mm512_shuffle_f32x4(p0, p1, 0xee);  // 8, 12, 9, 13
    const __m512 high23 = _mm512_shuffle_f32x4(p2, p3, 0xee);  // 10, 14, 11, 15
    auto* out = reinterpret_cast<float*>(ends + k);
    _mm512_storeu_ps(out, _mm512_shuffle_f32x4(low01, low23, 0x88));
    _mm512_storeu_ps(out + 16, _mm512_shuffle_f32x4(low01, low23, 0xdd));
    _mm512_storeu_ps(out + 32, _mm512_shuffle_f32x4(high01, high23, 0x88));
    _mm512_storeu_ps(out + 48, _mm512_shuffle_f32x4(high01, high23, 0xdd));
  }
  nearest = _mm512_reduce_min_ps(nearestZ);
  farthest = _mm512_reduce_max_ps(farthestZ);
}
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

// Whether the segment from a to b may show: whether a pixel it may light
// has no segment lighting it for sure wholly nearer than the segment may
// lie there, by the depths of `nearest` and, when not null, of `more`.
bool Shows(const ViewportPoint& a, const ViewportPoint& b, int width, const DepthSteps& steps,
           const uint16_t* nearest, const uint16_t* more) {
  SegmentPixels lit;
  if (!PixelsOf(a, b, width, lit)) return true;
  const SegmentDepths depths(a, b);
  const int under = steps.Before(depths.nearest);
  bool shows = false;
  for (int k = 0; k < lit.count; ++k) {
    const uint32_t p = lit.pixel[k];
    const uint16_t d = more ? std::min(nearest[p], more[p]) : nearest[p];
    shows |= !(d < under) && !(d < steps.Before(depths.At(lit.middle[k]).near));
  }
  return shows;
}

// Makes `v` hold at least n elements.
template <typename T>
void GrowTo(std::vector<T>& v, size_t n) {
  if (v.size() < n) v.resize(n);
}

// Whether this processor takes sixteen segments at once (and the thinning
// was not told otherwise, for comparing the two ways).
bool WithSixteenAtOnce() {
#ifdef MV_THINNING_AVX512
  return __builtin_cpu_supports("avx512f") && !std::getenv("MV_THINNING_ONE_AT_A_TIME");
#else
  return false;
#endif
}

}  // namespace

ThinningView ThinningViewOf(const GlApi& gl) {
  ThinningView v;
  Mat4 modelView, projection;
  if (!gl.GetMatrices(modelView.m.data(), projection.m.data())) return v;
  const Mat4 clip = projection * modelView;
  std::copy(clip.m.begin(), clip.m.end(), v.clip);
  int viewport[4];
  gl.GetViewport(viewport);
  v.width = viewport[2];
  v.height = viewport[3];
  v.valid = true;
  return v;
}

bool LineThinning::WorthThinning() {
  if (given_ > 0 && hiddenCount_ < given_ / 10) rest_ = kRestFrames;
  given_ = hiddenCount_ = 0;
  if (rest_ == 0) return true;
  --rest_;
  return false;
}

void LineThinning::Thin(const LineStripBatch& batch, const SegmentDraw& draw,
                        const ThinningView& view, const Emit& emit) {
  if (batch.first != stripsOf_ || batch.strips != stripCount_ || batch.version != versionOf_) {
    stripStarts_ = StripSegmentStarts(batch);
    stripsOf_ = batch.first;
    stripCount_ = batch.strips;
    versionOf_ = batch.version;
  }
  const SegmentPairs pairs(batch, draw, stripStarts_);
  // The buffers only grow: the passes of a frame differ much in size, and
  // filling the new room each time would cost as much as projecting.
  const size_t segments = pairs.Count();
  GrowTo(order_, 2 * segments);
  uint32_t* const order = order_.data();
  const int width = view.width, height = view.height;
  if (!view.valid || width <= 4 || height <= 4) {
    pairs.Write(0, segments, order);
    if (segments > 0) emit(order, segments);
    return;
  }

  const Placing placing(view);
  const float* xyz = batch.xyz;

  // Two passes, each shared between two threads where there are two cores:
  // first every segment's ends on the viewport and, per pixel, the depth of
  // the nearest segment lighting it for sure (each thread its own); then the
  // segments nearest somewhere. A segment left out has, at each pixel it may
  // light, a segment lighting it for sure that lies wholly nearer; the
  // nearest of those at a pixel is nearest there itself and kept, so the
  // picture stays the same.
  // The first pass takes the segments in blocks, the nearest blocks first,
  // so that most segments behind others are found hidden there already (the
  // depths only come nearer after) and the second pass passes them over.
  const size_t blocks = (segments + kBlock - 1) / kBlock;
  static const bool canSixteen = WithSixteenAtOnce();
  // The sixteen-lane reads count in 32-bit offsets: eight floats a segment
  // and three a vertex.
  constexpr int64_t kMostForSixteen = int64_t{1} << 28;
  const bool sixteen = canSixteen && sixteenAtOnce_ &&
                       static_cast<int64_t>(segments) < kMostForSixteen &&
                       batch.vertices < kMostForSixteen;
  GrowTo(ends_, 2 * segments + 16);
  GrowTo(hidden_, segments);
  if (sixteen) GrowTo(testing_, segments);
  blockDepth_.resize(blocks);
  blockFar_.resize(blocks);
  const size_t pixels = static_cast<size_t>(width) * height;
  const auto project = [&](size_t fromBlock, size_t toBlock) {
    pairs.Write(std::min(fromBlock * kBlock, segments), std::min(toBlock * kBlock, segments),
                order + 2 * std::min(fromBlock * kBlock, segments));
    for (size_t block = fromBlock; block < toBlock; ++block) {
      const size_t from = 2 * block * kBlock, to = 2 * std::min((block + 1) * kBlock, segments);
      float nearestEnd = INFINITY, farthestEnd = -INFINITY;
#ifdef MV_THINNING_AVX512
      if (sixteen) {
        PlaceSixteenAtOnce(placing, xyz, order, from, to, 2 * std::min(toBlock * kBlock, segments),
                           ends_.data(), nearestEnd, farthestEnd);
        blockDepth_[block] = nearestEnd;
        blockFar_[block] = farthestEnd;
        continue;
      }
#endif
      // A strip's segments share their ends: each placed once, and kept
      // here rather than read back from where it was just written.
      uint32_t placed = order[from];
      ViewportPoint v = placing.Place(xyz, placed);
      for (size_t k = from; k < to; ++k) {
        if (order[k] != placed) {
          placed = order[k];
          v = placing.Place(xyz, placed);
        }
        ends_[k] = v;
        nearestEnd = v.inside ? std::min(nearestEnd, v.z) : nearestEnd;
        farthestEnd = v.inside ? std::max(farthestEnd, v.z) : farthestEnd;
      }
      blockDepth_[block] = nearestEnd;
      blockFar_[block] = farthestEnd;
    }
  };
  DepthSteps steps(0, 1);
  const auto cover = [&](int part, size_t parts) {
    std::vector<uint16_t>& nearest = nearest_[part];
    // Two bytes more, for reading sixteen pixels' depths at once.
    nearest.assign(pixels + 2, DepthSteps::kNone);
    // Room for sixteen more, where the last sixteen are made up.
    int32_t inside[kBlock + 16];
    for (size_t i = static_cast<size_t>(part); i < blocks; i += parts) {
      const size_t block = byDepth_[i];
      const size_t to = std::min((block + 1) * kBlock, segments);
      int count = 0;
      for (size_t s = block * kBlock; s < to; ++s) {
        const ViewportPoint &a = ends_[2 * s], &b = ends_[2 * s + 1];
        hidden_[s] = 0;
        inside[count] = static_cast<int32_t>(s);
        count += a.inside & b.inside;
      }
      int k = 0;
#ifdef MV_THINNING_AVX512
      if (sixteen && count > 0) {
        // The last sixteen made up with the last segment again: taking a
        // segment twice finds the same and covers nothing more.
        for (int pad = count; pad % 16 != 0; ++pad) inside[pad] = inside[count - 1];
        for (; k < count; k += 16) {
          uint32_t hid =
              HiddenElseCoverSixteen(ends_.data(), inside + k, width, steps, nearest.data());
          for (int lane = 0; lane < 16; ++lane, hid >>= 1) hidden_[inside[k + lane]] = hid & 1;
        }
      }
#endif
      for (; k < count; ++k) {
        const auto s = static_cast<size_t>(inside[k]);
        hidden_[s] = HiddenElseCover(ends_[2 * s], ends_[2 * s + 1], width, steps, nearest.data());
      }
    }
  };
  const auto sortBlocks = [&] {
    float nearestEnd = INFINITY, farthestEnd = -INFINITY;
    for (size_t i = 0; i < blocks; ++i) {
      nearestEnd = std::min(nearestEnd, blockDepth_[i]);
      farthestEnd = std::max(farthestEnd, blockFar_[i]);
    }
    // Segments reach a little beyond their ends' depths.
    const float spare = 0.01f * (farthestEnd - nearestEnd);
    if (nearestEnd <= farthestEnd) steps = DepthSteps(nearestEnd - spare, farthestEnd + spare);
    byDepth_.resize(blocks);
    for (size_t i = 0; i < blocks; ++i) byDepth_[i] = i;
    std::sort(byDepth_.begin(), byDepth_.end(),
              [this](size_t x, size_t y) { return blockDepth_[x] < blockDepth_[y]; });
  };
  // Keeps those of the segments from `from` to `to` that show in `out`,
  // `keptPairs` of them; the answer is how many within the viewport are hidden.
  const auto keep = [&](size_t from, size_t to, std::vector<uint32_t>& out, size_t& keptPairs) {
    // Written whether kept or not, the next one over it if not: whether a
    // segment shows follows no pattern a branch could learn.
    GrowTo(out, 2 * (to - from));
    size_t kept = 0, hidden = 0;
    const uint16_t* first = nearest_[0].data();
    const uint16_t* second = nearest_[1].empty() ? nullptr : nearest_[1].data();
    bool tested = false;
#ifdef MV_THINNING_AVX512
    if (sixteen) {
      // Those within the viewport not found hidden yet are tested sixteen
      // at once, and those that do not show marked hidden.
      int32_t* const testing = testing_.data() + from;
      size_t count = 0;
      for (size_t s = from; s < to; ++s) {
        const ViewportPoint &a = ends_[2 * s], &b = ends_[2 * s + 1];
        testing[count] = static_cast<int32_t>(s);
        count += a.inside & b.inside & !hidden_[s];
      }
      int32_t last[16];
      for (size_t k = 0; k < count; k += 16) {
        const int32_t* group = testing + k;
        if (k + 16 > count) {
          // Made up with the last segment again.
          for (size_t lane = 0; lane < 16; ++lane)
            last[lane] = testing[std::min(k + lane, count - 1)];
          group = last;
        }
        uint32_t shows = ShowsOfSixteen(ends_.data(), group, width, steps, first, second);
        for (int lane = 0; lane < 16; ++lane, shows >>= 1) hidden_[group[lane]] |= !(shows & 1);
      }
      tested = true;
    }
#endif
    for (size_t k = 2 * from; k < 2 * to; k += 2) {
      out[kept] = order[k];
      out[kept + 1] = order[k + 1];
      const ViewportPoint &a = ends_[k], &b = ends_[k + 1];
      // Wholly beyond one edge of the viewport, it lights nothing.
      const bool shows =
          (a.inside & b.inside)
              ? !hidden_[k / 2] && (tested || Shows(a, b, width, steps, first, second))
              : (a.beyond & b.beyond) == 0;
      kept += shows ? 2 : 0;
      hidden += (a.inside & b.inside) & !shows;
    }
    keptPairs = kept / 2;
    return hidden;
  };
  static const bool twoCores = std::thread::hardware_concurrency() >= 2;
  const bool split = segments >= kSplitFrom && twoCores;
  if (!split) {
    nearest_[1].clear();
    project(0, blocks);
    sortBlocks();
    cover(0, 1);
    size_t kept = 0;
    hiddenCount_ += keep(0, segments, kept_[0], kept);
    given_ += segments;
    if (kept > 0) emit(kept_[0].data(), kept);
    return;
  }
  {
    std::jthread helper(project, blocks / 2, blocks);
    project(0, blocks / 2);
  }
  sortBlocks();
  {
    std::jthread helper(cover, 1, 2);
    cover(0, 2);
  }
  given_ += segments;
  // The second pass in pieces, taken in order by whichever thread is free;
  // this one hands each piece on as soon as it and those before it are
  // known, so the renderer takes in one piece while the next are sorted.
  std::atomic<size_t> next{0};
  std::array<std::atomic<bool>, kPieces> done{};
  std::array<size_t, kPieces> hiddenIn{}, keptIn{};
  const auto take = [&] {
    const size_t p = next.fetch_add(1);
    if (p >= kPieces) return false;
    hiddenIn[p] = keep(segments * p / kPieces, segments * (p + 1) / kPieces, kept_[p], keptIn[p]);
    done[p].store(true, std::memory_order_release);
    done[p].notify_one();
    return true;
  };
  std::jthread helper([&take] {
    while (take()) {
    }
  });
  for (size_t p = 0; p < kPieces; ++p) {
    while (!done[p].load(std::memory_order_acquire))
      if (!take()) done[p].wait(false, std::memory_order_acquire);
    hiddenCount_ += hiddenIn[p];
    if (keptIn[p] > 0) emit(kept_[p].data(), keptIn[p]);
  }
}

}  // namespace mv
