// File and path helpers of the package layer: joining a directory and a member name and
// wildcard matching of names (their homes are platform/paths.h and platform/wildcard.h,
// where the rules stand beside the installer's), finishing an extracted file with its stored time
// and attributes, recognising removable drives and creating directory chains.
//
// Positions are 1-based where they are results (ExtensionPos). Letters are compared
// without regard to case only for a..z.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/wildcard.h"

namespace pack {

// Dir and Name joined with exactly one `\` between them; one leading `\` of Name is
// dropped (platform/paths.h).
using platform::CombinePath;
// Matching (platform/wildcard.h): MatchFileName splits name and extension, MatchPattern
// matches one part, ExtensionPos finds where the extension starts.
using platform::ExtensionPos;
using platform::MatchFileName;
using platform::MatchPattern;

// Gives FileName the last-write time Time (DOS date-time, local) and then the
// attributes Attr, through Files. Raises EInOutError when the file cannot be opened or
// closed; a failure to set the time or the attributes is ignored.
void SetFileDateAttr(const std::string& FileName, int32_t Time, uint16_t Attr,
                     platform::FileSystem& Files = platform::FileSystemPort());

// The drive part of Path: "C:" for a drive-letter path, "\\server\share" for a network
// path (either separator), empty for any other path.
std::string DrivePart(const std::string& Path);

// Path lies on a removable drive (a floppy), or on a CD-ROM when AllowCdrom.
bool IsRemovableDrive(const std::string& Path, bool AllowCdrom);

// The files a package takes when it searches folders: read-only, hidden, system and
// archive files.
inline constexpr uint16_t kFindMask = platform::kAttrReadOnly | platform::kAttrHidden |
                                      platform::kAttrSystem | platform::kAttrArchive;

// The levels of Folder that are not there, outermost first ("C:\\A", "C:\\A\\B" of
// "C:\\A\\B\\" when neither is), without a closing separator.
std::vector<std::string> MissingFolders(const std::string& Folder,
                                        platform::FileSystem& Files = platform::FileSystemPort());

// Creates Dir and every missing parent, through Files. An empty Dir raises
// platform::Exception "Unable to create directory"; any other failure answers false.
bool CreateDirectories(const std::string& Dir,
                       platform::FileSystem& Files = platform::FileSystemPort());

}  // namespace pack
