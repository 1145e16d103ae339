#include "pack/member_name.h"

namespace pck {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsParentComponent(const std::string& part) {
  int dots = 0;
  for (char c : part) {
    if (c == '.')
      ++dots;
    else if (c != ' ')
      return false;
  }
  return dots >= 2;
}

}  // namespace

bool IsSafeMemberName(const std::string& name) {
  for (unsigned char c : name)
    if (c < 0x20 || c == ':') return false;
  std::string rest = name;
  if (!rest.empty() && rest.front() == '\\') rest.erase(0, 1);
  if (!rest.empty() && IsSeparator(rest.front())) return false;
  std::string part;
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    if (i == rest.size() || IsSeparator(rest[i])) {
      if (IsParentComponent(part)) return false;
      part.clear();
    } else {
      part += rest[i];
    }
  }
  return true;
}

}  // namespace pck
