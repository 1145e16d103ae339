#include "app/core/session_ports.h"

#include <cstdio>

#include "app/core/install_log.h"
#include "platform/le_bytes.h"
#include "platform/text.h"

namespace app {
namespace {

const char* KindName(plat::DialogKind kind) {
  switch (kind) {
    case plat::DialogKind::Warning:
      return "Warning";
    case plat::DialogKind::Error:
      return "Error";
    case plat::DialogKind::Information:
      return "Information";
    case plat::DialogKind::Confirmation:
      return "Confirm";
  }
  return "?";
}

const char* AnswerName(int id) {
  static const char* const kNames[] = {"none",  "OK",     "Cancel", "Abort",
                                       "Retry", "Ignore", "Yes",    "No"};
  return id >= 0 && id <= plat::kIdNo ? kNames[id] : "?";
}

const char* RootName(plat::RegRoot root) {
  switch (root) {
    case plat::RegRoot::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case plat::RegRoot::CurrentUser:
      return "HKEY_CURRENT_USER";
    case plat::RegRoot::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case plat::RegRoot::Users:
      return "HKEY_USERS";
    case plat::RegRoot::CurrentConfig:
      return "HKEY_CURRENT_CONFIG";
  }
  return "?";
}

const char* TypeName(plat::RegType type) {
  switch (type) {
    case plat::RegType::Sz:
      return "REG_SZ";
    case plat::RegType::ExpandSz:
      return "REG_EXPAND_SZ";
    case plat::RegType::Binary:
      return "REG_BINARY";
    case plat::RegType::Dword:
      return "REG_DWORD";
    default:
      return "other type";
  }
}

}  // namespace

// ---- message boxes -------------------------------------------------------------------

TRunDialogs::TRunDialogs(TInstallLog* log, bool silent, bool ignoreErrors)
    : inner_(plat::DialogsPort()), log_(log), silent_(silent), ignoreErrors_(ignoreErrors) {}

int TRunDialogs::SilentAnswer(plat::Buttons buttons, bool ignoreErrors) {
  switch (buttons) {
    case plat::Buttons::Ok:
      return plat::kIdOk;
    case plat::Buttons::OkCancel:
    case plat::Buttons::RetryCancel:
    case plat::Buttons::YesNoCancel:
      return plat::kIdCancel;
    case plat::Buttons::AbortRetryIgnore:
      return ignoreErrors ? plat::kIdIgnore : plat::kIdAbort;
    case plat::Buttons::AbortRetry:
      return plat::kIdAbort;
    case plat::Buttons::YesNo:
      return plat::kIdYes;
  }
  return plat::kIdCancel;
}

int TRunDialogs::Show(plat::DialogKind kind, const std::string& caption, const std::string& text,
                      plat::Buttons buttons) {
  const int answer =
      silent_ ? SilentAnswer(buttons, ignoreErrors_) : inner_.Show(kind, caption, text, buttons);
  if (log_)
    log_->Write(std::string("message (") + KindName(kind) + "): " + text + " -> " +
                AnswerName(answer) + (silent_ ? " (by /S)" : " (by the user)"));
  return answer;
}

// ---- registry ------------------------------------------------------------------------

std::string DescribeValue(plat::RegType type, const std::vector<uint8_t>& data) {
  if (type == plat::RegType::Sz || type == plat::RegType::ExpandSz)
    return '"' + sys::TextBeforeZero(data) + '"';
  if (type == plat::RegType::Dword && data.size() == 4)
    return std::to_string(sys::le::Get32(data.data()));
  std::string hex;
  for (const uint8_t b : data) {
    char two[4];
    std::snprintf(two, sizeof two, "%s%02X", hex.empty() ? "" : " ", b);
    hex += two;
  }
  return hex;
}

class TLoggingRegistry::Key : public plat::RegKey {
 public:
  Key(std::unique_ptr<plat::RegKey> inner, TInstallLog& log, std::string name)
      : inner_(std::move(inner)), log_(log), name_(std::move(name)) {}
  bool Query(const std::string& name, plat::RegValue& value) override {
    return inner_->Query(name, value);
  }
  bool Set(const std::string& name, plat::RegType type, const std::vector<uint8_t>& data) override {
    const bool ok = inner_->Set(name, type, data);
    log_.Write("registry " + name_ + " " + name + " = " + DescribeValue(type, data) + " (" +
               TypeName(type) + ")" + (ok ? "" : " FAILED"));
    return ok;
  }

 private:
  std::unique_ptr<plat::RegKey> inner_;
  TInstallLog& log_;
  std::string name_;
};

TLoggingRegistry::TLoggingRegistry(TInstallLog& log) : inner_(plat::RegistryPort()), log_(log) {}

std::unique_ptr<plat::RegKey> TLoggingRegistry::Open(plat::RegRoot root, const std::string& path) {
  auto key = inner_.Open(root, path);
  if (!key) return nullptr;
  return std::make_unique<Key>(std::move(key), log_, std::string(RootName(root)) + "\\" + path);
}

std::unique_ptr<plat::RegKey> TLoggingRegistry::Create(plat::RegRoot root,
                                                       const std::string& path) {
  auto key = inner_.Create(root, path);
  if (!key) {
    log_.Write(std::string("registry ") + RootName(root) + "\\" + path + " cannot be created");
    return nullptr;
  }
  return std::make_unique<Key>(std::move(key), log_, std::string(RootName(root)) + "\\" + path);
}

// ---- Program Manager -----------------------------------------------------------------

class TLoggingDde::Conversation : public plat::DdeConversation {
 public:
  Conversation(std::unique_ptr<plat::DdeConversation> inner, TInstallLog& log)
      : inner_(std::move(inner)), log_(log) {}
  bool ExecuteAsync(const std::vector<uint8_t>& data) override {
    const bool ok = inner_->ExecuteAsync(data);
    log_.Write("Program Manager command " + sys::TextBeforeZero(data) +
               (ok ? " handed over" : " NOT handed over"));
    return ok;
  }

 private:
  std::unique_ptr<plat::DdeConversation> inner_;
  TInstallLog& log_;
};

TLoggingDde::TLoggingDde(TInstallLog& log) : inner_(plat::DdeClientPort()), log_(log) {}

std::unique_ptr<plat::DdeConversation> TLoggingDde::Connect(const std::string& service,
                                                            const std::string& topic) {
  auto conv = inner_.Connect(service, topic);
  if (!conv) {
    log_.Write("DDE: no server answered service \"" + service + "\" topic \"" + topic + "\"");
    return nullptr;
  }
  return std::make_unique<Conversation>(std::move(conv), log_);
}

}  // namespace app
