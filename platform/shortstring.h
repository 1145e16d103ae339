// Short strings: wherever the system stores a path, name or password it keeps at most
// 255 bytes; longer text is cut to its first 255 bytes. Text is 8-bit (Windows-1252).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::size_t kShortStringMax = 255;

inline std::string ShortString(std::string_view text) {
  return std::string(text.substr(0, kShortStringMax));
}

}  // namespace platform
