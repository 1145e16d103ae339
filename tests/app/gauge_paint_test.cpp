// The gauge's drawing, read back from a memory bitmap: the installer's pie at the
// percentages that matter, the XORed text, the frame, the other four styles, and
// painting on a parent's surface within its clipping.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "gauge_test_util.h"

namespace apptest {
namespace {

class GaugePaint : public ::testing::Test {
 protected:
  GaugePaint() : gauge_(nullptr) {}
  app::TGauge gauge_;
  Disc disc_;

  // Paints the gauge into a fresh canvas of its size.
  void PaintInto(Canvas& canvas) {
    ASSERT_TRUE(canvas.Valid());
    gauge_.Paint(canvas.Dc());
  }
  int InteriorCount(const Canvas& c, int left, int top, int right, int bottom, COLORREF color) {
    return c.Count(left, top, right, bottom,
                   [&](int x, int y) { return disc_.Interior(x, y) && c.Pixel(x, y) == color; });
  }
  // Pixels of the outermost ring that are not black.
  static int NonBlackOnTheFrame(const Canvas& c) {
    const int w = c.Width(), h = c.Height();
    return c.Count(0, 0, w, h, [&](int x, int y) {
      return (x == 0 || y == 0 || x == w - 1 || y == h - 1) && c.Pixel(x, y) != kBlack;
    });
  }
  int InteriorSize(int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += disc_.Interior(x, y) ? 1 : 0;
    return n;
  }
};

TEST_F(GaugePaint, PieQuartersAtZeroQuarterHalfAndFull) {
  MakeInstallerGauge(gauge_);
  const struct {
    int percent;
    bool topRight, bottomRight, bottomLeft, topLeft;  // quarter blue, else white
  } cases[] = {{0, false, false, false, false},
               {25, true, false, false, false},
               {50, true, true, false, false},
               {100, true, true, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.percent);
    gauge_.SetProgress(c.percent);
    Canvas canvas(163, 145);
    PaintInto(canvas);
    const struct {
      int left, top, right, bottom;
      bool blue;
    } quarters[] = {{82, 0, 163, 73, c.topRight},
                    {82, 73, 163, 145, c.bottomRight},
                    {0, 73, 82, 145, c.bottomLeft},
                    {0, 0, 82, 73, c.topLeft}};
    for (const auto& q : quarters) {
      const int size = InteriorSize(q.left, q.top, q.right, q.bottom);
      ASSERT_GT(size, 2500);
      EXPECT_EQ(InteriorCount(canvas, q.left, q.top, q.right, q.bottom, q.blue ? kBlue : kWhite),
                size)
          << "quarter at " << q.left << "," << q.top;
    }
  }
}

TEST_F(GaugePaint, PieCoversThePercentageClockwiseFromTwelve) {
  MakeInstallerGauge(gauge_);
  for (int percent : {1, 10, 45, 62, 80, 99}) {
    SCOPED_TRACE(percent);
    gauge_.SetProgress(percent);
    Canvas canvas(163, 145);
    PaintInto(canvas);
    const double sweep = 3.6 * percent;
    for (double deg = 2.5; deg < 360; deg += 5) {
      if (std::fabs(deg - sweep) < 6) continue;  // the wedge's edge
      const POINT p = disc_.At(0.7, deg);
      EXPECT_EQ(canvas.Pixel(p.x, p.y), deg < sweep ? kBlue : kWhite) << deg << " degrees";
    }
    // Even the thinnest wedge is there: a sliver right of 12 o'clock.
    EXPECT_GT(canvas.CountColor(82, 10, 87, 50, kBlue), 0);
  }
}

TEST_F(GaugePaint, PieLeavesTheDesktopColourAroundTheDiscAndABlackFrame) {
  MakeInstallerGauge(gauge_);
  gauge_.SetProgress(100);
  Canvas canvas(163, 145);
  PaintInto(canvas);
  const COLORREF desktop = ::GetSysColor(COLOR_BACKGROUND);
  for (POINT p : {POINT{2, 2}, POINT{160, 2}, POINT{2, 142}, POINT{160, 142}})
    EXPECT_EQ(canvas.Pixel(p.x, p.y), desktop) << p.x << "," << p.y;
  EXPECT_EQ(NonBlackOnTheFrame(canvas), 0);
  // The outline stays inside the paint rectangle: blue at the top of the disc.
  EXPECT_EQ(canvas.Pixel(81, 1), kBlue);
}

TEST_F(GaugePaint, TextInvertsWhatLiesBeneath) {
  MakeInstallerGauge(gauge_);
  gauge_.SetProgress(50);  // right half blue: the text is yellow there, black on the left
  Canvas canvas(163, 145);
  PaintInto(canvas);
  const int top = 72 - 14, bottom = 72 + 15;
  EXPECT_GT(canvas.CountColor(84, top, 120, bottom, kYellow), 5);
  EXPECT_EQ(canvas.CountColor(84, top, 120, bottom, kBlack), 0);
  EXPECT_GT(canvas.CountColor(40, top, 79, bottom, kBlack), 5);
  EXPECT_EQ(canvas.CountColor(40, top, 79, bottom, kYellow), 0);

  // Without the text the same area is plain wedge and disc.
  gauge_.SetShowText(false);
  Canvas plain(163, 145);
  PaintInto(plain);
  EXPECT_EQ(plain.CountColor(84, top, 120, bottom, kBlue), 36 * (bottom - top));
  EXPECT_EQ(plain.CountColor(40, top, 79, bottom, kWhite), 39 * (bottom - top));
}

TEST_F(GaugePaint, TextIsCentredAndClippedToThePaintRectangle) {
  gauge_.SetBounds(0, 0, 163, 145);
  gauge_.SetKind(app::gkText);
  gauge_.SetProgress(45);
  Canvas canvas(163, 145);
  PaintInto(canvas);
  int left = 163, right = -1, top = 145, bottom = -1;
  for (int y = 1; y < 144; ++y)
    for (int x = 1; x < 162; ++x)
      if (canvas.Pixel(x, y) == kBlack) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, left);
  EXPECT_NEAR((left + right) / 2.0, 81, 3);
  EXPECT_NEAR((top + bottom) / 2.0, 72, 4);

