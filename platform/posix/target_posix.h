// A member's new content below a directory without ever following a link: the walk
// goes one directory descriptor at a time (openat with O_NOFOLLOW), so a link planted on
// the way, before or during the walk, is met as a link and refused; the new file is made
// and later renamed over the target through the target directory's own descriptor.
#pragma once

#include <memory>
#include <string>

#include "platform/files.h"

namespace platform::posix {

// FileSystem::CreateReplacement of the POSIX adapter; on failure null and `reason` set.
std::unique_ptr<Replacement> CreateReplacementBelow(const std::string& root,
                                                    const std::string& relative, Access access,
                                                    Share share, std::string& reason);

}  // namespace platform::posix
