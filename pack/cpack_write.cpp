// TCustomPack: the pieces a package writer uses (member list, volumes with their
// prefix and header block, member sources).
#include <cstdio>
#include <cstring>
#include <random>

#include "pack/cpack.h"
#include "pack/lfiles.h"
#include "pack/pack_io.h"
#include "pack/pack_messages.h"
#include "platform/digest.h"
#include "platform/files.h"
#include "platform/le_bytes.h"
#include "platform/shortstring.h"
#include "platform/system.h"
#include "platform/text.h"

namespace pack {

void TCustomPack::OpenPackWrite() {
  if (packFileName_.empty()) throw EPackFileName();
  if (volume_ == 1 && Offset > 0) {
    // The package goes after the first Offset bytes of a file that holds them already.
    PackFile = io::Open(packFileName_, platform::Access::ReadWrite, platform::Share::None,
                        platform::Disposition::OpenExisting, msg::kCannotOpen);
    io::SeekTo(*PackFile, Offset);
    return;
  }
  CreateDirectories(platform::FolderPart(packFileName_));
  // What would keep the finished volume from taking its place is refused now, before
  // anything is written: a directory there, or a read-only file.
  uint16_t attr = 0;
  if (platform::FileSystemPort().GetAttributes(packFileName_, attr) &&
      (attr & (platform::kAttrDirectory | platform::kAttrReadOnly)))
    throw platform::EInOutError(
        platform::EInOutError::Step::Open, platform::Naming(msg::kCannotCreate, packFileName_),
        (attr & platform::kAttrDirectory) ? platform::kReasonDirectory : msg::kReadOnlyFile);
  // Written beside the volume under a new name of its own and put in its place when
  // complete (CommitVolumes), so that a run that fails leaves the older file as it was.
  std::string temp;
  const platform::InterruptsHeld held;  // made and registered, or neither
  PackFile = CreateBeside(packFileName_, temp);
  pending_.push_back({temp, packFileName_, platform::RemoveOnInterrupt(temp)});
  if (volume_ == 1) firstVolumeTemp_ = temp;
}

std::unique_ptr<platform::File> TCustomPack::CreateBeside(const std::string& path,
                                                          std::string& temp) {
  const std::string dir = platform::FolderPart(path);
  uint32_t seed = std::random_device{}();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[16];
    std::snprintf(name, sizeof name, "PCK%06X.TMP", static_cast<unsigned>(seed & 0xFFFFFF));
    temp = dir + name;
    auto file = platform::FileSystemPort().Open(
        temp, platform::Access::Write, platform::Share::None, platform::Disposition::CreateNew);
    if (file) return file;
    if (!platform::FileSystemPort().FileExists(temp))
      break;  // not a clash of names: the reason stands
    seed = seed * 1103515245u + 12345u;
  }
  throw platform::EInOutError(platform::EInOutError::Step::Open,
                              platform::Naming(msg::kCannotCreate, path),
                              platform::FileSystemPort().FailureReason());
}

void TCustomPack::CommitVolumes() {
  while (!pending_.empty()) {
    PendingVolume& next = pending_.front();
    if (!platform::FileSystemPort().Rename(next.temp, next.path))
      throw platform::EInOutError(platform::EInOutError::Step::Write,
                                  platform::Naming(msg::kCannotReplace, next.path),
                                  platform::FileSystemPort().FailureReason());
    pending_.erase(pending_.begin());
  }
}

void TCustomPack::DiscardVolumes() {
  for (const PendingVolume& volume : pending_) platform::FileSystemPort().Delete(volume.temp);
  pending_.clear();
}

uint8_t TCustomPack::NextVersion() const { return (!rawHeader_.empty() && Header.empty()) ? 1 : 2; }

bool TCustomPack::CreateVolume() {
  if (volume_ == 0) {
    version_ = NextVersion();
    std::memcpy(signature_.data(), version_ == 1 ? "PCK10" : "PCK11", 5);
    stamp_ = platform::NowLocalStamp();
    volume_ = 1;
  }
  // A continuation goes only onto a disk that holds no volume of this package. The
  // first volume's stamp is new: a file with the same one is an older package written
  // within the same second, which is simply replaced.
  const TVolumePrefix ours{signature_, version_, stamp_, volume_};
  // The disk in the drive still holds a volume of the package being written (the same
  // signature and stamp, whatever the number): writing over it would destroy that volume.
  const auto holds = [&] {
    const auto there = ReadVolumePrefix(packFileName_);
    return there && there->SamePackage(ours);
  };
  if (volume_ > 1 && platform::FileSystemPort().FileExists(packFileName_) &&
      (IsSameVolume() || holds())) {
    PackFailure failure;
    failure.Kind = FailureKind::WrongVolume;
    failure.Path = packFileName_;
    failure.File = FailedFile::Package;
    failure.Message = platform::Naming(msg::kDiskNotChanged, packFileName_);
    SetFailure(failure);
    return false;
  }
  return Recorded([&] {
    OpenPackWrite();
    const std::vector<uint8_t> prefix = ours.Bytes();
    io::WriteExact(*PackFile, prefix.data(), static_cast<int32_t>(prefix.size()));
    if (volume_ == 1) WriteHeader();
  });
}

