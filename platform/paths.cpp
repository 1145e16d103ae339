// Joining a folder and a name (paths.h).
#include "platform/paths.h"

namespace platform {

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '\\') return dir + name;
  return dir + "\\" + name;
}

std::string CombinePath(const std::string& dir, const std::string& name) {
  std::string out = dir;
  if (!out.empty() && out.back() != '\\') out += '\\';
  if (!name.empty() && name.front() == '\\')
    out.append(name, 1, std::string::npos);
  else
    out += name;
  return out;
}

}  // namespace platform
