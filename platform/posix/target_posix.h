// Creating a member's target below a directory without ever following a link: the
// walk goes one directory descriptor at a time (openat with O_NOFOLLOW), so a link
// planted on the way, before or during the walk, is met as a link and refused.
#pragma once

#include <memory>
#include <string>

#include "platform/files.h"

namespace plat::posix {

// FileSystem::CreateTarget of the POSIX adapter; on failure null and `reason` set.
std::unique_ptr<File> CreateTargetBelow(const std::string& root, const std::string& relative,
                                        Access access, Share share, std::string& reason);

}  // namespace plat::posix
