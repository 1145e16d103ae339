// Which member names may be extracted. A name is joined to the target directory, so it
// must not be able to leave it; and a package must extract to the same set of files on
// every system, so names that Windows would turn into a device or silently rename are
// refused everywhere.
#pragma once

#include <string>

#include "platform/exceptions.h"

namespace pack {

enum class NameFault {
  None,
  ControlCharacter,    // a byte below 32, or 127
  LeavesTarget,        // a `..` component, a colon, an absolute or network path
  ReservedDevice,      // a component named CON, PRN, AUX, NUL, COM1..9, LPT1..9, CONIN$, CONOUT$
  TrailingDotOrBlank,  // a component ending in `.` or ` ` (Windows drops them)
  NoFileName,          // empty, or ending in a separator or in "." (a folder, not a file)
};

// What is wrong with `name` as a path below a target directory, checked in the order
// of the enumeration. Refused:
// - a control character;
// - a colon anywhere (drive letters, streams); after the one leading `\` that joining
//   drops, another leading `\` or `/` (a network or absolute path); and any component
//   (split at `\` and `/`) made of two or more dots and nothing but dots and spaces,
//   which the file system takes as a parent directory;
// - a component whose part before its first dot, less trailing blanks, is a reserved
//   device name in any letter case (also with an extension: NUL.TXT, com1.log; COM and
//   LPT with the digits 1 to 9 and the superscripts 1, 2 and 3); CONSOLE, COM10, LPT0
//   and nul_file are ordinary names;
// - a component ending in a dot or a blank (a lone "." is the directory itself);
// - a name whose last component is empty or "." ("", "\", ".", "DIR\"): it names a
//   folder, and its data would become a file of that folder's name.
NameFault CheckMemberName(const std::string& name);
inline bool IsSafeMemberName(const std::string& name) {
  return CheckMemberName(name) == NameFault::None;
}

// The refusal of member `name` for `fault`, one line naming the member and the reason;
// and the same in its parts, the member's name apart.
std::string NameFaultMessage(NameFault fault, const std::string& name);
platform::NamedMessage NameFaultNaming(NameFault fault, const std::string& name);
// The reason alone: "reserved device name", "ends in a dot or blank", ...
const char* NameFaultReason(NameFault fault);

}  // namespace pack
