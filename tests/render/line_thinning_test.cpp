// Leaving out segments a picture would not show, without OpenGL: a 100 x 100
// viewport whose clip coordinates are the vertices' own.
#include "render/line_thinning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace mv::test {
namespace {

// Pixel coordinates to the clip coordinates of a 100 x 100 viewport.
float Clip(float pixel) {
  return pixel / 50 - 1;
}

struct Segments {
  std::vector<float> xyz;
  std::vector<int32_t> first, count;
  // A segment from pixel (x0, y0) to (x1, y1), both at normalised depth z,
  // as a strip of its own.
  void Add(float x0, float y0, float x1, float y1, float z) {
    first.push_back(static_cast<int32_t>(xyz.size() / 3));
    count.push_back(2);
    for (const float v : {Clip(x0), Clip(y0), z, Clip(x1), Clip(y1), z}) xyz.push_back(v);
  }
  // Which segments, by number, Thin keeps of all of them in order.
  std::vector<int> Kept(LineThinning& thinning) const {
    LineStripBatch b;
    b.xyz = xyz.data();
    b.first = first.data();
    b.count = count.data();
    b.strips = static_cast<int32_t>(first.size());
    b.vertices = static_cast<int32_t>(xyz.size() / 3);
    b.version = xyz.size();
    const SegmentRange all{0, b.strips};
    ThinningView view;
    view.valid = true;
    view.width = view.height = 100;
    for (int i = 0; i < 4; ++i) view.clip[5 * i] = 1;
    std::vector<int> kept;
    thinning.Thin(b, {&all, 1, 1}, view, [&kept](const uint32_t* pairs, size_t count) {
      EXPECT_GT(count, 0u);
      for (size_t p = 0; p < count; ++p) kept.push_back(static_cast<int>(pairs[2 * p] / 2));
    });
    return kept;
  }
};

TEST(LineThinning, LeavesOutOnlyWhatNearerSegmentsCoverOrWhatLiesBeyondAnEdge) {
  // One at a time and sixteen at once alike.
  for (const bool sixteen : {true, false}) {
    SCOPED_TRACE(sixteen ? "sixteen at once" : "one at a time");
    LineThinning thinning;
    thinning.SetSixteenAtOnce(sixteen);
    Segments s;
    s.Add(10.3f, 20.5f, 30.7f, 20.5f, 0.5f);   // 0: far, under 1 all along
    s.Add(5.3f, 20.5f, 35.7f, 20.5f, 0.2f);    // 1: nearer and longer
    s.Add(15.3f, 20.5f, 25.7f, 20.5f, 0.19f);  // 2: hardly nearer than 1: kept
    s.Add(30.3f, 20.5f, 50.7f, 20.5f, 0.6f);   // 3: reaches past 1's end: kept
    s.Add(-30.f, 10.f, -5.f, 90.f, 0.f);       // 4: wholly left of the picture
    s.Add(-30.f, 10.f, 50.f, 60.f, 0.f);       // 5: across the left edge: kept
    s.Add(30.3f, 40.2f, 30.6f, 40.7f, 0.9f);   // 6: alone, within one pixel
    s.Add(30.4f, 40.2f, 30.5f, 40.6f, 0.1f);   // 7: its pixels, nearer: neither
    // Depths this close are held as one step (the picture's depths span 0.9):
    // a segment no farther than the margin is kept, one well beyond it not.
    s.Add(10.3f, 60.5f, 30.7f, 60.5f, 0.3f);          // 8: in front
    s.Add(12.3f, 60.5f, 28.7f, 60.5f, 0.3f + 5e-7f);  // 9: within the margin: kept
    s.Add(12.3f, 60.5f, 28.7f, 60.5f, 0.3f + 1e-3f);  // 10: hidden
    EXPECT_EQ(s.Kept(thinning), (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9}));

    // Drawn the other way round, the far segment is still left out.
    Segments reversed;
    reversed.Add(5.3f, 20.5f, 35.7f, 20.5f, 0.2f);
    reversed.Add(10.3f, 20.5f, 30.7f, 20.5f, 0.5f);
    EXPECT_EQ(reversed.Kept(thinning), (std::vector<int>{0}));

    // Enough segments to be shared between threads: in each of 50 rows a
    // long one in front, the last of the row, and 600 shorter ones behind it,
    // all left out whichever thread saw the long one. (Segments of more than
    // 32 pixels are kept as they are: in a crowded picture they are few.)
    Segments many;
    for (int i = 0; i < 30050; ++i) {
      const float row = 10.5f + static_cast<float>(i % 50);
      if (i >= 30000)
        many.Add(2.3f, row, 32.7f, row, 0);
      else
        many.Add(5.3f + (i % 7), row, 20.7f + (i % 7), row,
                 0.001f * static_cast<float>(1 + i % 97));
    }
    std::vector<int> fronts(50);
    for (int i = 0; i < 50; ++i) fronts[static_cast<size_t>(i)] = 30000 + i;
    EXPECT_EQ(many.Kept(thinning), fronts);
  }
}

