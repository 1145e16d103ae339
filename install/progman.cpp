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
  std::unique_ptr<plat::DdeConversation> conv = plat::DdeClientPort().Connect(service, topic);
  if (!conv && !service.empty() && plat::ShellPort().StartMinimised(service + " " + topic))
    conv = plat::DdeClientPort().Connect(service, topic);
  return conv;
}

}  // namespace

int16_t ProgManExecute(const std::string& Command) {
  std::unique_ptr<plat::DdeConversation> conv = OpenLink("PROGMAN", "PROGMAN");
  if (!conv) conv = OpenLink("", "PROGMAN");
  if (!conv) conv = OpenLink("PROGMAN", "");
  if (!conv) return 1;
  return conv->ExecuteAsync(sys::ZeroTerminated(Command)) ? 0 : 1;
}

}  // namespace inst
