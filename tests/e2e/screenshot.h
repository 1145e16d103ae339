// Screenshots for the end-to-end tests and the demo: what is on the screen inside a
// window's rectangle, read pixel by pixel, and saved as PNG for a person to look at.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
  uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  bool empty() const { return pixels.empty(); }
};

// The screen's pixels inside the window's outer rectangle, or its client area.
Image Capture(HWND window, bool clientOnly = false);
// A part of an image.
Image Crop(const Image& image, int left, int top, int width, int height);
// Writes an RGB PNG (uncompressed deflate blocks); false when the file cannot be written.
bool SavePng(const Image& image, const std::string& path);

inline constexpr uint32_t kRgbBlue = 0x0000FF, kRgbWhite = 0xFFFFFF, kRgbBlack = 0x000000;

}  // namespace e2e
