// The platform ports as a run of the installer sees them when it keeps a log or runs
// silently: message boxes shown (or, silent, answered without being shown) and logged
// with their answers, registry values logged as they are written, Program Manager
// commands logged as they are sent. Each wraps the port in use when it is made,
// installs itself, and puts that port back when it goes.
#pragma once

#include <memory>
#include <string>

#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace app {

class TInstallLog;

class TRunDialogs : public plat::Dialogs {
 public:
  // `log` may be null. Silent: nothing is shown, every box gets SilentAnswer.
  TRunDialogs(TInstallLog* log, bool silent, bool ignoreErrors);
  TRunDialogs(const TRunDialogs&) = delete;
  TRunDialogs& operator=(const TRunDialogs&) = delete;

  int Show(plat::DialogKind kind, const std::string& caption, const std::string& text,
           plat::Buttons buttons) override;
  void ProcessMessages() override { inner_.ProcessMessages(); }

  // The fixed answer of a silent run: a failed operation is aborted (ignored with
  // ignoreErrors, where Ignore is offered), a disk prompt is canceled and the question
  // that follows answered Yes, a plain message acknowledged.
  static int SilentAnswer(plat::Buttons buttons, bool ignoreErrors);

 private:
  plat::Dialogs& inner_;
  TInstallLog* log_;
  bool silent_, ignoreErrors_;
};

class TLoggingRegistry : public plat::Registry {
 public:
  explicit TLoggingRegistry(TInstallLog& log);
  TLoggingRegistry(const TLoggingRegistry&) = delete;
  TLoggingRegistry& operator=(const TLoggingRegistry&) = delete;

  std::unique_ptr<plat::RegKey> Open(plat::RegRoot root, const std::string& path) override;
  std::unique_ptr<plat::RegKey> Create(plat::RegRoot root, const std::string& path) override;

 private:
  class Key;
  plat::Registry& inner_;
  TInstallLog& log_;
};

class TLoggingDde : public plat::DdeClient {
 public:
  explicit TLoggingDde(TInstallLog& log);
  TLoggingDde(const TLoggingDde&) = delete;
  TLoggingDde& operator=(const TLoggingDde&) = delete;

  std::unique_ptr<plat::DdeConversation> Connect(const std::string& service,
                                                 const std::string& topic) override;

 private:
  class Conversation;
  plat::DdeClient& inner_;
  TInstallLog& log_;
};

// How a value reads in the log: text as it is, a DWORD in decimal, other data in hex.
std::string DescribeValue(plat::RegType type, const std::vector<uint8_t>& data);

}  // namespace app
