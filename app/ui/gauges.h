// The progress gauge of the installer window: a windowless control that draws a value
// between MinValue and MaxValue as a percentage, in one of five styles, with the
// percentage written on top. Every drawing is composed in off-screen bitmaps and copied
// to its destination in one step; it covers every pixel of the gauge's rectangle, so
// nothing behind it needs repainting first.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "app/core/gauge_values.h"
#include "app/ui/gdi.h"
#include "platform/component.h"

namespace app {

// 0x00BBGGRR, or 0x80000000 | a system colour index (COLOR_xxx).
using TColor = uint32_t;
inline constexpr TColor clBlack = 0x000000, clWhite = 0xFFFFFF, clBlue = 0xFF0000,
                        clYellow = 0x00FFFF, clTeal = 0x808000,
                        clBackground = 0x80000000 | COLOR_BACKGROUND,
                        clWindow = 0x80000000 | COLOR_WINDOW,
                        clWindowFrame = 0x80000000 | COLOR_WINDOWFRAME,
                        clWindowText = 0x80000000 | COLOR_WINDOWTEXT,
                        clBtnFace = 0x80000000 | COLOR_BTNFACE;

// The RGB value of a colour; system colours are looked up with GetSysColor.
COLORREF ColorToRGB(TColor c);

struct TFont {
  std::string Name = "MS Sans Serif";
  int Height = -11;  // negative: character height in pixels, as CreateFont takes it
  bool Bold = false;
  TColor Color = clWindowText;
};

enum TGaugeKind : uint8_t { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum TBorderStyle : uint8_t { bsNone, bsSingle };

// An off-screen bitmap with its own memory device context. It holds 32 bits per pixel,
// so colours stay exact whatever the display's depth.
class TBitmap {
 public:
  TBitmap() = default;
  virtual ~TBitmap() = default;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  // Replaces the bitmap with a black one of this size; false (and empty) when the size
  // is not positive or GDI refuses.
  bool SetSize(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The device context to draw with; null while the bitmap is empty.
  HDC Canvas() const { return dc_.Get(); }

 private:
  // Declared so that the bitmap is selected out before the context and the bitmap go.
  gdi::Bitmap bitmap_;
  gdi::MemoryDc dc_;
  std::optional<gdi::Selection> selection_;
  int width_ = 0;
  int height_ = 0;
};

// The gauge's drawing layers.
class TBltBitmap : public TBitmap {
 public:
  // Takes the template's width and height and fills itself with the window-frame
  // colour (clWindowFrame), solid brush. False when the bitmap cannot be made.
  bool MakeLike(const TBitmap& ATemplate);
};

class TGauge : public platform::TComponent {
 public:
  explicit TGauge(platform::TComponent* AOwner);

  // The window the gauge paints on; null while there is none.
  void SetParentWindow(HWND parent);
  HWND ParentWindow() const { return parent_; }
  // Position in the parent's client area, and size. A change invalidates the old and
  // the new rectangle on the parent.
  void SetBounds(int left, int top, int width, int height);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  // The values and their rules are TGaugeValues'. A change of MinValue or MaxValue
  // repaints at once; one of Progress only when the percentage shown changes.
  int32_t MinValue() const { return values_.MinValue(); }
  void SetMinValue(int32_t value);
  int32_t MaxValue() const { return values_.MaxValue(); }
  void SetMaxValue(int32_t value);
  int32_t Progress() const { return values_.Progress(); }
  void SetProgress(int32_t value);

  // The style properties repaint at once when their value changes.
  TGaugeKind Kind() const { return kind_; }
  void SetKind(TGaugeKind kind);
  bool ShowText() const { return showText_; }
  void SetShowText(bool show);
  TBorderStyle BorderStyle() const { return border_; }
  void SetBorderStyle(TBorderStyle style);
  TColor ForeColor() const { return foreColor_; }  // the filled part and outlines
  void SetForeColor(TColor color);
  TColor BackColor() const { return backColor_; }  // the unfilled part, the disc, the dial
  void SetBackColor(TColor color);
  // The area around the disc or dial; a change is painted with the parent's next paint.
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // The percentage text's font; a change is painted with the parent's next paint.
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);

  int32_t ProgressPercent() const { return values_.ProgressPercent(); }

  // While true (a stored form being loaded) MinValue and MaxValue accept any value.
  bool Loading = false;

  // Draws the whole gauge into dc with the gauge's top-left corner at (0, 0).
  void Paint(HDC dc);
  // For the parent's paint: draws a visible gauge at (Left, Top), clipped to its
  // rectangle within whatever clipping dc already has.
  void PaintOn(HDC parentDc);
  // Draws now on the parent window, if the gauge is visible and the parent window exists.
  void Repaint();

 private:
  void DrawAt(HDC dc, int x, int y);
  void DrawKind(HDC overlay) const;
  void DrawPercentText(const TBitmap& image) const;
  void Invalidate(bool erase);

  HWND parent_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int width_ = 100;
  int height_ = 100;
  bool visible_ = true;
  TGaugeValues values_;
  TGaugeKind kind_ = gkHorizontalBar;
  bool showText_ = true;
  TBorderStyle border_ = bsSingle;
  TColor foreColor_ = clBlack;
  TColor backColor_ = clWhite;
  TColor color_ = clWindow;
  TFont font_;
};

}  // namespace app
