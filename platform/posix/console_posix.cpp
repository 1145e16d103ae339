// POSIX adapter of the console port: terminals are what isatty says, and a secret is
// read with the terminal's echo turned off (the line end still echoes).
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "platform/system.h"

namespace platform {
namespace {

class PosixConsole final : public Console {
 public:
  bool InputIsTerminal() override { return ::isatty(STDIN_FILENO) != 0; }
  bool OutputIsTerminal() override { return ::isatty(STDOUT_FILENO) != 0; }
  bool ErrorIsTerminal() override { return ::isatty(STDERR_FILENO) != 0; }
  void UseBinary(std::FILE* stream) override { std::fflush(stream); }  // no other mode here

  std::optional<std::string> ReadSecret(const std::string& prompt) override {
    if (!InputIsTerminal()) return std::nullopt;
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
};

}  // namespace

Console& NativeConsole() {
  static PosixConsole instance;
  return instance;
}

}  // namespace platform
