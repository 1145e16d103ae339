#include "install/progman.h"

#include <memory>

#include "platform/shell.h"
#include "platform/text.h"

namespace install {
namespace {

// Opens a conversation with service and topic. Naming a service, and finding no server,
// starts the program of that name with the topic as its argument, then tries once more.
std::unique_ptr<platform::DdeConversation> OpenLink(const std::string& service,
                                                    const std::string& topic) {
  platform::DdeClient& dde = platform::DdeClientPort();
  std::unique_ptr<platform::DdeConversation> conv = dde.Connect(service, topic);
  if (!conv && !service.empty() && platform::ShellPort().StartMinimised(service + " " + topic))
    conv = dde.Connect(service, topic);
  return conv;
}

}  // namespace

int16_t ProgManExecute(const std::string& Command) {
  std::string cause;
  return ProgManExecute(Command, cause);
}

int16_t ProgManExecute(const std::string& Command, std::string& cause) {
  std::unique_ptr<platform::DdeConversation> conv = OpenLink("PROGMAN", "PROGMAN");
  if (!conv) conv = OpenLink("", "PROGMAN");
  if (!conv) conv = OpenLink("PROGMAN", "");
  if (!conv) {
    const std::string reason = platform::DdeClientPort().FailureReason();
    cause = "no Program Manager took a DDE conversation (service PROGMAN, topic PROGMAN)" +
            (reason.empty() ? std::string() : ": " + reason);
    return 1;
  }
  if (conv->ExecuteAsync(platform::ZeroTerminated(Command))) return 0;
  const std::string reason = conv->FailureReason();
  cause = "Program Manager's DDE execute transaction could not be started" +
          (reason.empty() ? std::string() : ": " + reason);
  return 1;
}

}  // namespace install