TEST(LineThinning, SixteenAtOnceLeavesOutTheSameAsOneAtATime) {
  // A crowd of short segments at random over one another, most hidden,
  // and a few long ones, some across more columns than are tested.
  Segments s;
  uint32_t seed = 7;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / static_cast<float>(1 << 24);
  };
  for (int i = 0; i < 40000; ++i) {
    const float x = 3 + 90 * next(), y = 3 + 90 * next(), reach = i % 16 == 0 ? 90 : 6;
    s.Add(x, y, std::clamp(x + reach * (next() - 0.5f), 3.0f, 96.5f),
          std::clamp(y + reach * (next() - 0.5f), 3.0f, 96.5f), next());
  }
  LineThinning sixteen, one;
  one.SetSixteenAtOnce(false);
  const std::vector<int> kept = s.Kept(sixteen);
  EXPECT_LT(kept.size(), 20000u);
  EXPECT_EQ(kept, s.Kept(one));
}

TEST(LineThinning, ShortSegmentsDepthStraysFarBeyondTheirEnds) {
  // Within one pixel, a tenth of a pixel long and steep in depth: drawn,
  // its depth is carried from its ends to the pixel's middle, a third of a
  // pixel away, where it lies nearer than either end (about 0.45). A long
  // segment at 0.47 does not hide it; one at 0.40 does.
  LineThinning thinning;
  for (const float front : {0.47f, 0.40f}) {
    Segments s;
    s.Add(55.3f, 30.6f, 65.7f, 30.6f, front);
    s.xyz.insert(s.xyz.end(),
                 {Clip(60.55f), Clip(30.86f), 0.50f, Clip(60.64f), Clip(30.98f), 0.52f});
    s.first.push_back(2);
    s.count.push_back(2);
    EXPECT_EQ(s.Kept(thinning), front > 0.45f ? (std::vector<int>{0, 1}) : (std::vector<int>{0}))
        << front;
  }
}

TEST(LineThinning, KeepsASegmentNothingCoversHoweverShortAndSteep) {
  // Seen almost end on, as a shaft from above: a hundred-thousandth of a
  // pixel long, across most of the depths. Its depths reach far beyond the
  // frame's; nothing lies in front of it, so it stays, one at a time and
  // sixteen at once.
  for (const bool sixteen : {true, false}) {
    LineThinning thinning;
    thinning.SetSixteenAtOnce(sixteen);
    Segments s;
    s.xyz = {Clip(50.3f), Clip(50.3f), -0.9f, Clip(50.30001f), Clip(50.3f), 0.9f};
    s.first = {0};
    s.count = {2};
    EXPECT_EQ(s.Kept(thinning), std::vector<int>{0}) << sixteen;
  }
}

