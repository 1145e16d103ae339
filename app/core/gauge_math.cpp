#include "app/core/gauge_math.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace app {
namespace {

static_assert(std::numeric_limits<long double>::digits == 64,
              "the gauge's shares need long double with a 64-bit mantissa (x87 extended)");

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
// Runs the x87 unit at extended precision, rounding to nearest, for the lifetime of
// the object, and then restores its control word. A process may have left the unit at
// double or single precision (some system libraries do), which would round each
// product differently and change the shares.
class ExtendedPrecision {
 public:
  ExtendedPrecision() {
    __asm__ __volatile__("fnstcw %0" : "=m"(saved_));
    // Precision control (bits 8-9) 11 = 64-bit mantissa; rounding (bits 10-11) 00 = nearest.
    const unsigned short extended = static_cast<unsigned short>((saved_ & ~0x0F00u) | 0x0300u);
    __asm__ __volatile__("fldcw %0" : : "m"(extended));
  }
  ~ExtendedPrecision() { __asm__ __volatile__("fldcw %0" : : "m"(saved_)); }
  ExtendedPrecision(const ExtendedPrecision&) = delete;
  ExtendedPrecision& operator=(const ExtendedPrecision&) = delete;

 private:
  unsigned short saved_ = 0;
};
#else
struct ExtendedPrecision {};
#endif

constexpr long double kPi = std::numbers::pi_v<long double>;

int32_t ClampToInt32(long double v) {
  if (v >= static_cast<long double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (v <= static_cast<long double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);  // truncates toward zero
}

// Nearest integer, halves to even (the default rounding mode, which the caller's
// ExtendedPrecision has set).
int32_t RoundHalfEven(long double v) { return ClampToInt32(std::nearbyint(v)); }

}  // namespace

int32_t GaugePercent(int32_t minValue, int32_t maxValue, int32_t progress) {
  if (maxValue == minValue) return 0;
  const ExtendedPrecision extended;
  const long double done = static_cast<long double>(int64_t{progress} - minValue);
  const long double range = static_cast<long double>(int64_t{maxValue} - minValue);
  return ClampToInt32(done * 100 / range);
}

int32_t GaugeShare(int32_t length, int32_t percent) {
  const ExtendedPrecision extended;
  // Stored through volatile so that each product is rounded to long double on its own
  // and the compiler cannot merge the two multiplications.
  volatile long double hundredth = 0.01L;  // slightly below 1/100 at 64 bits
  volatile long double fraction = static_cast<long double>(percent) * hundredth;
  volatile long double share = static_cast<long double>(length) * fraction;
  return ClampToInt32(share);
}

GaugeRect GaugePaintRect(int32_t width, int32_t height, bool singleBorder) {
  GaugeRect r{0, 0, width, height};
  if (singleBorder) r = {1, 1, width - 1, height - 1};
  return r;
}

GaugePoint GaugeTextOrigin(const GaugeRect& paint, int32_t textWidth, int32_t textHeight) {
  // Integer division truncates toward zero, also for text larger than the rectangle.
  return {(paint.right - paint.left + 1 - textWidth) / 2,
          (paint.bottom - paint.top + 1 - textHeight) / 2};
}

GaugeRect GaugeHorizontalBarFill(const GaugeRect& paint, int32_t percent) {
  const int32_t w = paint.right - paint.left + 1;
  const int32_t h = paint.bottom - paint.top + 1;
  int32_t fill = GaugeShare(w, percent);
  if (fill > w) fill = w;
  // The share is the fill's right edge, so with a border (left 1) the +1 above is what
  // makes a full bar reach the paint rectangle's right edge.
  const GaugeRect r{paint.left, paint.top, fill, h};
  return fill > 0 && !r.Empty() ? r : GaugeRect{};
}

GaugeRect GaugeVerticalBarFill(const GaugeRect& paint, int32_t percent) {
  const int32_t w = paint.right - paint.left + 1;
  const int32_t h = paint.bottom - paint.top + 1;
  int32_t fill = GaugeShare(h, percent);
  if (fill >= h) fill = h - 1;
  const GaugeRect r{paint.left, h - fill, w, h};
  return fill > 0 && !r.Empty() ? r : GaugeRect{};
}

GaugePoint GaugePieStart(int32_t middleX, int32_t middleY, int32_t percent) {
  const ExtendedPrecision extended;
  const long double angle = kPi * (static_cast<long double>(percent) / 50 + 0.5L);
  return {RoundHalfEven(middleX * (1 - std::cos(angle))),
          RoundHalfEven(middleY * (1 - std::sin(angle)))};
}

GaugePie GaugePieLayout(const GaugeRect& paint, bool singleBorder, int32_t percent) {
  const int32_t extra = singleBorder ? 1 : 0;
  const int32_t w = paint.right - paint.left + extra;
  const int32_t h = paint.bottom - paint.top + extra;
  GaugePie pie;
  // The width and height serve as the box's right and bottom coordinates.
  pie.box = {paint.left, paint.top, w, h};
  pie.end = {w / 2, 0};
  if (percent <= 0) return pie;
  if (percent >= 100) {
    pie.wedge = PieWedge::Full;
    return pie;
  }
  pie.start = GaugePieStart(w / 2, h / 2, percent);
  if (pie.start == pie.end) {
    // On a small gauge a wedge near 0 % or near 100 % rounds onto 12 o'clock; GDI would
    // then draw either nothing or the whole disc. Take the one nearer the truth.
    pie.wedge = percent >= 50 ? PieWedge::Full : PieWedge::None;
  } else {
    pie.wedge = PieWedge::Partial;
  }
  return pie;
}

GaugePoint GaugeNeedleTip(int32_t middle, int32_t baseY, int32_t percent) {
  const ExtendedPrecision extended;
  const long double angle = kPi * static_cast<long double>(percent) / 100;
  return {RoundHalfEven(middle * (1 - std::cos(angle))),
          RoundHalfEven(baseY * (1 - std::sin(angle)))};
}

GaugeNeedle GaugeNeedleLayout(const GaugeRect& paint, bool singleBorder, int32_t gaugeWidth,
                              int32_t percent) {
  const int32_t extra = singleBorder ? 1 : 0;
  const int32_t w = paint.right - paint.left + extra;
  const int32_t h = paint.bottom - paint.top + extra;
  GaugeNeedle n;
  // Twice the height, so that the upper half of the ellipse fills the paint rectangle.
  n.box = {paint.left, paint.top, w, 2 * h - 1};
  n.dialStart = {paint.left + w, paint.bottom - 1};
  n.dialEnd = {paint.left, paint.bottom - 1};
  n.baseFrom = {paint.left, paint.bottom};
  n.baseTo = {paint.left + w, paint.bottom};
  n.hasNeedle = percent > 0;
  if (n.hasNeedle) {
    const int32_t middle = gaugeWidth / 2;
    n.needleFrom = {middle, paint.bottom - 1};
    n.needleTo = GaugeNeedleTip(middle, paint.bottom - 1, percent);
  }
  return n;
}

}  // namespace app