bool TCustomPack::IsSameVolume() {
  // A probe: whatever keeps it from reading the prefix means "not that volume", and is
  // no failure of the run.
  try {
    OpenPackRead();
    std::array<uint8_t, kPrefixSize> prefix{};
    const bool whole = io::ReadSome(*PackFile, prefix.data(), kPrefixSize) == kPrefixSize;
    ClosePack();
    if (!whole) return false;
    const TVolumePrefix found = TVolumePrefix::Parse(prefix.data());
    return found.Signature == signature_ && found.Stamp == stamp_ && found.Volume == volume_;
  } catch (...) {
    PackFile.reset();
    return false;
  }
}

std::vector<uint8_t> TCustomPack::HeaderBlock(uint8_t version) const {
  std::vector<uint8_t> block;
  if (version == 1) {
    if (rawHeader_.size() > 0xFFFF)
      throw EPackException(FailureKind::Unstorable, msg::kRawHeaderTooBig);
    block.reserve(2 + rawHeader_.size());
    platform::le::Put16(block, static_cast<uint16_t>(rawHeader_.size()));
    for (const uint8_t b : rawHeader_) block.push_back(b);
    return block;
  }
  if (Header.size() > 0xFFFF)
    throw EPackException(FailureKind::Unstorable, msg::kTooManyHeaderLines);
  platform::le::Put32(block, static_cast<uint32_t>(entryCount_));
  platform::le::Put32(block, reserved_);
  // The password is stored scrambled: every byte complemented.
  block.push_back(static_cast<uint8_t>(password_.size()));
  for (const char c : password_) block.push_back(static_cast<uint8_t>(c ^ 0xFF));
  platform::le::Put16(block, static_cast<uint16_t>(Header.size()));
  for (const std::string& line : Header) {
    const std::string cut = platform::ShortString(line);
    block.push_back(static_cast<uint8_t>(cut.size()));
    block.insert(block.end(), cut.begin(), cut.end());
  }
  return block;
}

void TCustomPack::WriteHeader() {
  if (OnWriteHeader) OnWriteHeader(this);
  const std::vector<uint8_t> block = HeaderBlock(version_);
  // Where the digests still to come go, should WritePackage have put their lines in.
  digestsAt_.clear();
  if (version_ == 2 && WriteDigests) {
    int64_t at = io::PositionOf(*PackFile) + 4 + 4 + 1 + static_cast<int64_t>(password_.size()) + 2;
    for (const std::string& line : Header) {
      const std::string cut = platform::ShortString(line);
      if (const auto position = PlaceholderFor(cut))
        digestsAt_[*position] = at + 1 + static_cast<int64_t>(cut.size()) - 32;
      at += 1 + static_cast<int64_t>(cut.size());
    }
  }
  io::WriteExact(*PackFile, block.data(), static_cast<int32_t>(block.size()));
}

void TCustomPack::OpenSource(const std::string& FileName) {
  MemberFile = SourceFile(io::Open(FileName, platform::Access::Read, platform::Share::Read,
                                   platform::Disposition::OpenExisting, msg::kCannotOpen));
}

std::unique_ptr<platform::File> TCustomPack::SourceFile(std::unique_ptr<platform::File> file) {
  return Tallied(std::move(file), *sourceTally_);
}

platform::TDigest128 TCustomPack::SourceDigest(const std::string& path) {
  if (sourceTally_->Streamed) return sourceTally_->Hash.Digest();
  // Read back and forth: read again from start to end.
  auto file = io::Open(path, platform::Access::Read, platform::Share::Read,
                       platform::Disposition::OpenExisting, msg::kCannotOpen);
  const std::optional<platform::TDigest128> digest = platform::DigestOfFile(*file);
  if (!digest)
    throw platform::EInOutError(platform::EInOutError::Step::Read, msg::kReadFailed,
                                file->FailureReason(), path);
  return *digest;
}

void TCustomPack::CloseSource() { MemberFile.reset(); }

void TCustomPack::BuildList() {
  List.clear();
  for (const std::string& pattern : Items) {
    const std::string full = platform::ShortString(CombinePath(directory_, pattern));
    const std::string dir = platform::ShortString(platform::FolderPart(full));
    for (const platform::FoundFile& found : platform::FileSystemPort().Find(full, kFindMask)) {
      const std::string candidate = CombinePath(dir, found.Name);
      bool excluded = false;
      for (std::size_t i = 0; i < Excludes.size() && !excluded; ++i)
        excluded = MatchFileName(CombinePath(directory_, Excludes[i]), candidate);
      if (!excluded) List.push_back(candidate);
    }
  }
  DoPrepared();
}

}  // namespace pack
