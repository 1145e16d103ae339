// What an interrupted run leaves behind. Files and directories that an operation is
// writing are registered for as long as they are incomplete; when the process is
// interrupted (SIGINT or SIGTERM; on Windows Ctrl+C, Ctrl+Break or the console being
// closed) they are removed, and the process ends with the conventional status 130
// (an interrupt) or 143 (a request to terminate).
//
// POSIX: the signal handler removes them itself (only regular files and empty
// directories, with calls that are safe in a handler) and ends the process.
// Windows: the handler runs on a thread of its own while the program's files are still
// open. It marks the run interrupted, so the main thread's next check
// (ThrowIfInterrupted, which ProcessMessages also makes) gives up with EAbort and the
// ordinary failure paths delete what they were writing; should the main thread not
// end within a few seconds, the handler removes what it can and ends the process.
#pragma once

#include <string>

namespace platform {

// Installs the handlers; a program that wants the clean-up calls this once.
void InstallInterruptCleanup();

// 0 while the run goes on; 130 or 143 once it has been interrupted.
int InterruptStatus();
// Raises platform::EAbort once the run has been interrupted.
void ThrowIfInterrupted();

// Registers `path` for removal on interrupt for as long as it lives (or until Release).
class RemoveOnInterrupt {
 public:
  RemoveOnInterrupt() = default;
  explicit RemoveOnInterrupt(const std::string& path, bool directory = false);
  ~RemoveOnInterrupt() { Release(); }
  RemoveOnInterrupt(RemoveOnInterrupt&& other) noexcept;
  RemoveOnInterrupt& operator=(RemoveOnInterrupt&& other) noexcept;
  RemoveOnInterrupt(const RemoveOnInterrupt&) = delete;
  RemoveOnInterrupt& operator=(const RemoveOnInterrupt&) = delete;

  // The path no longer needs removing (it is complete, or gone).
  void Release();

 private:
  int slot_ = -1;
};

// While it lives, an interrupt waits (POSIX: SIGINT and SIGTERM are blocked): for the
// steps that create a file and then register it, so that an interrupt between them
// cannot leave the file behind. On Windows the handler never removes anything while
// the main thread can still do it, so there is nothing to hold.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  alignas(16) unsigned char saved_[256];  // the signal mask it replaced, where there is one
};

namespace detail {
// For the platform adapters: the registered paths, removed now (files and links
// first, then directories). Safe to call from a signal handler.
void RemoveRegistered() noexcept;
// Set by an adapter's handler.
void NoteInterrupt(int status) noexcept;
}  // namespace detail

}  // namespace platform
