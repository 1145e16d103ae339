// create, list, info, test and extract: the package verbs, on the compressed package
// engine of the tool (ArchivePack).
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pack/lfiles.h"
#include "platform/dos_time.h"
#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/system.h"
#include "platform/text.h"
#include "tools/pck/archive_pack.h"
#include "tools/pck/commands.h"
#include "tools/pck/listing.h"
#include "tools/pck/progress.h"
#include "tools/pck/shown.h"

namespace pck {
namespace {

const std::map<std::string, pack::TPathOption> kPathOptions = {
    {"none", pack::TPathOption::poNone},
    {"relative", pack::TPathOption::poRelative},
    {"full", pack::TPathOption::poFullPath}};

constexpr int64_t kMaxRawHeader = 65535;

struct ReadOptions {
  std::string archive;
  std::string directory = ".";
  std::vector<std::string> patterns, excludes;
  std::string password;
  std::string codepage = platform::CodePage::Default();
  int32_t offset = 0;
  bool wide = false;
  bool verbose = false;
};

struct CreateOptions {
  std::string archive;
  std::string directory = ".";
  std::vector<std::string> patterns, excludes, header;
  std::string password;
  std::string codepage = platform::CodePage::Default();
  compress::TCompressMode method = compress::TCompressMode::Good;
  int64_t volumeSize = 0;
  std::string rawHeader;
  pack::TPathOption path = pack::TPathOption::poRelative;
  bool verbose = false;
  bool noDigest = false;
};

int UsageError(const std::string& text) {
  ReportError(text);
  return kExitUsage;
}

bool SamePath(const std::string& a, const std::string& b) {
#ifdef _WIN32
  return platform::SameFolded(a, b);
#else
  return a == b;
#endif
}

// The path the engine gets for a file or directory the user named: the full path with
// the engine's separators, so that every directory it names has a directory part to
// start from, however short the name was ("-d ab"), and a package in a disk folder
// finds its siblings. False (reported) when the engine cannot hold it.
bool EngineFullPath(const std::string& given, std::string& path) {
  path = platform::WithBackslashes(platform::FileSystemPort().FullPath(
      platform::WithBackslashes(platform::FromHostPath(given))));
  if (path.size() <= platform::kShortStringMax) return true;
  ReportError(given + ": path longer than 255 characters");
  return false;
}

// A path the user named, as the engine takes it.
std::string EnginePath(const std::string& given) {
  return platform::WithBackslashes(platform::FromHostPath(given));
}

// Text the user typed (patterns, header lines, a password) in the package's code page;
// false (reported) for text it cannot hold.
bool PackageTexts(const std::vector<std::string>& typed, std::vector<std::string>& out,
                  const char* what) {
  out.clear();
  for (const std::string& text : typed) {
    std::string why;
    const std::optional<std::string> converted = PackageText().ToPackage(text, &why);
    if (!converted) {
      // A password is never shown, nor the character of it that failed.
      const bool secret = std::string_view(what) == "password";
      ReportError(std::string(what) + (secret ? "" : " " + Printable(text)) +
                  ": cannot be written in " + PackageText().Name() +
                  (secret ? "" : ": " + Printable(why)));
      return false;
    }
    out.push_back(*converted);
  }
  return true;
}

// Patterns in the package's code page with the engine's separators.
bool EnginePatterns(const std::vector<std::string>& typed, std::vector<std::string>& out) {
  if (!PackageTexts(typed, out, "pattern")) return false;
  for (std::string& pattern : out) pattern = platform::WithBackslashes(pattern);
  return true;
}

// The code page of the run (--codepage); false (reported) for one that cannot be used.
bool ChooseCodePage(const std::string& name) {
  std::string error;
  if (UsePackageText(name, error)) return true;
  ReportError("--codepage " + Printable(name) + ": " + error);
  return false;
}

// A progress bar that appears with the first report of the work's size.
class Bar {
 public:
  explicit Bar(std::string verb) : verb_(std::move(verb)) {}
  void Report(const std::string& member, int64_t done, int64_t total) {
    if (!bar_) bar_ = std::make_unique<ProgressBar>(verb_, total);
    if (member != member_) {
      member_ = member;
      bar_->SetLabel(verb_ + " " + member);
    }
    bar_->Update(done);
  }
  void Finish() {
    if (bar_) bar_->Finish();
  }

