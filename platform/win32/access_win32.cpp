#include "platform/win32/access_win32.h"

#include <windows.h>
// The access-control helpers come after <windows.h>.
#include <aclapi.h>

#include <vector>

#include "platform/text.h"
#include "platform/win32/error_win32.h"

namespace platform::win32 {
namespace {

// A SID of the NT authority, freed when it goes.
class WellKnownSid {
 public:
  WellKnownSid(DWORD first, DWORD second, int count) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (!::AllocateAndInitializeSid(&nt, static_cast<BYTE>(count), first, second, 0, 0, 0, 0, 0, 0,
                                    &sid_))
      sid_ = nullptr;
  }
  ~WellKnownSid() {
    if (sid_) ::FreeSid(sid_);
  }
  WellKnownSid(const WellKnownSid&) = delete;
  WellKnownSid& operator=(const WellKnownSid&) = delete;
  PSID Get() const { return sid_; }

 private:
  PSID sid_ = nullptr;
};

EXPLICIT_ACCESS_A Grant(PSID sid, DWORD rights, DWORD inheritance) {
  EXPLICIT_ACCESS_A entry = {};
  entry.grfAccessPermissions = rights;
  entry.grfAccessMode = SET_ACCESS;
  entry.grfInheritance = inheritance;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  entry.Trustee.ptstrName = static_cast<LPSTR>(sid);
  return entry;
}

}  // namespace

bool SetAccessList(const std::string& path, AccessRule rule, std::string& reason) {
  const WellKnownSid admins(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 2);
  const WellKnownSid users(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 2);
  const WellKnownSid system(SECURITY_LOCAL_SYSTEM_RID, 0, 1);
  if (!admins.Get() || !users.Get() || !system.Get()) {
    reason = ErrorText(::GetLastError());
    return false;
  }
  const DWORD a = ::GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    reason = ErrorText(::GetLastError());
    return false;
  }
  const DWORD inheritance = (a & FILE_ATTRIBUTE_DIRECTORY) != 0
                                ? static_cast<DWORD>(SUB_CONTAINERS_AND_OBJECTS_INHERIT)
                                : static_cast<DWORD>(NO_INHERITANCE);
  const DWORD usersRights = rule == AccessRule::UsersModify
                                ? static_cast<DWORD>(FILE_GENERIC_READ | FILE_GENERIC_WRITE |
                                                     FILE_GENERIC_EXECUTE | DELETE)
                                : static_cast<DWORD>(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE);
  EXPLICIT_ACCESS_A entries[] = {Grant(admins.Get(), GENERIC_ALL, inheritance),
                                 Grant(system.Get(), GENERIC_ALL, inheritance),
                                 Grant(users.Get(), usersRights, inheritance)};
  PACL list = nullptr;
  DWORD error = ::SetEntriesInAclA(3, entries, nullptr, &list);
  if (error == ERROR_SUCCESS) {
    std::string name = path;  // the call takes a writable string
    error = ::SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, list, nullptr);
  }
  if (list) ::LocalFree(list);
  if (error != ERROR_SUCCESS) reason = ErrorText(error);
  return error == ERROR_SUCCESS;
}

bool ProcessIsAdministrator() {
  const WellKnownSid admins(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 2);
  BOOL member = FALSE;
  return admins.Get() && ::CheckTokenMembership(nullptr, admins.Get(), &member) && member;
}

std::string LongPathOf(const std::string& path) {
  // The longest part that exists is expanded; the rest follows as it is.
  std::size_t end = path.size();
  for (;;) {
    const std::string head = path.substr(0, end);
    std::vector<char> out(MAX_PATH);
    DWORD n = ::GetLongPathNameA(head.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (n >= out.size()) {
      out.resize(n + 1);
      n = ::GetLongPathNameA(head.c_str(), out.data(), static_cast<DWORD>(out.size()));
    }
    if (n > 0 && n < out.size()) return std::string(out.data(), n) + path.substr(end);
    const std::size_t cut = path.find_last_of("\\/", end == 0 ? 0 : end - 1);
    if (cut == std::string::npos || cut == 0 || end == 0) return path;
    end = cut;
  }
}

}  // namespace platform::win32
