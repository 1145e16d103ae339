// Every text the install engine shows or reports, defined once. Texts with %s or %d
// are filled by platform::Fmt.
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

}  // namespace install::msg
