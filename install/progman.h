// Program Manager commands over DDE.
#pragma once

#include <cstdint>
#include <string>

namespace install {

// Sends one command to Program Manager as a DDE execute transaction (text up to its
// first zero byte, plus one zero byte; the text clipboard format; asynchronous). The
// conversation is tried as PROGMAN/PROGMAN, any service/PROGMAN, then PROGMAN/any
// topic; an attempt that names a service starts the program "service topic" once when
// no server answers, and tries again. 0 when the command was handed over, 1 otherwise.
int16_t ProgManExecute(const std::string& Command);
// The same, saying in `cause` why a command was not handed over.
int16_t ProgManExecute(const std::string& Command, std::string& cause);

}  // namespace install
