// The arithmetic of the progress gauge, apart from any drawing: the percentage shown,
// the filled share of a bar, and where each style puts its shapes and its text. All
// rectangles are (left, top, right, bottom) with right and bottom exclusive, as GDI
// takes them; the gauge's own top-left corner is (0, 0).
#pragma once

#include <cstdint>

namespace app {

struct GaugePoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const GaugePoint&, const GaugePoint&) = default;
};

struct GaugeRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const GaugeRect&, const GaugeRect&) = default;
};

// The percentage of `progress` within minValue..maxValue: (progress - minValue) * 100 /
// (maxValue - minValue) in floating point, truncated toward zero; 0 for an empty range.
// The differences are taken in 64 bits, so ranges wider than 2^31 give the right value.
int32_t GaugePercent(int32_t minValue, int32_t maxValue, int32_t progress);

// The share of `length` at `percent`: trunc(length * (percent * 0.01)) with the constant
// 0.01 and each product held in extended precision (64-bit mantissa, rounded to nearest),
// whatever precision the floating-point unit was left in. It equals percent * length div
// 100 except that an exact multiple of 100 often comes out one less: a 100-pixel bar gets
// 4 at 5 % and 9 at 10 %, but 25 at 25 %. Results beyond 32 bits are clamped.
int32_t GaugeShare(int32_t length, int32_t percent);

// The drawing area: the gauge's rectangle, shrunk by one pixel on every side when it has
// a single border (the frame stays black).
GaugeRect GaugePaintRect(int32_t width, int32_t height, bool singleBorder);

// Where the percentage text of the given extent starts, in image coordinates: centred
// in the paint rectangle with truncating division, so an odd remainder leaves the text
// up to one pixel left of (and above) the exact centre.
GaugePoint GaugeTextOrigin(const GaugeRect& paint, int32_t textWidth, int32_t textHeight);

// Horizontal bar: the rectangle filled in the fore colour (empty when nothing is).
GaugeRect GaugeHorizontalBarFill(const GaugeRect& paint, int32_t percent);
// Vertical bar, filled from the bottom; a full share is cut to one less than the height.
GaugeRect GaugeVerticalBarFill(const GaugeRect& paint, int32_t percent);

// Pie: the disc's bounding box and the wedge over it, swept counterclockwise (the GDI
// convention) from `start` to `end` at 12 o'clock, which covers the percentage clockwise
// from 12 o'clock. A full wedge is the whole disc, drawn as an ellipse because GDI
// implementations disagree about a pie whose two points coincide; a wedge too thin to
// separate its two points is not drawn at all.
enum class PieWedge { None, Partial, Full };
struct GaugePie {
  GaugeRect box;
  PieWedge wedge = PieWedge::None;
  GaugePoint start;
  GaugePoint end;
};
GaugePie GaugePieLayout(const GaugeRect& paint, bool singleBorder, int32_t percent);

// The pie's start point: (round(middleX * (1 - cos a)), round(middleY * (1 - sin a)))
// with a = pi * (percent / 50 + 0.5), rounding halves to even.
GaugePoint GaugePieStart(int32_t middleX, int32_t middleY, int32_t percent);

// Needle: a half-disc dial (a pie over the upper half of `box`, from `dialStart` to
// `dialEnd`), a base line from `baseFrom` to `baseTo` (end point excluded, as GDI draws
// lines), and for a percentage above 0 the needle from `needleFrom` to `needleTo`.
struct GaugeNeedle {
  GaugeRect box;
  GaugePoint dialStart;
  GaugePoint dialEnd;
  GaugePoint baseFrom;
  GaugePoint baseTo;
  bool hasNeedle = false;
  GaugePoint needleFrom;
  GaugePoint needleTo;
};
GaugeNeedle GaugeNeedleLayout(const GaugeRect& paint, bool singleBorder, int32_t gaugeWidth,
                              int32_t percent);

// The needle's tip: (round(middle * (1 - cos a)), round(baseY * (1 - sin a))) with
// a = pi * percent / 100, so 0 % points left along the base and 100 % right.
GaugePoint GaugeNeedleTip(int32_t middle, int32_t baseY, int32_t percent);

}  // namespace app
