// The package verbs' shared pieces, and their command line.
#include "tools/pck/cmd_common.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <limits>
#include <optional>

#include "pack/volume_prefix.h"
#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/text.h"
#include "platform/threads.h"
#include "tools/pck/choice.h"
#include "tools/pck/commands.h"
#include "tools/pck/package_place.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"
#include "tools/pck/unix_meta.h"

namespace pck {
namespace {

// The most workers -j takes.
constexpr int kJobsMax = 64;

const std::map<std::string, pack::TPathOption> kPathOptions = {
    {"none", pack::TPathOption::poNone},
    {"relative", pack::TPathOption::poRelative},
    {"full", pack::TPathOption::poFullPath}};

}  // namespace

int UsageError(const std::string& text) {
  ReportError(text);
  return kExitUsage;
}

bool EngineFullPath(const std::string& given, std::string& path, std::size_t limit) {
  path = platform::WithBackslashes(platform::FileSystemPort().FullPath(
      platform::WithBackslashes(platform::FromHostPath(given))));
  if (path.size() <= limit) return true;
  ReportError(msg::Fmt(msg::kPathTooLong, given, static_cast<int>(limit)));
  return false;
}

std::string EnginePath(const std::string& given) {
  return platform::WithBackslashes(platform::FromHostPath(given));
}

bool PackageTexts(const std::vector<std::string>& typed, std::vector<std::string>& out,
                  const char* what) {
  out.clear();
  for (const std::string& text : typed) {
    std::string why;
    const std::optional<std::string> converted = PackageText().ToPackage(text, &why);
    if (!converted) {
      // A password is never shown, nor the character of it that failed.
      if (std::string_view(what) == msg::kPassword)
        ReportError(msg::Fmt(msg::kSecretNotInCodePage, what, PackageText().Name()));
      else
        ReportError(msg::Fmt(msg::kTextNotInCodePage, what, Printable(text), PackageText().Name(),
                             Printable(why)));
      return false;
    }
    out.push_back(*converted);
  }
  return true;
}

bool EnginePatterns(const std::vector<std::string>& typed, std::vector<std::string>& out) {
  if (!PackageTexts(typed, out, msg::kPattern)) return false;
  for (std::string& pattern : out) pattern = platform::WithBackslashes(pattern);
  return true;
}

bool ChooseMembers(const ReadOptions& options, std::optional<Selection>& chosen) {
  std::vector<std::string> includes, excludes;
  if (!EnginePatterns(options.Patterns, includes) || !EnginePatterns(options.Excludes, excludes))
    return false;
  chosen.emplace(includes, excludes);
  return true;
}

bool EveryPatternUsed(const Selection& chosen, const std::string& archive) {
  const std::vector<std::string> unused = chosen.Unused();
  for (const std::string& pattern : unused)
    ReportError(msg::Fmt(msg::kNoMemberMatches, archive, ShownText(pattern)));
  return unused.empty();
}

bool ChooseCodePage(const std::string& name) {
  std::string error;
  if (UsePackageText(name, error)) return true;
  ReportError(msg::Fmt(msg::kBadCodePage, Printable(name), error));
  return false;
}

namespace {

// Standard input's package, staged once for the run and gone with it.
bool StageStandardInput(std::string& path) {
  static StagedPackage staged;
  std::string reason;
  if (staged.Path().empty()) {
    ReportError(msg::Fmt(msg::kNoStreamStaging, msg::kStandardInput));
    return false;
  }
  if (!staged.FromInput(reason)) {
    ReportError(msg::Fmt(msg::kStreamFailed, msg::kStandardInput, msg::kCannotRead, reason));
    return false;
  }
  path = staged.Path();
  return true;
}

}  // namespace

bool PrepareRead(ArchivePack& pack, const ReadOptions& options) {
  std::string path = options.Archive;
  if (IsStandardStream(path) && !StageStandardInput(path)) return false;
  if (!EngineFullPath(path, path)) return false;
  if (platform::FileSystemPort().DirectoryExists(path)) {
    ReportError(msg::Fmt(msg::kIsDirectory, options.Archive));
    return false;
  }
  if (!platform::FileSystemPort().FileExists(path)) {
    ReportError(msg::Fmt(msg::kNoSuchFile, options.Archive));
    return false;
  }
  // A later volume holds no header: what follows its prefix is a member's data.
  if (const auto prefix = pack::ReadVolumePrefix(path); prefix && prefix->Volume > 1) {
    ReportError(options.Archive + ": " +
                msg::Fmt(msg::kLaterVolume, static_cast<int>(prefix->Volume)));
    return false;
  }
  std::vector<std::string> password;
  if (!PackageTexts({options.Password}, password, msg::kPassword)) return false;
  pack.SetArchive(path);
  pack.Offset = options.Offset;
  pack.SetPassword(password.front());
  pack.Jobs = options.Jobs;
  return true;
}

int UnparsedSchemeLines(const std::vector<std::string>& header) {
  int unparsed = ParseUnixLines(header).Malformed;
  for (const std::string& line : header)
    if (pack::IsDigestLine(line) && !pack::ParseDigestLines({line}).Any()) ++unparsed;
  return unparsed;
}

void SayUnparsedSchemeLines(const ArchivePack& pack, const std::string& archive) {
  if (const int unparsed = UnparsedSchemeLines(pack.Header))
    ReportError(
        msg::Fmt(msg::kUnparsedLines, archive, unparsed, unparsed == 1 ? "" : msg::kPlural));
}

std::map<std::size_t, std::string> RepeatedNameNotes(const ArchivePack& pack, bool asStored) {
  std::map<std::size_t, std::string> notes;
  const std::vector<MemberInfo>& members = pack.LastRun().Members;
  for (const auto& [later, earlier] : RepeatedNames(members)) {
    const std::string& name = members[earlier].Name;
    notes[later] = msg::Fmt(msg::kRepeatsName, static_cast<int>(earlier + 1),
                            asStored ? ShownText(name) : ShownName(name));
  }
  return notes;
}

void VerbBar::Report(const std::string& member, int64_t done, int64_t total) {
  if (!bar_) bar_ = std::make_unique<ProgressBar>(verb_, total);
  if (member != member_) {
    member_ = member;
    bar_->SetLabel(verb_ + " " + member);
  }
  bar_->Update(done);
}

void AddCodePageOption(CLI::App* cmd, std::string& codepage) {
#ifndef _WIN32
  cmd->add_option("--codepage", codepage, msg::kHelpCodePage);
#else
  (void)cmd;
  (void)codepage;
#endif
}

void AddArchiveOption(CLI::App* cmd, ReadOptions& options) {
  cmd->add_option("ARCHIVE", options.Archive, msg::kHelpArchive)->required();
  cmd->add_option("--offset", options.Offset, msg::kHelpOffset)
      ->check(CLI::Range(0, std::numeric_limits<int32_t>::max()));
  AddCodePageOption(cmd, options.Codepage);
}

void AddPatternOptions(CLI::App* cmd, ReadOptions& options) {
  cmd->add_option("PATTERN", options.Patterns, msg::kHelpMemberPatterns);
  cmd->add_option("-x,--exclude", options.Excludes, msg::kHelpMemberExclude);
}

int DefaultJobs() { return std::min(platform::ProcessorCount(), kDefaultJobsMax); }

void AddJobsOption(CLI::App* cmd, int& jobs) {
  cmd->add_option("-j,--jobs", jobs, msg::kHelpJobs)
      ->check(CLI::Range(1, kJobsMax))
      ->default_str(std::to_string(DefaultJobs()));
}

void AddArchiveVerbs(CLI::App& app, std::function<void(Verb)> add) {
  // create
  auto create = std::make_shared<CreateOptions>();
  CLI::App* c = app.add_subcommand("create", msg::kHelpCreate);
  c->add_option("ARCHIVE", create->Archive, msg::kHelpCreateArchive)->required();
  c->add_option("PATTERN", create->Patterns, msg::kHelpCreatePatterns)->required();
  c->add_option("-C,--directory", create->Directory, msg::kHelpCreateDirectory);
  c->add_option("-x,--exclude", create->Excludes, msg::kHelpCreateExclude);
  CLI::Option* createPassword =
      c->add_option("-p,--password", create->Password, msg::kHelpCreatePassword);
  c->add_option("--method,-m", create->Method, msg::kHelpMethod)
      ->transform(NamedChoice(kMethods))
      ->default_str("good");
  c->add_option("--header", create->Header, msg::kHelpHeader);
  c->add_option("--volume-size", create->VolumeSize, msg::kHelpVolumeSize)
      ->check(CLI::Range(int64_t{1}, int64_t{std::numeric_limits<int32_t>::max()}));
  c->add_option("--raw-header", create->RawHeader, msg::kHelpRawHeader);
  c->add_option("--path", create->Path, msg::kHelpPath)
      ->transform(NamedChoice(kPathOptions))
      ->default_str("relative");
  c->add_flag("-v,--verbose", create->Verbose, msg::kHelpCreateVerbose);
  c->add_flag("--no-digest", create->NoDigest, msg::kHelpNoDigest);
  c->add_flag("--case-sensitive", create->CaseSensitive, msg::kHelpCaseSensitive);
  // Accepted everywhere; on Windows there is no Linux metadata to store.
  c->add_flag("--no-unix", create->NoUnix, msg::kHelpNoUnix);
  c->add_flag("--dereference", create->Dereference, msg::kHelpDereference);
  AddJobsOption(c, create->Jobs);
  AddCodePageOption(c, create->Codepage);
  add({c, [create, createPassword] { return RunCreate(*create, createPassword->count() > 0); }});

  // list
  auto list = std::make_shared<ReadOptions>();
  CLI::App* l = app.add_subcommand("list", msg::kHelpList);
  AddArchiveOption(l, *list);
  l->add_option("-p,--password", list->Password, msg::kHelpPassword);
  AddPatternOptions(l, *list);
  l->add_flag("-l,--long", list->Wide, msg::kHelpLong);
  l->add_flag("-v,--verbose", list->Verbose, msg::kHelpListVerbose);
  add({l, [list] { return RunList(*list); }});

  // info
  auto info = std::make_shared<ReadOptions>();
  CLI::App* i = app.add_subcommand("info", msg::kHelpInfo);
  AddArchiveOption(i, *info);
  i->add_option("-p,--password", info->Password, msg::kHelpPassword);
  add({i, [info] { return RunInfo(*info); }});

  // test
  auto test = std::make_shared<ReadOptions>();
  CLI::App* t = app.add_subcommand("test", msg::kHelpTest);
  AddArchiveOption(t, *test);
  t->add_option("-p,--password", test->Password, msg::kHelpPassword);
  AddPatternOptions(t, *test);
  t->add_flag("-v,--verbose", test->Verbose, msg::kHelpTestVerbose);
  AddJobsOption(t, test->Jobs);
  add({t, [test] { return RunTest(*test); }});

  // extract
  auto extract = std::make_shared<ReadOptions>();
  CLI::App* x = app.add_subcommand("extract", msg::kHelpExtract);
  AddArchiveOption(x, *extract);
  AddPatternOptions(x, *extract);
  x->add_option("-d,--directory", extract->Directory, msg::kHelpExtractDirectory);
  x->add_option("-p,--password", extract->Password, msg::kHelpPassword);
  x->add_flag("-v,--verbose", extract->Verbose, msg::kHelpExtractVerbose);
  x->add_flag("-O,--to-stdout", extract->ToStdout, msg::kHelpToStdout);
  x->add_flag("-k,--keep-old-files", extract->KeepOld, msg::kHelpKeepOld);
  x->add_flag("--keep-newer-files", extract->KeepNewer, msg::kHelpKeepNewer);
  AddJobsOption(x, extract->Jobs);
  add({x, [extract] { return RunExtract(*extract); }});
}

}  // namespace pck
