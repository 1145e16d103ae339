// Every message of the package layer, defined once. Texts with a %s or %d are filled
// by Fmt.
#pragma once

#include <string>

#include "platform/format.h"

namespace pack::msg {

// The engine's fixed messages.
inline constexpr const char* kMissingPackFileName = "Missing PackFileName";
inline constexpr const char* kInvalidPassword = "Invalid Password";
inline constexpr const char* kErrorReadingData = "Error reading data";
inline constexpr const char* kInsertNextDisk = "Please, insert next disk [%d]";
inline constexpr const char* kInformation = "Information";
inline constexpr const char* kUnableToCreateDirectory = "Unable to create directory";

// File layer.
inline constexpr const char* kCannotOpen = "Cannot open file %s";
inline constexpr const char* kCannotCreate = "Cannot create file %s";
inline constexpr const char* kCannotClose = "Cannot close file %s";
inline constexpr const char* kReadPastEnd = "Read beyond end of file";
inline constexpr const char* kReadFailed = "Read error";
inline constexpr const char* kWriteFailed = "Write error (disk full or not writable)";
inline constexpr const char* kWriteError = "Write error";
inline constexpr const char* kSeekFailed = "Seek error";
inline constexpr const char* kSizeFailed = "Cannot obtain the size of a file";

// The staging file.
inline constexpr const char* kNoStagingDirectory =
    "Cannot create a staging directory in the temporary directory \"%s\"";
inline constexpr const char* kNoStagingFile = "Cannot create a staging file in \"%s\"";
inline constexpr const char* kStagingPathTooLong =
    "The staging file's path is longer than 256 characters: %s";

// Reading packages.
inline constexpr const char* kNotAPackage = "%s is not a package";
inline constexpr const char* kWrongVolume = "%s does not hold volume %d of this package";
inline constexpr const char* kVolumeUnavailable = "Volume %d of the package is not available";
inline constexpr const char* kDiskNotInserted = "Disk %d was not inserted";
inline constexpr const char* kTooManyVolumes = "Too many volumes";
inline constexpr const char* kUnsafeName = "Member name leads outside the target directory: %s";
inline constexpr const char* kControlInName = "Member name holds a control character: %s";
inline constexpr const char* kReservedName = "Member name holds a reserved device name: %s";
inline constexpr const char* kTrailingDotName =
    "Member name has a part that ends in a dot or blank: %s";
inline constexpr const char* kNoFileName =
    "Member name names no file (it is empty, or ends in a separator or \".\"): %s";
inline constexpr const char* kTargetTooLong =
    "Target path of member %s is longer than %d characters";
inline constexpr const char* kNegativeSize = "Invalid size %d of member %s";
inline constexpr const char* kNegativeEntryCount = "Invalid entry count %d";
inline constexpr const char* kRawHeaderTooLong = "Header block longer than the package";
inline constexpr const char* kAborted = "Operation aborted";
// The cause of a run that a member ended: the member, then what went wrong with it.
inline constexpr const char* kMemberFailed = "member %s: %s";

// Writing packages.
inline constexpr const char* kVolumeSizeTooSmall = "Volume size %lld is too small for this package";
inline constexpr const char* kFileTooLarge = "%s is too large for a package";
inline constexpr const char* kNameTooLong = "Member name too long: %s";
inline constexpr const char* kUnsafeStoredName =
    "%s would be stored as %s, a name refused on extraction (%s)";
inline constexpr const char* kTooManyHeaderLines = "Too many header lines";
inline constexpr const char* kRawHeaderTooBig = "Raw header block longer than 65535 bytes";
inline constexpr const char* kTooManyEntries = "Too many files for one package";
inline constexpr const char* kOlderDataAfter =
    "%s holds older data after the package; it would be read as part of it";
inline constexpr const char* kSourceChanged = "%s changed while the package was written";
inline constexpr const char* kCannotCut = "Member %s does not fit the volume layout";
inline constexpr const char* kDiskNotChanged = "%s still holds a volume of this package";
inline constexpr const char* kVolumeNotCreated = "Cannot create volume %d of %s";
inline constexpr const char* kCannotReplace = "Cannot put the new %s in place";
// Digests (member_digests.h).
inline constexpr const char* kContentMismatch = "content does not match the package's digest";
inline constexpr const char* kDigestMismatch =
    "digest mismatch: the package gives %s, the content %s";
inline constexpr const char* kDirectoryMismatch =
    "the package's directory does not match its digest";
inline constexpr const char* kReadOnlyFile = "read-only file";

using platform::Fmt;

}  // namespace pack::msg
