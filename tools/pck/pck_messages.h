// Every text pck itself says, defined once (the package engine's and the compressed-file
// driver's fixed messages are theirs: pack/pack_messages.h, compress/messages.h). Texts
// with a %s or %d are filled by Fmt; a failure line is "<package>: <member>: <cause>",
// pck prefixing "pck: ".
#pragma once

#include "platform/format.h"

namespace pck::msg {

using platform::Fmt;

// ---- failures of a package being read or written --------------------------------------
inline constexpr const char* kPasswordRequired = "password required (use -p)";
inline constexpr const char* kNoPasswordNeeded = "the package has no password (leave out -p)";
inline constexpr const char* kNotReadable = "not a package, or it cannot be read";
inline constexpr const char* kPasswordPrompt = "Password for %s: ";
// A volume that the run could not go on to.
inline constexpr const char* kEndsInsideMember =
    "the package ends inside this member: it is cut short, or volume %d is missing";
inline constexpr const char* kLaterVolume =
    "volume %d of a set, not its first: name the set's first volume (its header is there)";
inline constexpr const char* kVolumeNotFound = "volume %d not found: %s";
inline constexpr const char* kCannotCreateVolume = "cannot create volume %d %s";
// The staging file, in the temporary folder, where the user can mend what is wrong.
inline constexpr const char* kWhileCopiedToStaging = " while it was copied into the staging file";
inline constexpr const char* kStagingIsIn =
    "; the staging file is in the temporary folder %s (TMPDIR)";
inline constexpr const char* kStagingShort =
    "the member's stored bytes did not all reach the staging file";

// ---- names ----------------------------------------------------------------------------
inline constexpr const char* kNotWritableHere = "the name cannot be written here: %s";
inline constexpr const char* kNotInCodePage = "the name cannot be written in %s";
inline constexpr const char* kNotInCodePageWhy = "the name cannot be written in %s: %s";
inline constexpr const char* kHoldsSeparator =
    "the name holds \\, which a package takes as a separator";
inline constexpr const char* kSameNameFolded =
    "has the name of %s in the package, where letter case does not count (as on Windows; "
    "--case-sensitive stores both)";
inline constexpr const char* kSameName = "has the name of %s in the package";
inline constexpr const char* kUnixNotRestored = "its mode, time or link was not restored: %s";
inline constexpr const char* kEmptyLinkTarget = "the link's stored target is empty";
inline constexpr const char* kFolderNotMade = "the empty folder was not made: %s";
inline constexpr const char* kKeptOld = "not extracted: the file that is there is kept (-k)";
inline constexpr const char* kKeptNewer =
    "not extracted: the file that is there is newer, and kept (--keep-newer-files)";
inline constexpr const char* kReplaces = "replaces the earlier member %s";
inline constexpr const char* kRepeatsName =
    "the name of member %d, %s, which it replaces on extraction";
inline constexpr const char* kInParentheses = "(%s)";

// ---- the command line -----------------------------------------------------------------
inline constexpr const char* kPathTooLong = "%s: path longer than %d characters";
inline constexpr const char* kTextNotInCodePage = "%s %s: cannot be written in %s: %s";
inline constexpr const char* kSecretNotInCodePage = "%s: cannot be written in %s";
inline constexpr const char* kNotOneOf = "%s is not one of %s";
inline constexpr const char* kPattern = "pattern";
inline constexpr const char* kHeaderLine = "header line";
inline constexpr const char* kPassword = "password";
inline constexpr const char* kBadCodePage = "--codepage %s: %s";
inline constexpr const char* kIsDirectory = "%s: is a directory, not a package";
inline constexpr const char* kNoSuchFile = "%s: no such file";
inline constexpr const char* kBadTargetDirectory = "%s: not a usable target directory";
inline constexpr const char* kNoMemberMatches = "%s: %s: no member matches";
inline constexpr const char* kRawHeaderAlone =
    "--raw-header cannot be combined with --header or -p";
inline constexpr const char* kVolumeSizeNeedsDisk =
    "%s: --volume-size needs the package in a disk folder, as in DISK1/NAME.PCK (the next "
    "volumes go to DISK2, DISK3, ...)";
inline constexpr const char* kCannotOpenFile = "%s: cannot open (%s)";
inline constexpr const char* kCannotReadFile = "%s: cannot read";
inline constexpr const char* kCannotWrite = "cannot write";
inline constexpr const char* kCannotRead = "cannot read";
inline constexpr const char* kRawHeaderTooBig = "%s: a raw header block holds at most 65535 bytes";
inline constexpr const char* kNoFilesMatch = "%s: no files to pack";
inline constexpr const char* kNotRegularPackage =
    "a device, pipe or socket: a package is written to a regular file (or - for standard output)";
inline constexpr const char* kStdoutIsTerminal =
    "standard output is a terminal: redirect it to a file or a pipe";
inline constexpr const char* kStandardInput = "(standard input)";
inline constexpr const char* kStandardOutput = "standard output";
inline constexpr const char* kStreamFailed = "%s: %s (%s)";
inline constexpr const char* kNoStreamStaging =
    "%s: no staging file in the temporary folder (TMPDIR)";
inline constexpr const char* kStreamIsOneVolume =
    "--volume-size: a package on standard output is one volume";
inline constexpr const char* kNoSuchFolder = "%s: no such folder";
// What create's arguments lead to.
inline constexpr const char* kNoSuchPath = "no such file or folder";
inline constexpr const char* kNothingMatches = "no file matches";
inline constexpr const char* kLeavesBase =
    "a name with .. would leave the base folder in the package; give -C instead";
inline constexpr const char* kEmptyFolder = "an empty folder: not stored";
inline constexpr const char* kLinkedFolderLoop =
    "a symbolic link to a folder that holds it: not followed, it would never end";
inline constexpr const char* kDanglingLink = "a symbolic link to nothing: not stored";
inline constexpr const char* kNotRegular = "not a regular file (a pipe, device or socket)";
inline constexpr const char* kStoredNameTooLong =
    "its name in the package would be longer than 255 characters";
inline constexpr const char* kNoLinkStaging =
    "no staging file for the link's target in the temporary folder (TMPDIR)";
inline constexpr const char* kLinkNotStaged = "the link's target could not be staged: %s";
inline constexpr const char* kFolderNameTooLong =
    "an empty folder whose name is too long for its header line: not stored";
inline constexpr const char* kUnixOmitted =
    "%s: %d members are more than its header lines can give Linux metadata for; the members "
    "carry none";
inline constexpr const char* kRootDropped =
    "removing the root of absolute paths: their members are stored under relative names";
inline constexpr const char* kUnparsedLines =
    "%s: %d header line%s that start as a digest or metadata line do not parse: passed over, "
    "what they give is not checked or restored";
inline constexpr const char* kDigestsOmitted =
    "%s: %d members are more than its header lines can give digests for; the members carry "
    "none";

// ---- progress and per-member lines ----------------------------------------------------
inline constexpr const char* kListing = "listing";
inline constexpr const char* kTesting = "testing";
inline constexpr const char* kExtracting = "extracting";
inline constexpr const char* kAdding = "adding";
inline constexpr const char* kCompressing = "compressing %s";
inline constexpr const char* kRestoring = "restoring %s";
inline constexpr const char* kMemberNumber = "[%d] %s";
inline constexpr const char* kMemberNumberOf = "[%d/%d] %s";
inline constexpr const char* kTestedOk = "    OK: %s\n";
inline constexpr const char* kExtracted = "  extracted: %s%s\n";
inline constexpr const char* kTimeInvalid =
    " (its stored time is invalid; it keeps the time of extraction)";
inline constexpr const char* kAdded = "  added: %s (%lld -> %lld bytes)\n";

// ---- summaries ------------------------------------------------------------------------
inline constexpr const char* kTestOk = "%s: %d member%s OK\n";
inline constexpr const char* kTestFailed = "%s: %d of %d member%s failed%s\n";
inline constexpr const char* kExtractFailed = "%s: %d of %d member%s not extracted%s\n";
inline constexpr const char* kNotReadToEnd = "; the package could not be read to its end";
inline constexpr const char* kCreated = "%s: %d member%s in %d volume%s\n";
inline constexpr const char* kPlural = "s";

// ---- list -----------------------------------------------------------------------------
inline constexpr const char* kColumnLength = "Length";
inline constexpr const char* kColumnStored = "Stored";
inline constexpr const char* kColumnRatio = "Ratio";
inline constexpr const char* kColumnMethod = "Method";
inline constexpr const char* kColumnDateTime = "Date Time";
inline constexpr const char* kColumnAttr = "Attr";
inline constexpr const char* kColumnName = "Name";
inline constexpr const char* kNoDigest = "(no digest)";
inline constexpr const char* kDigest = "xxh3-128 %s";
inline constexpr const char* kOneFile = "%lld file";
inline constexpr const char* kFiles = "%lld files";
inline constexpr const char* kInvalidTime = "(invalid)";
inline constexpr const char* kInvalidStamp = "(invalid stamp)";

// ---- info -----------------------------------------------------------------------------
inline constexpr const char* kInfoArchive = "Archive:   %s\n";
inline constexpr const char* kInfoFormat = "Format:    %s (version %d)\n";
inline constexpr const char* kInfoCreated = "Created:   %s\n";
inline constexpr const char* kInfoEntries = "Entries:   %d\n";
inline constexpr const char* kInfoLocked =
    "Password:  yes (give -p to read the header lines and the entries)\n";
inline constexpr const char* kInfoVolumes = "Volumes:   %d";
inline constexpr const char* kInfoNumberedFrom = " (numbered from %d)";
inline constexpr const char* kInfoRawHeader = "Raw header: %d bytes\n";
inline constexpr const char* kInfoPassword = "Password:  %s\n";
inline constexpr const char* kYes = "yes";
inline constexpr const char* kNo = "no";
inline constexpr const char* kNotRecorded = "not recorded";
inline constexpr const char* kInfoNoDigests = "Digests:   none\n";
inline constexpr const char* kInfoDigests = "Digests:   %d of %d members, directory %s\n";
inline constexpr const char* kInfoHeader = "Header:    %d line%s\n";
inline constexpr const char* kInfoHeaderLine = "  %s\n";

// ---- the command line's help ---------------------------------------------------------
inline constexpr const char* kHelpCodePage =
    "Code page of the names in the package: CP1252 (the default), another single-byte one such as "
    "CP850 or CP1251, or raw (bytes as they are)";
inline constexpr const char* kHelpArchive = "Package file (.PCK)";
inline constexpr const char* kHelpOffset = "Byte position of the package in its file";
inline constexpr const char* kHelpCreate = "Create a package from files";
inline constexpr const char* kHelpCreateArchive = "Package file to write";
inline constexpr const char* kHelpCreatePatterns =
    "Files and folders to add (a folder with everything below it; @FILE reads names from FILE, "
    "@- from standard input), or patterns of them below -C, as list's PATTERN";
inline constexpr const char* kHelpCreateDirectory = "Base directory of the patterns";
inline constexpr const char* kHelpCreateExclude =
    "Files to leave out, as list's -x (-x '*.o', -x .git)";
inline constexpr const char* kHelpCreatePassword =
    "Password the installer asks for; it is kept in the header, only inverted, and the content "
    "is not encrypted: no protection for what is packed";
inline constexpr const char* kHelpMethod = "good (LZH), fast (LZRW1/KH) or auto";
inline constexpr const char* kHelpHeader = "A header line (repeatable)";
inline constexpr const char* kHelpVolumeSize =
    "Largest volume in bytes; volumes go to sibling DISKn folders";
inline constexpr const char* kHelpRawHeader =
    "Write a PCK10 package whose raw header block is this file's bytes";
inline constexpr const char* kHelpPath = "Names stored: none, relative or full";
inline constexpr const char* kHelpCreateVerbose = "One line per member added";
inline constexpr const char* kHelpCaseSensitive =
    "Store names that differ only in letter case (Windows takes them for one file)";
inline constexpr const char* kHelpNoUnix =
    "Store no Linux metadata (modes, times in UTC, links, empty folders): links are followed";
inline constexpr const char* kHelpDereference = "Follow symbolic links: pack what they lead to";
inline constexpr const char* kHelpNoDigest =
    "Store no digests: the package exactly as the format alone makes it";
inline constexpr const char* kHelpMemberPatterns =
    "Members to take (all when none): * and ? match within a name, dots included; / or \\ "
    "separates folders; ** is any number of folders; a folder takes everything below it "
    "(dir, dir/*); letters a-z match in either case";
inline constexpr const char* kHelpMemberExclude =
    "Members to leave out, as PATTERN; one without / is matched with every part of a name "
    "(-x '*.o')";
inline constexpr const char* kHelpList = "List the members of a package";
inline constexpr const char* kHelpPassword =
    "Password of the package (kept in its header, only inverted; the content is not encrypted)";
inline constexpr const char* kHelpLong = "Also the stored size, ratio and method";
inline constexpr const char* kHelpListVerbose =
    "Also each member's digest, and marks on members that repeat an earlier name";
inline constexpr const char* kHelpInfo = "Show the header of a package";
inline constexpr const char* kHelpTest = "Restore every member to nowhere, checking it";
inline constexpr const char* kHelpTestVerbose = "One line per member tested";
inline constexpr const char* kHelpExtract = "Extract members of a package";
inline constexpr const char* kHelpExtractDirectory = "Target directory (default: .)";
inline constexpr const char* kHelpToStdout =
    "Write the members' content to standard output, one after the other";
inline constexpr const char* kHelpJobs =
    "Members packed or restored at once, on as many threads (default: the processors, "
    "at most 8; 1: one thread)";
inline constexpr const char* kHelpKeepOld = "Never replace a file that is there (reported)";
inline constexpr const char* kHelpKeepNewer =
    "Replace a file that is there only when the member is newer";
inline constexpr const char* kKeepOneWay = "-k and --keep-newer-files cannot be combined";
inline constexpr const char* kStreamNoKeep =
    "-O writes no files: -k and --keep-newer-files do not apply";
inline constexpr const char* kHelpExtractVerbose = "One line per member extracted";
inline constexpr const char* kHelpCompress = "Compress one file into a compressed file";
inline constexpr const char* kHelpCompressInput = "File to compress";
inline constexpr const char* kHelpCompressOutput = "Compressed file to write";
inline constexpr const char* kHelpDecompress =
    "Restore a compressed file (method read from its header)";
inline constexpr const char* kHelpDecompressInput = "Compressed file";
inline constexpr const char* kHelpDecompressOutput = "File to restore into";
inline constexpr const char* kHelpTool = "pck - package and compressed-file tool";

}  // namespace pck::msg
