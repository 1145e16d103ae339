// test: every member restored to nowhere and checked; the run goes on past a member that
// does not restore.
#include <cstdio>

#include "tools/pck/cmd_common.h"
#include "tools/pck/commands.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"

namespace pck {

int RunTest(const ReadOptions& options) {
  if (!ChooseCodePage(options.Codepage)) return kExitUsage;
  ArchivePack pack(options.Archive, MemberMode::Verify);
  if (!ChooseMembers(options, pack.Chosen)) return kExitUsage;
  if (!PrepareRead(pack, options)) return kExitData;
  pack.SetDirectory(".");
  VerbBar bar(msg::kTesting);
  bar.Follow(pack);
  if (options.Verbose)
    pack.OnMemberDone = [&bar](const std::string& member, int64_t, int64_t) {
      bar.Finish();
      std::fputs(msg::Fmt(msg::kTestedOk, ShownName(member)).c_str(), stdout);
    };
  const bool ok = pack.Run(pack::TPackMode::pmExtract);
  bar.Finish();
  const ArchiveRun& run = pack.LastRun();
  SayUnparsedSchemeLines(pack, options.Archive);
  if (!ok && run.Failures.empty()) {
    ReportError(pack.FailureText());
    return kExitData;
  }
  for (const ShownFailure& f : run.Failures) ReportError(pack.FailureLine(f));
  // Names that repeat: the members restore, but extracting keeps only the later one.
  for (const auto& [later, note] : RepeatedNameNotes(pack, false))
    ReportError(pack.FailureLine({run.Members[later].Name, note}));
  const int failed = static_cast<int>(run.Failures.size());
  const int tested = run.MembersDone + failed;
  const char* plural = tested == 1 ? "" : msg::kPlural;
  const bool everyPattern = EveryPatternUsed(*pack.Chosen, options.Archive);
  if (ok && failed == 0) {
    std::fputs(msg::Fmt(msg::kTestOk, options.Archive, tested, plural).c_str(), stdout);
    return everyPattern ? kExitOk : kExitData;
  }
  std::fputs(msg::Fmt(msg::kTestFailed, options.Archive, failed, tested, plural,
                      run.ReadToEnd ? "" : msg::kNotReadToEnd)
                 .c_str(),
             stdout);
  return kExitData;
}

}  // namespace pck
