#include "platform/win32/shortcut_win32.h"

#include <windows.h>
// The shell's interfaces and folder identifiers come after <windows.h>.
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "platform/win32/error_win32.h"

namespace platform::win32 {
namespace {

std::string ResultText(HRESULT result) {
  if (HRESULT_FACILITY(result) == FACILITY_WIN32) return ErrorText(HRESULT_CODE(result));
  char text[48];
  std::snprintf(text, sizeof text, "the shell answered 0x%08lX",
                static_cast<unsigned long>(result));
  return text;
}

// The COM library for the calls of one shortcut; given back when it goes, when it was
// taken here.
class ComScope {
 public:
  ComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  // Usable: taken here, or already taken by this thread in another mode.
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

template <class Interface>
class Released {
 public:
  Released() = default;
  ~Released() {
    if (p_) p_->Release();
  }
  Released(const Released&) = delete;
  Released& operator=(const Released&) = delete;
  Interface** Out() { return &p_; }
  Interface* operator->() const { return p_; }

 private:
  Interface* p_ = nullptr;
};

std::wstring Wide(const std::string& text) {
  const int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::vector<wchar_t> out(static_cast<std::size_t>(n));
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
  return std::wstring(out.data());
}

}  // namespace

bool WriteShortcut(const Shortcut& link, std::string& reason) {
  const ComScope com;
  if (!com.Usable()) {
    reason = ResultText(com.Result());
    return false;
  }
  Released<IShellLinkA> shellLink;
  HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(shellLink.Out()));
  if (SUCCEEDED(result)) result = shellLink->SetPath(link.Target.c_str());
  if (SUCCEEDED(result)) result = shellLink->SetWorkingDirectory(link.WorkingDir.c_str());
  if (SUCCEEDED(result)) result = shellLink->SetDescription(link.Description.c_str());
  Released<IPersistFile> file;
  if (SUCCEEDED(result))
    result = shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()));
  if (SUCCEEDED(result)) result = file->Save(Wide(link.Path).c_str(), TRUE);
  if (FAILED(result)) reason = ResultText(result);
  return SUCCEEDED(result);
}

std::string ProgramsMenuFolder(bool allUsers) {
  char path[MAX_PATH + 1] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, path, allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS,
                                 FALSE))
    return {};
  return path;
}

}  // namespace platform::win32
