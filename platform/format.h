// Fills a message text: each %s, %d or %lld in turn takes the next argument, and %%
// stands for one percent sign. Text arguments are taken whole, also past a zero byte.
// Every fixed message of the system is filled through here.
#pragma once

#include <string>

namespace platform {

inline std::string ToText(const std::string& s) { return s; }
inline std::string ToText(const char* s) { return s; }
template <class T>
std::string ToText(T value) {
  return std::to_string(value);
}

template <class... Args>
std::string Fmt(const char* format, const Args&... args) {
  const std::string values[] = {ToText(args)..., std::string()};
  std::string out;
  std::size_t next = 0;
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && p[1] == '%') {
      out += '%';
      ++p;
      continue;
    }
    const bool s = p[0] == '%' && p[1] == 's', d = p[0] == '%' && p[1] == 'd';
    const bool lld = p[0] == '%' && p[1] == 'l' && p[2] == 'l' && p[3] == 'd';
    if ((s || d || lld) && next < sizeof...(Args)) {
      out += values[next++];
      p += lld ? 3 : 1;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace platform
