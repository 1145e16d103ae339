// Text as pck shows it: in the system's own text (names from a package converted from
// the package's code page), paths with the system's separator, and every control
// character or byte that is no character escaped, so that no name from a package or
// the file system can move the cursor, rewrite the terminal's line, start a control
// sequence or break a one-line message.
#pragma once

#include <string>

#include "platform/codepage.h"

namespace pck {

// The code page of the packages this run reads and writes; the system's default until
// UsePackageText chooses one.
const platform::CodePage& PackageText();
// Chooses it (--codepage); false with `error` for one that cannot be used.
bool UsePackageText(const std::string& name, std::string& error);

// A path of the system (the files port's text) with the system's own separator (`/` on
// POSIX, `\` on Windows).
std::string ShownPath(std::string path);

// The system's text with every control character written in caret notation (ESC as
// ^[, a line feed as ^J, DEL as ^?), and each byte of a C1 control character, or that
// is no character of the system's encoding, as \xNN.
std::string Printable(const std::string& text);

// What a message or a listing shows of a path of the system.
inline std::string Shown(const std::string& text) { return Printable(ShownPath(text)); }

// What a listing shows of text from a package (a member name as stored, a header
// line): converted from the package's code page, a byte that is no character of it as
// \xNN, and escaped as Printable does.
std::string ShownText(const std::string& text);
// What a message shows of a member name: ShownText with the system's separators.
std::string ShownName(const std::string& text);

}  // namespace pck
