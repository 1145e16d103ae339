// The gauge on a real parent window: which property changes draw it at once, that a
// change within one percent does not, that it stays within its rectangle, and that a
// hidden gauge or one without a parent window draws nothing.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "gauge_test_util.h"

namespace apptest {
namespace {

constexpr int kLeft = 20, kTop = 30;

class GaugeWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "GaugeTestParent";
    ::RegisterClassA(&wc);  // fails harmlessly when already registered
    window_ = ::CreateWindowExA(0, "GaugeTestParent", "gauge", WS_POPUP | WS_VISIBLE, 0, 0, 260,
                                200, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    Pump();
    MakeInstallerGauge(gauge_);
    gauge_.SetBounds(kLeft, kTop, 163, 145);
    gauge_.SetParentWindow(window_);
    Pump();  // let the parent handle what the gauge invalidated before it is marked
  }
  void TearDown() override {
    if (window_) ::DestroyWindow(window_);
  }

  static void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  }

  // Covers the whole client area with green, so that any drawing shows.
  void Mark() {
    HDC dc = ::GetDC(window_);
    HBRUSH green = ::CreateSolidBrush(kGreen);
    const RECT all{0, 0, 260, 200};
    ::FillRect(dc, &all, green);
    ::DeleteObject(green);
    ::ReleaseDC(window_, dc);
    ::GdiFlush();
  }
  COLORREF Pixel(int x, int y) {
    HDC dc = ::GetDC(window_);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(window_, dc);
    return c;
  }
  // The frame's top-left corner: black when the gauge has drawn, green while it has not.
  bool Drawn() { return Pixel(kLeft, kTop) == kBlack; }

  HWND window_ = nullptr;
  app::TGauge gauge_{nullptr};
};

TEST(GaugeWindowDefaults, NewGaugeHasTheDefaults) {
  platform::TComponent owner(nullptr);
  app::TGauge& g = platform::TComponent::CreateOwned<app::TGauge>(owner);
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

TEST_F(GaugeWindow, ProgressDrawsAtOnceWithinTheGaugesRectangle) {
  Mark();
  ASSERT_EQ(Pixel(kLeft, kTop), kGreen);
  gauge_.SetProgress(50);
  EXPECT_EQ(Pixel(kLeft, kTop), kBlack);
  EXPECT_EQ(Pixel(kLeft + 120, kTop + 40), kBlue);  // right half of the disc
  EXPECT_EQ(Pixel(kLeft + 40, kTop + 40), kWhite);  // left half
  EXPECT_EQ(Pixel(kLeft + 162, kTop + 144), kBlack);
  // Nothing outside the rectangle is touched.
  for (POINT p : {POINT{kLeft - 1, kTop}, POINT{kLeft, kTop - 1}, POINT{kLeft + 163, kTop + 144},
                  POINT{kLeft + 162, kTop + 145}})
    EXPECT_EQ(Pixel(p.x, p.y), kGreen) << p.x << "," << p.y;
}

TEST_F(GaugeWindow, ProgressWithinOnePercentDoesNotRedraw) {
  gauge_.SetMaxValue(1000);
  gauge_.SetProgress(10);
  Mark();
  for (int step : {11, 15, 19, 12}) {
    gauge_.SetProgress(step);
    EXPECT_EQ(gauge_.ProgressPercent(), 1);
    EXPECT_FALSE(Drawn()) << step;
  }
  gauge_.SetProgress(20);
  EXPECT_TRUE(Drawn());
  Mark();
  gauge_.SetProgress(2000);  // clamped to 1000: 100 %
  EXPECT_TRUE(Drawn());
  Mark();
  gauge_.SetProgress(1000);  // unchanged
  EXPECT_FALSE(Drawn());
}

TEST_F(GaugeWindow, WritersDrawWhenTheValueChangesAndOnlyThen) {
  const struct {
    const char* name;
    std::function<void()> same, changed;
  } writers[] = {
      {"Kind", [&] { gauge_.SetKind(app::gkPie); }, [&] { gauge_.SetKind(app::gkNeedle); }},
      {"ShowText", [&] { gauge_.SetShowText(true); }, [&] { gauge_.SetShowText(false); }},
      {"BorderStyle", [&] { gauge_.SetBorderStyle(app::bsSingle); },
       [&] { gauge_.SetBorderStyle(app::bsNone); }},
      {"ForeColor", [&] { gauge_.SetForeColor(app::clBlue); },
       [&] { gauge_.SetForeColor(app::clBlack); }},
      {"BackColor", [&] { gauge_.SetBackColor(app::clWhite); },
       [&] { gauge_.SetBackColor(app::clYellow); }},
      {"MinValue", [&] { gauge_.SetMinValue(0); }, [&] { gauge_.SetMinValue(-10); }},
      {"MaxValue", [&] { gauge_.SetMaxValue(100); }, [&] { gauge_.SetMaxValue(90); }},
  };
  for (const auto& w : writers) {
    SCOPED_TRACE(w.name);
    Mark();
    w.same();
    EXPECT_EQ(Pixel(kLeft + 5, kTop + 5), kGreen);
    w.changed();
    EXPECT_NE(Pixel(kLeft + 5, kTop + 5), kGreen);
    // Put the installer's value back for the next writer.
    gauge_.SetKind(app::gkPie);
    gauge_.SetShowText(true);
    gauge_.SetBorderStyle(app::bsSingle);
    gauge_.SetForeColor(app::clBlue);
    gauge_.SetBackColor(app::clWhite);
    gauge_.SetMinValue(0);
    gauge_.SetMaxValue(100);
  }
}

TEST_F(GaugeWindow, HiddenGaugeDrawsNothing) {
  gauge_.SetVisible(false);
  Pump();
  Mark();
  gauge_.SetProgress(60);
  gauge_.SetKind(app::gkHorizontalBar);
  gauge_.Repaint();
  EXPECT_FALSE(Drawn());
  EXPECT_EQ(Pixel(kLeft + 80, kTop + 70), kGreen);
  gauge_.SetVisible(true);
  gauge_.Repaint();
  EXPECT_TRUE(Drawn());
}

TEST_F(GaugeWindow, GaugeWithoutParentWindowDrawsNothing) {
  gauge_.SetParentWindow(nullptr);
  EXPECT_EQ(gauge_.ParentWindow(), nullptr);
  Mark();
  gauge_.SetProgress(60);
  gauge_.Repaint();
  EXPECT_FALSE(Drawn());
  EXPECT_EQ(Pixel(kLeft + 80, kTop + 70), kGreen);
  gauge_.SetParentWindow(window_);
  gauge_.Repaint();
  EXPECT_TRUE(Drawn());
}

}  // namespace
}  // namespace apptest
#endif
