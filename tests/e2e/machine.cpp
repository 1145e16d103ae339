#include "e2e/machine.h"

#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "pack/cpacklz.h"
#include "platform/text.h"
#include "support/test_files.h"
#include "support/win32_registry.h"

namespace e2e {

namespace fs = std::filesystem;

std::string ProgramsFolder() {
  char path[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, path);
  return path;
}

std::string CommonProgramsFolder() {
  char path[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, path);
  return path;
}

std::string DefaultEngineFolder() {
  char path[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES_COMMON, nullptr, 0, path);
  return std::string(path) + "\\Ondrel Shared\\ODE";
}

void RemoveTree(const std::string& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return;
  for (auto it = fs::recursive_directory_iterator(path, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    ::SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
  fs::remove_all(path, ec);
}

void CopyTree(const std::string& from, const std::string& to) {
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void CloseFolderWindows(const std::string& title) {
  for (int i = 0; i < 10; ++i) {
    HWND w = ::FindWindowA(nullptr, title.c_str());
    if (!w) return;
    ::PostMessageA(w, WM_CLOSE, 0, 0);
    ::Sleep(100);
  }
}

void CleanMachine() {
  RemoveTree("C:\\QEN2005");
  RemoveTree(DefaultEngineFolder());
  RemoveTree(DefaultEngineFolder() + ".BACKUP");
  testing_support::DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ondrel");
  testing_support::DeleteRegTree(
      HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QEN2005");
  testing_support::DeleteRegTree(HKEY_LOCAL_MACHINE,
                                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
  CloseFolderWindows("TAVO");
  RemoveTree(ProgramsFolder() + "\\TAVO");
  RemoveTree(CommonProgramsFolder() + "\\TAVO");
}

namespace {

FILETIME LastWrite(const std::string& path) {
  FILETIME t{};
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    ::GetFileTime(h, nullptr, nullptr, &t);
    ::CloseHandle(h);
  }
  return t;
}

}  // namespace

std::map<std::string, FileInfo> FilesBelow(const std::string& dir) {
  std::map<std::string, FileInfo> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file()) continue;
    const std::string path = it->path().string();
    std::string rel = fs::relative(it->path(), dir).string();
    FileInfo info;
    info.data = testing_support::ReadFileBytes(path);
    info.written = LastWrite(path);
    info.readOnly = (::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
    out[platform::UpperAscii(rel)] = std::move(info);
  }
  return out;
}

std::map<std::string, FileInfo> PackageContents(const std::string& package,
                                                const std::string& scratch) {
  std::map<std::string, FILETIME> times;
  pack::TPackLz reader(nullptr);
  reader.SetPackFileName(package);
  reader.SetDirectory(scratch);
  reader.OnList = [&](platform::TObject*, const std::string& name, int32_t, uint16_t,
                      int32_t time) {
    FILETIME local{}, utc{};
    ::DosDateTimeToFileTime(static_cast<WORD>(static_cast<uint32_t>(time) >> 16),
                            static_cast<WORD>(time), &local);
    ::LocalFileTimeToFileTime(&local, &utc);
    times[platform::UpperAscii(name)] = utc;
  };
  std::map<std::string, FileInfo> out;
  if (!reader.Process(pack::TPackMode::pmList) || !reader.Extract()) return out;
  out = FilesBelow(scratch);
  for (auto& [name, info] : out) info.written = times[name];
  return out;
}

void Damage(const std::string& package) {
  auto bytes = testing_support::ReadFileBytes(package);
  bytes.resize(bytes.size() / 2);
  ::SetFileAttributesA(package.c_str(), FILE_ATTRIBUTE_NORMAL);
  testing_support::WriteFileBytes(package, bytes);
}

bool FlipAByteInAStoredBlock(const std::string& package) {
  auto bytes = testing_support::ReadFileBytes(package);
  const std::vector<uint8_t> sig = {'W', 'R', 'Z', 'L'};
  for (auto at = std::search(bytes.begin(), bytes.end(), sig.begin(), sig.end()); at != bytes.end();
       at = std::search(at + 1, bytes.end(), sig.begin(), sig.end())) {
    // The block records after the 8-byte header: a 16-bit length, then the block, whose
    // first byte is 0x80 for one stored as it is.
    std::size_t record = static_cast<std::size_t>(at - bytes.begin()) + 8;
    while (record + 3 < bytes.size()) {
      const std::size_t length = bytes[record] | (bytes[record + 1] << 8);
      if (length < 2 || record + 2 + length > bytes.size()) break;
      if (bytes[record + 2] == 0x80) {
        bytes[record + 3 + length / 2] ^= 0x01;
        ::SetFileAttributesA(package.c_str(), FILE_ATTRIBUTE_NORMAL);
        testing_support::WriteFileBytes(package, bytes);
        return true;
      }
      record += 2 + length;
    }
  }
  return false;
}

}  // namespace e2e
