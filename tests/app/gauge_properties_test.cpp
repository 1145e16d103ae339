// The gauge's properties: defaults, clamping of Progress, the range errors of MinValue
// and MaxValue and what they leave unchanged, and a stored form's loading.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "app/ui/gauges.h"
#include "platform/component.h"
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
  } catch (const sys::EInvalidOperation& e) {
    return e.Message();
  }
  return {};
}

TEST(GaugeProperties, NewGaugeHasTheDefaults) {
  sys::TComponent owner(nullptr);
  app::TGauge& g = sys::TComponent::CreateOwned<app::TGauge>(owner);
  EXPECT_EQ(g.Owner(), &owner);
  EXPECT_EQ(g.Width(), 100);
  EXPECT_EQ(g.Height(), 100);
  EXPECT_TRUE(g.Visible());
  EXPECT_EQ(g.ParentWindow(), nullptr);
  EXPECT_EQ(g.MinValue(), 0);
  EXPECT_EQ(g.MaxValue(), 100);
  EXPECT_EQ(g.Progress(), 0);
  EXPECT_EQ(g.Kind(), app::gkHorizontalBar);
  EXPECT_TRUE(g.ShowText());
  EXPECT_EQ(g.BorderStyle(), app::bsSingle);
  EXPECT_EQ(g.ForeColor(), app::clBlack);
  EXPECT_EQ(g.BackColor(), app::clWhite);
  EXPECT_EQ(g.Color(), app::clWindow);
  EXPECT_EQ(g.Font().Name, "MS Sans Serif");
  EXPECT_FALSE(g.Loading);
  EXPECT_EQ(static_cast<int>(app::gkNeedle), 4);
}

TEST(GaugeProperties, ProgressIsClampedToTheRange) {
  app::TGauge g(nullptr);
  g.SetProgress(150);
  EXPECT_EQ(g.Progress(), 100);
  g.SetProgress(-5);
  EXPECT_EQ(g.Progress(), 0);
  g.SetProgress(45);
  EXPECT_EQ(g.ProgressPercent(), 45);
}

TEST(GaugeProperties, MovingTheBoundsCarriesProgressAlong) {
  app::TGauge g(nullptr);
  g.SetProgress(40);
  g.SetMinValue(60);
  EXPECT_EQ(g.Progress(), 60);
  g.SetMinValue(0);
  EXPECT_EQ(g.Progress(), 60);
  g.SetMaxValue(30);
  EXPECT_EQ(g.Progress(), 30);
}

TEST(GaugeProperties, BoundsOutsideTheRangeRaiseAndChangeNothing) {
  app::TGauge g(nullptr);
  g.SetProgress(50);
  EXPECT_EQ(RangeError([&] { g.SetMinValue(101); }), "Value must be between -2147483647 and 99");
  EXPECT_EQ(RangeError([&] { g.SetMaxValue(-1); }), "Value must be between 1 and 2147483647");
  EXPECT_EQ(g.MinValue(), 0);
  EXPECT_EQ(g.MaxValue(), 100);
  EXPECT_EQ(g.Progress(), 50);
  // The bound itself is allowed: the range may be empty.
  EXPECT_EQ(RangeError([&] { g.SetMinValue(100); }), "");
  EXPECT_EQ(g.ProgressPercent(), 0);
}

TEST(GaugeProperties, RangeErrorsAtTheEndsOf32BitsDoNotWrap) {
  app::TGauge low(nullptr);
  low.SetMinValue(kMin32);
  low.SetMaxValue(kMin32);
  EXPECT_EQ(RangeError([&] { low.SetMinValue(0); }),
            "Value must be between -2147483647 and -2147483649");
  app::TGauge high(nullptr);
  high.SetMaxValue(kMax32);
  high.SetMinValue(kMax32);
  EXPECT_EQ(RangeError([&] { high.SetMaxValue(0); }),
            "Value must be between 2147483648 and 2147483647");
}

TEST(GaugeProperties, LoadingAcceptsAnyBound) {
  app::TGauge g(nullptr);
  g.SetProgress(50);
  g.Loading = true;
  EXPECT_EQ(RangeError([&] { g.SetMinValue(500); }), "");
  EXPECT_EQ(g.MinValue(), 500);
  EXPECT_EQ(g.Progress(), 500);
  EXPECT_EQ(RangeError([&] { g.SetMaxValue(-7); }), "");
  EXPECT_EQ(g.MaxValue(), -7);
  EXPECT_EQ(g.Progress(), -7);
  g.Loading = false;
  EXPECT_NE(RangeError([&] { g.SetMaxValue(-8); }), "");  // below MinValue 500
}

}  // namespace
}  // namespace apptest
#endif
