#include "install/progman.h"

#include <memory>

#include "platform/shell.h"
#include "platform/text.h"

namespace inst {
namespace {

// Opens a conversation with service and topic. Naming a service, and finding no server,
// starts the program of that name with the topic as its argument, then tries once more.
std::unique_ptr<plat::DdeConversation> OpenLink(const std::string& service,
                                                const std::string& topic) {
  plat::DdeClient& dde = plat::DdeClientPort();
  std::unique_ptr<plat::DdeConversation> conv = dde.Connect(service, topic);
  if (!conv && !service.empty() && plat::ShellPort().StartMinimised(service + " " + topic))
    conv = dde.Connect(service, topic);
  return conv;
}

}  // namespace

int16_t ProgManExecute(const std::string& Command) {
  std::string cause;
  return ProgManExecute(Command, cause);
}

int16_t ProgManExecute(const std::string& Command, std::string& cause) {
  std::unique_ptr<plat::DdeConversation> conv = OpenLink("PROGMAN", "PROGMAN");
  if (!conv) conv = OpenLink("", "PROGMAN");
  if (!conv) conv = OpenLink("PROGMAN", "");
  if (!conv) {
    const std::string reason = plat::DdeClientPort().FailureReason();
    cause = "no Program Manager took a DDE conversation (service PROGMAN, topic PROGMAN)" +
            (reason.empty() ? std::string() : ": " + reason);
    return 1;
  }
  if (conv->ExecuteAsync(sys::ZeroTerminated(Command))) return 0;
  const std::string reason = conv->FailureReason();
  cause = "Program Manager's DDE execute transaction could not be started" +
          (reason.empty() ? std::string() : ": " + reason);
  return 1;
}

}  // namespace inst
