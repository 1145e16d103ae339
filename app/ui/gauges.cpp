#include "app/ui/gauges.h"

#include <utility>

#include "app/core/gauge_math.h"
#include "platform/exceptions.h"
#include "platform/format.h"

namespace app {
namespace {

RECT ToRect(const GaugeRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void FillWith(HDC dc, const GaugeRect& r, TColor color) {
  const gdi::Brush brush(::CreateSolidBrush(ColorToRGB(color)));
  if (!brush) return;
  const RECT rect = ToRect(r);
  ::FillRect(dc, &rect, brush.Get());
}

// Clears a whole layer to black, as a raster operation over the layer's rectangle.
void Blacken(const TBitmap& layer) {
  ::BitBlt(layer.Canvas(), 0, 0, layer.Width(), layer.Height(), layer.Canvas(), 0, 0, BLACKNESS);
}

// A 1-pixel solid pen and a solid brush, selected for as long as the object lives.
class PenAndBrush {
 public:
  PenAndBrush(HDC dc, TColor pen, TColor brush)
      : pen_(::CreatePen(PS_SOLID, 1, ColorToRGB(pen))),
        brush_(::CreateSolidBrush(ColorToRGB(brush))),
        penSelection_(dc, pen_.Get()),
        brushSelection_(dc, brush_.Get()) {}

 private:
  gdi::Pen pen_;
  gdi::Brush brush_;
  gdi::Selection penSelection_;
  gdi::Selection brushSelection_;
};

void Line(HDC dc, GaugePoint from, GaugePoint to) {
  ::MoveToEx(dc, from.x, from.y, nullptr);
  ::LineTo(dc, to.x, to.y);
}

}  // namespace

COLORREF ColorToRGB(TColor c) {
  if (c & 0x80000000u) return ::GetSysColor(static_cast<int>(c & 0xFF));
  return c & 0x00FFFFFF;
}

bool TBitmap::SetSize(int width, int height) {
  selection_.reset();
  dc_.Reset();
  bitmap_.Reset();
  width_ = height_ = 0;
  if (width <= 0 || height <= 0) return false;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  gdi::Bitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  gdi::MemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc) return false;
  bitmap_ = std::move(bitmap);
  dc_ = std::move(dc);
  selection_.emplace(dc_.Get(), bitmap_.Get());
  width_ = width;
  height_ = height;
  return true;
}

bool TBltBitmap::MakeLike(const TBitmap& ATemplate) {
  if (!SetSize(ATemplate.Width(), ATemplate.Height())) return false;
  FillWith(Canvas(), GaugeRect{0, 0, Width(), Height()}, clWindowFrame);
  return true;
}

TGauge::TGauge(platform::TComponent* AOwner) : platform::TComponent(AOwner) {}

void TGauge::SetParentWindow(HWND parent) {
  if (parent == parent_) return;
  parent_ = parent;
  Invalidate(false);
}

void TGauge::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate(true);  // what was beneath the old rectangle shows again
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate(false);
}

void TGauge::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  // Hidden, what lies beneath shows again; shown, the parent's next paint draws it.
  Invalidate(!visible);
}

void TGauge::SetMinValue(int32_t value) {
  if (values_.SetMinValue(value, Loading)) Repaint();
}

void TGauge::SetMaxValue(int32_t value) {
  if (values_.SetMaxValue(value, Loading)) Repaint();
}

void TGauge::SetProgress(int32_t value) {
  if (values_.SetProgress(value)) Repaint();
}

void TGauge::SetKind(TGaugeKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  Repaint();
}

void TGauge::SetShowText(bool show) {
  if (show == showText_) return;
  showText_ = show;
  Repaint();
}

void TGauge::SetBorderStyle(TBorderStyle style) {
  if (style == border_) return;
  border_ = style;
  Repaint();
}

void TGauge::SetForeColor(TColor color) {
  if (color == foreColor_) return;
  foreColor_ = color;
  Repaint();
}

void TGauge::SetBackColor(TColor color) {
  if (color == backColor_) return;
  backColor_ = color;
  Repaint();
}

void TGauge::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Invalidate(false);
}

void TGauge::SetFont(const TFont& font) {
  font_ = font;
  Invalidate(false);
}

void TGauge::Paint(HDC dc) { DrawAt(dc, 0, 0); }

void TGauge::PaintOn(HDC parentDc) {
  if (!visible_ || !parentDc) return;
  const gdi::SavedState state(parentDc);
  if (!state.Valid()) return;
  // Narrows the clipping the caller has set up (a paint's update region, say).
  if (::IntersectClipRect(parentDc, left_, top_, left_ + width_, top_ + height_) == ERROR) return;
  DrawAt(parentDc, left_, top_);
}

void TGauge::Repaint() {
  if (!visible_ || !parent_ || !::IsWindow(parent_)) return;
  const gdi::WindowDc dc(parent_);
  if (dc.Get()) PaintOn(dc.Get());
}

