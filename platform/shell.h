// The shell ports: DDE conversations as a client (the way to Program Manager), the
// shell's top-level windows, starting a program, and the system's own folders. The
// Windows adapters use the DDE management library and the window manager; elsewhere
// no server answers, no window exists and no program starts (tests substitute
// recording doubles).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace platform {

// ---- DDE client ----------------------------------------------------------------------
// An open conversation; it ends when released.
class DdeConversation {
 public:
  virtual ~DdeConversation() = default;
  // Starts one execute transaction carrying `data` in the text clipboard format, with
  // no item, and returns at once without waiting for the server's answer. False when
  // the transaction could not be started.
  virtual bool ExecuteAsync(const std::vector<uint8_t>& data) = 0;
  // Why the last call failed, in the DDE library's words; empty when nobody said.
  virtual std::string FailureReason() { return {}; }
};

class DdeClient {
 public:
  virtual ~DdeClient() = default;
  // Opens a conversation with a server of `service` on `topic`; an empty name stands
  // for any service or any topic. Null when no server answers.
  virtual std::unique_ptr<DdeConversation> Connect(const std::string& service,
                                                   const std::string& topic) = 0;
  // Why the last Connect failed, in the DDE library's words; empty when nobody said.
  virtual std::string FailureReason() { return {}; }
};

// ---- shell windows and programs ------------------------------------------------------
inline constexpr int kSwRestore = 9;

// A shortcut file (a shell link) to a program or document.
struct Shortcut {
  std::string Path;        // the shortcut file itself, ending ".lnk"
  std::string Target;      // what it opens
  std::string WorkingDir;  // the folder it starts in
  std::string Description;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Applies the show command `cmdShow` to the top-level window of class `windowClass`,
  // if there is one.
  virtual void ShowWindowOfClass(const std::string& windowClass, int cmdShow) = 0;
  // Starts the program of `commandLine`, shown minimised and not activated. True when
  // it was started.
  virtual bool StartMinimised(const std::string& commandLine) = 0;
  // Starts the program of `commandLine` as it is shown normally, waits for it to end and
  // answers its exit code; -1 when it could not be started.
  virtual int RunAndWait(const std::string& commandLine) = 0;
  // Has the file or empty folder `path` removed when the system next starts (where the
  // system keeps such a list); false when it cannot be arranged.
  virtual bool DeleteAtRestart(const std::string& path) = 0;
  // Writes the shortcut file `link.Path` (replacing one there), made by the shell's own
  // link object; false, with the system's reason, when it cannot be made.
  virtual bool CreateShortcut(const Shortcut& link, std::string& reason) = 0;
};

// ---- system folders and the process's rights ------------------------------------------
class SystemFolders {
 public:
  virtual ~SystemFolders() = default;
  // Full path of the running program.
  virtual std::string ProgramPath() = 0;
  // The Windows directory and the system directory, as the system reports them in at
  // most 255 characters; empty when there is none.
  virtual std::string WindowsDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  // The Start Menu's Programs folder: of every user of the machine (`allUsers`) or of
  // the user running the program; empty when the system has none.
  virtual std::string ProgramsMenu(bool allUsers) = 0;
  // The program runs with administrator rights: on Windows its token holds the
  // Administrators group, enabled. Where the system has no such group, every user may.
  virtual bool UserIsAdministrator() = 0;
};

}  // namespace platform
