// TCustomPack::WritePackage: writes a whole package, single or split into volumes.
//
// Volumes obey the two rules readers depend on: the prefix, the header block and every
// entry record lie wholly in one volume, and every volume but the last ends inside a
// member's data with at least one byte of it on each side of the cut. The writer plans
// backwards: need(i) is what must follow contiguously once member i-1's data ends in a
// volume, need(n) = 0 and need(i) = record(i) + (size(i) >= 2 ? 1 : size(i) + need(i+1)).
// Member i's data goes into the volume whole when it leaves need(i+1) bytes of room;
// otherwise the volume takes all it can while keeping one byte back, and the rest
// follows in the next volume under the same rule.
#include <algorithm>
#include <limits>
#include <optional>

#include "pack/cpack.h"
#include "pack/lfiles.h"
#include "pack/member_name.h"
#include "pack/pack_io.h"
#include "pack/pack_messages.h"
#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/text.h"

namespace pack {
namespace {

constexpr auto kNamesMember = platform::NamedMessage::Names::Member;

constexpr uint16_t kStoredAttr = platform::kAttrReadOnly | platform::kAttrHidden |
                                 platform::kAttrSystem | platform::kAttrArchive;

bool StartsWithFolded(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() &&
         platform::SameFolded(std::string_view(s).substr(0, prefix.size()), prefix);
}

std::string BareName(const std::string& path) {
  return path.substr(platform::FolderPart(path).size());
}

// A full path without its drive: "C:" or "\\server\share" is dropped.
std::string WithoutDrive(const std::string& full) { return full.substr(DrivePart(full).size()); }

struct Member {
  std::string path;                  // the source file
  std::string name;                  // the name stored in its entry
  int64_t size;                      // the source's size, for the volume plan
  platform::TDigest128 digest = {};  // of its content, when digests are written
};

// The name a file is stored under for each PathOption.
std::string StoredNameFor(const std::string& path, const std::string& directory,
                          TPathOption option) {
  switch (option) {
    case TPathOption::poNone:
      return BareName(path);
    case TPathOption::poRelative: {
      const std::string p = platform::WithBackslashes(path);
      const std::string base = platform::WithBackslashes(CombinePath(directory, std::string()));
      if (!base.empty() && StartsWithFolded(p, base)) return p.substr(base.size());
      return p;
    }
    case TPathOption::poFullPath:
      return platform::WithBackslashes(WithoutDrive(platform::FileSystemPort().FullPath(path)));
  }
  return BareName(path);
}

}  // namespace

std::string TCustomPack::StoredName(const std::string& path) {
  return StoredNameFor(path, directory_, PathOption);
}

bool TCustomPack::WritePackage() {
  SetFailure({}, true);
  mode_ = TPackMode::pmWrite;
  io::ErrorModeScope errorMode;
  // Every failure of the run ends here, its cause recorded once; the pieces below throw.
  try {
    WriteBody();
    SetFailure({});
    return true;
  } catch (...) {
    SetFailure(CaughtFailure());
    DropInFlight();
    AbandonSource();
    PackFile.reset();
    // Volumes not yet in place go; the files they were to replace stay as they were.
    DiscardVolumes();
    return false;
  }
}

void TCustomPack::VolumeNotCreated() const {
  if (failure_.Failed()) throw EPackFailed(failure_);
  throw EPackException(
      FailureKind::OpenFailed,
      platform::Naming(
          msg::Fmt(msg::kVolumeNotCreated, static_cast<int>(std::max<uint16_t>(volume_, 1)), "%s"),
          packFileName_));
}

void TCustomPack::AbandonSource() noexcept {
  // The run's failure is the one reported: one of closing the member's source is dropped.
  try {
    if (MemberFile) CloseSource();
  } catch (...) {
  }
  MemberFile.reset();
}

void TCustomPack::WriteBody() {
  ResetState();
  digestsOmitted_ = false;
  digestsAt_.clear();
  firstVolumeTemp_.clear();
  BuildList();
  // A package never holds itself (its directory may be among the ones packed).
  const std::string self = platform::FileSystemPort().FullPath(packFileName_);
  if (!packFileName_.empty())
    std::erase_if(
        List, [&](const std::string& p) { return platform::FileSystemPort().FullPath(p) == self; });
  if (List.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
    throw EPackException(FailureKind::Unstorable, msg::kTooManyEntries);
  entryCount_ = static_cast<int32_t>(List.size());

  // Digests of the members' content and the directory go into header lines of a version 2
  // package. Where the first volume stays at hand they are taken as each source is read
  // to be packed, and filled in at the end; otherwise they are taken first, in a pass of
  // their own.
  const bool digests = WriteDigests && NextVersion() == 2;
  const bool firstPass = digests && !FirstVolumeStaysAtHand();
  std::vector<platform::TDigest128> taken;

  // Names and sizes first, so that nothing is written for a package that cannot be.
  std::vector<Member> members;
  for (const std::string& path : List) {
    Member m{path, StoredName(path), 0};
    if (m.name.size() > platform::kShortStringMax)
      throw EPackException(FailureKind::Unstorable,
                           platform::Naming(msg::kNameTooLong, m.name, kNamesMember));
    if (const NameFault fault = CheckMemberName(m.name); fault != NameFault::None)
      throw EPackException(
          FailureKind::Unstorable,
          platform::Naming(msg::Fmt(msg::kUnsafeStoredName, path, "%s", NameFaultReason(fault)),
                           m.name, kNamesMember));
    auto source = io::Open(path, platform::Access::Read, platform::Share::Read,
                           platform::Disposition::OpenExisting, msg::kCannotOpen);
    m.size = io::SizeOf(*source);
    if (m.size > std::numeric_limits<int32_t>::max())
      throw EPackException(FailureKind::Unstorable, platform::Naming(msg::kFileTooLarge, path));
    if (firstPass) {
      auto hashed = SourceFile(std::move(source));
      for (int32_t got; (got = io::ReadSome(*hashed, Buffer.data(), kBufferSize)) > 0;) {
      }
      taken.push_back(SourceDigest(path));
    }
    members.push_back(std::move(m));
  }
  if (digests) AddDigestLines(members.size(), taken);
  // The header block as it will be written (this also refuses one that cannot be).
  const int64_t headerBlock = static_cast<int64_t>(HeaderBlock(NextVersion()).size());

  // The volume plan. A planned size below 2 counts as at least 1 byte, so the plan
  // holds also when the stored data (a descendant's, compressed) is longer than the
  // source.
  const std::size_t n = members.size();
  std::vector<int64_t> need(n + 1, 0);
  for (std::size_t i = n; i-- > 0;) {
    const int64_t record = kEntryFixedSize + static_cast<int64_t>(members[i].name.size());
    need[i] =
        record + (members[i].size >= 2 ? 1 : std::max<int64_t>(members[i].size, 1) + need[i + 1]);
  }
  if (VolumeSize > 0) {
    const int64_t largest = n > 0 ? *std::max_element(need.begin() + 1, need.end()) : 0;
    if (kPrefixSize + headerBlock + need[0] > VolumeSize ||
        (n > 0 && VolumeSize - kPrefixSize < 1 + largest))
      throw EPackException(FailureKind::Unstorable,
                           msg::Fmt(msg::kVolumeSizeTooSmall, static_cast<long long>(VolumeSize)));
  }

  // A descendant may start on the sources ahead of the writer.
  std::vector<std::string> paths;
  std::vector<int64_t> sizes;
  for (const Member& m : members) {
    paths.push_back(m.path);
    sizes.push_back(m.size);
  }
  PlanSources(paths, sizes);

  if (!CreateVolume()) VolumeNotCreated();
  auto used = [&] {
    return io::PositionOf(*PackFile) - (volume_ == 1 ? static_cast<int64_t>(Offset) : 0);
  };
  // With Offset the first volume lives inside an existing file, which is not
  // truncated: older bytes after the package would be read as more of it wherever
  // the end of the volume file counts (version 1, or a volume that continues).
  auto checkNoOlderData = [&] {
    if (volume_ == 1 && Offset > 0 && io::SizeOf(*PackFile) > io::PositionOf(*PackFile))
      throw EPackException(FailureKind::Unstorable,
                           platform::Naming(msg::kOlderDataAfter, packFileName_));
  };

  std::map<int32_t, platform::TDigest128> learnt;  // by position, 0 for the directory
  for (std::size_t i = 0; i < n; ++i) {
    const Member& m = members[i];
    bool cancel = false;
    if (OnProgress)
      OnProgress(this, m.name, static_cast<int32_t>(static_cast<int64_t>(i) * 100 / n), cancel);
    if (cancel) throw platform::EAbort();
    sourceTally_->Streamed = false;  // until a source read through SourceFile says otherwise
    source_ = m.path;
    OpenSource(m.path);
    const int64_t size = io::SizeOf(*MemberFile);
    if (size > std::numeric_limits<int32_t>::max())
      throw EPackException(FailureKind::Unstorable, platform::Naming(msg::kFileTooLarge, m.path));
    uint32_t time = 0;
    uint16_t attr = 0;
    if (!platform::FileSystemPort().GetDosTime(m.path, time) ||
        !platform::FileSystemPort().GetAttributes(m.path, attr))
      throw platform::EInOutError(platform::EInOutError::Step::Open,
                                  platform::Naming(msg::kCannotOpen, m.path));
    entry_->Size = static_cast<int32_t>(size);
    entry_->Attr = attr & kStoredAttr;
    entry_->Time = static_cast<int32_t>(time);
    entry_->Name = m.name;
    if (VolumeSize > 0 && entry_->RecordSize() > VolumeSize - used())
      throw EPackException(FailureKind::Unstorable,
                           platform::Naming(msg::kCannotCut, m.name, kNamesMember));
    entry_->WriteTo(*PackFile);
    const std::vector<uint8_t> record = entry_->Record();
    directoryHash_.Update(record.data(), record.size());

    int64_t remaining = size;
    while (remaining > 0) {
      if (VolumeSize <= 0 || remaining + need[i + 1] <= VolumeSize - used()) {
        CopyToPack(remaining);
        break;
      }
      const int64_t cut = std::min(remaining - 1, VolumeSize - used());
      if (cut < 1)
        throw EPackException(FailureKind::Unstorable,
                             platform::Naming(msg::kCannotCut, m.name, kNamesMember));
      CopyToPack(cut);
      remaining -= cut;
      checkNoOlderData();
      if (!NextVolume()) VolumeNotCreated();
    }
    const auto at = static_cast<int32_t>(i + 1);
    if (firstPass || digestsAt_.count(at)) {
      const platform::TDigest128 digest = SourceDigest(m.path);
      // A digest taken in the first pass must still be the content's.
      if (firstPass && digest != taken[i])
        throw EPackException(FailureKind::SourceChanged,
                             platform::Naming(msg::kSourceChanged, m.path));
      if (digestsAt_.count(at)) learnt[at] = digest;
    }
    CloseSource();
  }
  if (version_ == 1) checkNoOlderData();
  if (digestsAt_.count(0)) learnt[0] = directoryHash_.Digest();
  FillDigests(learnt);
  ClosePack();
  CommitVolumes();
  bool ignored = false;
  if (OnProgress) OnProgress(this, std::string(), 100, ignored);
}

void TCustomPack::AddDigestLines(std::size_t count,
                                 const std::vector<platform::TDigest128>& digests) {
  // Lines of an earlier package's digests would not fit this one's content.
  std::erase_if(Header, [](const std::string& line) { return IsDigestLine(line); });
  const std::size_t room = 0xFFFF - std::min<std::size_t>(Header.size(), 0xFFFF);
  digestsOmitted_ = count + 1 > room;
  if (!digestsOmitted_)
    for (std::size_t i = 0; i < count; ++i)
      Header.push_back(MemberDigestLine(
          static_cast<int32_t>(i + 1),
          i < digests.size() ? std::optional<platform::TDigest128>(digests[i]) : std::nullopt));
  // The directory's digest is known once the last entry is written: FillDigests.
  if (room > 0) Header.push_back(DirectoryDigestLine(std::nullopt));
}

void TCustomPack::FillDigests(const std::map<int32_t, platform::TDigest128>& digests) {
  if (digests.empty()) return;
  const auto fill = [&](platform::File& file) {
    for (const auto& [position, digest] : digests) {
      const std::string hex = digest.Hex();
      io::SeekTo(file, digestsAt_.at(position));
      io::WriteExact(file, hex.data(), static_cast<int32_t>(hex.size()));
    }
  };
  if (volume_ == 1) {
    const int64_t end = io::PositionOf(*PackFile);
    fill(*PackFile);
    io::SeekTo(*PackFile, end);
    return;
  }
  // The first volume is complete; while it waits beside its place, its line is filled in.
  for (const PendingVolume& pending : pending_) {
    if (pending.temp != firstVolumeTemp_) continue;
    auto first = io::Open(pending.temp, platform::Access::ReadWrite, platform::Share::None,
                          platform::Disposition::OpenExisting, msg::kCannotOpen);
    fill(*first);
    io::CloseFile(*first, pending.temp);
    return;
  }
  // The first volume went to its disk already: its lines stay without their digests.
}

void TCustomPack::CopyToPack(int64_t count) {
  while (count > 0) {
    const int32_t chunk = static_cast<int32_t>(std::min<int64_t>(count, kBufferSize));
    io::ReadExact(*MemberFile, Buffer.data(), chunk);
    io::WriteExact(*PackFile, Buffer.data(), chunk);
    count -= chunk;
  }
}

}  // namespace pack
