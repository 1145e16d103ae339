// Reading back what a gauge drew: a 32-bit memory bitmap to paint into, its pixels as
// COLORREF values, and the parts of the installer's pie gauge to sample.
#pragma once
#ifdef _WIN32
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <functional>

#include "app/ui/gauges.h"

namespace apptest {

inline constexpr COLORREF kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255),
                          kBlack = RGB(0, 0, 0), kYellow = RGB(255, 255, 0),
                          kTeal = RGB(0, 128, 128), kGreen = RGB(0, 255, 0);

// A memory device context with a top-down 32-bit bitmap, first filled with `fill`.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = kGreen) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const uint32_t*>(bits);
    dc_ = ::CreateCompatibleDC(nullptr);
    old_ = ::SelectObject(dc_, bitmap_);
    Fill(fill);
  }
  ~Canvas() {
    ::SelectObject(dc_, old_);
    ::DeleteDC(dc_);
    ::DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  bool Valid() const { return bits_ != nullptr && dc_ != nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  void Fill(COLORREF color) {
    HBRUSH brush = ::CreateSolidBrush(color);
    const RECT all{0, 0, width_, height_};
    ::FillRect(dc_, &all, brush);
    ::DeleteObject(brush);
    ::GdiFlush();
  }

  COLORREF Pixel(int x, int y) const {
    ::GdiFlush();
    const uint32_t bgra = bits_[static_cast<size_t>(y) * width_ + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
  }

  // Pixels in [left, right) x [top, bottom) that satisfy `take`.
  int Count(int left, int top, int right, int bottom,
            const std::function<bool(int, int)>& take) const {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += take(x, y) ? 1 : 0;
    return n;
  }
  int CountColor(int left, int top, int right, int bottom, COLORREF color) const {
    return Count(left, top, right, bottom, [&](int x, int y) { return Pixel(x, y) == color; });
  }

 private:
  int width_, height_;
  HBITMAP bitmap_ = nullptr;
  const uint32_t* bits_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// The installer's gauge: 163 x 145, pie, blue on the white disc, the desktop colour
// around it, a single border.
inline void MakeInstallerGauge(app::TGauge& gauge) {
  gauge.SetBounds(0, 0, 163, 145);
  gauge.SetKind(app::gkPie);
  gauge.SetForeColor(app::clBlue);
  gauge.SetColor(app::clBackground);
}

// Where the installer's disc lies: its bounding box is (1, 1)-(162, 144).
struct Disc {
  double cx = 81.5, cy = 72.5, rx = 80.5, ry = 71.5;
  // Squared distance from the centre of pixel (x, y), 1 on the outline.
  double Radius2(int x, int y) const {
    const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
    return dx * dx + dy * dy;
  }
  // Well inside the outline, off the two axes (where the wedge's edges lie) and away from
  // the percentage text in the middle.
  bool Interior(int x, int y) const {
    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
    if (Radius2(x, y) > 0.85) return false;
    if (std::fabs(dx) < 3 || std::fabs(dy) < 3) return false;
    return !(std::fabs(dx) < 26 && std::fabs(dy) < 12);
  }
  // The pixel at `r` (0..1 of the radius) and `degrees` clockwise from 12 o'clock, on
  // the ellipse's own angle, which is how the wedge's start point was placed.
  POINT At(double r, double degrees) const {
    const double a = degrees * 3.14159265358979323846 / 180;
    return {static_cast<LONG>(std::floor(cx + r * rx * std::sin(a))),
            static_cast<LONG>(std::floor(cy - r * ry * std::cos(a)))};
  }
};

}  // namespace apptest
#endif
