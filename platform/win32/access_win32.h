// What the Win32 adapters ask of the system's security: access lists for the folders and
// files an installation protects, whether the process runs with administrator rights, and
// the long form of a path.
#pragma once

#include <string>

#include "platform/files.h"

namespace platform::win32 {

// Sets a protected access list on `path`: Administrators and SYSTEM full control, Users
// read and execute (or modify, under AccessRule::UsersModify); a folder's entries pass on
// to its files and folders. False with the system's reason.
bool SetAccessList(const std::string& path, AccessRule rule, std::string& reason);
// The process's token holds the Administrators group, enabled (an elevated token on
// Windows since Vista, any administrator's before).
bool ProcessIsAdministrator();
// `path` with each component that exists in its long form.
std::string LongPathOf(const std::string& path);

}  // namespace platform::win32
