#include "support/links.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#else
#include <unistd.h>
#endif

namespace testing_support {

#ifdef _WIN32

namespace {

using UnixName = char*(CDECL*)(LPCWSTR);

UnixName WineUnixName() {
  return reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
}

// The host's path of a Windows path, under Wine.
std::string HostPath(const std::string& path) {
  const int n = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> wide(static_cast<std::size_t>(n));
  ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
  char* unix = WineUnixName()(wide.data());
  if (!unix) return {};
  std::string out = unix;
  ::HeapFree(::GetProcessHeap(), 0, unix);
  return out;
}

bool Visible(const std::string& path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  return true;
}

// The host's ln makes the link; Wine starts a host program as it would a Windows one.
// Its Windows process may end before the link is there: wait until it shows.
bool MakeHostLink(const std::string& target, const std::string& link) {
  const std::string hostTarget = HostPath(target), hostLink = HostPath(link);
  if (hostTarget.empty() || hostLink.empty()) return false;
  std::string command = "Z:\\usr\\bin\\ln -s \"" + hostTarget + "\" \"" + hostLink + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return false;
  ::WaitForSingleObject(process.hProcess, 20000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  for (int waited = 0; waited < 1000 && !Visible(link); ++waited) ::Sleep(10);
  return Visible(link);
}

}  // namespace

bool UnderWine() { return WineUnixName() != nullptr; }

bool MakeSymlink(const std::string& target, const std::string& link, bool directory) {
  if (UnderWine()) {
    // A link that leads nowhere cannot be seen from here: it is made while a stand-in
    // for its target exists, which then goes.
    const bool standIn = ::GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (standIn) {
      const bool made = directory ? ::CreateDirectoryA(target.c_str(), nullptr) != 0
                                  : ::CloseHandle(::CreateFileA(target.c_str(), GENERIC_WRITE, 0,
                                                                nullptr, CREATE_NEW, 0, nullptr));
      if (!made) return false;
    }
    const bool linked = MakeHostLink(target, link);
    if (standIn && directory) ::RemoveDirectoryA(target.c_str());
    if (standIn && !directory) ::DeleteFileA(target.c_str());
    return linked;
  }
  using Create = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  const auto create = reinterpret_cast<Create>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
  return create && create(link.c_str(), target.c_str(), directory ? 1 : 0);
}

#else

bool UnderWine() { return false; }

bool MakeSymlink(const std::string& target, const std::string& link, bool) {
  return ::symlink(target.c_str(), link.c_str()) == 0;
}

#endif

}  // namespace testing_support
