// File and path helpers of the package layer: joining a directory and a member name,
// wildcard matching of names, finishing an extracted file with its stored time and
// attributes, recognising removable drives and creating directory chains.
//
// Positions are 1-based where they are results (ExtensionPos). Letters are compared
// without regard to case only for a..z.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace pack {

// Dir and Name joined with exactly one `\` between them; one leading `\` of Name is
// dropped. An empty Dir gives Name (less one leading `\`).
std::string CombinePath(const std::string& Dir, const std::string& Name);

// 1-based position of the dot that starts the extension of the last path component,
// or the length of S + 1 when there is none.
int ExtensionPos(const std::string& S);

// S matches Pattern: `*` any run (also across `\`), `?` exactly one character.
bool MatchPattern(const std::string& Pattern, const std::string& S);

// The name parts and the extension parts of Pattern and Name both match.
bool MatchFileName(const std::string& Pattern, const std::string& Name);

// Gives FileName the last-write time Time (DOS date-time, local) and then the
// attributes Attr. Raises EInOutError when the file cannot be opened or closed; a
// failure to set the time or the attributes is ignored.
void SetFileDateAttr(const std::string& FileName, int32_t Time, uint16_t Attr);

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
std::vector<std::string> MissingFolders(const std::string& Folder);

// Creates Dir and every missing parent. An empty Dir raises platform::Exception "Unable to
// create directory"; any other failure answers false.
bool CreateDirectories(const std::string& Dir);

}  // namespace pack
