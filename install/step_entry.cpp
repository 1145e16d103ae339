// The entry step: the installation registered in the system's list of installed
// programs, and that registration removed again.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "install/install_messages.h"
#include "install/install_record.h"
#include "install/registry.h"
#include "install/run_observer.h"
#include "install/step_undo.h"
#include "platform/format.h"
#include "platform/le_bytes.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/text.h"

namespace install {
namespace {

std::vector<uint8_t> Number(uint32_t value) {
  std::vector<uint8_t> data;
  platform::le::Put32(data, value);
  return data;
}

std::string FullName(const std::string& key) {
  return std::string(platform::RootName(platform::RegRoot::LocalMachine)) + "\\" + key;
}

}  // namespace

std::string InstallDateText(const std::tm& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", (day.tm_year + 1900) % 10000,
                (day.tm_mon + 1) % 100, day.tm_mday % 100);
  return text;
}

void InstallRecord::WriteEntry(const UninstallEntry& entry) {
  // Recorded before it is made, once: an entry half made goes with the rest.
  if (!entryRecorded_) Add(EntryStep{entry.Key});
  entryRecorded_ = true;
  platform::Registry& registry = platform::RegistryPort();
  const std::string full = FullName(entry.Key);
  auto key = registry.Create(platform::RegRoot::LocalMachine, entry.Key);
  if (!key)
    throw ERegistryException(platform::Fmt(msg::kCannotMakeEntry, full), registry.FailureReason());
  const auto text = [](const std::string& value) { return platform::ZeroTerminated(value); };
  const struct {
    const char* Name;
    platform::RegType Type;
    std::vector<uint8_t> Data;
  } values[] = {
      {"DisplayName", platform::RegType::Sz, text(entry.DisplayName)},
      {"UninstallString", platform::RegType::Sz, text(entry.UninstallString)},
      {"QuietUninstallString", platform::RegType::Sz, text(entry.QuietUninstallString)},
      {"InstallLocation", platform::RegType::Sz, text(entry.InstallLocation)},
      {"DisplayIcon", platform::RegType::Sz, text(entry.DisplayIcon)},
      {"Publisher", platform::RegType::Sz, text(entry.Publisher)},
      {"DisplayVersion", platform::RegType::Sz, text(entry.DisplayVersion)},
      {"VersionMajor", platform::RegType::Dword, Number(entry.VersionMajor)},
      {"VersionMinor", platform::RegType::Dword, Number(entry.VersionMinor)},
      {"InstallDate", platform::RegType::Sz,
       text(InstallDateText(platform::LocalTimeOf(std::time(nullptr))))},
      {"EstimatedSize", platform::RegType::Dword,
       Number(static_cast<uint32_t>((installedBytes_ + 1023) / 1024))},
      {"NoModify", platform::RegType::Dword, Number(1)},
      {"NoRepair", platform::RegType::Dword, Number(1)},
  };
  std::string failed, reason;
  for (const auto& v : values) {
    const bool ok = key->Set(v.Name, v.Type, v.Data);
    const std::string why = ok ? std::string() : key->FailureReason();
    observer_.RegistryValueWritten(full, v.Name, v.Type, v.Data, ok, why);
    if (!ok && failed.empty()) {
      failed = v.Name;
      reason = why;
    }
  }
  // Every value is tried; the first that was refused fails the step.
  if (!failed.empty())
    throw ERegistryException(platform::Fmt(msg::kCannotSetEntryValue, failed), reason);
}

void Undo(const EntryStep& step, UndoContext& context) {
  platform::Registry& registry = platform::RegistryPort();
  if (!registry.Open(platform::RegRoot::LocalMachine, step.Key)) return;
  const std::string what = FullName(step.Key);
  if (!registry.DeleteKey(platform::RegRoot::LocalMachine, step.Key))
    return context.Failed(what, platform::Fmt(msg::kActionRemoveEntry, what),
                          registry.FailureReason());
  context.Removed(what, platform::Fmt(msg::kNoteRemovedEntry, what));
}

}  // namespace install
