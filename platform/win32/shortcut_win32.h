// Shell links and the Start Menu's folders (Win32).
#pragma once

#include <string>

#include "platform/shell.h"

namespace platform::win32 {

// Writes `link` through the shell's link object (IShellLinkA, saved by IPersistFile);
// false with the reason.
bool WriteShortcut(const Shortcut& link, std::string& reason);
// The Start Menu's Programs folder of every user, or of this one; empty when none.
std::string ProgramsMenuFolder(bool allUsers);

}  // namespace platform::win32
