#include "tools/pck/password_prompt.h"

#include "platform/shortstring.h"
#include "platform/system.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"

namespace pck {

void PasswordPrompt::Answer(const std::string& stored, std::string& password) {
  if (stored.empty()) {
    notNeeded_ = !password.empty();
    return;
  }
  protected_ = true;
  if (!password.empty() || probe_) return;
  if (auto typed = platform::ConsolePort().ReadSecret(msg::Fmt(msg::kPasswordPrompt, shownName_))) {
    // Typed in the system's text, stored in the package's code page; one that the code
    // page cannot hold matches no stored password.
    password = platform::ShortString(PackageText().ToPackage(*typed).value_or(*typed));
    return;
  }
  required_ = true;
}

}  // namespace pck
