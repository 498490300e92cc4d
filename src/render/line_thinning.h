// Leaving out the segments a picture would not show. A software renderer
// pays for every segment it is handed, even one whose every pixel a nearer
// segment of the same colour already covers; a fitted picture of a large
// survey is mostly such segments (a million legs light some 60,000 pixels
// of a 780 x 591 picture). So before such a renderer draws a run of
// segments in one colour, the run is cut to the segments that may still
// show somewhere.
//
// The cut leaves the picture as it was, depth buffer included: a segment is
// left out only where, at every pixel it may light, another segment of the
// run lights that pixel for sure and lies wholly nearer the eye there.
// "For sure" follows OpenGL's rule for one-pixel lines (a fragment for each
// pixel whose diamond the segment leaves): a pixel whose middle line it
// crosses well inside without ending in its diamond, and the pixel it
// starts well inside the diamond of; anything within a 64th of a pixel of
// a boundary counts as maybe, both ways. The depth at a pixel is the one
// at the middle of its column (the renderer carries depth along the major
// axis), within bounds for where the renderer may place the segment. A
// test reads back the picture drawn both ways, in many views, and finds
// every pixel the same.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "render/gl_api.h"

namespace mv {

// A vertex on the viewport, in pixels from its lower left corner, with its
// normalised depth; `inside` is false for one behind the eye, beyond the
// near or far plane or within two pixels of the viewport's edge. `beyond`
// has a bit for each edge of the viewport it lies a pixel or more beyond
// (left, right, below, above), none for one behind the eye.
struct ViewportPoint {
  float x = 0, y = 0, z = 0;
  bool inside = false;
  uint8_t beyond = 0;
  // Filling the last bytes, so that a copy moves them whole: copying only
  // those in use reads back a stored point across two writes, which stalls.
  uint16_t unused = 0;
};

// How a renderer places the batch's vertices now: clip coordinates from
// vertex coordinates (the projection times the model-view, column-major)
// and the viewport's size in pixels.
struct ThinningView {
  bool valid = false;
  double clip[16] = {};
  int width = 0, height = 0;
};
// The view `gl` draws with; not valid where it cannot tell its matrices.
ThinningView ThinningViewOf(const GlApi& gl);

class LineThinning {
 public:
  // Takes a piece of the answer: `count` segments as pairs of vertex
  // indices.
  using Emit = std::function<void(const uint32_t* pairs, size_t count)>;

  // The segments of `draw` that may show when drawn, one colour, with the
  // depth test, as `view` places them. A segment that reaches outside the
  // viewport or behind the eye is kept as it is, unless it lies wholly
  // beyond one edge.
  // They are handed to `emit`, on this thread, in pieces in the order of
  // `draw`, each piece as soon as it is known (so a renderer can take one
  // in while the rest are sorted); none is empty.
  void Thin(const LineStripBatch& batch, const SegmentDraw& draw, const ThinningView& view,
            const Emit& emit);

  // Whether a new frame's passes are worth thinning. After a frame whose
  // thinning found under a tenth of its segments hidden within the viewport
  // (a picture zoomed in, where they seldom cover one another) the next
  // kRestFrames frames are drawn as they are, then thinning is tried again.
  // Which segments are drawn changes; the picture does not.
  bool WorthThinning();

  // Whether the passes may take sixteen segments at once, where the
  // processor can; what is left out is the same either way.
  void SetSixteenAtOnce(bool on) { sixteenAtOnce_ = on; }

 private:
  // Fewer segments are thinned by one thread.
  static constexpr size_t kSplitFrom = 20000;
  // The pieces of the second pass where two threads share it.
  static constexpr size_t kPieces = 16;
  // The blocks of segments the first pass takes in turn.
  static constexpr size_t kBlock = 256;
  static constexpr int kRestFrames = 15;

  // The segments given since the frame began and those of them within the
  // viewport found hidden (those beyond it cost a renderer little), and how
  // many frames are still to be drawn unthinned.
  size_t given_ = 0, hiddenCount_ = 0;
  int rest_ = 0;
  bool sixteenAtOnce_ = true;

  // Where each strip's segments start in the batch's numbering, for the
  // batch they were counted for.
  std::vector<int64_t> stripStarts_;
  const int32_t* stripsOf_ = nullptr;
  int32_t stripCount_ = -1;
  uint64_t versionOf_ = 0;

  std::vector<uint32_t> order_;
  std::vector<uint32_t> kept_[kPieces];
  std::vector<ViewportPoint> ends_;  // two a segment, as order_
  std::vector<uint8_t> hidden_;      // a segment, found hidden so far
  std::vector<int32_t> testing_;     // the segments the second pass tests at once
  std::vector<float> blockDepth_;    // a block, its nearest end on the viewport
  std::vector<float> blockFar_;      // and its farthest
  std::vector<size_t> byDepth_;      // the blocks, nearest first
  // Per pixel, the farthest depth of the nearest segment lighting it for
  // sure, in steps (the most where none does), one for each thread's share.
  std::vector<uint16_t> nearest_[2];
};

}  // namespace mv
