// The package verbs' shared pieces, and their command line.
#include "tools/pck/cmd_common.h"

#include <CLI/CLI.hpp>
#include <limits>
#include <optional>

#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/text.h"
#include "tools/pck/commands.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"

namespace pck {
namespace {

const std::map<std::string, pack::TPathOption> kPathOptions = {
    {"none", pack::TPathOption::poNone},
    {"relative", pack::TPathOption::poRelative},
    {"full", pack::TPathOption::poFullPath}};

}  // namespace

int UsageError(const std::string& text) {
  ReportError(text);
  return kExitUsage;
}

bool EngineFullPath(const std::string& given, std::string& path) {
  path = platform::WithBackslashes(platform::FileSystemPort().FullPath(
      platform::WithBackslashes(platform::FromHostPath(given))));
  if (path.size() <= platform::kShortStringMax) return true;
  ReportError(msg::Fmt(msg::kPathTooLong, given));
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

bool ChooseCodePage(const std::string& name) {
  std::string error;
  if (UsePackageText(name, error)) return true;
  ReportError(msg::Fmt(msg::kBadCodePage, Printable(name), error));
  return false;
}

bool PrepareRead(ArchivePack& pack, const ReadOptions& options) {
  std::string path;
  if (!EngineFullPath(options.Archive, path)) return false;
  if (platform::FileSystemPort().DirectoryExists(path)) {
    ReportError(msg::Fmt(msg::kIsDirectory, options.Archive));
    return false;
  }
  if (!platform::FileSystemPort().FileExists(path)) {
    ReportError(msg::Fmt(msg::kNoSuchFile, options.Archive));
    return false;
  }
  std::vector<std::string> password;
  if (!PackageTexts({options.Password}, password, msg::kPassword)) return false;
  pack.SetArchive(path);
  pack.Offset = options.Offset;
  pack.SetPassword(password.front());
  return true;
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
  cmd->add_option("--codepage", codepage,
                  "Code page of the names in the package: CP1252 (the default), another "
                  "single-byte one such as CP850 or CP1251, or raw (bytes as they are)");
#else
  (void)cmd;
  (void)codepage;
#endif
}

void AddArchiveOption(CLI::App* cmd, ReadOptions& options) {
  cmd->add_option("ARCHIVE", options.Archive, "Package file (.PCK)")->required();
  cmd->add_option("--offset", options.Offset, "Byte position of the package in its file")
      ->check(CLI::Range(0, std::numeric_limits<int32_t>::max()));
  AddCodePageOption(cmd, options.Codepage);
}

void AddArchiveVerbs(CLI::App& app, std::function<void(Verb)> add) {
  // create
  auto create = std::make_shared<CreateOptions>();
  CLI::App* c = app.add_subcommand("create", "Create a package from files");
  c->add_option("ARCHIVE", create->Archive, "Package file to write")->required();
  c->add_option("PATTERN", create->Patterns, "Wildcard patterns of the files to add")->required();
  c->add_option("-C,--directory", create->Directory, "Base directory of the patterns");
  c->add_option("-x,--exclude", create->Excludes, "Wildcard pattern of files to leave out");
  CLI::Option* createPassword =
      c->add_option("-p,--password", create->Password, "Password stored in the package");
  c->add_option("--method,-m", create->Method, "good (LZH), fast (LZRW1/KH) or auto")
      ->transform(CLI::CheckedTransformer(kMethods, CLI::ignore_case))
      ->default_str("good");
  c->add_option("--header", create->Header, "A header line (repeatable)");
  c->add_option("--volume-size", create->VolumeSize,
                "Largest volume in bytes; volumes go to sibling DISKn folders")
      ->check(CLI::Range(int64_t{1}, int64_t{std::numeric_limits<int32_t>::max()}));
  c->add_option("--raw-header", create->RawHeader,
                "Write a PCK10 package whose raw header block is this file's bytes");
  c->add_option("--path", create->Path, "Names stored: none, relative or full")
      ->transform(CLI::CheckedTransformer(kPathOptions, CLI::ignore_case))
      ->default_str("relative");
  c->add_flag("-v,--verbose", create->Verbose, "One line per member added");
  c->add_flag("--no-digest", create->NoDigest,
              "Store no digests: the package exactly as the format alone makes it");
  AddCodePageOption(c, create->Codepage);
  add({c, [create, createPassword] { return RunCreate(*create, createPassword->count() > 0); }});

  // list
  auto list = std::make_shared<ReadOptions>();
  CLI::App* l = app.add_subcommand("list", "List the members of a package");
  AddArchiveOption(l, *list);
  l->add_option("-p,--password", list->Password, "Password of the package");
  l->add_flag("-l,--long", list->Wide, "Also the stored size, ratio and method");
  l->add_flag("-v,--verbose", list->Verbose,
              "Also each member's digest, and marks on members that repeat an earlier name");
  add({l, [list] { return RunList(*list); }});

  // info
  auto info = std::make_shared<ReadOptions>();
  CLI::App* i = app.add_subcommand("info", "Show the header of a package");
  AddArchiveOption(i, *info);
  i->add_option("-p,--password", info->Password, "Password of the package");
  add({i, [info] { return RunInfo(*info); }});

  // test
  auto test = std::make_shared<ReadOptions>();
  CLI::App* t = app.add_subcommand("test", "Restore every member to nowhere, checking it");
  AddArchiveOption(t, *test);
  t->add_option("-p,--password", test->Password, "Password of the package");
  t->add_flag("-v,--verbose", test->Verbose, "One line per member tested");
  add({t, [test] { return RunTest(*test); }});

  // extract
  auto extract = std::make_shared<ReadOptions>();
  CLI::App* x = app.add_subcommand("extract", "Extract members of a package");
  AddArchiveOption(x, *extract);
  x->add_option("PATTERN", extract->Patterns, "Wildcard patterns of the members to extract");
  x->add_option("-d,--directory", extract->Directory, "Target directory (default: .)");
  x->add_option("-x,--exclude", extract->Excludes, "Wildcard pattern of members to leave out");
  x->add_option("-p,--password", extract->Password, "Password of the package");
  x->add_flag("-v,--verbose", extract->Verbose, "One line per member extracted");
  add({x, [extract] { return RunExtract(*extract); }});
}

}  // namespace pck
