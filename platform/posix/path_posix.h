// Path conversion for the POSIX adapters: the system's paths use `\` as separator,
// which becomes `/` on disk.
#pragma once

#include <string>

namespace plat::posix {

inline std::string ToNative(const std::string& path) {
  std::string out = path;
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

}  // namespace plat::posix
