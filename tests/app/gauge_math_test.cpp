// The gauge's arithmetic: percentages (also for ranges wider than 32 bits), bar shares
// in extended precision, and where the pie, the needle, the bars and the text go.
#include "app/core/gauge_math.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace apptest {
namespace {

using app::GaugePoint;
using app::GaugeRect;
using app::PieWedge;

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();

TEST(GaugeMath, PercentIsTruncatedAndZeroForAnEmptyRange) {
  EXPECT_EQ(app::GaugePercent(0, 100, 45), 45);
  EXPECT_EQ(app::GaugePercent(0, 100, 100), 100);
  EXPECT_EQ(app::GaugePercent(7, 7, 7), 0);
  EXPECT_EQ(app::GaugePercent(0, 1000, 5), 0);
  EXPECT_EQ(app::GaugePercent(0, 1000, 19), 1);
  EXPECT_EQ(app::GaugePercent(0, 3, 2), 66);
  EXPECT_EQ(app::GaugePercent(-200, -100, -150), 50);
  EXPECT_EQ(app::GaugePercent(0, 3, -1), -33);  // toward zero, not down
}

TEST(GaugeMath, PercentOfRangesWiderThan32Bits) {
  // Taken in 32 bits, maxValue - minValue would wrap and give a negative percentage.
  EXPECT_EQ(app::GaugePercent(-2000000000, 2000000000, 0), 50);
  EXPECT_EQ(app::GaugePercent(kMin32, kMax32, kMax32), 100);
  EXPECT_EQ(app::GaugePercent(kMin32, kMax32, kMin32), 0);
  EXPECT_EQ(app::GaugePercent(kMin32, kMax32, 0), 50);
}

TEST(GaugeMath, ShareOfAHundredPixelBar) {
  const struct {
    int32_t percent, share;
  } cases[] = {{0, 0},   {1, 1},   {5, 4},   {10, 9},  {20, 19},
               {25, 25}, {50, 50}, {75, 75}, {99, 98}, {100, 100}};
  for (const auto& c : cases) EXPECT_EQ(app::GaugeShare(100, c.percent), c.share) << c.percent;
}

TEST(GaugeMath, ShareFallsShortByOneAtMostAndOnlyOnExactMultiples) {
  for (int32_t length : {1, 7, 99, 100, 101, 143, 161, 162, 640}) {
    for (int32_t p = 0; p <= 100; ++p) {
      const int32_t exact = p * length / 100;
      const int32_t share = app::GaugeShare(length, p);
      if (p * length % 100 != 0) {
        EXPECT_EQ(share, exact) << length << " at " << p;
      } else {
        EXPECT_TRUE(share == exact || share == exact - 1) << length << " at " << p;
      }
    }
  }
}

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
TEST(GaugeMath, ShareIgnoresAFloatingPointUnitLeftAtDoublePrecision) {
  unsigned short saved = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(saved));
  const unsigned short dbl = static_cast<unsigned short>((saved & ~0x0300u) | 0x0200u);
  __asm__ __volatile__("fldcw %0" : : "m"(dbl));
  // Rounded to 53 bits, 5 * 0.01 becomes 0.05 and the bar would get 5.
  const int32_t share = app::GaugeShare(100, 5);
  unsigned short after = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(after));
  __asm__ __volatile__("fldcw %0" : : "m"(saved));
  EXPECT_EQ(share, 4);
  EXPECT_EQ(after, dbl);  // and the caller's setting is restored
}
#endif

TEST(GaugeMath, ShareBeyond32BitsIsClamped) {
  EXPECT_EQ(app::GaugeShare(kMax32, 200), kMax32);
  EXPECT_EQ(app::GaugeShare(kMax32, -200), kMin32);
}

TEST(GaugeMath, TextOriginUsesTruncatingDivision) {
  const GaugeRect installer{1, 1, 162, 144};
  EXPECT_EQ(app::GaugeTextOrigin(installer, 25, 13), (GaugePoint{68, 65}));
  // (W - 1 - text width) div 2 for a W-pixel gauge with a border: up to one pixel left.
  EXPECT_EQ(app::GaugeTextOrigin(installer, 24, 12), (GaugePoint{69, 66}));
  // Text wider than the rectangle: -9 div 2 is -4, not -5.
  EXPECT_EQ(app::GaugeTextOrigin(installer, 171, 146), (GaugePoint{-4, -1}));
  EXPECT_EQ(app::GaugeTextOrigin(GaugeRect{0, 0, 10, 10}, 4, 4), (GaugePoint{3, 3}));
}

