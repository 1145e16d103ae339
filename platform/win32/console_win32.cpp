// Win32 adapter of the console port. Only a console counts as a terminal: the C
// runtime's _isatty also says yes for the NUL device, which nobody types at.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

#include "platform/system.h"

namespace platform {
namespace {

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

class Win32Console final : public Console {
 public:
  bool InputIsTerminal() override { return IsConsole(STD_INPUT_HANDLE); }
  bool OutputIsTerminal() override { return IsConsole(STD_OUTPUT_HANDLE); }
  bool ErrorIsTerminal() override { return IsConsole(STD_ERROR_HANDLE); }
  void UseBinary(std::FILE* stream) override {
    std::fflush(stream);
    ::_setmode(::_fileno(stream), _O_BINARY);
  }

  std::optional<std::string> ReadSecret(const std::string& prompt) override {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!::GetConsoleMode(input, &mode)) return std::nullopt;
    ::SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::fprintf(stderr, "%s", prompt.c_str());
    std::fflush(stderr);
    std::string line;
    const bool ok = static_cast<bool>(std::getline(std::cin, line));
    ::SetConsoleMode(input, mode);
    std::fprintf(stderr, "\n");
    if (!ok) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
};

}  // namespace

Console& NativeConsole() {
  static Win32Console instance;
  return instance;
}

}  // namespace platform
