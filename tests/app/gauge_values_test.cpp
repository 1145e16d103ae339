// The gauge's values: clamping of Progress, the range errors of MinValue and MaxValue and
// what they leave unchanged, a stored form's loading, and when a change needs drawing.
#include "app/core/gauge_values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "platform/exceptions.h"

namespace apptest {
namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();

// The message of the EInvalidOperation that `set` raises; empty when it raises none.
template <class F>
std::string RangeError(F set) {
  try {
    set();
  } catch (const platform::EInvalidOperation& e) {
    return e.Message();
  }
  return {};
}

TEST(GaugeValues, ProgressIsClampedToTheRange) {
  app::TGaugeValues g;
  EXPECT_EQ(g.MaxValue(), 100);
  g.SetProgress(150);
  EXPECT_EQ(g.Progress(), 100);
  g.SetProgress(-5);
  EXPECT_EQ(g.Progress(), 0);
  g.SetProgress(45);
  EXPECT_EQ(g.ProgressPercent(), 45);
}

TEST(GaugeValues, MovingTheBoundsCarriesProgressAlong) {
  app::TGaugeValues g;
  g.SetProgress(40);
  EXPECT_TRUE(g.SetMinValue(60, false));
  EXPECT_EQ(g.Progress(), 60);
  g.SetMinValue(0, false);
  EXPECT_EQ(g.Progress(), 60);
  g.SetMaxValue(30, false);
  EXPECT_EQ(g.Progress(), 30);
}

TEST(GaugeValues, BoundsOutsideTheRangeRaiseAndChangeNothing) {
  app::TGaugeValues g;
  g.SetProgress(50);
  EXPECT_EQ(RangeError([&] { g.SetMinValue(101, false); }),
            "Value must be between -2147483647 and 99");
  EXPECT_EQ(RangeError([&] { g.SetMaxValue(-1, false); }),
            "Value must be between 1 and 2147483647");
  EXPECT_EQ(g.MinValue(), 0);
  EXPECT_EQ(g.MaxValue(), 100);
  EXPECT_EQ(g.Progress(), 50);
  // The bound itself is allowed: the range may be empty, and then shows 0 %.
  EXPECT_EQ(RangeError([&] { g.SetMinValue(100, false); }), "");
  EXPECT_EQ(g.ProgressPercent(), 0);
}

TEST(GaugeValues, RangeErrorsAtTheEndsOf32BitsDoNotWrap) {
  app::TGaugeValues low;
  low.SetMinValue(kMin32, false);
  low.SetMaxValue(kMin32, false);
  EXPECT_EQ(RangeError([&] { low.SetMinValue(0, false); }),
            "Value must be between -2147483647 and -2147483649");
  app::TGaugeValues high;
  high.SetMaxValue(kMax32, false);
  high.SetMinValue(kMax32, false);
  EXPECT_EQ(RangeError([&] { high.SetMaxValue(0, false); }),
            "Value must be between 2147483648 and 2147483647");
}

TEST(GaugeValues, LoadingAcceptsAnyBound) {
  app::TGaugeValues g;
  g.SetProgress(50);
  EXPECT_EQ(RangeError([&] { g.SetMinValue(500, true); }), "");
  EXPECT_EQ(g.MinValue(), 500);
  EXPECT_EQ(g.Progress(), 500);
  EXPECT_EQ(RangeError([&] { g.SetMaxValue(-7, true); }), "");
  EXPECT_EQ(g.MaxValue(), -7);
  EXPECT_EQ(g.Progress(), -7);
  EXPECT_NE(RangeError([&] { g.SetMaxValue(-8, false); }), "");  // below MinValue 500
}

TEST(GaugeValues, OnlyAChangeOfThePercentageNeedsDrawing) {
  app::TGaugeValues g;
  EXPECT_TRUE(g.SetMaxValue(1000, false));
  EXPECT_FALSE(g.SetMaxValue(1000, false));  // unchanged
  EXPECT_FALSE(g.SetProgress(5));            // still 0 %
  EXPECT_EQ(g.Progress(), 5);
  EXPECT_FALSE(g.SetProgress(9));
  EXPECT_TRUE(g.SetProgress(10));  // 1 %
  EXPECT_FALSE(g.SetProgress(10));
  EXPECT_TRUE(g.SetProgress(5000));  // clamped to 1000: 100 %
  EXPECT_FALSE(g.SetProgress(6000));
}

}  // namespace
}  // namespace apptest
