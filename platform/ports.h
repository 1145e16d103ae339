// How code reaches the platform: every port (files, drives, temporary files, the error
// mode, message boxes, the console, the registry, DDE, the shell, the system folders)
// has one accessor named after its type, which answers the adapter installed now, the
// platform's own unless something installed another.
//
// The one way to install an adapter is ScopedPort: it installs it for its own lifetime
// and then puts back the adapter it replaced, so installations nest (a logging wrapper
// over a test double over the platform) and unwind in reverse order.
#pragma once

#include <cassert>

namespace platform {

class FileSystem;
class Drives;
class TempFiles;
class ErrorMode;
class Dialogs;
class Console;
class Registry;
class DdeClient;
class Shell;
class SystemFolders;

// The adapter of `Port` in use. Instantiated for the ten ports in ports.cpp.
template <class Port>
Port& CurrentPort();

namespace port_detail {
// The adapter installed in place of the platform's own; null while there is none.
template <class Port>
Port*& Installed();
}  // namespace port_detail

template <class Port>
class ScopedPort {
 public:
  explicit ScopedPort(Port& adapter)
      : adapter_(&adapter), previous_(port_detail::Installed<Port>()) {
    port_detail::Installed<Port>() = adapter_;
  }
  ~ScopedPort() {
    // Scopes end in reverse order; anything else would put back the wrong adapter.
    assert(port_detail::Installed<Port>() == adapter_);
    port_detail::Installed<Port>() = previous_;
  }
  ScopedPort(const ScopedPort&) = delete;
  ScopedPort& operator=(const ScopedPort&) = delete;

 private:
  Port* adapter_;
  Port* previous_;
};

inline FileSystem& FileSystemPort() { return CurrentPort<FileSystem>(); }
inline Drives& DrivesPort() { return CurrentPort<Drives>(); }
inline TempFiles& TempFilesPort() { return CurrentPort<TempFiles>(); }
inline ErrorMode& ErrorModePort() { return CurrentPort<ErrorMode>(); }
inline Dialogs& DialogsPort() { return CurrentPort<Dialogs>(); }
inline Console& ConsolePort() { return CurrentPort<Console>(); }
inline Registry& RegistryPort() { return CurrentPort<Registry>(); }
inline DdeClient& DdeClientPort() { return CurrentPort<DdeClient>(); }
inline Shell& ShellPort() { return CurrentPort<Shell>(); }
inline SystemFolders& SystemFoldersPort() { return CurrentPort<SystemFolders>(); }

}  // namespace platform
