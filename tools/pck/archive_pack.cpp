#include "tools/pck/archive_pack.h"

#include <algorithm>
#include <memory>
#include <set>

#include "pack/lfiles.h"
#include "pack/member_name.h"
#include "pack/pack_messages.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/system.h"
#include "platform/text.h"
#include "tools/pck/shown.h"

namespace pck {
namespace {

int64_t FileSize(const std::string& path) {
  auto f = platform::FileSystemPort().Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                           platform::Disposition::OpenExisting);
  return f ? std::max<int64_t>(f->Size(), 0) : 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Copies `from` into the new file `to` through the files port.
void CopyFile(const std::string& from, const std::string& to) {
  platform::FileSystem& files = platform::FileSystemPort();
  auto in = files.Open(from, platform::Access::Read, platform::Share::Read,
                       platform::Disposition::OpenExisting);
  if (!in) throw platform::EInOutError("Cannot open " + from, files.FailureReason());
  auto out = files.Open(to, platform::Access::Write, platform::Share::None,
                        platform::Disposition::CreateAlways);
  if (!out) throw platform::EInOutError("Cannot create " + to, files.FailureReason());
  std::vector<uint8_t> buffer(1 << 16);
  for (;;) {
    const int32_t n = in->Read(buffer.data(), static_cast<int32_t>(buffer.size()));
    if (n < 0) throw platform::EInOutError("Cannot read " + from, in->FailureReason());
    if (n == 0) break;
    if (out->Write(buffer.data(), n) != n)
      throw platform::EInOutError("Cannot write " + to, out->FailureReason());
  }
  if (!out->Close()) throw platform::EInOutError("Cannot close " + to, out->FailureReason());
}

std::unique_ptr<MemberSink> MakeSink(MemberMode mode, const std::string& staging) {
  switch (mode) {
    case MemberMode::Verify:
      return std::make_unique<VerifySink>();
    case MemberMode::Peek:
      return std::make_unique<PeekSink>(staging);
    case MemberMode::Restore:
      break;
  }
  return std::make_unique<RestoreSink>(PackageText());
}

// What pck says of names it refuses or members that replace others.
constexpr const char* kNotWritableHere = "the name cannot be written here: ";
constexpr const char* kNotInCodePage = "the name cannot be written in ";
constexpr const char* kHoldsSeparator = "the name holds \\, which a package takes as a separator";
constexpr const char* kReplaces = "replaces the earlier member ";

// The system compares file names with letter case (POSIX) or without (Windows).
#ifdef _WIN32
constexpr bool kSystemFoldsCase = true;
#else
constexpr bool kSystemFoldsCase = false;
#endif

// `text` as shown, every occurrence of the raw text of a part replaced by its shown form
// and the rest shown as the system's text: a message that mixes paths of the system with
// names in the package's code page.
std::string ShownWith(const std::string& text,
                      std::vector<std::pair<std::string, std::string>> parts) {
  std::erase_if(parts, [](const auto& part) { return part.first.empty(); });
  std::sort(parts.begin(), parts.end(),
            [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
  std::string out, plain;
  for (std::size_t at = 0; at < text.size();) {
    const auto part = std::find_if(parts.begin(), parts.end(), [&](const auto& p) {
      return text.compare(at, p.first.size(), p.first) == 0;
    });
    if (part == parts.end()) {
      plain += text[at++];
      continue;
    }
    out += Shown(plain) + part->second;
    plain.clear();
    at += part->first.size();
  }
  return out + Shown(plain);
}

}  // namespace

std::string DiskFolder::VolumePath(int disk) const {
  return parent + word + std::to_string(disk) + "\\" + name;
}

std::optional<DiskFolder> FindDiskFolder(const std::string& path) {
  const auto slash = path.rfind('\\');
  if (slash == std::string::npos || slash == 0) return std::nullopt;
  const auto before = path.find_last_of("\\:", slash - 1);
  const std::size_t start = before == std::string::npos ? 0 : before + 1;
  const std::string folder = path.substr(start, slash - start);
  if (folder.size() < 5 || !platform::SameFolded(folder.substr(0, 4), "DISK")) return std::nullopt;
  const std::string digits = folder.substr(4);
  if (digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), IsDigit)) return std::nullopt;
  DiskFolder disk;
  disk.parent = path.substr(0, start);
  disk.word = folder.substr(0, 4);
  disk.number = std::stoi(digits);
  disk.name = path.substr(slash + 1);
  if (disk.number < 1 || disk.name.empty()) return std::nullopt;
  return disk;
}

ArchivePack::ArchivePack(std::string shownName, MemberMode mode)
    : pack::TPackLz(nullptr),
      shownName_(std::move(shownName)),
      mode_(mode),
      keepGoing_(mode == MemberMode::Verify) {
  RestoreMembers = mode != MemberMode::Peek;
  // A listing restores nothing, so there is nothing to check against the digests.
  VerifyDigests = mode != MemberMode::Peek;
  OnPassword = [this](platform::TObject*, std::string& password) { HandlePassword(password); };
  OnError = [this](platform::TObject*, const platform::Exception& e, const std::string&) {
    if (dynamic_cast<const pack::EPackUnsafeName*>(&e)) refusals_.push_back(e.Message());
    NoteMemberFailure(e);
  };
  OnProgress = [this](platform::TObject*, const std::string& name, int32_t, bool&) {
    if (!name.empty()) current_ = name;
    ReportBytes(0);
  };
  OnFileProgress = [this](platform::TObject*, int32_t inSize, int32_t) { ReportBytes(inSize); };
  OnList = [this](platform::TObject*, const std::string& name, int32_t size, uint16_t attr,
                  int32_t time) {
    ++entriesSeen_;
    const auto digest = Digests().Members.find(entriesSeen_);
    members_.push_back({name, size, -1, "?", attr, time,
                        digest == Digests().Members.end() ? "" : digest->second.Hex()});
  };
  OnOpen = [this](platform::TObject*, std::string&) {
    memberStart_ = BytesRead();
    copying_ = true;
  };
  OnReadHeader = [this](platform::TObject*) {
    entriesTotal_ = Version() == 2 ? EntryCount() : 0;
    firstVolumeNumber_ = Volume();
  };
}

void ArchivePack::SetArchive(const std::string& path) {
  firstVolume_ = path;
  SetPackFileName(path);
  disk_ = FindDiskFolder(path);
}

int64_t ArchivePack::VolumeSetSize() const {
  int64_t total = FileSize(firstVolume_);
  if (!disk_) return total;
  // The continuation volumes carry the first volume's stamp; older ones do not count.
  const auto first = pack::ReadVolumePrefix(firstVolume_);
  if (!first) return total;
  for (int d = disk_->number + 1; d < disk_->number + 1000; ++d) {
    const std::string next = disk_->VolumePath(d);
    const auto prefix = pack::ReadVolumePrefix(next);
    if (!prefix || prefix->Stamp != first->Stamp) break;
    total += FileSize(next);
  }
  return total;
}

bool ArchivePack::Run(pack::TPackMode mode) {
  SetPackFileName(firstVolume_);
  diskNumber_ = disk_ ? disk_->number : 0;
  failures_.clear();
  members_.clear();
  replaced_.clear();
  refusals_.clear();
  restored_.clear();
  refusedHere_ = readToEnd_ = copying_ = false;
  firstVolumeNumber_ = 0;
  volumeError_.clear();
  membersDone_ = 0;
  entriesSeen_ = entriesTotal_ = 0;
  memberStart_ = -1;
  passwordRequired_ = protected_ = passwordNotNeeded_ = false;
  doneBefore_ = 0;
  total_ = VolumeSetSize() - Offset;
  // The sink is the files port while the package is read.
  const std::unique_ptr<MemberSink> sink = MakeSink(mode_, TempFile());
  const platform::ScopedPort<platform::FileSystem> useSink(*sink);
  sink_ = sink.get();
  const bool ok = Process(mode);
  sink_ = nullptr;
  // Refused members end the engine's run with false once every entry has been read.
  readToEnd_ = ok || (!refusals_.empty() && LastError() == refusals_.front());
  return ok && !refusedHere_;
}

bool ArchivePack::Write() {
  SetPackFileName(firstVolume_);
  diskNumber_ = disk_ ? disk_->number : 0;
  failures_.clear();
  volumeError_.clear();
  membersDone_ = 0;
  entriesSeen_ = entriesTotal_ = 0;
  memberStart_ = -1;
  doneBefore_ = 0;
  total_ = 0;
  for (const std::string& file : List) total_ += FileSize(file);
  fixedList_ = List;
  const bool ok = WritePackage();
  fixedList_.reset();
  return ok;
}

std::string ArchivePack::ShownCause(const std::string& text) const {
  const std::string name = ShownName(Entry().Name);
  std::vector<std::pair<std::string, std::string>> parts = {{Entry().Name, name}};
  if (sink_ && !sink_->TargetName().empty())
    parts.push_back({pack::CombinePath(sink_->TargetRoot(), sink_->TargetName()),
                     Shown(pack::CombinePath(sink_->TargetRoot(), std::string())) +
                         ShownName(sink_->TargetName())});
  const bool writing = Mode() == pack::TPackMode::pmWrite;
  // Reading, the staging file holds the member's stored bytes: a failure to restore
  // them is the member's.
  if (!writing) parts.push_back({TempFile(), name});
  std::string cause = ShownWith(text, parts);
  // The staging file (writing) and a member's bytes on their way into it (reading) are
  // in the temporary folder: a full or unwritable one is there for the user to mend.
  if ((writing && text.find(StagingDirectory()) != std::string::npos) || (!writing && copying_))
    cause += std::string(writing ? "" : " while it was copied into the staging file") +
             "; the staging file is in the temporary folder " +
             Shown(platform::TempFilesPort().Directory()) + " (TMPDIR)";
  return cause;
}

std::string ArchivePack::FailureLine(const Failure& failure) const {
  return shownName_ + ": " + (failure.member.empty() ? "" : ShownName(failure.member) + ": ") +
         failure.cause;
}

std::string ArchivePack::FailureText() const {
  const std::string archive = shownName_ + ": ";
  if (passwordRequired_) return archive + "password required (use -p)";
  if (!failures_.empty()) return FailureLine(failures_.front());
  if (passwordNotNeeded_) return archive + "the package has no password (leave out -p)";
  std::string cause = !volumeError_.empty() ? volumeError_ : LastError();
  if (cause.empty() || cause == platform::EAbort().Message())
    return archive + "not a package, or it cannot be read";
  // A cause that names the package names it as the user did, and needs no prefix.
  const std::string shownPath = Shown(firstVolume_);
  if (volumeError_.empty()) cause = ShownCause(cause);
  if (cause.find(shownPath) != std::string::npos) return ReplaceAll(cause, shownPath, shownName_);
  return archive + cause;
}

void ArchivePack::NoteMemberFailure(const std::exception& e) {
  const bool volume = dynamic_cast<const platform::EAbort*>(&e) && !volumeError_.empty();
  failures_.push_back({Entry().Name, volume ? volumeError_ : ShownCause(platform::Describe(e))});
}

std::string ArchivePack::NameKey(const std::string& name, bool fold) {
  std::string key;
  for (const std::string& part : platform::PathComponents(name))
    key += (key.empty() ? "" : "\\") + part;
  return fold ? PackageText().Upper(key) : key;
}

std::vector<std::pair<std::size_t, std::size_t>> ArchivePack::RepeatedNames() const {
  std::vector<std::pair<std::size_t, std::size_t>> repeated;
  std::map<std::string, std::size_t> first;
  for (std::size_t i = 0; i < members_.size(); ++i) {
    // Only names that become files here can take another's place.
    const std::string& name = members_[i].name;
    if (!pack::IsSafeMemberName(name) || !PackageText().ToSystem(name)) continue;
    const auto [at, fresh] = first.emplace(NameKey(name, kSystemFoldsCase), i);
    if (!fresh) repeated.push_back({i, at->second});
  }
  return repeated;
}

int64_t ArchivePack::PackPosition() const {
  return PackFile ? std::max<int64_t>(PackFile->Position(), 0) : 0;
}

int64_t ArchivePack::BytesRead() const {
  return doneBefore_ + PackPosition() - (Volume() <= 1 ? Offset : 0);
}

// `driverIn`: what the driver has taken of the member so far (0 outside the driver).
void ArchivePack::ReportBytes(int64_t driverIn) {
  if (!OnBytes) return;
  // The member being worked on, with its number and the number of members when known.
  std::string label = ShownName(current_);
  const int number = Mode() == pack::TPackMode::pmWrite ? membersDone_ + 1 : entriesSeen_;
  const int count =
      Mode() == pack::TPackMode::pmWrite ? static_cast<int>(List.size()) : entriesTotal_;
  if (!label.empty() && number > 0)
    label = "[" + std::to_string(number) + (count > 0 ? "/" + std::to_string(count) : "") + "] " +
            label;
  if (Mode() == pack::TPackMode::pmWrite)
    OnBytes(label, doneBefore_ + driverIn, total_);
  else if (driverIn > 0 && memberStart_ >= 0)
    // Restoring a member: the package bytes it came from count as they are decoded.
    OnBytes(label, memberStart_ + std::min<int64_t>(driverIn, Entry().Size), total_);
  else
    OnBytes(label, BytesRead(), total_);
}

void ArchivePack::HandlePassword(std::string& password) {
  if (StoredPassword().empty()) {
    passwordNotNeeded_ = !password.empty();
    return;
  }
  protected_ = true;
  if (!password.empty() || probePassword) return;
  if (auto typed = platform::ConsolePort().ReadSecret("Password for " + shownName_ + ": ")) {
    // Typed in the system's text, stored in the package's code page; one that the code
    // page cannot hold matches no stored password.
    password = platform::ShortString(PackageText().ToPackage(*typed).value_or(*typed));
    return;
  }
  passwordRequired_ = true;
}

bool ArchivePack::NextVolume() {
  // Reading: the bytes of the volume just finished count as done.
  if (Mode() != pack::TPackMode::pmWrite && PackFile)
    doneBefore_ += std::max<int64_t>(PackFile->Size(), 0) - (Volume() <= 1 ? Offset : 0);
  if (!disk_) {
    const bool moved = TPackLz::NextVolume();
    if (!moved)
      volumeError_ = "the package ends inside this member: it is cut short, or volume " +
                     std::to_string(Volume()) + " is missing";
    return moved;
  }
  try {
    // Disk folders stay in place: a new set's volumes are put in place together when
    // the set is complete.
    ClosePack();
    SetVolume(static_cast<uint16_t>(Volume() + 1));
    ++diskNumber_;
    const std::string next = disk_->VolumePath(diskNumber_);
    SetPackFileName(next);
    if (Mode() == pack::TPackMode::pmWrite) {
      if (CreateVolume()) return true;
      volumeError_ = "cannot create volume " + std::to_string(Volume()) + " " + Shown(next) +
                     (LastError().empty() ? "" : ": " + ShownCause(LastError()));
      return false;
    }
    if (!platform::FileSystemPort().FileExists(next)) {
      volumeError_ = "volume " + std::to_string(Volume()) + " not found: " + Shown(next);
      return false;
    }
    if (OpenVolume()) return true;
    volumeError_ = ShownCause(LastError());
    return false;
  } catch (const std::exception& e) {
    volumeError_ = ShownCause(platform::Describe(e));
    return false;
  }
}

bool ArchivePack::IsSelected() {
  // A listing shows a name the engine would refuse as it is stored, without looking
  // inside: the refusal belongs to extraction.
  if (!RestoreMembers) return pack::IsSafeMemberName(Entry().Name);
  if (!TPackLz::IsSelected()) return false;
  // A name that is no text of the code page can name no file here: refused, its data
  // skipped, and the run goes on with the next member.
  std::string why;
  if (PackageText().ToSystem(Entry().Name, &why)) return true;
  refusedHere_ = true;
  failures_.push_back({Entry().Name, kNotWritableHere + Printable(why)});
  return false;
}

void ArchivePack::BuildList() {
  if (fixedList_) {
    List = *fixedList_;
    return;
  }
  unstorable_.clear();
  const platform::CodePage& text = PackageText();
  if (text.Raw()) {
    // Names pass as they are; one that holds a `\` of the system's (a zero byte in the
    // files port's text) has no spelling in a package.
    TPackLz::BuildList();
    KeepEachFileOnce();
    std::erase_if(List, [this](const std::string& path) {
      if (path.substr(platform::FolderPart(path).size()).find('\0') == std::string::npos)
        return false;
      unstorable_.push_back({path, kHoldsSeparator});
      return true;
    });
    return;
  }
  List.clear();
  const std::string base = pack::CombinePath(Directory(), std::string());
  for (const std::string& pattern : Items) {
    // As the engine builds them: the directory in the system's text, the pattern's
    // folders and name in the package's code page.
    const std::string full = platform::ShortString(pack::CombinePath(Directory(), pattern));
    const std::string folder = platform::ShortString(platform::FolderPart(full));
    const std::string mask = full.substr(folder.size());
    std::string below = folder.compare(0, base.size(), base) == 0 ? folder.substr(base.size()) : "";
    const std::optional<std::string> systemBelow = text.ToSystem(below);
    if (!systemBelow) continue;  // not from the system's text: nothing there
    const std::string systemFolder = folder.substr(0, folder.size() - below.size()) + *systemBelow;
    for (const platform::FoundFile& found :
         platform::FileSystemPort().Find(systemFolder + "*", pack::kFindMask)) {
      std::string why;
      const std::optional<std::string> name = text.ToPackage(found.Name, &why);
      // A character the code page has not stands for one that matches only a wildcard.
      const std::string compared = name ? *name : text.ToPackageMarked(found.Name, '\0');
      if (!platform::MatchWild(mask, compared)) continue;
      const std::string candidate = pack::CombinePath(folder, compared);
      bool excluded = false;
      for (std::size_t i = 0; i < Excludes.size() && !excluded; ++i)
        excluded = pack::MatchFileName(pack::CombinePath(Directory(), Excludes[i]), candidate);
      if (excluded) continue;
      const std::string path = pack::CombinePath(systemFolder, found.Name);
      if (found.Name.find('\0') != std::string::npos)
        unstorable_.push_back({path, kHoldsSeparator});
      else if (!name)
        unstorable_.push_back({path, kNotInCodePage + text.Name() + ": " + Printable(why)});
      else
        List.push_back(path);
    }
  }
  KeepEachFileOnce();
  DoPrepared();
}

void ArchivePack::KeepEachFileOnce() {
  std::set<std::string> seen;
  std::erase_if(List, [&seen](const std::string& path) { return !seen.insert(path).second; });
}

std::string ArchivePack::StoredName(const std::string& path) {
  std::string why;
  const std::optional<std::string> name = PackageText().ToPackage(TPackLz::StoredName(path), &why);
  if (!name) throw pack::EPackUnsafeName(path + ": " + kNotInCodePage + PackageText().Name());
  return *name;
}

std::vector<ArchivePack::Failure> ArchivePack::RefusedFiles() {
  std::vector<Failure> refused = unstorable_;
  // The package's home system takes names that differ only in letter case for one file.
  std::map<std::string, std::string> stored;
  for (const std::string& path : List) {
    std::string name;
    try {
      name = StoredName(path);
    } catch (const std::exception&) {
      refused.push_back({path, kNotInCodePage + PackageText().Name()});
      continue;
    }
    const auto [at, fresh] = stored.emplace(NameKey(name, true), path);
    if (!fresh)
      refused.push_back({path, "has the name of " + Shown(at->second) +
                                   " in the package, where letter case does not count (as on "
                                   "Windows)"});
  }
  return refused;
}

void ArchivePack::OpenSource(const std::string& FileName) {
  sourcePath_ = FileName;
  uint16_t attr = 0;
  // The driver measures its input through an open for writing, which a read-only file
  // refuses: such a file is compressed from a writable copy in the private staging
  // directory.
  if (!platform::FileSystemPort().GetAttributes(FileName, attr) ||
      !(attr & platform::kAttrReadOnly)) {
    TPackLz::OpenSource(FileName);
    return;
  }
  std::string copy;
  platform::RemoveOnInterrupt guard;
  {
    const platform::InterruptsHeld held;  // made and registered, or neither
    copy = platform::TempFilesPort().CreateUnique(StagingDirectory(), "PCK");
    guard = platform::RemoveOnInterrupt(copy);
  }
  if (copy.empty())
    throw pack::EPackException("Cannot create a staging file in " + StagingDirectory());
  try {
    CopyFile(FileName, copy);
    TPackLz::OpenSource(copy);
  } catch (...) {
    platform::FileSystemPort().Delete(copy);
    throw;
  }
  platform::FileSystemPort().Delete(copy);
}

void ArchivePack::CloseSource() {
  const int64_t stored = MemberFile ? MemberFile->Size() : 0;
  TPackLz::CloseSource();
  const int64_t size = FileSize(sourcePath_);
  doneBefore_ += size;
  ++membersDone_;
  if (OnMemberDone) OnMemberDone(sourcePath_, size, stored);
}

void ArchivePack::CloseTarget(const std::string& FileName) {
  // The engine closes a target also when copying the member's bytes failed: they did not
  // all reach the staging file, and nothing is restored from a part of them. (The
  // engine reports the failure of the copy, not this one.)
  if (MemberFile && MemberFile->Size() < Entry().Size) {
    MemberFile.reset();
    platform::FileSystemPort().Delete(TempFile());
    throw platform::EInOutError("the member's stored bytes did not all reach the staging file");
  }
  copying_ = false;
  try {
    TPackLz::CloseTarget(FileName);
  } catch (const std::exception& e) {
    if (!keepGoing_) throw;
    // Reported, and the test goes on with the next member.
    NoteMemberFailure(e);
    return;
  }
  ++membersDone_;
  if (sink_ && !members_.empty()) sink_->Learn(members_.back());
  if (mode_ == MemberMode::Restore) {
    // A member restored where an earlier one of the same name was has replaced it.
    auto [earlier, fresh] =
        restored_.emplace(NameKey(Entry().Name, kSystemFoldsCase), Entry().Name);
    if (!fresh) {
      replaced_.push_back({Entry().Name, kReplaces + ShownName(earlier->second)});
      earlier->second = Entry().Name;
    }
  }
  // Restored to a file: that file (in the system's text); otherwise the member.
  if (OnMemberDone)
    OnMemberDone(mode_ == MemberMode::Restore ? (sink_ ? sink_->SystemPath(FileName) : FileName)
                                              : Entry().Name,
                 -1, Entry().Size);
}

}  // namespace pck
