#include "tools/pck/archive_pack.h"

#include <algorithm>

#include "pack/lfiles.h"
#include "pack/member_name.h"
#include "pack/pack_messages.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/interrupt.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"
#include "tools/pck/unix_meta.h"

namespace pck {

ArchivePack::ArchivePack(std::string shownName, MemberMode mode)
    : pack::TPackLz(nullptr),
      shownName_(std::move(shownName)),
      mode_(mode),
      sink_(MemberSink::For(mode, TempFile())) {
  SetFiles(sink_.get());
  RestoreMembers = sink_->Restores();
  TargetPathMax = kHostTargetMax;  // a stored name keeps its 255
  // A listing restores nothing, so there is nothing to check against the digests.
  VerifyDigests = mode != MemberMode::Peek;
  OnPassword = [this](platform::TObject*, std::string& password) {
    run_->Password.Answer(StoredPassword(), password);
  };
  // The engine has recorded the member's failure when it tells it.
  OnError = [this](platform::TObject*, const platform::Exception&, const std::string&) {
    NoteMemberFailure(Failure());
  };
  OnProgress = [this](platform::TObject*, const std::string& name, int32_t, bool&) {
    if (!name.empty()) run_->Current = name;
    ReportBytes(0);
  };
  OnFileProgress = [this](platform::TObject*, int32_t inSize, int32_t) { ReportBytes(inSize); };
  OnList = [this](platform::TObject*, const std::string& name, int32_t size, uint16_t attr,
                  int32_t time) {
    const int position = ++run_->EntriesSeen;
    const auto digest = Digests().Members.find(position);
    run_->Members.push_back({name, size, -1, "?", attr, time,
                             digest == Digests().Members.end() ? "" : digest->second.Hex()});
  };
  OnOpen = [this](platform::TObject*, std::string&) {
    run_->Bytes.MemberStarts(PackPosition(), Volume());
  };
  OnReadHeader = [this](platform::TObject*) {
    unix_ = ParseUnixLines(Header);
    run_->EntriesTotal = Version() == 2 ? EntryCount() : 0;
    run_->FirstVolumeNumber = Volume();
  };
}

ArchivePack::~ArchivePack() { SetFiles(nullptr); }

void ArchivePack::SetArchive(const std::string& path) {
  firstVolume_ = path;
  SetPackFileName(path);
  disk_ = FindDiskFolder(path);
}

ArchiveRun& ArchivePack::StartRun(int64_t total, int64_t offset) {
  SetPackFileName(firstVolume_);
  run_ = std::make_unique<ArchiveRun>(shownName_, probePassword_, total, offset,
                                      disk_ ? disk_->Number : 0);
  return *run_;
}

bool ArchivePack::Run(pack::TPackMode mode) {
  ArchiveRun& run = StartRun(VolumeSetSize(firstVolume_) - Offset, Offset);
  // Restored on workers, content for standard output waits its turn beside the staging file.
  if (mode_ == MemberMode::Stream && Jobs > 1) sink_->SpoolIn(StagingDirectory());
  const bool ok = Process(mode);
  // Refused members end the engine's run with false once every entry has been read.
  run.ReadToEnd = ok || Failure().LetsRunGoOn();
  return ok && !run.FailedHere;
}

bool ArchivePack::Write() {
  int64_t total = 0;
  for (const std::string& file : List) total += FileSize(file);
  StartRun(total, 0).FixedList = List;
  return WritePackage();
}

FailureContext ArchivePack::Context() const {
  return {Mode() == pack::TPackMode::pmWrite, sink_->TargetRoot(), sink_->TargetName()};
}

std::string ArchivePack::FailureText() const {
  const ArchiveRun& run = *run_;
  if (run.Password.Required()) return FailureLine({{}, msg::kPasswordRequired});
  if (!run.Failures.empty()) return FailureLine(run.Failures.front());
  if (run.Password.NotNeeded()) return FailureLine({{}, msg::kNoPasswordNeeded});
  if (!run.VolumeCause.empty()) return FailureLine({{}, run.VolumeCause});
  return RunFailureLine(shownName_, firstVolume_, Failure(), Context());
}

void ArchivePack::NoteStreamFailure(const std::exception& e) {
  pack::PackFailure failure = FailureOf(e);
  failure.Member = Entry().Name;
  NoteMemberFailure(failure);
}

void ArchivePack::NoteMemberFailure(const pack::PackFailure& failure) {
  const std::string& member = failure.Member.empty() ? Entry().Name : failure.Member;
  run_->Failures.push_back(
      {member, run_->VolumeCause.empty() ? ShownCause(failure, Context()) : run_->VolumeCause});
}

int64_t ArchivePack::PackPosition() const {
  return PackFile ? std::max<int64_t>(PackFile->Position(), 0) : 0;
}

// `driverIn`: what the driver has taken of the member so far (0 outside the driver).
void ArchivePack::ReportBytes(int64_t driverIn) {
  if (!OnBytes) return;
  const ArchiveRun& run = *run_;
  const bool writing = Mode() == pack::TPackMode::pmWrite;
  // The member being worked on, with its number and the number of members when known.
  const std::string label =
      NumberedLabel(ShownName(run.Current), writing ? run.MembersDone + 1 : run.EntriesSeen,
                    writing ? static_cast<int>(List.size()) : run.EntriesTotal);
  if (writing)
    OnBytes(label, run.Bytes.Writing(driverIn), run.Bytes.Total());
  else if (driverIn > 0 && run.Bytes.InMember())
    // Restoring a member: the package bytes it came from count as they are decoded.
    OnBytes(label, run.Bytes.Restoring(driverIn, Entry().Size), run.Bytes.Total());
  else
    OnBytes(label, run.Bytes.Read(PackPosition(), Volume()), run.Bytes.Total());
}

bool ArchivePack::NextVolume() {
  ArchiveRun& run = *run_;
  // Reading: the bytes of the volume just finished count as done.
  if (Mode() != pack::TPackMode::pmWrite && PackFile)
    run.Bytes.VolumeDone(std::max<int64_t>(PackFile->Size(), 0), Volume());
  if (disk_) return NextDiskVolume();
  if (TPackLz::NextVolume()) return true;
  run.VolumeCause = msg::Fmt(msg::kEndsInsideMember, static_cast<int>(Volume()));
  return false;
}

bool ArchivePack::NextDiskVolume() {
  ArchiveRun& run = *run_;
  try {
    // Disk folders stay in place: a new set's volumes are put in place together when
    // the set is complete.
    ClosePack();
    SetVolume(static_cast<uint16_t>(Volume() + 1));
    const std::string next = disk_->VolumePath(++run.DiskNumber);
    SetPackFileName(next);
    const int volume = Volume();
    if (Mode() == pack::TPackMode::pmWrite) {
      if (CreateVolume()) return true;
      run.VolumeCause = msg::Fmt(msg::kCannotCreateVolume, volume, Shown(next));
      if (Failure().Failed()) run.VolumeCause += ": " + ShownCause(Failure(), Context());
      return false;
    }
    if (!platform::FileSystemPort().FileExists(next)) {
      pack::PackFailure missing;
      missing.Kind = pack::FailureKind::VolumeMissing;
      missing.Path = next;
      missing.File = pack::FailedFile::Package;
      missing.Message.Before = pack::msg::Fmt(pack::msg::kVolumeUnavailable, volume);
      SetFailure(missing);
      run.VolumeCause = msg::Fmt(msg::kVolumeNotFound, volume, Shown(next));
      return false;
    }
    if (OpenVolume()) return true;
    run.VolumeCause = ShownCause(Failure(), Context());
    return false;
  } catch (const std::exception& e) {
    SetFailure(FailureOf(e));
    run.VolumeCause = ShownCause(Failure(), Context());
    return false;
  }
}

bool ArchivePack::IsSelected() {
  if (Chosen && !Chosen->Takes(Entry().Name)) return false;
  // A listing shows a name the engine would refuse as it is stored, without looking
  // inside: the refusal belongs to extraction.
  if (!RestoreMembers) return pack::IsSafeMemberName(Entry().Name);
  if (!TPackLz::IsSelected()) return false;
  // A name that is no text of the code page can name no file here: refused, its data
  // skipped, and the run goes on with the next member.
  std::string why;
  if (const std::optional<std::string> name = PackageText().ToSystem(Entry().Name, &why))
    return !KeepsFileThere(*name);
  run_->FailedHere = true;
  run_->Failures.push_back({Entry().Name, msg::Fmt(msg::kNotWritableHere, Printable(why))});
  return false;
}

bool ArchivePack::KeepsFileThere(const std::string& systemName) {
  if (Keep == KeepFiles::None || !pack::IsSafeMemberName(Entry().Name)) return false;
  // What is there must be what the members before this one left.
  FinishHandedOver(true);
  platform::FileSystem& files = platform::FileSystemPort();
  const std::string there = pack::CombinePath(Directory(), systemName);
  if (!files.FileExists(there)) return false;
  uint32_t time = 0;
  // Newer, as the DOS date-times order them (the date in the high bits).
  if (Keep == KeepFiles::Newer &&
      (!files.GetDosTime(there, time) || time <= static_cast<uint32_t>(Entry().Time)))
    return false;
  run_->Kept.push_back({Entry().Name, Keep == KeepFiles::Newer ? msg::kKeptNewer : msg::kKeptOld});
  return true;
}

void ArchivePack::BuildList() {
  if (run_ && run_->FixedList) {
    List = *run_->FixedList;
    return;
  }
  walk_ = WalkSources(PackageText(), Directory(), Sources, Excludes, Rules);
  List = walk_.Files.List;
  DoPrepared();
}

std::string ArchivePack::StoredName(const std::string& path) {
  // Names relative to the base folder are the ones the walk found (an absolute path's
  // without its root); the other path options are the engine's.
  const auto walked = walk_.Stored.find(path);
  if (PathOption == pack::TPathOption::poRelative && walked != walk_.Stored.end())
    return walked->second;
  const std::optional<std::string> name = PackageText().ToPackage(TPackLz::StoredName(path));
  if (!name)
    throw pack::EPackException(
        pack::FailureKind::Unstorable,
        platform::Naming("%s: " + msg::Fmt(msg::kNotInCodePage, PackageText().Name()), path));
  return *name;
}

std::vector<ShownFailure> ArchivePack::RefusedFiles() {
  std::vector<ShownFailure> refused = walk_.Files.Unstorable;
  for (ShownFailure& same : SameOrUnstorableNames(
           List, PackageText(), [this](const std::string& path) { return StoredName(path); },
           !CaseSensitive))
    refused.push_back(std::move(same));
  return refused;
}

void ArchivePack::OpenSource(const std::string& fileName) {
  run_->Source = fileName;
  TPackLz::OpenSource(fileName);
}

void ArchivePack::CloseSource() {
  const int64_t stored = MemberFile ? MemberFile->Size() : 0;
  TPackLz::CloseSource();
  const int64_t size = FileSize(run_->Source);
  run_->Bytes.SourceDone(size);
  ++run_->MembersDone;
  if (OnMemberDone) OnMemberDone(run_->Source, size, stored);
}

bool ArchivePack::RestoreMeta(const std::string& path) {
  const auto meta = unix_.Members.find(Position());
  if (meta == unix_.Members.end()) return true;
  std::string reason;
  if (RestoreUnixMeta(path, meta->second, reason)) return true;
  run_->FailedHere = true;
  run_->Failures.push_back({Entry().Name, msg::Fmt(msg::kUnixNotRestored, reason)});
  return false;
}

void ArchivePack::CheckStaged() {
  // Nothing is restored from a part of a member's stored bytes.
  if (MemberFile && MemberFile->Size() < Entry().Size) {
    MemberFile.reset();
    Files().Delete(TempFile());
    throw platform::EInOutError(msg::kStagingShort);
  }
}

bool ArchivePack::HandOver(const std::string& fileName) {
  CheckStaged();
  return TPackLz::HandOver(fileName);
}

void ArchivePack::CloseTarget(const std::string& fileName) {
  ArchiveRun& run = *run_;
  CheckStaged();
  // The member's target is the one worked on (restored on a worker, it was made before
  // those of later members), until the member is done with.
  sink_->Recall(fileName);
  struct Done {
    MemberSink& Sink;
    const std::string& Target;
    ~Done() { Sink.Forget(Target); }
  } done{*sink_, fileName};
  try {
    TPackLz::CloseTarget(fileName);
  } catch (const pack::EPackDigest& e) {
    if (mode_ == MemberMode::Restore) throw;  // the engine sets the member back itself
    NoteStreamFailure(e);
    return;
  } catch (const std::exception& e) {
    // The member's stored bytes have all been read: its stream failed to restore, and
    // the package reads on. Test and extract report the member and go on with the next
    // one; extract leaves the target as it was. An interrupt ends the run.
    if (platform::InterruptStatus() != 0) throw;
    NoteStreamFailure(e);
    MemberFile.reset();  // closed first: an open file cannot be deleted everywhere
    Target.reset();      // the new file goes; whatever stood at the target stays
    Files().Delete(TempFile());
    run.FailedHere = true;
    return;
  }
  // Its metadata not restored, the member counts as failed.
  if (mode_ == MemberMode::Restore && !RestoreMeta(sink_->SystemPath(fileName))) return;
  ++run.MembersDone;
  if (Position() >= 1 && Position() <= static_cast<int>(run.Members.size()))
    sink_->Learn(run.Members[static_cast<std::size_t>(Position() - 1)]);
  if (mode_ == MemberMode::Restore)
    // A member restored where an earlier one of the same name was has replaced it.
    if (const auto earlier = run.Restored.Restore(Entry().Name, sink_->SystemPath(fileName)))
      run.Replaced.push_back({Entry().Name, msg::Fmt(msg::kReplaces, ShownName(*earlier))});
  // Restored to a file: that file (in the system's text); otherwise the member.
  if (OnMemberDone)
    OnMemberDone(mode_ == MemberMode::Restore ? sink_->SystemPath(fileName) : Entry().Name, -1,
                 Entry().Size);
}

}  // namespace pck
