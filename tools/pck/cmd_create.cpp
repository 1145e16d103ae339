// create: a package, single or in a set of disk folders, from the files patterns select.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

#include "platform/files.h"
#include "tools/pck/cmd_common.h"
#include "tools/pck/commands.h"
#include "tools/pck/package_place.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"
#include "tools/pck/unix_pack.h"

namespace pck {
namespace {

constexpr int64_t kMaxRawHeader = 65535;
constexpr std::size_t kMaxHeaderLines = 65535;

// The raw header block in the file the user named (--raw-header); an exit status when it
// cannot be had.
std::optional<int> ReadRawHeader(const std::string& given, std::vector<uint8_t>& raw) {
  platform::FileSystem& files = platform::FileSystemPort();
  auto f = files.Open(EnginePath(given), platform::Access::Read, platform::Share::Read,
                      platform::Disposition::OpenExisting);
  if (!f) {
    ReportError(msg::Fmt(msg::kCannotOpenFile, given, files.FailureReason()));
    return kExitData;
  }
  const int64_t size = f->Size();
  if (size < 0 || size > kMaxRawHeader) return UsageError(msg::Fmt(msg::kRawHeaderTooBig, given));
  raw.resize(static_cast<std::size_t>(size));
  if (size > 0 && f->Read(raw.data(), static_cast<int32_t>(size)) != size) {
    ReportError(msg::Fmt(msg::kCannotReadFile, given));
    return kExitData;
  }
  return std::nullopt;
}

// The names the command line gives: each argument, or the lines of the file an
// `@FILE` argument names (`@-`: standard input), one name a line. False (reported) when
// such a file cannot be read.
bool NamesGiven(const std::vector<std::string>& arguments, std::vector<std::string>& names) {
  for (const std::string& argument : arguments) {
    if (argument.size() < 2 || argument[0] != '@') {
      names.push_back(argument);
      continue;
    }
    const std::string list = argument.substr(1);
    std::string text;
    if (list == "-") {
      text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
      platform::FileSystem& files = platform::FileSystemPort();
      auto f = files.Open(EnginePath(list), platform::Access::Read, platform::Share::Read,
                          platform::Disposition::OpenExisting);
      if (!f) {
        ReportError(msg::Fmt(msg::kCannotOpenFile, list, files.FailureReason()));
        return false;
      }
      char buffer[4096];
      int32_t got = 0;
      while ((got = f->Read(buffer, sizeof buffer)) > 0) text.append(buffer, got);
      if (got < 0) {
        ReportError(msg::Fmt(msg::kCannotReadFile, list));
        return false;
      }
    }
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) names.push_back(line);
    }
  }
  return true;
}

// The Linux metadata of the files to pack and the empty folders, in header lines, while
// the header has room for them beside the digests' lines.
void AddUnixLines(ArchivePack& pack, const UnixPacking& links, const std::string& archive,
                  bool digests) {
  std::vector<ShownFailure> left;
  std::vector<std::string> lines =
      links.Lines(pack.List, pack.Walk().EmptyFolders, pack.Walk().Folders, left);
  for (const ShownFailure& f : left) ReportError(Shown(f.Member) + ": " + f.Cause);
  const std::size_t taken = pack.Header.size() + (digests ? pack.List.size() + 1 : 0);
  if (taken + lines.size() > kMaxHeaderLines) {
    ReportError(msg::Fmt(msg::kUnixOmitted, archive, static_cast<int>(pack.List.size())));
    return;
  }
  pack.Header.insert(pack.Header.end(), lines.begin(), lines.end());
}

}  // namespace

