// Win32 adapters of the shell ports: DDE client conversations through the DDE
// management library, top-level windows by class, programs started minimised, shell
// links, the system's folders and the process's rights.
#include <windows.h>
// The DDE management library's declarations need the base Windows header first.
#include <ddeml.h>

#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/win32/access_win32.h"
#include "platform/win32/shortcut_win32.h"

namespace platform {
namespace {

// The DDE library's errors in words.
std::string DdeErrorText(UINT error) {
  switch (error) {
    case DMLERR_NO_ERROR:
      return {};
    case DMLERR_NO_CONV_ESTABLISHED:
      return "no server answered";
    case DMLERR_DLL_NOT_INITIALIZED:
      return "the DDE library could not be initialised";
    case DMLERR_BUSY:
      return "the server is busy";
    case DMLERR_NOTPROCESSED:
      return "the server did not process the transaction";
    case DMLERR_POSTMSG_FAILED:
      return "a message could not be posted to the server";
    case DMLERR_MEMORY_ERROR:
      return "out of memory";
    case DMLERR_SYS_ERROR:
      return "an internal error of the DDE library";
    case DMLERR_INVALIDPARAMETER:
      return "an invalid parameter";
    default:
      return "DDE error " + std::to_string(error);
  }
}

HDDEDATA CALLBACK IgnoreDdeEvents(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

// The program's one client instance of the DDE management library, registered on
// first use by the thread that converses (the GUI thread) and ended with the program.
class DdeInstance {
 public:
  ~DdeInstance() {
    if (id_ != 0) ::DdeUninitialize(id_);
  }
  // Zero when the library refused to register the client.
  DWORD Id() {
    if (id_ == 0) {
      DWORD id = 0;
      if (::DdeInitializeA(&id, IgnoreDdeEvents, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR) id_ = id;
    }
    return id_;
  }

 private:
  DWORD id_ = 0;
};

// A string handle of the library for the duration of one call; empty text gives the
// null handle, which stands for any name.
class StringHandle {
 public:
  StringHandle(DWORD instance, const std::string& text) : instance_(instance) {
    if (!text.empty()) handle_ = ::DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI);
  }
  ~StringHandle() {
    if (handle_) ::DdeFreeStringHandle(instance_, handle_);
  }
  StringHandle(const StringHandle&) = delete;
  StringHandle& operator=(const StringHandle&) = delete;
  HSZ Get() const { return handle_; }

 private:
  DWORD instance_;
  HSZ handle_ = nullptr;
};

class Win32Conversation final : public DdeConversation {
 public:
  Win32Conversation(DWORD instance, HCONV conv) : instance_(instance), conv_(conv) {}
  ~Win32Conversation() override { ::DdeDisconnect(conv_); }
  Win32Conversation(const Win32Conversation&) = delete;
  Win32Conversation& operator=(const Win32Conversation&) = delete;

  bool ExecuteAsync(const std::vector<uint8_t>& data) override {
    // The data handle passes to the library with the transaction.
    HDDEDATA handle =
        ::DdeCreateDataHandle(instance_, const_cast<uint8_t*>(data.data()),
                              static_cast<DWORD>(data.size()), 0, nullptr, CF_TEXT, 0);
    if (!handle) {
      error_ = ::DdeGetLastError(instance_);
      return false;
    }
    HDDEDATA started =
        ::DdeClientTransaction(reinterpret_cast<LPBYTE>(handle), 0xFFFFFFFF, conv_, nullptr,
                               CF_TEXT, XTYP_EXECUTE, TIMEOUT_ASYNC, nullptr);
    if (!started) error_ = ::DdeGetLastError(instance_);
    return started != nullptr;
  }
  std::string FailureReason() override { return DdeErrorText(error_); }

 private:
  DWORD instance_;
  HCONV conv_;
  UINT error_ = DMLERR_NO_ERROR;
};

class Win32Dde final : public DdeClient {
 public:
  std::unique_ptr<DdeConversation> Connect(const std::string& service,
                                           const std::string& topic) override {
    const DWORD id = instance_.Id();
    if (id == 0) {
      error_ = DMLERR_DLL_NOT_INITIALIZED;
      return nullptr;
    }
    StringHandle serviceName(id, service), topicName(id, topic);
    HCONV conv = ::DdeConnect(id, serviceName.Get(), topicName.Get(), nullptr);
    if (!conv) {
      error_ = ::DdeGetLastError(id);
      return nullptr;
    }
    return std::make_unique<Win32Conversation>(id, conv);
  }
  std::string FailureReason() override { return DdeErrorText(error_); }

 private:
  DdeInstance instance_;
  UINT error_ = DMLERR_NO_ERROR;
};

class Win32Shell final : public Shell {
 public:
  void ShowWindowOfClass(const std::string& windowClass, int cmdShow) override {
    if (HWND window = ::FindWindowA(windowClass.c_str(), nullptr)) ::ShowWindow(window, cmdShow);
  }
  bool StartMinimised(const std::string& commandLine) override {
    // Above 31 means the program was started.
    return ::WinExec(commandLine.c_str(), SW_SHOWMINNOACTIVE) > 31;
  }
  int RunAndWait(const std::string& commandLine) override {
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;  // CreateProcessA may write into it
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &start, &process))
      return -1;
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool known = ::GetExitCodeProcess(process.hProcess, &code) != 0;
    ::CloseHandle(process.hProcess);
    return known ? static_cast<int>(code) : -1;
  }
  bool DeleteAtRestart(const std::string& path) override {
    return ::MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  }
  bool CreateShortcut(const Shortcut& link, std::string& reason) override {
    return win32::WriteShortcut(link, reason);
  }
};

// A folder the system writes into a buffer of 255 characters; empty when it does not fit.
template <typename Query>
std::string FolderOf(Query query) {
  char buffer[256] = {};
  const UINT n = query(buffer, 255);
  return n > 0 && n < 255 ? std::string(buffer, n) : std::string();
}

class Win32Folders final : public SystemFolders {
 public:
  std::string ProgramPath() override {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
      const DWORD n =
          ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (n == 0) return {};
      if (n < buffer.size()) return std::string(buffer.data(), n);
      buffer.resize(buffer.size() * 2);
    }
  }
  std::string WindowsDirectory() override { return FolderOf(::GetWindowsDirectoryA); }
  std::string SystemDirectory() override { return FolderOf(::GetSystemDirectoryA); }
  std::string ProgramsMenu(bool allUsers) override { return win32::ProgramsMenuFolder(allUsers); }
  bool UserIsAdministrator() override { return win32::ProcessIsAdministrator(); }
};

}  // namespace

DdeClient& NativeDde() {
  static Win32Dde instance;
  return instance;
}
Shell& NativeShell() {
  static Win32Shell instance;
  return instance;
}
SystemFolders& NativeFolders() {
  static Win32Folders instance;
  return instance;
}

}  // namespace platform
