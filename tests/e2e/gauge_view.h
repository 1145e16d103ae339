// The installer window's gauge as the screen shows it, for tests and the demo that watch
// a run from outside.
#pragma once

#include <windows.h>

#include "e2e/screenshot.h"

namespace e2e {

// The gauge's rectangle in the installer window's client area.
inline constexpr RECT kGaugeRect = {198, 248, 198 + 163, 248 + 145};

// The gauge of the installer window as it is on the screen now.
inline Image GaugeOf(HWND window) {
  const Image client = Capture(window, true);
  return Crop(client, kGaugeRect.left, kGaugeRect.top, kGaugeRect.right - kGaugeRect.left,
              kGaugeRect.bottom - kGaugeRect.top);
}

// Whether the pie shows part of the way: the disc blue just after 12 o'clock and white
// just before it (the disc's blue outline alone is neither).
inline bool PartWay(const Image& gauge) {
  return !gauge.empty() && gauge.At(88, 16) == kRgbBlue && gauge.At(75, 16) == kRgbWhite;
}

}  // namespace e2e