  // On a gauge smaller than its text, the frame stays black: the text is cut off at the
  // paint rectangle, not XORed (white) over the frame.
  gauge_.SetBounds(0, 0, 12, 8);
  gauge_.SetProgress(100);
  Canvas tiny(12, 8);
  PaintInto(tiny);
  EXPECT_EQ(NonBlackOnTheFrame(tiny), 0);
  EXPECT_GT(tiny.CountColor(1, 1, 11, 7, kBlack), 0);  // some text is there
}

TEST_F(GaugePaint, WithoutBorderTheDrawingReachesTheEdges) {
  MakeInstallerGauge(gauge_);
  gauge_.SetColor(app::clTeal);
  gauge_.SetBorderStyle(app::bsNone);
  gauge_.SetProgress(25);
  Canvas canvas(163, 145);
  PaintInto(canvas);
  EXPECT_EQ(canvas.Pixel(0, 0), kTeal);
  EXPECT_EQ(canvas.Pixel(162, 144), kTeal);
  EXPECT_EQ(canvas.Pixel(81, 0), kBlue);  // outline at the top edge
  EXPECT_EQ(canvas.Pixel(120, 40), kBlue);
}

TEST_F(GaugePaint, HorizontalBarFillsItsShareFromTheLeft) {
  gauge_.SetBounds(0, 0, 101, 22);  // bar width 100 with the border
  gauge_.SetForeColor(app::clBlue);
  gauge_.SetShowText(false);
  for (const auto& [percent, columns] : {std::pair{0, 0}, {5, 3}, {50, 49}, {100, 99}}) {
    SCOPED_TRACE(percent);
    gauge_.SetProgress(percent);
    Canvas canvas(101, 22);
    PaintInto(canvas);
    // The share is the fill's right edge: columns 1 .. share - 1, rows 1 .. 20.
    EXPECT_EQ(canvas.CountColor(0, 0, 101, 22, kBlue), columns * 20);
    EXPECT_EQ(canvas.CountColor(1, 1, 1 + columns, 21, kBlue), columns * 20);
    EXPECT_EQ(canvas.CountColor(0, 0, 101, 22, kWhite), (99 - columns) * 20);
  }
}

TEST_F(GaugePaint, VerticalBarFillsItsShareFromTheBottom) {
  gauge_.SetBounds(0, 0, 22, 102);
  gauge_.SetKind(app::gkVerticalBar);
  gauge_.SetForeColor(app::clBlue);
  gauge_.SetShowText(false);
  for (const auto& [percent, rows] : {std::pair{0, 0}, {10, 10}, {50, 50}, {100, 100}}) {
    SCOPED_TRACE(percent);
    gauge_.SetProgress(percent);
    Canvas canvas(22, 102);
    PaintInto(canvas);
    EXPECT_EQ(canvas.CountColor(0, 0, 22, 102, kBlue), rows * 20);
    EXPECT_EQ(canvas.CountColor(1, 101 - rows, 21, 101, kBlue), rows * 20);
  }
}

TEST_F(GaugePaint, NeedlePointsAlongItsHalfDial) {
  gauge_.SetBounds(0, 0, 101, 51);
  gauge_.SetKind(app::gkNeedle);
  gauge_.SetForeColor(app::clBlue);
  gauge_.SetColor(app::clTeal);
  gauge_.SetShowText(false);
  const struct {
    int percent;
    POINT blue, white;                     // on the needle, and where the needle is not
  } cases[] = {{0, {50, 30}, {30, 30}},    // no needle at all
               {25, {40, 39}, {60, 39}},   // from (50, 49) up-left to (15, 14)
               {50, {50, 25}, {40, 39}},   // straight up
               {75, {60, 39}, {40, 39}}};  // up-right to (85, 14)
  for (const auto& c : cases) {
    SCOPED_TRACE(c.percent);
    gauge_.SetProgress(c.percent);
    Canvas canvas(101, 51);
    PaintInto(canvas);
    if (c.percent > 0) {
      EXPECT_EQ(canvas.Pixel(c.blue.x, c.blue.y), kBlue);
    }
    EXPECT_EQ(canvas.Pixel(c.white.x, c.white.y), kWhite);
    EXPECT_EQ(canvas.Pixel(2, 2), kTeal);   // outside the dial
    EXPECT_EQ(canvas.Pixel(50, 1), kBlue);  // the dial's outline at its top
  }
}

TEST_F(GaugePaint, PaintOnDrawsAtItsPlaceWithinTheCallersClipping) {
  MakeInstallerGauge(gauge_);
  gauge_.SetBounds(40, 30, 163, 145);
  gauge_.SetProgress(100);
  Canvas parent(260, 200);
  // The caller's clipping (as in a paint of part of the window): the gauge's left half.
  HRGN region = ::CreateRectRgn(0, 0, 40 + 81, 200);
  ::SelectClipRgn(parent.Dc(), region);
  ::DeleteObject(region);
  gauge_.PaintOn(parent.Dc());
  ::SelectClipRgn(parent.Dc(), nullptr);
  EXPECT_EQ(parent.Pixel(40, 30), kBlack);                           // frame corner
  EXPECT_EQ(parent.Pixel(40 + 60, 30 + 40), kBlue);                  // left half drawn
  EXPECT_EQ(parent.Pixel(40 + 110, 30 + 40), kGreen);                // right half clipped away
  EXPECT_EQ(parent.CountColor(0, 0, 260, 30, kGreen), 260 * 30);     // nothing above
  EXPECT_EQ(parent.CountColor(0, 0, 40, 200, kGreen), 40 * 200);     // nothing left of it
  EXPECT_EQ(parent.CountColor(0, 175, 260, 200, kGreen), 260 * 25);  // nothing below

  gauge_.SetVisible(false);
  Canvas hidden(260, 200);
  gauge_.PaintOn(hidden.Dc());
  EXPECT_EQ(hidden.CountColor(0, 0, 260, 200, kGreen), 260 * 200);
}

TEST_F(GaugePaint, OverlayIsMadeLikeItsTemplateInTheWindowFrameColour) {
  app::TBitmap image;
  ASSERT_TRUE(image.SetSize(17, 9));
  app::TBltBitmap overlay;
  ASSERT_TRUE(overlay.MakeLike(image));
  EXPECT_EQ(overlay.Width(), 17);
  EXPECT_EQ(overlay.Height(), 9);
  const COLORREF frame = ::GetSysColor(COLOR_WINDOWFRAME);
  for (POINT p : {POINT{0, 0}, POINT{16, 8}, POINT{8, 4}})
    EXPECT_EQ(::GetPixel(overlay.Canvas(), p.x, p.y), frame);
  app::TBitmap empty;
  EXPECT_FALSE(overlay.MakeLike(empty));
  EXPECT_EQ(overlay.Canvas(), nullptr);
}

}  // namespace
}  // namespace apptest
#endif