int RunCreate(const CreateOptions& options, bool passwordGiven) {
  if (!options.RawHeader.empty() && (!options.Header.empty() || passwordGiven))
    return UsageError(msg::kRawHeaderAlone);
  if (!ChooseCodePage(options.Codepage)) return kExitUsage;
  std::vector<std::string> sources, items, excludes, header, password;
  if (!NamesGiven(options.Patterns, sources)) return kExitData;
  if (!EnginePatterns(sources, items) || !EnginePatterns(options.Excludes, excludes) ||
      !PackageTexts(options.Header, header, msg::kHeaderLine) ||
      !PackageTexts({options.Password}, password, msg::kPassword))
    return kExitUsage;
  // A link is followed; standard output gets the package once it is complete.
  const PackagePlace place = PlaceToWrite(options.Archive);
  if (!place.Refusal.empty()) {
    ReportError(options.Archive + ": " + place.Refusal);
    return kExitData;
  }
  std::optional<StagedPackage> staged;
  if (place.Standard) {
    if (options.VolumeSize > 0) return UsageError(msg::kStreamIsOneVolume);
    staged.emplace();
    if (staged->Path().empty()) {
      ReportError(msg::Fmt(msg::kNoStreamStaging, msg::kStandardOutput));
      return kExitData;
    }
  }
  std::string path;
  if (!EngineFullPath(staged ? staged->Path() : place.Path, path)) return kExitUsage;
  if (options.VolumeSize > 0 && !FindDiskFolder(path))
    return UsageError(msg::Fmt(msg::kVolumeSizeNeedsDisk, options.Archive));
  std::vector<uint8_t> raw;
  if (!options.RawHeader.empty())
    if (const auto status = ReadRawHeader(options.RawHeader, raw)) return *status;

  std::string base;
  if (!EngineFullPath(options.Directory, base, kHostTargetMax)) return kExitUsage;
  if (!platform::FileSystemPort().DirectoryExists(base)) {
    ReportError(msg::Fmt(msg::kNoSuchFolder, options.Directory));
    return kExitData;
  }

  ArchivePack pack(options.Archive, MemberMode::Restore);
  pack.SetArchive(path);
  pack.SetDirectory(EnginePath(options.Directory));
  pack.Sources = sources;
  pack.Excludes = excludes;
  pack.SetPassword(password.front());
  pack.CompressMode = options.Method;
  pack.Jobs = options.Jobs;
  pack.Header = header;
  pack.VolumeSize = options.VolumeSize;
  pack.PathOption = options.Path;
  pack.WriteDigests = !options.NoDigest;
  pack.CaseSensitive = options.CaseSensitive;
  // Linux metadata needs header lines: a version 2 package.
  const bool unix = !options.NoUnix && raw.empty();
  pack.Rules = {unix && !options.Dereference, unix};
  if (!raw.empty()) pack.SetRawHeader(raw);

  // The package never packs itself (or a volume of its own set).
  pack.OnPrepared = [&pack, own = SetPaths(path)](platform::TObject*) {
    std::erase_if(pack.List, [&own](const std::string& file) {
      const std::string full = platform::FileSystemPort().FullPath(file);
      return std::any_of(own.begin(), own.end(),
                         [&full](const std::string& volume) { return SamePath(full, volume); });
    });
  };
  pack.BuildList();
  const SourceWalk& walk = pack.Walk();
  // What is found and cannot be packed is said; an argument that leads to nothing fails
  // the run once the rest is done.
  if (walk.RootDropped) ReportError(msg::kRootDropped);
  for (const ShownFailure& f : walk.Notes) ReportError(Shown(f.Member) + ": " + f.Cause);
  for (const ShownFailure& f : walk.Missing) ReportError(Printable(f.Member) + ": " + f.Cause);
  // Links are packed as the text they point to, under their own names.
  UnixPacking links;
  ShownFailure linkFailure;
  if (!links.StageLinks(walk.Links, linkFailure)) {
    ReportError(options.Archive + ": " + Shown(linkFailure.Member) + ": " + linkFailure.Cause);
    return kExitData;
  }
  for (const FoundEntry& link : links.Staged()) pack.AddSource(link.Path, link.Stored);
  // A file the package cannot hold under its name is not left out: nothing is written.
  const std::vector<ShownFailure> refused = pack.RefusedFiles();
  for (const ShownFailure& f : refused)
    ReportError(options.Archive + ": " + Shown(f.Member) + ": " + f.Cause);
  if (!refused.empty()) return kExitData;
  if (pack.List.empty() && walk.EmptyFolders.empty()) {
    if (walk.Missing.empty()) ReportError(msg::Fmt(msg::kNoFilesMatch, options.Archive));
    return kExitData;
  }
  if (unix) AddUnixLines(pack, links, options.Archive, !options.NoDigest);

  VerbBar bar(msg::kAdding);
  bar.Follow(pack);
  std::FILE* said = place.Standard ? stderr : stdout;  // standard output may carry the package
  if (options.Verbose)
    pack.OnMemberDone = [&bar, said](const std::string& file, int64_t size, int64_t stored) {
      bar.Finish();
      std::fputs(msg::Fmt(msg::kAdded, Shown(file), static_cast<long long>(size),
                          static_cast<long long>(stored))
                     .c_str(),
                 said);
    };
  WaitPastOldStamps(path);
  const bool ok = pack.Write();
  bar.Finish();
  if (!ok) {
    ReportError(pack.FailureText());  // the engine left the files it was to replace alone
    return kExitData;
  }
  std::string reason;
  if (staged && !staged->ToOutput(reason)) {
    ReportError(msg::Fmt(msg::kStreamFailed, msg::kStandardOutput, msg::kCannotWrite, reason));
    return kExitData;
  }
  RemoveStaleVolumes(path, pack.Volume(), pack.Stamp());
  const int members = pack.LastRun().MembersDone;
  if (pack.DigestsOmitted()) ReportError(msg::Fmt(msg::kDigestsOmitted, options.Archive, members));
  if (options.Verbose)
    std::fputs(msg::Fmt(msg::kCreated, options.Archive, members, members == 1 ? "" : msg::kPlural,
                        static_cast<int>(pack.Volume()), pack.Volume() == 1 ? "" : msg::kPlural)
                   .c_str(),
               said);
  return walk.Missing.empty() ? kExitOk : kExitData;
}

}  // namespace pck
