// Every text the install engine shows or reports, defined once: the engine's and its
// operations', the installation's record of itself, and the uninstall's. Texts with %s
// or %d are filled by platform::Fmt.
#pragma once

namespace install::msg {

// The engine.
inline constexpr const char* kCompleted = "Installation completed with success";
inline constexpr const char* kCanceled = "Installation canceled";
inline constexpr const char* kInsertDisk = "Please, Insert Disk %d";
inline constexpr const char* kConfirmTerminate =
    "Are you sure you want to terminate this installation?";
inline constexpr const char* kDiskTag = "\\DISK%d\\";

// Unpacking.
inline constexpr const char* kDecompressing = "Decompressing %s to %s";
inline constexpr const char* kDecompressError = "Error while decompressing %s to %s";

// The registry.
inline constexpr const char* kUpdatingRegistry = "Updating registry";
inline constexpr const char* kRegistryError = "Error updating registry";
inline constexpr const char* kInvalidDataType = "Invalid data type for '%s'";
inline constexpr const char* kFailedToSetData = "Failed to set data for '%s'";

// Program Manager.
inline constexpr const char* kCreatingGroup = "Creating Group \"%s\"";
inline constexpr const char* kCreateGroupError = "Error while creating group \"%s\"";
inline constexpr const char* kCreatingIcon = "Creating Program Icon for \"%s\"";
inline constexpr const char* kCreateIconError = "Error while creating program icon for \"%s\"";
inline constexpr const char* kCreateGroupCommand = "[CreateGroup(%s)]\r\n";
inline constexpr const char* kAddItemCommand = "[AddItem(%s,%s,%s,,)]\r\n";
inline constexpr const char* kDeleteGroupCommand = "[DeleteGroup(%s)]\r\n";
// Without a Program Manager: the group and its icons as Start Menu shortcuts.
inline constexpr const char* kNoteGroupAsFolder =
    "group %s made as the Start Menu folder %s: no Program Manager took the command (%s)";
inline constexpr const char* kNoteIconAsShortcut = "program icon %s made as the shortcut %s";
inline constexpr const char* kCannotMakeMenuGroup =
    "Cannot make the Start Menu folder of the group %s";
inline constexpr const char* kNoProgramsMenu = "the system names no Start Menu Programs folder";
inline constexpr const char* kCannotMakeShortcut = "Cannot write the shortcut %s";
inline constexpr const char* kNoShortcutEither = "%s; nor as a shortcut: %s";

// The installation's record of itself: the operations' status and error texts.
inline constexpr const char* kCreatingFolder = "Creating folder %s";
inline constexpr const char* kCreateFolderError = "Error while creating folder %s";
inline constexpr const char* kOpeningRecord = "Opening the uninstall record %s";
inline constexpr const char* kOpenRecordError = "Error while opening the uninstall record %s";
inline constexpr const char* kCopyingUninstaller = "Copying the uninstaller to %s";
inline constexpr const char* kCopyUninstallerError = "Error while copying the uninstaller to %s";
inline constexpr const char* kRegisteringEntry = "Registering %s with the installed programs";
inline constexpr const char* kRegisterEntryError =
    "Error while registering %s with the installed programs";
// The causes of their failures, and of the unpacking's record steps.
inline constexpr const char* kCannotWriteRecord = "Cannot write the uninstall record %s";
inline constexpr const char* kCannotCreateFolder = "Cannot create the folder %s";
inline constexpr const char* kCannotCopyUninstaller = "Cannot copy the uninstaller to %s";
inline constexpr const char* kCannotMakeEntry = "The uninstall entry %s cannot be made";
inline constexpr const char* kCannotSetEntryValue = "The uninstall entry's value %s cannot be set";
inline constexpr const char* kCannotKeepCopy = "Cannot keep a copy of %s before it is replaced";
inline constexpr const char* kCannotRaiseCount = "Cannot raise the count of the shared file %s";
// What the record keeps, for the log.
inline constexpr const char* kNoteRecord = "uninstall record: %s";
inline constexpr const char* kNoteUninstaller = "uninstaller: %s";
inline constexpr const char* kNoteKeptCopy = "kept a copy of %s as %s (it is replaced)";
inline constexpr const char* kNoteSharedCounted = "shared file %s counted: %s";
// The access rights of the application folder, its data folder and the record.
inline constexpr const char* kNoteProtected =
    "access rights of %s set: Administrators and SYSTEM full control, Users %s";
inline constexpr const char* kUsersReadExecute = "read and execute";
inline constexpr const char* kUsersModify = "modify";
inline constexpr const char* kNoteNotProtected =
    "access rights of %s not set (%s): the run goes on";
inline constexpr const char* kNoteFolderExisted =
    "the folder %s was there before: its access rights are kept";

// Uninstalling: what each step undone tells the log, and what it names when it fails
// ("cannot <action>: <reason>").
inline constexpr const char* kCannot = "cannot %s: %s";
inline constexpr const char* kNoteEngineInUse =
    "another product uses the database engine: its files, folder and values stay";
inline constexpr const char* kNoteRemoved = "removed %s";
inline constexpr const char* kActionRemove = "remove %s";
inline constexpr const char* kActionCheck = "check whether %s was changed";
inline constexpr const char* kNoteRemovedFolder = "removed folder %s";
inline constexpr const char* kNoteKeptInUse = "kept %s: another product uses it";
inline constexpr const char* kNoteKeptChanged = "kept because it was changed: %s";
inline constexpr const char* kNoteCopyStays = "the copy of %s stays at %s: the file there was kept";
inline constexpr const char* kActionPutBack = "put back %s as %s";
inline constexpr const char* kNotePutBack = "put back %s from %s";
inline constexpr const char* kSharedCountOf = "%s (its count)";
inline constexpr const char* kActionLowerCount = "lower the count of %s";
inline constexpr const char* kNoteStillCounted = "shared file %s still counted: %s";
inline constexpr const char* kNoteCountedByNobody = "shared file %s counted by nobody now";
inline constexpr const char* kActionRemoveValue = "remove the value %s";
inline constexpr const char* kNoteRemovedValue = "removed the value %s";
inline constexpr const char* kNoteKeyStays = "the key %s stays: something else is in it";
inline constexpr const char* kActionRemoveKey = "remove the key %s";
inline constexpr const char* kNoteRemovedKey = "removed the key %s";
inline constexpr const char* kProgManGroup = "Program Manager group %s";
inline constexpr const char* kActionRemoveThe = "remove the %s";
inline constexpr const char* kNoteCommandHandedOver = "Program Manager command %s handed over";
inline constexpr const char* kActionRemoveEntry = "remove the uninstall entry %s";
inline constexpr const char* kNoteRemovedEntry = "removed the uninstall entry %s";
inline constexpr const char* kNoteMovedAtRestart =
    "removed %s (moved to %s, deleted at the next restart)";
inline constexpr const char* kActionRemoveRecord = "remove the uninstall record %s";
inline constexpr const char* kNoteRemovedRecord = "removed the uninstall record %s";
inline constexpr const char* kNoteRemovedShortcut = "removed the shortcut %s";
inline constexpr const char* kNoteAtRestart =
    "%s is in use (%s): it is removed at the next restart";
inline constexpr const char* kNoteFolderAtRestart = "folder %s is removed at the next restart";

// What the record may name: a line outside what the installation made.
inline constexpr const char* kOutside = "line %d: %s lies outside what the installation made";

}  // namespace install::msg
