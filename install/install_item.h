// TInstallItem: one step of an installation. The engine runs it (Execute), the item's
// OnExecute handler does its work by calling the item's operations: unpack a package,
// write registry values, create a Program Manager group or icon. Every operation runs in
// one frame: in counting mode it only counts one task; otherwise it reports its status
// text, makes attempts until one succeeds or the user answers Abort or Ignore in the
// error dialog (no Ignore for a Critical item), and reports the outcome.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>

#include "pack/cpack.h"
#include "platform/component.h"
#include "platform/registry.h"

namespace install {

class TInstall;
class TRegistry;
class InstallRecord;
struct UninstallEntry;

using TIBeforeExecute = std::function<void(platform::TObject* Sender, const std::string& GroupMsg,
                                           const std::string& ItemMsg)>;
using TIAfterExecute = std::function<void(platform::TObject* Sender, int32_t ErrorAction,
                                          const std::string& ErrorMsg)>;
using TIExecute = std::function<void(platform::TObject* Sender, bool& Continue)>;

// ErrorAction codes: the answers of the error dialog that end an operation.
inline constexpr int32_t kActionNone = 0;    // the operation succeeded
inline constexpr int32_t kActionAbort = 3;   // failed, and the user gave up
inline constexpr int32_t kActionIgnore = 5;  // failed, and the user carried on

// A value for WriteRegValue. Integer, double, Boolean and text are written; a value of
// any other kind (empty, a 16-bit integer, a single-precision real) writes nothing.
using TRegVariant =
    std::variant<std::monostate, int32_t, double, bool, std::string, int16_t, float>;

// The kind of package engine an unpack creates: a maker of an engine owned by the item.
using TPackClass = std::unique_ptr<pack::TCustomPack> (*)(platform::TComponent* AOwner);
template <class T>
std::unique_ptr<pack::TCustomPack> MakePack(platform::TComponent* AOwner) {
  return std::make_unique<T>(AOwner);
}

class TInstallItem : public platform::TComponent {
 public:
  explicit TInstallItem(platform::TComponent* AOwner);

  // ---- the execute protocol ----
  // Runs the item (CountOnly false) or counts its tasks (true): the disk check, then
  // OnExecute. True when the run may go on.
  virtual bool Execute(bool CountOnly);
  // True in counting mode; then, for an enabled item, also counts one task.
  bool IsCounting();
  // Reports a status message to BeforeExecute, then lets pending window messages through.
  virtual void DoBeforeExecute(const std::string& ItemMsg);
  // Reports an outcome to AfterExecute, then lets pending window messages through.
  virtual void DoAfterExecute(int32_t ErrorAction);
  // After an attempt: true to stop trying. A failure shows Msg with Abort/Retry
  // (/Ignore); Ignore turns Success true.
  bool CheckResult(bool& Success, const std::string& Msg, int32_t& ErrorAction);

  // ---- operations ----
  // Extracts every member of SourceDir\FileName into TargetDir with a package engine of
  // the given kind; UnpackLz uses the compressed package engine.
  bool Unpack(TPackClass Kind, const std::string& SourceDir, const std::string& FileName,
              const std::string& TargetDir);
  bool UnpackLz(const std::string& SourceDir, const std::string& FileName,
                const std::string& TargetDir);
  // Writes one value under RootKey\KeyPath, creating the key and its parents.
  bool WriteRegValue(platform::RegRoot RootKey, const std::string& KeyPath,
                     const std::string& ValueName, const TRegVariant& Value);
  bool WriteRegString(platform::RegRoot RootKey, const std::string& KeyPath,
                      const std::string& ValueName, const std::string& Value);
  // The database engine's paths (three values) and its Tabula driver and system
  // settings (eight values), each write only after the one before succeeded.
  bool ConfigureEngine(const std::string& DllPath, const std::string& OlapiPath);
  bool ConfigureTabula(bool LocalShare, const std::string& LangDriver);
  // Program Manager: a group, and a program item in the current group. An empty
  // IconFile names no icon file. Where no Program Manager takes the command (no shell
  // answers DDE) the group is made as a folder of the Start Menu's Programs, and the
  // icons after it as shortcuts in that folder (step_shortcut.h); the log says so.
  bool CreateGroup(const std::string& GroupName);
  bool CreateIcon(const std::string& Caption, const std::string& Dir, const std::string& FileName,
                  const std::string& IconFile = std::string());
  // The installation's record of itself (item_record.cpp): the application folder made
  // (its missing folders, each recorded; made now, it and its data folder `dataFolder`
  // get their access rights, InstallRecord::MakeApplicationFolder), the record opened in it, the
  // running program copied there as the uninstaller, the uninstall entry written. Each writes its
  // steps through the engine's record; with none they do nothing, and the last two do nothing
  // either while the record is not open (its opening was ignored).
  bool MakeFolder(const std::string& folder, const std::string& dataFolder = std::string());
  bool OpenRecord(const std::string& path);
  bool CopyUninstaller(const std::string& program, const std::string& copy);
  bool RegisterUninstallEntry(const UninstallEntry& entry);

  // ---- published properties and events ----
  bool Critical = false;
  bool Enabled = true;
  std::string Title;
  int32_t DiskNum = 0;
  std::string DiskFileID;
  TIBeforeExecute BeforeExecute;
  TIAfterExecute AfterExecute;
  TIExecute OnExecute;
  pack::TOnProgress OnUnpack;

  // ---- state ----
  // Message of the last failed attempt shown to the user; emptied by a success.
  std::string ErrorMsg;
  // What went wrong behind ErrorMsg, for the log: which file, member, value or service,
  // and the system's reason. The user sees only ErrorMsg; emptied with it.
  std::string ErrorCause;
  // The engine the item was added to; not owned.
  TInstall* Engine = nullptr;
  bool Counting = false;

 protected:
  // One try of an operation: true when it succeeded; a failure may say why in `cause`.
  // An exception it raises is a failed try, its text the cause.
  using TAttempt = std::function<bool(std::string& cause)>;
  // The frame every operation runs in. In counting mode it counts one task and returns
  // true. Otherwise it reports `status`, runs `prepare` (which makes what the tries share,
  // such as a package engine, and returns the try), then tries until a try succeeds or
  // the user answers Abort or Ignore in the error dialog showing `errorMsg`, and reports
  // the outcome. Should `prepare` raise, the operation has failed before any try: its
  // outcome is reported (Abort, with the exception's text as the cause) and the
  // exception goes on, ending the run as any failure no operation catches does.
  bool Operate(const std::string& status, const std::string& errorMsg,
               const std::function<TAttempt()>& prepare);

 private:
  // A Program Manager operation: `command` in the frame, with its status and error texts;
  // `recordStep` records what a command handed over made, inside the attempt.
  bool SendToProgMan(const std::string& status, const std::string& command,
                     const std::string& errorMsg, const std::function<void()>& recordStep,
                     const std::function<void(const std::string&)>& instead);
  // The Start Menu folder of the group this item made last, made on first use (`why` no
  // Program Manager took the command, for the log).
  std::string MenuGroup(const std::string& why);
  std::string lastGroup_;  // the group this item made last
  std::string menuGroup_;  // its Start Menu folder, when it was made as one
  // The engine's record; none without an engine or a record.
  InstallRecord* Record() const;
  // The retry loop: `attempt` until it succeeds or the user gives up or ignores it.
  bool RetryUntilSettled(const TAttempt& attempt, const std::string& errorMsg);
  // Reports the outcome to AfterExecute and to the run's observer.
  void ReportOutcome(int32_t errorAction);
  class TRunObserver& Observer() const;
};

}  // namespace install
