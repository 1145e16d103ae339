#include "tools/pck/shown.h"

#include <algorithm>

namespace pcktool {

std::string ShownPath(std::string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return path;
}

std::string Printable(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      out += '^';
      out += static_cast<char>(u ^ 0x40);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace pcktool
