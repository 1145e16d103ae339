// extract: the selected members restored to files below the target directory.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "pack/lfiles.h"
#include "pack/member_name.h"
#include "platform/dos_time.h"
#include "platform/ports.h"
#include "platform/system.h"
#include "tools/pck/cmd_common.h"
#include "tools/pck/commands.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"

namespace pck {
namespace {

// The folders the package's metadata gives, below `directory`, as selected, once the
// members are in: an empty one is made, and each gets its mode and time, the deepest
// first so that making one does not change the time of the folder that holds it. Names
// refused on extraction are refused here too. False when one was refused or not made.
bool RestoreFolders(ArchivePack& pack, const std::string& directory) {
  bool all = true;
  if (pack.Version() != 2 || !pack.LastRun().ReadToEnd) return true;
  std::vector<UnixFolder> folders = pack.Unix().Folders;
  const auto depth = [](const UnixFolder& f) {
    return std::count(f.Name.begin(), f.Name.end(), '\\');
  };
  std::stable_sort(folders.begin(), folders.end(),
                   [&](const UnixFolder& a, const UnixFolder& b) { return depth(a) > depth(b); });
  for (const UnixFolder& folder : folders) {
    if (!pack.Chosen->Takes(folder.Name)) continue;
    std::string reason;
    const pack::NameFault fault = pack::CheckMemberName(folder.Name);
    const std::optional<std::string> name = PackageText().ToSystem(folder.Name, &reason);
    if (fault != pack::NameFault::None)
      reason = pack::NameFaultReason(fault);
    else if (name && pack::CombinePath(directory, *name).size() > kHostTargetMax)
      reason = msg::kStoredNameTooLong;
    else if (name && RestoreUnixFolder(directory, *name, folder.Meta, reason))
      continue;
    ReportError(pack.FailureLine({folder.Name, msg::Fmt(msg::kFolderNotMade, reason)}));
    all = false;
  }
  return all;
}

}  // namespace

int RunExtract(const ReadOptions& options) {
  if (!ChooseCodePage(options.Codepage)) return kExitUsage;
  if (options.KeepOld && options.KeepNewer) return UsageError(msg::kKeepOneWay);
  if (options.ToStdout && (options.KeepOld || options.KeepNewer))
    return UsageError(msg::kStreamNoKeep);
  if (options.ToStdout) platform::ConsolePort().UseBinary(stdout);  // the bytes as they are
  ArchivePack pack(options.Archive, options.ToStdout ? MemberMode::Stream : MemberMode::Restore);
  pack.Keep = options.KeepOld     ? KeepFiles::Old
              : options.KeepNewer ? KeepFiles::Newer
                                  : KeepFiles::None;
  if (!ChooseMembers(options, pack.Chosen)) return kExitUsage;
  if (!PrepareRead(pack, options)) return kExitData;
  std::string directory;
  if (options.Directory.empty() || !EngineFullPath(options.Directory, directory, kHostTargetMax))
    return UsageError(msg::Fmt(msg::kBadTargetDirectory, options.Directory));
  pack.SetDirectory(directory);
  VerbBar bar(msg::kExtracting);
  bar.Follow(pack);
  std::FILE* said = options.ToStdout ? stderr : stdout;  // standard output may carry content
  if (options.Verbose)
    pack.OnMemberDone = [&bar, &pack, said](const std::string& target, int64_t, int64_t) {
      bar.Finish();
      // A stored time that is no date-time is not set: the file keeps the time it got.
      const bool timed = platform::IsValidDosTime(static_cast<uint32_t>(pack.Entry().Time));
      std::fputs(msg::Fmt(msg::kExtracted, Shown(target), timed ? "" : msg::kTimeInvalid).c_str(),
                 said);
    };
  const bool ok = pack.Run(pack::TPackMode::pmExtract);
  bar.Finish();
  const ArchiveRun& run = pack.LastRun();
  SayUnparsedSchemeLines(pack, options.Archive);
  const bool folders = options.ToStdout || RestoreFolders(pack, directory);
  // A member under the name of an earlier one took its place: said, not a failure.
  for (const ShownFailure& f : run.Replaced) ReportError(pack.FailureLine(f));
  // A file that is there and stays (-k, --keep-newer-files): said, not a failure.
  for (const ShownFailure& f : run.Kept) ReportError(pack.FailureLine(f));
  if (!ok) {
    // Every member refused or failed, one line each; or why the package could not be read.
    for (const ShownFailure& f : run.Failures) ReportError(pack.FailureLine(f));
    if (run.Failures.empty()) ReportError(pack.FailureText());
    const int failed = static_cast<int>(run.Failures.size());
    const int tried = run.MembersDone + failed;
    // The summary, as test gives it.
    if (failed > 0)
      std::fputs(msg::Fmt(msg::kExtractFailed, options.Archive, failed, tried,
                          tried == 1 ? "" : msg::kPlural, run.ReadToEnd ? "" : msg::kNotReadToEnd)
                     .c_str(),
                 said);
    return kExitData;
  }
  return EveryPatternUsed(*pack.Chosen, options.Archive) && folders ? kExitOk : kExitData;
}

}  // namespace pck