void TGauge::Invalidate(bool erase) {
  if (!parent_ || !::IsWindow(parent_)) return;
  const RECT r{left_, top_, left_ + width_, top_ + height_};
  ::InvalidateRect(parent_, &r, erase ? TRUE : FALSE);
}

void TGauge::DrawAt(HDC dc, int x, int y) {
  // The image starts black; the style is drawn on a black overlay and XORed in, so the
  // image holds the drawing and a single border's frame stays black.
  TBitmap image;
  if (!image.SetSize(width_, height_)) return;
  Blacken(image);
  {
    TBltBitmap overlay;
    if (!overlay.MakeLike(image)) return;
    Blacken(overlay);
    DrawKind(overlay.Canvas());
    ::BitBlt(image.Canvas(), 0, 0, width_, height_, overlay.Canvas(), 0, 0, SRCINVERT);
  }
  if (showText_) DrawPercentText(image);
  ::BitBlt(dc, x, y, width_, height_, image.Canvas(), 0, 0, SRCCOPY);
}

void TGauge::DrawKind(HDC overlay) const {
  const bool single = border_ == bsSingle;
  const GaugeRect paint = GaugePaintRect(width_, height_, single);
  const int32_t percent = ProgressPercent();
  switch (kind_) {
    case gkText:
      FillWith(overlay, paint, backColor_);
      break;
    case gkHorizontalBar:
    case gkVerticalBar: {
      FillWith(overlay, paint, backColor_);
      const GaugeRect fill = kind_ == gkHorizontalBar ? GaugeHorizontalBarFill(paint, percent)
                                                      : GaugeVerticalBarFill(paint, percent);
      if (!fill.Empty()) FillWith(overlay, fill, foreColor_);
      break;
    }
    case gkPie: {
      FillWith(overlay, paint, color_);
      const GaugePie pie = GaugePieLayout(paint, single, percent);
      const GaugeRect& b = pie.box;
      {
        const PenAndBrush disc(overlay, foreColor_, backColor_);
        ::Ellipse(overlay, b.left, b.top, b.right, b.bottom);
      }
      const PenAndBrush wedge(overlay, foreColor_, foreColor_);
      if (pie.wedge == PieWedge::Full) {
        ::Ellipse(overlay, b.left, b.top, b.right, b.bottom);
      } else if (pie.wedge == PieWedge::Partial) {
        ::SetArcDirection(overlay, AD_COUNTERCLOCKWISE);
        ::Pie(overlay, b.left, b.top, b.right, b.bottom, pie.start.x, pie.start.y, pie.end.x,
              pie.end.y);
      }
      break;
    }
    case gkNeedle: {
      FillWith(overlay, paint, color_);
      const GaugeNeedle n = GaugeNeedleLayout(paint, single, width_, percent);
      const PenAndBrush dial(overlay, foreColor_, backColor_);
      ::SetArcDirection(overlay, AD_COUNTERCLOCKWISE);
      ::Pie(overlay, n.box.left, n.box.top, n.box.right, n.box.bottom, n.dialStart.x, n.dialStart.y,
            n.dialEnd.x, n.dialEnd.y);
      Line(overlay, n.baseFrom, n.baseTo);
      if (n.hasNeedle) Line(overlay, n.needleFrom, n.needleTo);
      break;
    }
  }
}

void TGauge::DrawPercentText(const TBitmap& image) const {
  TBltBitmap layer;
  if (!layer.MakeLike(image)) return;
  Blacken(layer);
  const HDC dc = layer.Canvas();
  const gdi::Font font(::CreateFontA(font_.Height, 0, 0, 0, font_.Bold ? FW_BOLD : FW_NORMAL, FALSE,
                                     FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH,
                                     font_.Name.c_str()));
  const gdi::Selection selected(dc, font.Get());
  // White text on black, XORed into the image: it inverts whatever lies beneath. The
  // font is drawn without antialiasing, since a partly covered pixel would not invert.
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(255, 255, 255));
  ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  const std::string text = platform::Fmt("%d%%", ProgressPercent());
  const int length = static_cast<int>(text.size());
  SIZE extent = {};
  ::GetTextExtentPoint32A(dc, text.c_str(), length, &extent);
  const GaugeRect paint = GaugePaintRect(width_, height_, border_ == bsSingle);
  const GaugePoint at = GaugeTextOrigin(paint, extent.cx, extent.cy);
  const RECT clip = ToRect(paint);
  ::ExtTextOutA(dc, at.x, at.y, ETO_CLIPPED, &clip, text.c_str(), static_cast<UINT>(length),
                nullptr);
  ::BitBlt(image.Canvas(), 0, 0, image.Width(), image.Height(), dc, 0, 0, SRCINVERT);
}

}  // namespace app
