#include "install/dbengine.h"

#include "install/registry.h"
#include "platform/files.h"
#include "platform/text.h"

namespace install {
namespace {

// A value read as the presence test reads it: trimmed, and cut before the first ";".
std::string FirstEntry(TRegistry& reg, const char* name) {
  std::string value = Trim(reg.ReadString(name));
  const std::size_t semicolon = value.find(';');
  if (semicolon != std::string::npos) value.resize(semicolon);
  return value;
}

}  // namespace

std::string Trim(const std::string& s) {
  std::size_t first = 0, last = s.size();
  while (first < last && static_cast<unsigned char>(s[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ') --last;
  return s.substr(first, last - first);
}

bool DatabaseEnginePresent() {
  TRegistry reg;
  reg.SetRootKey(platform::RegRoot::LocalMachine);
  if (!reg.OpenKey(kDatabaseEngineKey, false)) return false;
  platform::FileSystem& files = platform::FileSystemPort();
  bool present = false;
  // The backslash goes in even after a folder that already ends with one.
  const std::string dll = FirstEntry(reg, "DLLPATH");
  if (files.FileExists(dll + "\\dbapi32.dll") || files.FileExists(dll + "\\dbcore.dll"))
    present = true;
  const std::string config = platform::FolderPart(FirstEntry(reg, "CONFIGFILE01"));
  if (files.FileExists(config + "dbapi.cfg") || files.FileExists(config + "dbapi32.cfg"))
    present = true;
  return present;
}

}  // namespace install
