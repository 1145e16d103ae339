// POSIX adapters of the registry and shell ports. There is no registry, no DDE server
// and no shell window here: keys never open, conversations never start, and no
// program is started for them. The program's own path comes from /proc.
#include <unistd.h>

#include <string>

#include "platform/registry.h"
#include "platform/shell.h"

namespace platform {
namespace {

class NoRegistry final : public Registry {
 public:
  std::unique_ptr<RegKey> Open(RegRoot, const std::string&) override { return nullptr; }
  std::unique_ptr<RegKey> Create(RegRoot, const std::string&) override { return nullptr; }
  bool DeleteKey(RegRoot, const std::string&) override { return false; }
};

class NoDde final : public DdeClient {
 public:
  std::unique_ptr<DdeConversation> Connect(const std::string&, const std::string&) override {
    return nullptr;
  }
};

class NoShell final : public Shell {
 public:
  void ShowWindowOfClass(const std::string&, int) override {}
  bool StartMinimised(const std::string&) override { return false; }
  int RunAndWait(const std::string&) override { return -1; }
  bool DeleteAtRestart(const std::string&) override { return false; }
  bool CreateShortcut(const Shortcut&, std::string& reason) override {
    reason = "this system has no shell links";
    return false;
  }
};

class PosixFolders final : public SystemFolders {
 public:
  std::string ProgramPath() override {
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
  }
  std::string WindowsDirectory() override { return {}; }
  std::string SystemDirectory() override { return {}; }
  std::string ProgramsMenu(bool) override { return {}; }
  bool UserIsAdministrator() override { return true; }
};

}  // namespace

Registry& NativeRegistry() {
  static NoRegistry instance;
  return instance;
}
DdeClient& NativeDde() {
  static NoDde instance;
  return instance;
}
Shell& NativeShell() {
  static NoShell instance;
  return instance;
}
SystemFolders& NativeFolders() {
  static PosixFolders instance;
  return instance;
}

}  // namespace platform