 private:
  std::string verb_, member_;
  std::unique_ptr<ProgressBar> bar_;
};

// Opens the reading engine on the package of `options`; false after reporting why not.
bool PrepareRead(ArchivePack& pack, const ReadOptions& options) {
  std::string path;
  if (!EngineFullPath(options.archive, path)) return false;
  if (platform::FileSystemPort().DirectoryExists(path)) {
    ReportError(options.archive + ": is a directory, not a package");
    return false;
  }
  if (!platform::FileSystemPort().FileExists(path)) {
    ReportError(options.archive + ": no such file");
    return false;
  }
  std::vector<std::string> password;
  if (!PackageTexts({options.password}, password, "password")) return false;
  pack.SetArchive(path);
  pack.Offset = options.offset;
  pack.SetPassword(password.front());
  return true;
}

// Members that have the name of an earlier member (as this system compares names):
// member index, and the words that say so, the earlier member's name as stored (a
// listing) or as a message shows names.
std::map<std::size_t, std::string> RepeatedNameNotes(const ArchivePack& pack, bool asStored) {
  std::map<std::size_t, std::string> notes;
  for (const auto& [later, earlier] : pack.RepeatedNames()) {
    const std::string& name = pack.Members()[earlier].name;
    notes[later] = "the name of member " + std::to_string(earlier + 1) + ", " +
                   (asStored ? ShownText(name) : ShownName(name)) +
                   ", which it replaces on extraction";
  }
  return notes;
}

int RunList(const ReadOptions& options) {
  if (!ChooseCodePage(options.codepage)) return kExitUsage;
  ArchivePack pack(options.archive, MemberMode::Peek);
  if (!PrepareRead(pack, options)) return kExitData;
  pack.SetDirectory(".");
  Bar bar("listing");
  pack.OnBytes = [&bar](const std::string& m, int64_t done, int64_t total) {
    bar.Report(m, done, total);
  };
  const bool ok = pack.Run(pack::TPackMode::pmExtract);
  bar.Finish();
  if (!ok) {
    ReportError(pack.FailureText());
    return kExitData;
  }
  std::map<std::size_t, std::string> notes;
  if (options.verbose)
    for (const auto& [member, note] : RepeatedNameNotes(pack, true))
      notes[member] = "(" + note + ")";
  PrintListing(stdout, pack.Members(), options.wide, notes, options.verbose);
  return kExitOk;
}

int RunInfo(const ReadOptions& options) {
  if (!ChooseCodePage(options.codepage)) return kExitUsage;
  ArchivePack pack(options.archive, MemberMode::Peek);
  if (!PrepareRead(pack, options)) return kExitData;
  pack.probePassword = options.password.empty();
  const bool ok = pack.Run(pack::TPackMode::pmList);
  const bool locked = !ok && pack.Protected() && options.password.empty();
  if (!ok && !locked) {
    ReportError(pack.FailureText());
    return kExitData;
  }
  const std::string signature(pack.Signature().data(), pack.Signature().size());
  std::printf("Archive:   %s\n", options.archive.c_str());
  std::printf("Format:    %s (version %d)\n", signature.c_str(), pack.Version());
  std::printf("Created:   %s\n", FormatStamp(pack.Stamp()).c_str());
  if (locked) {
    // The header stops at the password: what lies before it is all there is to show.
    std::printf("Entries:   %d\n", static_cast<int>(pack.EntryCount()));
    std::printf("Password:  yes (give -p to read the header lines and the entries)\n");
    return kExitOk;
  }
  // Volumes are numbered on from the number the first one carries, 1 as a rule.
  const int first = pack.FirstVolumeNumber();
  std::printf("Volumes:   %d", static_cast<int>(pack.Volume()) - first + 1);
  if (first != 1) std::printf(" (numbered from %d)", first);
  std::printf("\n");
  std::printf("Entries:   %d\n", static_cast<int>(pack.List.size()));
  if (pack.Version() == 1) {
    std::printf("Raw header: %u bytes\n", static_cast<unsigned>(pack.RawHeader().size()));
    return kExitOk;
  }
  std::printf("Password:  %s\n", pack.Protected() ? "yes" : "no");
  const pack::TPackageDigests& digests = pack.Digests();
  if (!digests.Any())
    std::printf("Digests:   none\n");
  else
    std::printf("Digests:   %zu of %zu members, directory %s\n", digests.Members.size(),
                pack.List.size(),
                digests.Directory ? "yes" : (digests.DirectoryLine ? "not recorded" : "no"));
  std::printf("Header:    %u line%s\n", static_cast<unsigned>(pack.Header.size()),
              pack.Header.size() == 1 ? "" : "s");
  for (const std::string& line : pack.Header) std::printf("  %s\n", ShownText(line).c_str());
  return kExitOk;
}

int RunTest(const ReadOptions& options) {
  if (!ChooseCodePage(options.codepage)) return kExitUsage;
  ArchivePack pack(options.archive, MemberMode::Verify);
  if (!PrepareRead(pack, options)) return kExitData;
  pack.SetDirectory(".");
  Bar bar("testing");
  pack.OnBytes = [&bar](const std::string& m, int64_t done, int64_t total) {
    bar.Report(m, done, total);
  };
  if (options.verbose)
    pack.OnMemberDone = [&bar](const std::string& member, int64_t, int64_t) {
      bar.Finish();
      std::printf("    OK: %s\n", ShownName(member).c_str());
    };
  const bool ok = pack.Run(pack::TPackMode::pmExtract);
  bar.Finish();
  if (!ok && pack.Failures().empty()) {
    ReportError(pack.FailureText());
    return kExitData;
  }
  for (const ArchivePack::Failure& f : pack.Failures()) ReportError(pack.FailureLine(f));
  // Names that repeat: the members restore, but extracting keeps only the later one.
  for (const auto& [later, note] : RepeatedNameNotes(pack, false))
    ReportError(pack.FailureLine({pack.Members()[later].name, note}));
  const std::size_t failed = pack.Failures().size();
  const std::size_t tested = pack.MembersDone() + failed;
  if (ok && failed == 0) {
    std::printf("%s: %zu member%s OK\n", options.archive.c_str(), tested, tested == 1 ? "" : "s");
    return kExitOk;
  }
  std::printf("%s: %zu of %zu member%s failed%s\n", options.archive.c_str(), failed, tested,
              tested == 1 ? "" : "s",
              pack.ReadToEnd() ? "" : "; the package could not be read to its end");
  return kExitData;
}

int RunExtract(const ReadOptions& options) {
  if (!ChooseCodePage(options.codepage)) return kExitUsage;
  ArchivePack pack(options.archive, MemberMode::Restore);
  if (!EnginePatterns(options.patterns, pack.Items) ||
      !EnginePatterns(options.excludes, pack.Excludes))
    return kExitUsage;
  if (!PrepareRead(pack, options)) return kExitData;
  std::string directory;
  if (options.directory.empty() || !EngineFullPath(options.directory, directory))
    return UsageError(options.directory + ": not a usable target directory");
  pack.SetDirectory(directory);
  Bar bar("extracting");
  pack.OnBytes = [&bar](const std::string& m, int64_t done, int64_t total) {
    bar.Report(m, done, total);
  };
  if (options.verbose)
    pack.OnMemberDone = [&bar, &pack](const std::string& target, int64_t, int64_t) {
      bar.Finish();
      // A stored time that is no date-time is not set: the file keeps the time it got.
      const bool timed = platform::IsValidDosTime(static_cast<uint32_t>(pack.Entry().Time));
      std::printf("  extracted: %s%s\n", Shown(target).c_str(),
                  timed ? "" : " (its stored time is invalid; it keeps the time of extraction)");
    };
  const bool ok = pack.Run(pack::TPackMode::pmExtract);
  bar.Finish();
  // A member under the name of an earlier one took its place: said, not a failure.
  for (const ArchivePack::Failure& f : pack.Replaced()) ReportError(pack.FailureLine(f));
  if (!ok) {
    // Every member refused or failed, one line each; or why the package could not be read.
    for (const ArchivePack::Failure& f : pack.Failures()) ReportError(pack.FailureLine(f));
    if (pack.Failures().empty()) ReportError(pack.FailureText());
    return kExitData;
  }
  if (!options.patterns.empty() && pack.MembersDone() == 0) {
    ReportError(options.archive + ": no member matches");
    return kExitData;
  }
  return kExitOk;
}

// After a new volume set is written, continuation volumes of an older, longer set under
// the same name follow it in the next disk folders; nothing can read them any more.
void RemoveStaleVolumes(ArchivePack& pack, const std::string& first) {
  const auto disk = FindDiskFolder(first);
  if (!disk) return;
  for (int d = disk->number + pack.Volume(); d < disk->number + 1000; ++d) {
    const std::string path = disk->VolumePath(d);
    const auto prefix = pack::ReadVolumePrefix(path);
    if (!prefix || prefix->Volume < 2 || prefix->Stamp == pack.Stamp()) break;
    platform::FileSystemPort().Delete(path);
  }
}

// The engine refuses to write over a volume that carries the stamp it is about to use,
// and stamps count whole seconds: a package made again within the same second as the
// one it replaces waits for the clock to move on.
void WaitPastOldStamps(const std::string& first) {
  double latest = -1;
  if (auto prefix = pack::ReadVolumePrefix(first)) latest = prefix->Stamp;
  if (const auto disk = FindDiskFolder(first))
    for (int d = disk->number + 1; d < disk->number + 1000; ++d) {
      const auto prefix = pack::ReadVolumePrefix(disk->VolumePath(d));
      if (!prefix) break;
      latest = std::max(latest, prefix->Stamp);
    }
  for (int waited = 0; waited < 30 && platform::NowLocalStamp() <= latest; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

int RunCreate(const CreateOptions& options, bool passwordGiven) {
  if (!options.rawHeader.empty() && (!options.header.empty() || passwordGiven))
    return UsageError("--raw-header cannot be combined with --header or -p");
  if (!ChooseCodePage(options.codepage)) return kExitUsage;
  std::vector<std::string> items, excludes, header, password;
  if (!EnginePatterns(options.patterns, items) || !EnginePatterns(options.excludes, excludes) ||
      !PackageTexts(options.header, header, "header line") ||
      !PackageTexts({options.password}, password, "password"))
    return kExitUsage;
  std::string path;
  if (!EngineFullPath(options.archive, path)) return kExitUsage;
  if (options.volumeSize > 0 && !FindDiskFolder(path))
    return UsageError(options.archive +
                      ": --volume-size needs the package in a disk folder, as in DISK1/" +
                      "NAME.PCK (the next volumes go to DISK2, DISK3, ...)");
  std::vector<uint8_t> raw;
  if (!options.rawHeader.empty()) {
    auto f =
        platform::FileSystemPort().Open(EnginePath(options.rawHeader), platform::Access::Read,
                                        platform::Share::Read, platform::Disposition::OpenExisting);
    if (!f) {
      ReportError(options.rawHeader + ": cannot open (" +
                  platform::FileSystemPort().FailureReason() + ")");
      return kExitData;
    }
    const int64_t size = f->Size();
    if (size < 0 || size > kMaxRawHeader)
      return UsageError(options.rawHeader + ": a raw header block holds at most 65535 bytes");
    raw.resize(static_cast<std::size_t>(size));
    if (size > 0 && f->Read(raw.data(), static_cast<int32_t>(size)) != size) {
      ReportError(options.rawHeader + ": cannot read");
      return kExitData;
    }
  }

  ArchivePack pack(options.archive, MemberMode::Restore);
  pack.SetArchive(path);
  pack.SetDirectory(EnginePath(options.directory));
  pack.Items = items;
  pack.Excludes = excludes;
  pack.SetPassword(password.front());
  pack.CompressMode = options.method;
  pack.Header = header;
  pack.VolumeSize = options.volumeSize;
  pack.PathOption = options.path;
  pack.WriteDigests = !options.noDigest;
  if (!raw.empty()) pack.SetRawHeader(raw);

  // The package never packs itself (or a volume of its own set).
  const std::string self = platform::FileSystemPort().FullPath(path);
  const auto disk = FindDiskFolder(path);
  pack.OnPrepared = [&pack, self, disk](platform::TObject*) {
    std::vector<std::string> kept;
    for (const std::string& file : pack.List) {
      const std::string full = platform::FileSystemPort().FullPath(file);
      bool own = SamePath(full, self);
      if (disk && !own)
        for (int d = disk->number + 1; d < disk->number + 100 && !own; ++d)
          own = SamePath(full, platform::FileSystemPort().FullPath(disk->VolumePath(d)));
      if (!own) kept.push_back(file);
    }
    pack.List = kept;
  };
  pack.BuildList();
  // A file the package cannot hold under its name is not left out: nothing is written.
  const std::vector<ArchivePack::Failure> refused = pack.RefusedFiles();
  for (const ArchivePack::Failure& f : refused)
    ReportError(options.archive + ": " + Shown(f.member) + ": " + f.cause);
  if (!refused.empty()) return kExitData;
  if (pack.List.empty()) {
    ReportError(options.archive + ": no files match the patterns");
    return kExitData;
  }

  Bar bar("adding");
  pack.OnBytes = [&bar](const std::string& m, int64_t done, int64_t total) {
    bar.Report(m, done, total);
  };
  if (options.verbose)
    pack.OnMemberDone = [&bar](const std::string& file, int64_t size, int64_t stored) {
      bar.Finish();
      std::printf("  added: %s (%lld -> %lld bytes)\n", Shown(file).c_str(),
                  static_cast<long long>(size), static_cast<long long>(stored));
    };
  WaitPastOldStamps(path);
  const bool ok = pack.Write();
  bar.Finish();
  if (!ok) {
    ReportError(pack.FailureText());  // the engine left the files it was to replace alone
    return kExitData;
  }
  RemoveStaleVolumes(pack, path);
  if (pack.DigestsOmitted())
    std::fprintf(stderr,
                 "pck: %s: %d members are more than its header lines can give digests for; "
                 "the members carry none\n",
                 options.archive.c_str(), pack.MembersDone());
  if (options.verbose)
    std::printf("%s: %d member%s in %u volume%s\n", options.archive.c_str(), pack.MembersDone(),
                pack.MembersDone() == 1 ? "" : "s", static_cast<unsigned>(pack.Volume()),
                pack.Volume() == 1 ? "" : "s");
  return kExitOk;
}

// --codepage, where names are converted (POSIX; on Windows they are the system's own).
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
  cmd->add_option("ARCHIVE", options.archive, "Package file (.PCK)")->required();
  cmd->add_option("--offset", options.offset, "Byte position of the package in its file")
      ->check(CLI::Range(0, std::numeric_limits<int32_t>::max()));
  AddCodePageOption(cmd, options.codepage);
}

}  // namespace

void AddArchiveVerbs(CLI::App& app, std::function<void(Verb)> add) {
  // create
  auto create = std::make_shared<CreateOptions>();
  CLI::App* c = app.add_subcommand("create", "Create a package from files");
  c->add_option("ARCHIVE", create->archive, "Package file to write")->required();
  c->add_option("PATTERN", create->patterns, "Wildcard patterns of the files to add")->required();
  c->add_option("-C,--directory", create->directory, "Base directory of the patterns");
  c->add_option("-x,--exclude", create->excludes, "Wildcard pattern of files to leave out");
  CLI::Option* createPassword =
      c->add_option("-p,--password", create->password, "Password stored in the package");
  c->add_option("--method,-m", create->method, "good (LZH), fast (LZRW1/KH) or auto")
      ->transform(CLI::CheckedTransformer(kMethods, CLI::ignore_case))
      ->default_str("good");
  c->add_option("--header", create->header, "A header line (repeatable)");
  c->add_option("--volume-size", create->volumeSize,
                "Largest volume in bytes; volumes go to sibling DISKn folders")
      ->check(CLI::Range(int64_t{1}, int64_t{std::numeric_limits<int32_t>::max()}));
  c->add_option("--raw-header", create->rawHeader,
                "Write a PCK10 package whose raw header block is this file's bytes");
  c->add_option("--path", create->path, "Names stored: none, relative or full")
      ->transform(CLI::CheckedTransformer(kPathOptions, CLI::ignore_case))
      ->default_str("relative");
  c->add_flag("-v,--verbose", create->verbose, "One line per member added");
  c->add_flag("--no-digest", create->noDigest,
              "Store no digests: the package exactly as the format alone makes it");
  AddCodePageOption(c, create->codepage);
  add({c, [create, createPassword] { return RunCreate(*create, createPassword->count() > 0); }});

  // list
  auto list = std::make_shared<ReadOptions>();
  CLI::App* l = app.add_subcommand("list", "List the members of a package");
  AddArchiveOption(l, *list);
  l->add_option("-p,--password", list->password, "Password of the package");
  l->add_flag("-l,--long", list->wide, "Also the stored size, ratio and method");
  l->add_flag("-v,--verbose", list->verbose,
              "Also each member's digest, and marks on members that repeat an earlier name");
  add({l, [list] { return RunList(*list); }});

  // info
  auto info = std::make_shared<ReadOptions>();
  CLI::App* i = app.add_subcommand("info", "Show the header of a package");
  AddArchiveOption(i, *info);
  i->add_option("-p,--password", info->password, "Password of the package");
  add({i, [info] { return RunInfo(*info); }});

  // test
  auto test = std::make_shared<ReadOptions>();
  CLI::App* t = app.add_subcommand("test", "Restore every member to nowhere, checking it");
  AddArchiveOption(t, *test);
  t->add_option("-p,--password", test->password, "Password of the package");
  t->add_flag("-v,--verbose", test->verbose, "One line per member tested");
  add({t, [test] { return RunTest(*test); }});

  // extract
  auto extract = std::make_shared<ReadOptions>();
  CLI::App* x = app.add_subcommand("extract", "Extract members of a package");
  AddArchiveOption(x, *extract);
  x->add_option("PATTERN", extract->patterns, "Wildcard patterns of the members to extract");
  x->add_option("-d,--directory", extract->directory, "Target directory (default: .)");
  x->add_option("-x,--exclude", extract->excludes, "Wildcard pattern of members to leave out");
  x->add_option("-p,--password", extract->password, "Password of the package");
  x->add_flag("-v,--verbose", extract->verbose, "One line per member extracted");
  add({x, [extract] { return RunExtract(*extract); }});
}

}  // namespace pck
