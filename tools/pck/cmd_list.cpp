// list and info: the members of a package and its header, from the stored form alone.
#include <cstdio>

#include "tools/pck/cmd_common.h"
#include "tools/pck/commands.h"
#include "tools/pck/listing.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"

namespace pck {
namespace {

void Print(const std::string& text) { std::fputs(text.c_str(), stdout); }

const char* Plural(std::size_t count) { return count == 1 ? "" : msg::kPlural; }

}  // namespace

int RunList(const ReadOptions& options) {
  if (!ChooseCodePage(options.Codepage)) return kExitUsage;
  std::optional<Selection> chosen;
  if (!ChooseMembers(options, chosen)) return kExitUsage;
  ArchivePack pack(options.Archive, MemberMode::Peek);
  if (!PrepareRead(pack, options)) return kExitData;
  pack.SetDirectory(".");
  VerbBar bar(msg::kListing);
  bar.Follow(pack);
  const bool ok = pack.Run(pack::TPackMode::pmExtract);
  bar.Finish();
  if (!ok) {
    ReportError(pack.FailureText());
    return kExitData;
  }
  std::map<std::size_t, std::string> repeats;
  if (options.Verbose)
    for (const auto& [member, note] : RepeatedNameNotes(pack, true))
      repeats[member] = msg::Fmt(msg::kInParentheses, note);
  // The members the patterns select, with their notes.
  std::vector<MemberInfo> shown;
  std::map<std::size_t, std::string> notes;
  const std::vector<MemberInfo>& members = pack.LastRun().Members;
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (!chosen->Takes(members[i].Name)) continue;
    if (const auto note = repeats.find(i); note != repeats.end())
      notes[shown.size()] = note->second;
    shown.push_back(members[i]);
  }
  PrintListing(stdout, shown, options.Wide, notes, options.Verbose);
  return EveryPatternUsed(*chosen, options.Archive) ? kExitOk : kExitData;
}

int RunInfo(const ReadOptions& options) {
  if (!ChooseCodePage(options.Codepage)) return kExitUsage;
  ArchivePack pack(options.Archive, MemberMode::Peek);
  if (!PrepareRead(pack, options)) return kExitData;
  pack.SetProbePassword(options.Password.empty());
  const bool ok = pack.Run(pack::TPackMode::pmList);
  const bool locked = !ok && pack.LastRun().Password.Protected() && options.Password.empty();
  if (!ok && !locked) {
    ReportError(pack.FailureText());
    return kExitData;
  }
  const std::string signature(pack.Signature().data(), pack.Signature().size());
  Print(msg::Fmt(msg::kInfoArchive, options.Archive));
  Print(msg::Fmt(msg::kInfoFormat, signature, static_cast<int>(pack.Version())));
  Print(msg::Fmt(msg::kInfoCreated, FormatStamp(pack.Stamp())));
  if (locked) {
    // The header stops at the password: what lies before it is all there is to show.
    Print(msg::Fmt(msg::kInfoEntries, static_cast<int>(pack.EntryCount())));
    Print(msg::kInfoLocked);
    return kExitOk;
  }
  // Volumes are numbered on from the number the first one carries, 1 as a rule.
  const int first = pack.LastRun().FirstVolumeNumber;
  Print(msg::Fmt(msg::kInfoVolumes, static_cast<int>(pack.Volume()) - first + 1));
  if (first != 1) Print(msg::Fmt(msg::kInfoNumberedFrom, first));
  Print("\n");
  const int entries = static_cast<int>(pack.List.size());
  Print(msg::Fmt(msg::kInfoEntries, entries));
  if (pack.Version() == 1) {
    Print(msg::Fmt(msg::kInfoRawHeader, static_cast<int>(pack.RawHeader().size())));
    return kExitOk;
  }
  Print(msg::Fmt(msg::kInfoPassword, pack.LastRun().Password.Protected() ? msg::kYes : msg::kNo));
  const pack::TPackageDigests& digests = pack.Digests();
  if (!digests.Any())
    Print(msg::kInfoNoDigests);
  else
    Print(msg::Fmt(
        msg::kInfoDigests, static_cast<int>(digests.Members.size()), entries,
        digests.Directory ? msg::kYes : (digests.DirectoryLine ? msg::kNotRecorded : msg::kNo)));
  SayUnparsedSchemeLines(pack, options.Archive);
  Print(
      msg::Fmt(msg::kInfoHeader, static_cast<int>(pack.Header.size()), Plural(pack.Header.size())));
  for (const std::string& line : pack.Header)
    Print(msg::Fmt(msg::kInfoHeaderLine, ShownText(line)));
  return kExitOk;
}

}  // namespace pck
