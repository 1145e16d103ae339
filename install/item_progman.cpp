// The Program Manager operations: a group, and a program item in it.
#include "install/install.h"
#include "install/install_item.h"
#include "install/install_messages.h"
#include "install/progman.h"
#include "platform/format.h"

namespace inst {

bool TInstallItem::CreateGroup(const std::string& GroupName) {
  if (IsCounting()) return true;
  DoBeforeExecute(sys::Fmt(msg::kCreatingGroup, GroupName));
  const std::string command = sys::Fmt(msg::kCreateGroupCommand, GroupName);
  return Attempt([&] { return ProgManExecute(command) == 0; },
                 sys::Fmt(msg::kCreateGroupError, GroupName));
}

bool TInstallItem::CreateIcon(const std::string& Caption, const std::string& Dir,
                              const std::string& FileName, const std::string& IconFile) {
  if (IsCounting()) return true;
  const std::string programPath = JoinPath(Dir, FileName);
  DoBeforeExecute(sys::Fmt(msg::kCreatingIcon, programPath));
  const std::string iconPath = IconFile.empty() ? std::string() : JoinPath(Dir, IconFile);
  const std::string command = sys::Fmt(msg::kAddItemCommand, programPath, Caption, iconPath);
  return Attempt([&] { return ProgManExecute(command) == 0; },
                 sys::Fmt(msg::kCreateIconError, programPath));
}

}  // namespace inst
