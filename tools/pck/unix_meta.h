// Linux metadata, kept the way the members' digests are: in header lines of the version 2
// package, which every reader keeps and passes over, so the format is unchanged:
//
//   pck-unix/1 member <position> file <mode> <mtime>
//   pck-unix/1 member <position> link <mode> <mtime>
//   pck-unix/1 folder <mode> <mtime> <name>
//
// "pck-unix/1" names the scheme and its version; <position> counts the entries from 1;
// <mode> is the permission bits in octal (4 digits: set-user, set-group and sticky
// included) and <mtime> the modification time in whole seconds since 1970-01-01 UTC.
// The entry's own DOS time stays as the format has it (local time, 2-second steps). A
// `link` member is a symbolic link whose content is the text it points to. A `folder`
// line gives a folder by its name as stored (`\` between its parts): an empty one, which
// no member would make, or one that holds members, for its mode and time. A line that does not
// follow this syntax is an ordinary header line. `pck create --no-unix` writes none, and on Windows
// none is written or used.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pck {

inline constexpr const char* kUnixScheme = "pck-unix/1";

struct UnixMeta {
  bool Link = false;
  uint32_t Mode = 0644;
  int64_t Mtime = 0;
};

struct UnixFolder {
  std::string Name;  // stored, in the package's code page
  UnixMeta Meta;
};

struct UnixLines {
  std::map<int32_t, UnixMeta> Members;  // by position, 1 for the first entry
  std::vector<UnixFolder> Folders;
  // Lines that start with the scheme and do not parse.
  int Malformed = 0;
};

std::string MemberUnixLine(int32_t position, const UnixMeta& meta);
std::string FolderUnixLine(const UnixFolder& folder);
// The lines of the scheme among a package's header lines.
UnixLines ParseUnixLines(const std::vector<std::string>& header);

// What the host says of the file at `path` (the ports' form), of a link there itself
// unless `followLink`; nothing where there are no such modes (Windows).
std::optional<UnixMeta> UnixMetaOf(const std::string& path, bool followLink);
// The text a symbolic link at `path` points to; nothing when it is no link.
std::optional<std::string> LinkTarget(const std::string& path);

// Whether the paths `a` and `b` (the ports' form) name one file on the host (links not
// followed); false where either is missing, and on Windows, whose names fold case anyway.
bool SameHostFile(const std::string& a, const std::string& b);

// Restores what `meta` says of the file just extracted at `path` (the system's path in
// the ports' form): a link member becomes the link its content names (the file goes),
// a file gets its mode and time. False with the reason when the host refuses.
bool RestoreUnixMeta(const std::string& path, const UnixMeta& meta, std::string& reason);
// Makes the folder `name` (parts separated by `\`, in the system's text) below the
// folder `root` (the ports' form), and what is missing between them, never through a
// link, and gives it the mode and time.
bool RestoreUnixFolder(const std::string& root, const std::string& name, const UnixMeta& meta,
                       std::string& reason);

}  // namespace pck
