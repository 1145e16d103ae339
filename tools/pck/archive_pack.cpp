#include "tools/pck/archive_pack.h"

#include <algorithm>
#include <memory>

#include "pack/lfiles.h"
#include "pack/member_name.h"
#include "pack/pack_messages.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/system.h"
#include "platform/text.h"
#include "tools/pck/shown.h"

namespace pcktool {
namespace {

int64_t FileSize(const std::string& path) {
  auto f = plat::FileSystemPort().Open(path, plat::Access::Read, plat::Share::ReadWrite,
                                       plat::Disposition::OpenExisting);
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
  plat::FileSystem& files = plat::FileSystemPort();
  auto in =
      files.Open(from, plat::Access::Read, plat::Share::Read, plat::Disposition::OpenExisting);
  if (!in) throw sys::EInOutError("Cannot open " + from, files.FailureReason());
  auto out =
      files.Open(to, plat::Access::Write, plat::Share::None, plat::Disposition::CreateAlways);
  if (!out) throw sys::EInOutError("Cannot create " + to, files.FailureReason());
  std::vector<uint8_t> buffer(1 << 16);
  for (;;) {
    const int32_t n = in->Read(buffer.data(), static_cast<int32_t>(buffer.size()));
    if (n < 0) throw sys::EInOutError("Cannot read " + from, in->FailureReason());
    if (n == 0) break;
    if (out->Write(buffer.data(), n) != n)
      throw sys::EInOutError("Cannot write " + to, out->FailureReason());
  }
  if (!out->Close()) throw sys::EInOutError("Cannot close " + to, out->FailureReason());
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
  return std::make_unique<RestoreSink>();
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
  if (folder.size() < 5 || !sys::SameFolded(folder.substr(0, 4), "DISK")) return std::nullopt;
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
    : pck::TPackLz(nullptr),
      shownName_(std::move(shownName)),
      mode_(mode),
      keepGoing_(mode == MemberMode::Verify) {
  RestoreMembers = mode != MemberMode::Peek;
  // A listing restores nothing, so there is nothing to check against the digests.
  VerifyDigests = mode != MemberMode::Peek;
  OnPassword = [this](sys::TObject*, std::string& password) { HandlePassword(password); };
  OnError = [this](sys::TObject*, const sys::Exception& e, const std::string&) {
    NoteMemberFailure(e);
  };
  OnProgress = [this](sys::TObject*, const std::string& name, int32_t, bool&) {
    if (!name.empty()) current_ = name;
    ReportBytes(0);
  };
  OnFileProgress = [this](sys::TObject*, int32_t inSize, int32_t) { ReportBytes(inSize); };
  OnList = [this](sys::TObject*, const std::string& name, int32_t size, uint16_t attr,
                  int32_t time) {
    ++entriesSeen_;
    const auto digest = Digests().Members.find(entriesSeen_);
    members_.push_back({name, size, -1, "?", attr, time,
                        digest == Digests().Members.end() ? "" : digest->second.Hex()});
  };
  OnOpen = [this](sys::TObject*, std::string&) { memberStart_ = BytesRead(); };
  OnReadHeader = [this](sys::TObject*) { entriesTotal_ = Version() == 2 ? EntryCount() : 0; };
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
  const auto first = pck::ReadVolumePrefix(firstVolume_);
  if (!first) return total;
  for (int d = disk_->number + 1; d < disk_->number + 1000; ++d) {
    const std::string next = disk_->VolumePath(d);
    const auto prefix = pck::ReadVolumePrefix(next);
    if (!prefix || prefix->Stamp != first->Stamp) break;
    total += FileSize(next);
  }
  return total;
}

bool ArchivePack::Run(pck::TPackMode mode) {
  SetPackFileName(firstVolume_);
  diskNumber_ = disk_ ? disk_->number : 0;
  failures_.clear();
  members_.clear();
  volumeError_.clear();
  membersDone_ = 0;
  entriesSeen_ = entriesTotal_ = 0;
  memberStart_ = -1;
  passwordRequired_ = protected_ = passwordNotNeeded_ = false;
  doneBefore_ = 0;
  total_ = VolumeSetSize() - Offset;
  // The sink is the files port while the package is read.
  const std::unique_ptr<MemberSink> sink = MakeSink(mode_, TempFile());
  const plat::ScopedPort<plat::FileSystem> useSink(*sink);
  sink_ = sink.get();
  const bool ok = Process(mode);
  sink_ = nullptr;
  return ok;
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
  BuildList();
  total_ = 0;
  for (const std::string& file : List) total_ += FileSize(file);
  return WritePackage();
}

std::string ArchivePack::ShownCause(const std::string& text) const {
  return Shown(ReplaceAll(text, TempFile(), Entry().Name));
}

std::string ArchivePack::FailureLine(const Failure& failure) const {
  return shownName_ + ": " + (failure.member.empty() ? "" : Shown(failure.member) + ": ") +
         failure.cause;
}

std::string ArchivePack::FailureText() const {
  const std::string archive = shownName_ + ": ";
  if (passwordRequired_) return archive + "password required (use -p)";
  if (!failures_.empty()) return FailureLine(failures_.front());
  if (passwordNotNeeded_) return archive + "the package has no password (leave out -p)";
  std::string cause = !volumeError_.empty() ? volumeError_ : LastError();
  if (cause.empty() || cause == sys::EAbort().Message())
    return archive + "not a package, or it cannot be read";
  // A cause that names the package names it as the user did, and needs no prefix.
  const std::string shownPath = Shown(firstVolume_);
  cause = ShownCause(cause);
  if (cause.find(shownPath) != std::string::npos) return ReplaceAll(cause, shownPath, shownName_);
  return archive + cause;
}

void ArchivePack::NoteMemberFailure(const std::exception& e) {
  std::string cause = sys::Describe(e);
  if (dynamic_cast<const sys::EAbort*>(&e) && !volumeError_.empty()) cause = volumeError_;
  failures_.push_back({Entry().Name, ShownCause(cause)});
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
  std::string label = Shown(current_);
  const int number = Mode() == pck::TPackMode::pmWrite ? membersDone_ + 1 : entriesSeen_;
  const int count =
      Mode() == pck::TPackMode::pmWrite ? static_cast<int>(List.size()) : entriesTotal_;
  if (!label.empty() && number > 0)
    label = "[" + std::to_string(number) + (count > 0 ? "/" + std::to_string(count) : "") + "] " +
            label;
  if (Mode() == pck::TPackMode::pmWrite)
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
  if (auto typed = plat::ConsolePort().ReadSecret("Password for " + shownName_ + ": ")) {
    password = sys::ShortString(*typed);
    return;
  }
  passwordRequired_ = true;
}

bool ArchivePack::NextVolume() {
  // Reading: the bytes of the volume just finished count as done.
  if (Mode() != pck::TPackMode::pmWrite && PackFile)
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
    if (Mode() == pck::TPackMode::pmWrite) {
      if (CreateVolume()) return true;
      volumeError_ = "cannot create volume " + std::to_string(Volume()) + " " + Shown(next) +
                     (LastError().empty() ? "" : ": " + ShownCause(LastError()));
      return false;
    }
    if (!plat::FileSystemPort().FileExists(next)) {
      volumeError_ = "volume " + std::to_string(Volume()) + " not found: " + Shown(next);
      return false;
    }
    if (OpenVolume()) return true;
    volumeError_ = ShownCause(LastError());
    return false;
  } catch (const std::exception& e) {
    volumeError_ = ShownCause(sys::Describe(e));
    return false;
  }
}

bool ArchivePack::IsSelected() {
  // A listing shows a name the engine would refuse as it is stored, without looking
  // inside: the refusal belongs to extraction.
  if (!RestoreMembers) return pck::IsSafeMemberName(Entry().Name);
  return TPackLz::IsSelected();
}

void ArchivePack::OpenSource(const std::string& FileName) {
  sourcePath_ = FileName;
  uint16_t attr = 0;
  // The driver measures its input through an open for writing, which a read-only file
  // refuses: such a file is compressed from a writable copy in the private staging
  // directory.
  if (!plat::FileSystemPort().GetAttributes(FileName, attr) || !(attr & plat::kAttrReadOnly)) {
    TPackLz::OpenSource(FileName);
    return;
  }
  std::string copy;
  plat::RemoveOnInterrupt guard;
  {
    const plat::InterruptsHeld held;  // made and registered, or neither
    copy = plat::TempFilesPort().CreateUnique(StagingDirectory(), "PCK");
    guard = plat::RemoveOnInterrupt(copy);
  }
  if (copy.empty())
    throw pck::EPackException("Cannot create a staging file in " + StagingDirectory());
  try {
    CopyFile(FileName, copy);
    TPackLz::OpenSource(copy);
  } catch (...) {
    plat::FileSystemPort().Delete(copy);
    throw;
  }
  plat::FileSystemPort().Delete(copy);
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
  // Restored to a file: that file; otherwise the member.
  if (OnMemberDone)
    OnMemberDone(mode_ == MemberMode::Restore ? FileName : Entry().Name, -1, Entry().Size);
}

}  // namespace pcktool
