// Talking to the person at the terminal: whether standard input is one, and reading a
// password without echoing it.
#pragma once

#include <optional>
#include <string>

namespace pcktool {

bool StdinIsTerminal();

// Shows `prompt` on standard error and reads one line from the terminal with echo
// turned off; nothing when standard input is not a terminal or the read fails.
std::optional<std::string> ReadPasswordNoEcho(const std::string& prompt);

}  // namespace pcktool
