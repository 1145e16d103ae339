// Text as pck shows it: paths with the system's own separator, and control characters
// escaped so that no name from a package can move the cursor, rewrite the terminal's
// line or break a one-line message.
#pragma once

#include <string>

namespace pcktool {

// `path` with the system's own separator (`/` on POSIX, `\` on Windows).
std::string ShownPath(std::string path);

// `text` with every control character written in caret notation: ESC as ^[, a line
// feed as ^J, DEL as ^?.
std::string Printable(const std::string& text);

// Both: what a message or a listing line shows of a path or member name.
inline std::string Shown(const std::string& text) { return Printable(ShownPath(text)); }

}  // namespace pcktool
