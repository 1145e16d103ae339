#include "app/ui/artwork.h"

#include <initializer_list>

#include "app/ui/gdi.h"

namespace app {
namespace {

gdi::Brush SolidBrush(COLORREF c) { return gdi::Brush(::CreateSolidBrush(c)); }
gdi::Pen SolidPen(int width, COLORREF c) { return gdi::Pen(::CreatePen(PS_SOLID, width, c)); }

// One database disc of the emblem's stack: an ellipse over a short cylinder.
void Disc(HDC dc, int left, int top, int width, int height, COLORREF side, COLORREF face) {
  const int lid = height / 3;
  gdi::Brush sideBrush = SolidBrush(side);
  gdi::Pen edge = SolidPen(1, RGB(0, 0, 64));
  gdi::Selection brush(dc, sideBrush.Get()), pen(dc, edge.Get());
  ::Rectangle(dc, left, top + lid / 2, left + width, top + height - lid / 2);
  ::Ellipse(dc, left, top + height - lid, left + width, top + height);
  gdi::Brush faceBrush = SolidBrush(face);
  gdi::Selection faceSelected(dc, faceBrush.Get());
  ::Ellipse(dc, left, top, left + width, top + lid);
}

COLORREF Grey(COLORREF c, bool enabled) {
  if (enabled) return c;
  const int l = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
  const int g = 128 + l / 3;
  return RGB(g, g, g);
}

}  // namespace

HBITMAP MakeEmblem(HDC dc) {
  gdi::MemoryDc mem(::CreateCompatibleDC(dc));
  HBITMAP bitmap = ::CreateCompatibleBitmap(dc, kEmblemWidth, kEmblemHeight);
  if (!bitmap || !mem) return bitmap;
  gdi::Selection keep(mem.Get(), bitmap);
  // A deep blue plate with a lighter band, three discs of data and a yellow spark.
  const RECT all = {0, 0, kEmblemWidth, kEmblemHeight}, band = {0, 44, kEmblemWidth, 66};
  ::FillRect(mem.Get(), &all, SolidBrush(RGB(0, 48, 120)).Get());
  ::FillRect(mem.Get(), &band, SolidBrush(RGB(0, 96, 160)).Get());
  for (int i = 0; i < 3; ++i)
    Disc(mem.Get(), 14, 34 - i * 13, 46, 22, RGB(0, 140 + i * 30, 140 + i * 30),
         RGB(180 + i * 20, 255, 255));
  gdi::Brush spark = SolidBrush(RGB(255, 220, 0));
  gdi::Pen sparkEdge = SolidPen(1, RGB(255, 255, 160));
  gdi::Selection b(mem.Get(), spark.Get()), p(mem.Get(), sparkEdge.Get());
  const POINT star[] = {{78, 6},  {82, 18}, {94, 20}, {84, 27}, {88, 40},
                        {78, 32}, {68, 40}, {72, 27}, {62, 20}, {74, 18}};
  ::Polygon(mem.Get(), star, 10);
  return bitmap;
}

void DrawInstallGlyph(HDC dc, int x, int y, bool enabled) {
  // A green arrow going down into an open tray.
  gdi::Brush green = SolidBrush(Grey(RGB(0, 160, 0), enabled));
  gdi::Pen dark = SolidPen(1, Grey(RGB(0, 80, 0), enabled));
  gdi::Selection b(dc, green.Get()), p(dc, dark.Get());
  const POINT arrow[] = {{x + 6, y + 1},  {x + 10, y + 1}, {x + 10, y + 6}, {x + 13, y + 6},
                         {x + 8, y + 11}, {x + 3, y + 6},  {x + 6, y + 6}};
  ::Polygon(dc, arrow, 7);
  gdi::Pen tray = SolidPen(2, Grey(RGB(64, 64, 64), enabled));
  gdi::Selection t(dc, tray.Get());
  ::MoveToEx(dc, x + 1, y + 10, nullptr);
  ::LineTo(dc, x + 1, y + 14);
  ::LineTo(dc, x + 15, y + 14);
  ::LineTo(dc, x + 15, y + 10);
}

void DrawExitGlyph(HDC dc, int x, int y, bool enabled) {
  // An open door with a red arrow leaving through it.
  gdi::Brush door = SolidBrush(Grey(RGB(160, 96, 32), enabled));
  gdi::Pen frame = SolidPen(1, Grey(RGB(80, 48, 16), enabled));
  gdi::Selection b(dc, door.Get()), p(dc, frame.Get());
  const POINT leaf[] = {{x + 1, y + 1}, {x + 7, y + 3}, {x + 7, y + 15}, {x + 1, y + 14}};
  ::Polygon(dc, leaf, 4);
  gdi::Brush red = SolidBrush(Grey(RGB(200, 0, 0), enabled));
  gdi::Pen redEdge = SolidPen(1, Grey(RGB(120, 0, 0), enabled));
  gdi::Selection rb(dc, red.Get()), rp(dc, redEdge.Get());
  const POINT arrow[] = {{x + 8, y + 7},   {x + 11, y + 7}, {x + 11, y + 4}, {x + 15, y + 8},
                         {x + 11, y + 12}, {x + 11, y + 9}, {x + 8, y + 9}};
  ::Polygon(dc, arrow, 7);
}

}  // namespace app
