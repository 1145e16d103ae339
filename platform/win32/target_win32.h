// Creating a member's target below a directory without writing through a link (Win32).
#pragma once

#include <string>

#include "platform/win32/handle_win32.h"

namespace plat::win32 {

// FileSystem::CreateTarget of the Win32 adapter, with the API's access and share bits;
// `path` receives the file's full path; on failure an empty handle and `reason` set.
FileHandle CreateTargetBelow(const std::string& root, const std::string& relative, DWORD access,
                             DWORD share, std::string& path, std::string& reason);

}  // namespace plat::win32
