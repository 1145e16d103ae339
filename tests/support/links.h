// Symbolic links for the tests that prepare hostile directories.
#pragma once

#include <string>

namespace testing_support {

// Makes `link` a symbolic link to `target` (full paths as the platform writes them;
// the target need not exist). POSIX: symlink(). Under Wine, which shows a Windows
// program the host's links but cannot make one, the host's own ln makes it; on Windows
// itself CreateSymbolicLinkA, which needs the right to make links. False when no link
// could be made (the test is then skipped).
bool MakeSymlink(const std::string& target, const std::string& link, bool directory);

// The Windows build runs under Wine.
bool UnderWine();

}  // namespace testing_support