TEST(LineThinning, AnEndLightsItsPixelForSureOnlyWhereTheDiamondRuleSaysSo) {
  // A long segment in front along row 50 and a speck behind it within the
  // pixel of one of its ends: the speck is left out only where that end's
  // pixel is lit for sure, one at a time and sixteen at once.
  struct Case {
    float x0, x1;  // the long segment's ends
    float speck;   // the speck's pixel's left edge
    bool hidden;
  };
  const Case cases[] = {
      // Its end past the pixel's middle, well outside the diamond: lit.
      {10.3f, 20.95f, 20, true},
      // Its end well inside the diamond: that pixel stays dark.
      {10.3f, 20.7f, 20, false},
      // Its end before the pixel's middle, outside the diamond: dark.
      {10.3f, 20.05f, 20, false},
      // Its start before the pixel's middle, outside the diamond: lit.
      {10.05f, 30.3f, 10, true},
      // Its start past the pixel's middle, outside the diamond: dark.
      {10.95f, 30.3f, 10, false},
      // Its start well inside the diamond: lit.
      {10.7f, 30.3f, 10, true},
      // Its start on the diamond's edge: maybe, so the speck stays.
      {10.9f, 30.3f, 10, false},
  };
  for (const Case& c : cases)
    for (const bool sixteen : {true, false}) {
      LineThinning thinning;
      thinning.SetSixteenAtOnce(sixteen);
      Segments s;
      s.Add(c.x0, 50.6f, c.x1, 50.6f, 0.2f);
      s.Add(c.speck + 0.4f, 50.3f, c.speck + 0.6f, 50.35f, 0.5f);
      EXPECT_EQ(s.Kept(thinning), c.hidden ? (std::vector<int>{0}) : (std::vector<int>{0, 1}))
          << c.x0 << " to " << c.x1 << (sixteen ? ", sixteen at once" : "");
    }
}

TEST(LineThinning, ALongSegmentSteepInDepthHidesColumnByColumn) {
  // Along a long segment from depth 0.1 to 0.9, the columns 12 to 16 lie at
  // 0.16 to 0.26. A short segment over them at 0.3 lies behind it there
  // (though not behind its farthest end); one at 0.2 does not.
  LineThinning thinning;
  for (const float behind : {0.3f, 0.2f}) {
    Segments s;
    s.xyz = {Clip(10.3f), Clip(50.6f), 0.1f, Clip(40.7f), Clip(50.6f), 0.9f};
    s.first = {0};
    s.count = {2};
    s.Add(12.3f, 50.6f, 16.7f, 50.6f, behind);
    EXPECT_EQ(s.Kept(thinning), behind > 0.27f ? (std::vector<int>{0}) : (std::vector<int>{0, 1}))
        << behind;
  }
}

TEST(LineThinning, RestsAfterAFrameThatFoundLittleHidden) {
  // Apart, nothing covers anything: a frame thinned so is followed by
  // frames drawn as they are, then thinning is tried again; a frame that
  // finds much hidden is followed by another thinned frame.
  LineThinning thinning;
  Segments apart, covered;
  for (int i = 0; i < 20; ++i) {
    apart.Add(10.3f, 5.5f + 4 * i, 30.7f, 5.5f + 4 * i, 0.5f);
    covered.Add(10.3f + 0.1f * i, 50.5f, 30.7f, 50.5f, 0.5f);
  }
  covered.Add(5.3f, 50.5f, 35.7f, 50.5f, 0.1f);
  ASSERT_TRUE(thinning.WorthThinning());
  EXPECT_EQ(apart.Kept(thinning).size(), 20u);
  int rested = 0;
  while (!thinning.WorthThinning() && rested < 100) ++rested;
  EXPECT_EQ(rested, 15);
  EXPECT_EQ(covered.Kept(thinning).size(), 1u);
  EXPECT_TRUE(thinning.WorthThinning());
}

}  // namespace
}  // namespace mv::test
