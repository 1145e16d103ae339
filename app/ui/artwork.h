// The installer's own pictures, drawn in code: the emblem shown in the window's picture
// and the glyphs of its two buttons.
#pragma once

#include <windows.h>

namespace app {

// A new bitmap compatible with `dc` holding the emblem, 98 x 66 pixels; the window
// shows it stretched into its picture. The caller deletes it.
HBITMAP MakeEmblem(HDC dc);
inline constexpr int kEmblemWidth = 98, kEmblemHeight = 66;

// Button glyphs, 16 x 16 pixels with their top-left corner at (x, y); greyed when the
// button is disabled.
inline constexpr int kGlyphSize = 16;
void DrawInstallGlyph(HDC dc, int x, int y, bool enabled);
void DrawExitGlyph(HDC dc, int x, int y, bool enabled);

}  // namespace app
