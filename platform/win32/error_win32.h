// The system's text for a Win32 error code, for the reasons the files port gives.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// "access is denied" for ERROR_ACCESS_DENIED: the system's message with a small first
// letter and without its closing full stop and line end, as it follows a colon.
inline std::string ErrorText(DWORD error) {
  char buffer[512] = {};
  const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, n);
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  if (text.empty()) return "system error " + std::to_string(error);
  if (text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] + 32);
  return text;
}

}  // namespace platform::win32
