// The small ports besides files: drive types, temporary files, the process error mode,
// message boxes and the window-message pump. Each has a platform adapter; another is
// installed with platform::ScopedPort (ports.h).
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

#include "platform/ports.h"

namespace platform {

// ---- drives ------------------------------------------------------------------------
enum class DriveType : uint32_t {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

class Drives {
 public:
  virtual ~Drives() = default;
  // Type of the drive that holds `root`: a drive letter with colon ("A:"), a network
  // share ("\\server\share") or, where there are no drive letters, an absolute path.
  virtual DriveType TypeOf(const std::string& root) = 0;
};

// ---- temporary files ---------------------------------------------------------------
class TempFiles {
 public:
  virtual ~TempFiles() = default;
  // The temporary-files directory, ending with a separator; empty on failure.
  virtual std::string Directory() = 0;
  // Creates a new, empty, uniquely named file in `dir` whose name starts with
  // `prefix`, readable only by its owner and never through a link; returns its full
  // path, empty on failure.
  virtual std::string CreateUnique(const std::string& dir, const std::string& prefix) = 0;
  // Creates a new directory in `dir` that only this user may enter (mode 0700 where
  // there are modes; on Windows it takes the rights of the user's own temporary
  // directory), its name `prefix` and six characters; returns its path ending with a
  // separator, empty on failure. On POSIX the directory is marked as this process's
  // while it exists: the process holds a lock on it until RemovePrivateDirectory, or
  // until the process ends, however it ends.
  virtual std::string CreatePrivateDirectory(const std::string& dir, const std::string& prefix) = 0;
  // Removes an empty directory that CreatePrivateDirectory made, and its mark.
  virtual bool RemovePrivateDirectory(const std::string& path) = 0;
  // Removes what runs that were killed before they could clean up left in `dir`: the
  // private directories named `prefix` and six characters that belong to this user,
  // that no running process marks as its own, and that hold nothing but files whose
  // names start with `prefix` (staging files), with those files. A link is never
  // followed, and a directory of another user, or holding anything else, is left
  // alone. Answers how many directories went. (Where there are no marks, as on
  // Windows, nothing is removed.)
  virtual int RemoveAbandoned(const std::string& dir, const std::string& prefix) = 0;
};

// ---- process error mode ------------------------------------------------------------
inline constexpr uint32_t kSemFailCriticalErrors = 1;
class ErrorMode {
 public:
  virtual ~ErrorMode() = default;
  // Sets the mode and returns the previous one.
  virtual uint32_t Set(uint32_t mode) = 0;
};

// ---- dialogs -----------------------------------------------------------------------
enum class DialogKind { Warning, Error, Information, Confirmation };
enum class Buttons { Ok, OkCancel, AbortRetryIgnore, AbortRetry, YesNo, YesNoCancel, RetryCancel };
// Answers, with the codes message boxes return.
inline constexpr int kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5,
                     kIdYes = 6, kIdNo = 7;

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual int Show(DialogKind kind, const std::string& caption, const std::string& text,
                   Buttons buttons) = 0;
  // Processes pending window messages (keeps a window painted during long work).
  virtual void ProcessMessages() = 0;
};

// ---- console ----------------------------------------------------------------------
class Console {
 public:
  virtual ~Console() = default;
  // Standard input, output or error is a terminal a person types at or reads.
  virtual bool InputIsTerminal() = 0;
  virtual bool OutputIsTerminal() = 0;
  virtual bool ErrorIsTerminal() = 0;
  // Makes `stream` (standard input or output) carry bytes as they are, once what was
  // written to it has gone out: on Windows the C runtime translates line ends otherwise.
  virtual void UseBinary(std::FILE* stream) = 0;
  // Shows `prompt` on standard error and reads one line from the terminal without
  // echoing it; nothing when standard input is not a terminal or the read fails.
  virtual std::optional<std::string> ReadSecret(const std::string& prompt) = 0;
};

// Processes pending window messages through the current Dialogs port; raises
// platform::EAbort once the run has been interrupted (see interrupt.h).
void ProcessMessages();

// The current local date and time as days since 30 December 1899 (fraction = time of day).
double NowLocalStamp();
// A moment as local calendar time.
std::tm LocalTimeOf(std::time_t moment);

}  // namespace platform
