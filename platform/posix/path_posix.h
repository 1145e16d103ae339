// Path conversion for the POSIX adapters. The system's paths use `\` as separator, which
// becomes `/` on disk. A `\` that is part of a POSIX name (a folder the user called
// "odd\dir") is carried in the system's paths as a zero byte, which no POSIX name can
// hold, so that it is never taken for a separator.
#pragma once

#include <string>

namespace platform::posix {

inline constexpr char kLiteralBackslash = '\0';

// The system's path as the POSIX calls take it.
inline std::string ToNative(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '\\')
      c = '/';
    else if (c == kLiteralBackslash)
      c = '\\';
  }
  return out;
}

// A path or name the POSIX calls gave, in the system's text; `/` stays as it is (the
// ports take both separators).
inline std::string FromNative(const std::string& native) {
  std::string out = native;
  for (char& c : out)
    if (c == '\\') c = kLiteralBackslash;
  return out;
}

}  // namespace platform::posix
