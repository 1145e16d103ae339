// Every text the uninstaller shows or logs, defined once; the steps' own texts are the
// install engine's (install/install_messages.h). Texts with %s or %d are filled by
// platform::Fmt.
#pragma once

namespace app {

// Shown.
inline constexpr const char* kConfirmRemove = "Remove QEN 2005 and all of its components?";
inline constexpr const char* kUninstallCaption =
    "Remo\xe7\xe3o do m\xf3"
    "dulo quarvel";
inline constexpr const char* kRecordMissing =
    "The uninstall record %s is missing: nothing was removed.";
inline constexpr const char* kRecordDamaged =
    "The uninstall record %s is damaged (%s): nothing was removed.";
inline constexpr const char* kRemoved = "QEN 2005 was removed.";
inline constexpr const char* kNotRemoved = "QEN 2005 could not be removed completely.";
inline constexpr const char* kKeptChanged = "Kept because they were changed:";
inline constexpr const char* kKeptInUse = "Kept because another program uses them:";
inline constexpr const char* kPutBack = "Put back as they were before the installation:";
inline constexpr const char* kCouldNotRemove = "Could not be removed:";

// Logged.
inline constexpr const char* kNoteRecordRead = "uninstall record: %s, %d steps%s";
inline constexpr const char* kNoteCutShort = " (its last step, cut short by a crash, left out)";
inline constexpr const char* kNoteRunningCopy = "running the uninstaller from a copy: %s";
inline constexpr const char* kNoteCopyEnded = "the copy ended with exit code %d";
inline constexpr const char* kNoteNoCopy =
    "the uninstaller works from where it is: no copy in the temporary folder (%s)";
inline constexpr const char* kCopyNotStarted = "it could not be started";
inline constexpr const char* kNoTempFile = "no file can be made in the temporary folder %s";
inline constexpr const char* kNoteDeclined = "nothing removed: the removal was declined";

}  // namespace app
