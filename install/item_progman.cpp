// The Program Manager operations: a group, and a program item in it; where no Program
// Manager takes the command, the same made directly as Start Menu shortcuts.
#include "install/install.h"
#include "install/install_item.h"
#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/progman.h"
#include "install/run_observer.h"
#include "install/step_shortcut.h"
#include "platform/exceptions.h"
#include "platform/format.h"

namespace install {

// One command, built once and sent anew by every attempt, each over its own conversation.
// What the command made is recorded once it was handed over, inside the attempt. When no
// Program Manager takes it, `instead` makes the same directly (as shortcuts) in the same
// attempt, with the cause as its reason; an exception it raises fails the attempt.
bool TInstallItem::SendToProgMan(const std::string& status, const std::string& command,
                                 const std::string& errorMsg,
                                 const std::function<void()>& recordStep,
                                 const std::function<void(const std::string&)>& instead) {
  return Operate(status, errorMsg, [&]() -> TAttempt {
    return [&](std::string& cause) {
      const bool handedOver = ProgManExecute(command, cause) == 0;
      Observer().ProgManCommandSent(command, handedOver, cause);
      if (handedOver) {
        recordStep();
        return true;
      }
      try {
        instead(cause);
      } catch (const std::exception& e) {
        cause = platform::Fmt(msg::kNoShortcutEither, cause, platform::Describe(e));
        return false;
      }
      cause.clear();
      return true;
    };
  });
}

std::string TInstallItem::MenuGroup(const std::string& why) {
  if (menuGroup_.empty()) {
    menuGroup_ = MakeMenuGroup(lastGroup_, Record());
    Observer().Noted(platform::Fmt(msg::kNoteGroupAsFolder, lastGroup_, menuGroup_, why));
  }
  return menuGroup_;
}

bool TInstallItem::CreateGroup(const std::string& GroupName) {
  lastGroup_ = GroupName;
  menuGroup_.clear();
  return SendToProgMan(
      platform::Fmt(msg::kCreatingGroup, GroupName),
      platform::Fmt(msg::kCreateGroupCommand, GroupName),
      platform::Fmt(msg::kCreateGroupError, GroupName),
      [&] {
        if (InstallRecord* record = Record()) record->GroupMade(GroupName);
      },
      [&](const std::string& why) { MenuGroup(why); });
}

bool TInstallItem::CreateIcon(const std::string& Caption, const std::string& Dir,
                              const std::string& FileName, const std::string& IconFile) {
  const std::string programPath = JoinPath(Dir, FileName);
  const std::string iconPath = IconFile.empty() ? std::string() : JoinPath(Dir, IconFile);
  const auto shortcut = [&](const std::string& why) {
    const std::string link = MakeShortcut(MenuGroup(why), Caption, programPath, Dir, Record());
    Observer().Noted(platform::Fmt(msg::kNoteIconAsShortcut, Caption, link));
  };
  // A group made as a folder takes its icons as shortcuts: Program Manager's current
  // group is another.
  if (!menuGroup_.empty() && !Counting)
    return Operate(platform::Fmt(msg::kCreatingIcon, programPath),
                   platform::Fmt(msg::kCreateIconError, programPath), [&]() -> TAttempt {
                     return [&](std::string&) {
                       shortcut(std::string());
                       return true;
                     };
                   });
  return SendToProgMan(
      platform::Fmt(msg::kCreatingIcon, programPath),
      platform::Fmt(msg::kAddItemCommand, programPath, Caption, iconPath),
      platform::Fmt(msg::kCreateIconError, programPath),
      [&] {
        if (InstallRecord* record = Record()) record->IconMade(Caption, programPath);
      },
      shortcut);
}

}  // namespace install
