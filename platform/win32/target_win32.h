// A member's new content below a directory, never written through a link (Win32).
#pragma once

#include <string>

#include "platform/win32/handle_win32.h"

namespace platform::win32 {

// The new file of FileSystem::CreateReplacement, with the API's access and share bits:
// made beside the target (`targetPath`) under a name of its own (`newPath`); on failure
// an empty handle and `reason` set.
FileHandle CreateBesideTarget(const std::string& root, const std::string& relative, DWORD access,
                              DWORD share, std::string& newPath, std::string& targetPath,
                              std::string& reason);
// Whether the target's place may take the new file: no directory, no read-only file,
// no link the system would act through; false with the reason.
bool PlaceTakesAFile(const std::string& path, std::string& reason);

}  // namespace platform::win32
