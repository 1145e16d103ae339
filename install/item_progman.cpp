// The Program Manager operations: a group, and a program item in it.
#include "install/install.h"
#include "install/install_item.h"
#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/progman.h"
#include "install/run_observer.h"
#include "platform/format.h"

namespace install {

// One command, built once and sent anew by every attempt, each over its own conversation.
// What the command made is recorded once it was handed over, inside the attempt.
bool TInstallItem::SendToProgMan(const std::string& status, const std::string& command,
                                 const std::string& errorMsg,
                                 const std::function<void()>& recordStep) {
  return Operate(status, errorMsg, [&]() -> TAttempt {
    return [&](std::string& cause) {
      const bool handedOver = ProgManExecute(command, cause) == 0;
      Observer().ProgManCommandSent(command, handedOver, cause);
      if (handedOver) recordStep();
      return handedOver;
    };
  });
}

bool TInstallItem::CreateGroup(const std::string& GroupName) {
  return SendToProgMan(platform::Fmt(msg::kCreatingGroup, GroupName),
                       platform::Fmt(msg::kCreateGroupCommand, GroupName),
                       platform::Fmt(msg::kCreateGroupError, GroupName), [&] {
                         if (InstallRecord* record = Record()) record->GroupMade(GroupName);
                       });
}

bool TInstallItem::CreateIcon(const std::string& Caption, const std::string& Dir,
                              const std::string& FileName, const std::string& IconFile) {
  const std::string programPath = JoinPath(Dir, FileName);
  const std::string iconPath = IconFile.empty() ? std::string() : JoinPath(Dir, IconFile);
  return SendToProgMan(platform::Fmt(msg::kCreatingIcon, programPath),
                       platform::Fmt(msg::kAddItemCommand, programPath, Caption, iconPath),
                       platform::Fmt(msg::kCreateIconError, programPath), [&] {
                         if (InstallRecord* record = Record())
                           record->IconMade(Caption, programPath);
                       });
}

}  // namespace install
