// The numbers behind the scene elements: axis span, padded box, scale step,
// tick ranges, rose height, stroke labels and the entrances that are drawn.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

#include "render/entrances.h"
#include "render/rotation_axis.h"
#include "render/simulation_scale.h"
#include "render/wind_rose.h"

namespace mv {
namespace {

Extents BoxZ(long double minZ, long double maxZ) {
  Extents b;
  b.minZ = minZ;
  b.maxZ = maxZ;
  return b;
}

TEST(RotationAxisSpan, LengthFollowsPercentOfHeightCentredOnTheSurvey) {
  struct Row {
    int32_t percent;
    long double bottom, top;
  };
  // Height 30 from -20 to 10, middle at -5.
  const Row rows[] = {
      {100, -20, 10},        // exactly the survey's height
      {120, -23, 13},        // a tenth of the height beyond each end
      {15, -7.25L, -2.75L},  // 0.15 x 30 = 4.5 long, around -5
      {300, -50, 40},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.percent);
    const AxisSpan a = RotationAxisSpan(BoxZ(-20, 10), r.percent);
    EXPECT_DOUBLE_EQ(double(a.bottom), double(r.bottom));
    EXPECT_DOUBLE_EQ(double(a.top), double(r.top));
  }
  // A flat survey gives an axis of no length whatever the percentage.
  const AxisSpan flat = RotationAxisSpan(BoxZ(4, 4), 300);
  EXPECT_EQ(flat.bottom, 4);
  EXPECT_EQ(flat.top, 4);
  // The most negative percentage must not overflow the difference.
  const AxisSpan low = RotationAxisSpan(BoxZ(0, 1), std::numeric_limits<int32_t>::min());
  EXPECT_LT(low.top, 0);
}

TEST(RoseHeight, TwentyPerCentBelowTheSurveyRoundedHalvesToEven) {
  struct Row {
    long double minZ, maxZ, height;
  };
  const Row rows[] = {
      {10, 20, 8},    {-3, 2, -4}, {0, 2.5L, 0},  // -0.5 goes to the even 0
      {0, 7.5L, -2},                              // -1.5 goes to the even -2
      {0, 12.5L, -2},                             // -2.5 goes to the even -2
      {0, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(double(r.maxZ));
    EXPECT_EQ(RoseHeight(r.minZ, r.maxZ), r.height);
    // The rose lies in the plane of the base of the scale.
    EXPECT_EQ(RoseHeight(r.minZ, r.maxZ), PaddedMin(r.minZ, r.maxZ));
  }
}

TEST(PaddedBox, WidensByAFifthAndRoundsHalvesToEven) {
  struct Row {
    long double min, max;
    int32_t paddedMin, paddedMax;
  };
  const Row rows[] = {
      {0, 100, -20, 120},
      {-5, 15, -9, 19},
      {0, 2.5L, 0, 3},
      {0, 7.5L, -2, 9},
      {0.5L, 0.5L, 0, 0},
      {1.5L, 1.5L, 2, 2},
      {-2.5L, -2.5L, -2, -2},
      {0, 0, 0, 0},
      // A corrupt survey far beyond 32 bits sticks at the ends of the range.
      {-1e12L, 1e12L, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(double(r.min));
    EXPECT_EQ(PaddedMin(r.min, r.max), r.paddedMin);
    EXPECT_EQ(PaddedMax(r.min, r.max), r.paddedMax);
  }
  Extents b;
  b.minX = 0, b.maxX = 100, b.minY = 0, b.maxY = 50, b.minZ = -50, b.maxZ = 0;
  const PaddedBox p = ComputePaddedBox(b);
  EXPECT_EQ(p.PaddedMinX, -20);
  EXPECT_EQ(p.PaddedMaxX, 120);
  EXPECT_EQ(p.PaddedMinY, -10);
  EXPECT_EQ(p.PaddedMaxY, 60);
  EXPECT_EQ(p.PaddedMinZ, -60);
  EXPECT_EQ(p.PaddedMaxZ, 10);
  EXPECT_EQ(ShortestSide(p), 70);
  const PaddedBox wide{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                       std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
                       std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
  EXPECT_EQ(ShortestSide(wide), int64_t{std::numeric_limits<uint32_t>::max()});
}

TEST(ScaleStep, ChosenFromTheShortestPaddedSide) {
  struct Row {
    int64_t m;
    int32_t step;
  };
  const Row rows[] = {
      {0, 1},   {29, 1},   {30, 2},  // 1.5 goes to the even 2
      {50, 2},                       // 2.5 goes to the even 2
      {69, 2},  {70, 5},             // 3.5 goes to 4
      {149, 5}, {150, 10}, {309, 10}, {310, 20}, {5000, 20}, {int64_t{1} << 40, 20},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.m);
    EXPECT_EQ(ScaleStep(r.m), r.step);
  }
}

TEST(TickIndices, TruncatingDivisionFromLowToOneBeforeHigh) {
  struct Row {
    int32_t lo, hi, spacing;
    int64_t first, last;
  };
  const Row rows[] = {
      {-37, 120, 10, -3, 11},                          // first tick at -30, last at 110
      {37, 125, 10, 3, 11},                            // first at 30, outside the axis; none at 120
      {-120, 180, 50, -2, 2},                          // major ticks -100 ... 100
      {-60, 10, 25, -2, -1},  {-50, -20, 10, -5, -3},  // no tick on the high end
      {0, 0, 1, 0, -1},                                // an empty group
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.lo);
    const TickRange t = TickIndices(r.lo, r.hi, r.spacing);
    EXPECT_EQ(t.first, r.first);
    EXPECT_EQ(t.last, r.last);
  }
  EXPECT_TRUE(TickIndices(0, 0, 1).Empty());
  EXPECT_TRUE(TickIndices(5, 9, 10).Empty());
  EXPECT_FALSE(TickIndices(-9, 10, 10).Empty());  // one tick at 0
  // The extremes of the range do not overflow.
  const TickRange ends =
      TickIndices(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(), 1);
  EXPECT_TRUE(ends.Empty());
}

// Strips written as "x,t x,t ..." in hundredths of the step, one per element.
std::vector<std::string> Strips(const std::vector<GlyphStrip>& strips) {
  std::vector<std::string> out;
  for (const GlyphStrip& s : strips) {
    std::ostringstream o;
    for (const GlyphPoint& p : s) o << (&p == &s.front() ? "" : " ") << p.x << ',' << p.t;
    out.push_back(o.str());
  }
  return out;
}

TEST(GraduationLabels, GlyphsAndLeftEdgesByStep) {
  EXPECT_EQ(Strips(ZeroLabel()), std::vector<std::string>{"25,370 25,430 60,430 60,370 25,370"});
  const std::string m1080[] = {"1080,370 1080,400 1100,400 1100,370", "1100,400 1120,400 1120,370"};
  const std::string m1120[] = {"1120,370 1120,400 1140,400 1140,370", "1140,400 1160,400 1160,370"};
  struct Row {
    int32_t step;
    std::vector<std::string> strips;
  };
  const Row rows[] = {
      {1,
       {"1020,370 1020,430", "1040,370 1040,430 1070,430 1070,370 1040,370", m1080[0], m1080[1]}},
      {2,
       {"1020,430 1050,430 1050,400 1020,400 1020,370 1050,370",
        "1070,370 1070,430 1100,430 1100,370 1070,370", m1120[0], m1120[1]}},
      {5,
       {"1020,370 1050,370 1050,400 1020,400 1020,430 1050,430",
        "1070,370 1070,430 1100,430 1100,370 1070,370", m1120[0], m1120[1]}},
      {10,
       {"1020,370 1020,430", "1040,370 1040,430 1070,430 1070,370 1040,370",
        "1090,370 1090,430 1120,430 1120,370 1090,370", "1140,370 1140,400 1160,400 1160,370",
        "1160,400 1180,400 1180,370"}},
      {20,
       {"1020,430 1050,430 1050,400 1020,400 1020,370 1050,370",
        "1070,370 1070,430 1100,430 1100,370 1070,370",
        "1120,370 1120,430 1150,430 1150,370 1120,370", "1170,370 1170,400 1190,400 1190,370",
        "1190,400 1210,400 1210,370"}},
      {3, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.step);
    EXPECT_EQ(Strips(LengthLabel(r.step)), r.strips);
  }
}

TEST(DrawableEntrances, OnlyValidRowsAmongTheFirstTen) {
  SurveyModel m;
  m.stations.assign(3 * 5, 0.0);  // rows 0 to 4
  m.entrances = {4, 0, -1, 5, 2, 2, 1, 3, 3, 0};
  struct Row {
    int32_t count;
    std::vector<int32_t> rows;
  };
  const Row rows[] = {
      {0, {}},
      {-3, {}},
      {2, {4, 0}},
      {5, {4, 0, 2}},  // -1 and 5 lie outside the survey
      {10, {4, 0, 2, 2, 1, 3, 3, 0}},
      {12, {4, 0, 2, 2, 1, 3, 3, 0}},  // no more than the table holds
      {std::numeric_limits<int32_t>::max(), {4, 0, 2, 2, 1, 3, 3, 0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.count);
    m.entranceCount = r.count;
    EXPECT_EQ(DrawableEntrances(m).ToVector(), r.rows);
  }
}

}  // namespace
}  // namespace mv