TEST(GaugeMath, PieOfTheInstallersGauge) {
  const GaugeRect paint{1, 1, 162, 144};
  const struct {
    int32_t percent;
    PieWedge wedge;
    GaugePoint start;
  } cases[] = {
      {0, PieWedge::None, {}},
      {25, PieWedge::Partial, {162, 72}},  // 3 o'clock
      {45, PieWedge::Partial, {106, 140}},
      {50, PieWedge::Partial, {81, 144}},  // 6 o'clock
      {75, PieWedge::Partial, {0, 72}},    // 9 o'clock
      {100, PieWedge::Full, {}},
  };
  for (const auto& c : cases) {
    const app::GaugePie pie = app::GaugePieLayout(paint, true, c.percent);
    EXPECT_EQ(pie.box, (GaugeRect{1, 1, 162, 144}));
    EXPECT_EQ(pie.end, (GaugePoint{81, 0}));
    EXPECT_EQ(pie.wedge, c.wedge) << c.percent;
    if (c.wedge == PieWedge::Partial) {
      EXPECT_EQ(pie.start, c.start) << c.percent;
    }
  }
  // Without a border the box is the paint rectangle itself.
  EXPECT_EQ(app::GaugePieLayout(GaugeRect{0, 0, 163, 145}, false, 25).box,
            (GaugeRect{0, 0, 163, 145}));
}

TEST(GaugeMath, ThinWedgesOfASmallPieAreDrawnAsNothingOrAsTheDisc) {
  // A 10 x 10 gauge: the start point of 1 % and of 99 % rounds onto 12 o'clock.
  const GaugeRect paint = app::GaugePaintRect(10, 10, true);
  EXPECT_EQ(app::GaugePieStart(4, 4, 1), (GaugePoint{4, 0}));
  EXPECT_EQ(app::GaugePieLayout(paint, true, 1).wedge, PieWedge::None);
  EXPECT_EQ(app::GaugePieLayout(paint, true, 99).wedge, PieWedge::Full);
  EXPECT_EQ(app::GaugePieLayout(paint, true, 12).wedge, PieWedge::Partial);
}

TEST(GaugeMath, HorizontalBarFillsFromTheLeft) {
  const GaugeRect paint{1, 1, 100, 21};  // W = 100
  EXPECT_TRUE(app::GaugeHorizontalBarFill(paint, 0).Empty());
  EXPECT_EQ(app::GaugeHorizontalBarFill(paint, 5), (GaugeRect{1, 1, 4, 21}));
  EXPECT_EQ(app::GaugeHorizontalBarFill(paint, 50), (GaugeRect{1, 1, 50, 21}));
  EXPECT_EQ(app::GaugeHorizontalBarFill(paint, 100), paint);
  EXPECT_TRUE(app::GaugeHorizontalBarFill(paint, -10).Empty());
}

TEST(GaugeMath, VerticalBarFillsFromTheBottomAndStopsOneShortOfTheHeight) {
  const GaugeRect paint{1, 1, 21, 101};  // H = 101
  EXPECT_TRUE(app::GaugeVerticalBarFill(paint, 0).Empty());
  EXPECT_EQ(app::GaugeVerticalBarFill(paint, 50), (GaugeRect{1, 51, 21, 101}));
  EXPECT_EQ(app::GaugeVerticalBarFill(paint, 100), paint);  // share 101 cut to 100
  EXPECT_TRUE(app::GaugeVerticalBarFill(paint, -10).Empty());
}

TEST(GaugeMath, NeedleSweepsFromLeftToRight) {
  const GaugeRect paint{1, 1, 100, 50};  // a 101 x 51 gauge with a border
  const app::GaugeNeedle n = app::GaugeNeedleLayout(paint, true, 101, 25);
  EXPECT_EQ(n.box, (GaugeRect{1, 1, 100, 99}));
  EXPECT_EQ(n.dialStart, (GaugePoint{101, 49}));
  EXPECT_EQ(n.dialEnd, (GaugePoint{1, 49}));
  EXPECT_EQ(n.baseFrom, (GaugePoint{1, 50}));
  EXPECT_EQ(n.baseTo, (GaugePoint{101, 50}));
  EXPECT_TRUE(n.hasNeedle);
  EXPECT_EQ(n.needleFrom, (GaugePoint{50, 49}));
  EXPECT_EQ(n.needleTo, (GaugePoint{15, 14}));
  EXPECT_EQ(app::GaugeNeedleLayout(paint, true, 101, 50).needleTo, (GaugePoint{50, 0}));
  EXPECT_EQ(app::GaugeNeedleLayout(paint, true, 101, 100).needleTo, (GaugePoint{100, 49}));
  EXPECT_FALSE(app::GaugeNeedleLayout(paint, true, 101, 0).hasNeedle);
}

}  // namespace
}  // namespace apptest
