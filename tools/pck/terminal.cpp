#include "tools/pck/terminal.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace pcktool {

#ifdef _WIN32

// _isatty also answers yes for the NUL device; only a console can be asked.
bool StdinIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

std::optional<std::string> ReadPasswordNoEcho(const std::string& prompt) {
  if (!StdinIsTerminal()) return std::nullopt;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  const bool console = GetConsoleMode(input, &mode) != 0;
  if (console) SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
  std::fprintf(stderr, "%s", prompt.c_str());
  std::fflush(stderr);
  std::string line;
  const bool ok = static_cast<bool>(std::getline(std::cin, line));
  if (console) SetConsoleMode(input, mode);
  std::fprintf(stderr, "\n");
  if (!ok) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

#else

bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

std::optional<std::string> ReadPasswordNoEcho(const std::string& prompt) {
  if (!StdinIsTerminal()) return std::nullopt;
  termios saved{};
  const bool haveMode = ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (haveMode) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::fprintf(stderr, "%s", prompt.c_str());
  std::fflush(stderr);
  std::string line;
  const bool ok = static_cast<bool>(std::getline(std::cin, line));
  if (haveMode)
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  else
    std::fprintf(stderr, "\n");
  if (!ok) return std::nullopt;
  return line;
}

#endif

}  // namespace pcktool
