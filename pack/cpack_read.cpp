// TCustomPack: reading packages (volumes, header block, entries, member data).
#include "pack/cpack.h"
#include "pack/lfiles.h"
#include "pack/member_name.h"
#include "pack/pack_io.h"
#include "pack/pack_messages.h"
#include "platform/digest.h"
#include "platform/files.h"
#include "platform/le_bytes.h"
#include "platform/shortstring.h"
#include "platform/system.h"
#include "platform/text.h"

namespace pack {
namespace {

void Scramble(std::string& password) {
  for (char& c : password) c = static_cast<char>(c ^ 0xFF);
}

// One short string: a length byte and that many bytes.
std::string ReadShortString(platform::File& file) {
  uint8_t length = 0;
  io::ReadExact(file, &length, 1);
  std::string text(length, '\0');
  io::ReadExact(file, text.data(), length);
  return text;
}

bool AtEnd(platform::File& file) { return io::PositionOf(file) >= io::SizeOf(file); }

}  // namespace

void TCustomPack::OpenPackRead() {
  if (packFileName_.empty()) throw EPackFileName();
  PackFile =
      platform::FileSystemPort().Open(packFileName_, platform::Access::Read, platform::Share::Read,
                                      platform::Disposition::OpenExisting);
  if (!PackFile)
    throw EPackException(volume_ <= 1 ? FailureKind::NoPackage : FailureKind::VolumeMissing,
                         platform::Naming(msg::kCannotOpen, packFileName_),
                         platform::FileSystemPort().FailureReason());
  if (volume_ == 0 && Offset > 0) io::SeekTo(*PackFile, Offset);
}

void TCustomPack::ClosePack() {
  if (!PackFile) return;
  std::unique_ptr<platform::File> file = std::move(PackFile);
  io::CloseFile(*file, packFileName_);
}

bool TCustomPack::OpenVolume() {
  return Recorded([this] { EnterVolume(); });
}

void TCustomPack::EnterVolume() {
  OpenPackRead();
  std::array<uint8_t, kPrefixSize> prefix{};
  // A file too short for the prefix (an empty one too) is no package either.
  const bool whole = io::ReadSome(*PackFile, prefix.data(), kPrefixSize) == kPrefixSize;
  const TVolumePrefix found = TVolumePrefix::Parse(prefix.data());
  if (!whole || found.Version == 0)
    throw EPackException(FailureKind::NotAPackage,
                         platform::Naming(msg::kNotAPackage, packFileName_));
  if (volume_ == 0) {
    signature_ = found.Signature;
    stamp_ = found.Stamp;
    volume_ = found.Volume;
    version_ = found.Version;
    ReadHeader();
  } else if (found.Stamp == stamp_ && found.Volume == volume_) {
    version_ = found.Version;
  } else {
    throw EPackException(
        FailureKind::WrongVolume,
        platform::Naming(msg::Fmt(msg::kWrongVolume, "%s", static_cast<int>(volume_)),
                         packFileName_));
  }
}

void TCustomPack::ReadHeader() {
  ClearHeaderData();
  platform::File& file = *PackFile;
  if (version_ == 1) {
    std::array<uint8_t, 2> length{};
    io::ReadExact(file, length.data(), 2);
    const uint16_t rawLength = platform::le::Get16(length.data());
    // The block must be there before memory is taken for it.
    if (rawLength > io::SizeOf(file) - io::PositionOf(file))
      throw EPackCorrupt(platform::Naming(msg::kRawHeaderTooLong));
    std::vector<uint8_t> block(rawLength);
    io::ReadExact(file, block.data(), rawLength);
    rawHeader_ = std::move(block);
  } else if (version_ == 2) {
    std::array<uint8_t, 8> fixed{};
    io::ReadExact(file, fixed.data(), 8);
    const int32_t count = static_cast<int32_t>(platform::le::Get32(&fixed[0]));
    if (count < 0) throw EPackCorrupt(platform::Naming(msg::Fmt(msg::kNegativeEntryCount, count)));
    entryCount_ = count;
    reserved_ = platform::le::Get32(&fixed[4]);
    storedPassword_ = ReadShortString(file);
    Scramble(storedPassword_);
    if (OnPassword) {
      OnPassword(this, password_);
      password_ = platform::ShortString(password_);
    }
    if (password_ != storedPassword_) throw EPackPassword();
    Header.clear();
    std::array<uint8_t, 2> lines{};
    io::ReadExact(file, lines.data(), 2);
    const uint16_t lineCount = platform::le::Get16(lines.data());
    // Each line is read before it is kept: a count beyond the data fails at its end.
    for (uint16_t i = 0; i < lineCount; ++i) Header.push_back(ReadShortString(file));
    digests_ = ParseDigestLines(Header);
  }
  if (OnReadHeader) OnReadHeader(this);
}

bool TCustomPack::ReadNextEntry() {
  if (version_ == 1) {
    if (AtEnd(*PackFile)) return false;
  } else if (version_ == 2) {
    if (entryCount_ <= 0) return false;
    --entryCount_;
  } else {
    return false;
  }
  entry_->ReadFrom(*PackFile);
  position_ = ++entriesRead_;
  const std::vector<uint8_t> record = entry_->Record();
  directoryHash_.Update(record.data(), record.size());
  if (entry_->Size < 0)
    throw EPackCorrupt(platform::Naming(msg::Fmt(msg::kNegativeSize, entry_->Size, "%s"),
                                        entry_->Name, platform::NamedMessage::Names::Member));
  List.push_back(entry_->Name);
  if (OnList) OnList(this, entry_->Name, entry_->Size, entry_->Attr, entry_->Time);
  return true;
}

bool TCustomPack::RefuseMember() {
  const std::string joined = CombinePath(directory_, entry_->Name);
  const NameFault fault = CheckMemberName(entry_->Name);
  PackFailure refusal;
  if (fault != NameFault::None)
    refusal.Message = NameFaultNaming(fault, entry_->Name);
  else if (joined.size() > TargetPathMax)  // cut, it could name another file
    refusal.Message =
        platform::Naming(msg::Fmt(msg::kTargetTooLong, "%s", static_cast<int>(TargetPathMax)),
                         entry_->Name, platform::NamedMessage::Names::Member);
  else
    return false;
  refusal.Kind = FailureKind::RefusedName;
  refusal.Member = entry_->Name;
  SetFailure(refusal);
  if (OnError) OnError(this, EPackUnsafeName(refusal.Message), joined.substr(0, TargetPathMax));
  return true;
}

void TCustomPack::ExtractMember() {
  std::string target = CombinePath(directory_, entry_->Name).substr(0, TargetPathMax);
  target_ = target;
  bool opened = false;
  bool handed = false;
  try {
    if (OnOpen) {
      OnOpen(this, target);
      target = target.substr(0, TargetPathMax);
      target_ = target;
    }
    OpenTarget(target);
    opened = true;
    const int32_t blocks = entry_->Size / kBufferSize;
    for (int32_t i = 0; i < blocks; ++i) {
      platform::ThrowIfInterrupted();
      ReadData(Buffer.data(), kBufferSize);
      WriteTarget(Buffer.data(), kBufferSize);
    }
    const int32_t rest = entry_->Size % kBufferSize;
    ReadData(Buffer.data(), rest);
    WriteTarget(Buffer.data(), rest);
    opened = false;  // from here on CloseTarget finishes the member, or fails it
    handed = HandOver(target);
  } catch (const std::exception& e) {
    MemberFailed(e, target, opened);
  }
  if (!handed) CloseMember(target);
}

void TCustomPack::CloseMember(std::string& target) {
  try {
    CloseTarget(target);
    if (OnClose) OnClose(this, target);
    target_.clear();
  } catch (const EPackDigest& e) {
    // Restored, but not what the package says: never put in place. The package itself
    // reads on, so the run goes on with the next member.
    MemberFile.reset();  // closed first: an open file cannot be deleted everywhere
    Target.reset();
    SetMemberBack(e, target);
    target_.clear();
  } catch (const std::exception& e) {
    MemberFailed(e, target, false);
  }
}

void TCustomPack::MemberFailed(const std::exception& e, std::string& target, bool opened) {
  // The run's cause names the member; the record is made before the new content goes,
  // while the files it names are still known.
  PackFailure failure = CaughtFailure();
  failure.Member = entry_->Name;
  // Members before it are told before it.
  FinishEarlier();
  // Whatever the new content got to is removed (once closed); the target stays as it was.
  MemberFile.reset();
  Target.reset();
  if (opened) AbandonTarget(target);
  SetFailure(failure);
  // The member's failure, named, for whoever watches the run.
  if (OnError) {
    if (const auto* own = dynamic_cast<const platform::Exception*>(&e))
      OnError(this, *own, target);  // as it is, not a copy: handlers tell the kinds apart
    else
      OnError(this, platform::Exception(e.what()), target);
  }
  throw EPackFailed(failure);
}

void TCustomPack::FinishEarlier() noexcept {
  try {
    FinishHandedOver(true);
  } catch (...) {
    // An earlier member's failure that ends the run was told already; this one's follows.
  }
}

void TCustomPack::SwapMember(MemberInFlight& other) {
  entry_.swap(other.Entry);
  std::swap(position_, other.Position);
  target_.swap(other.TargetPath);
  Target.swap(other.Target);
  MemberFile.swap(other.File);
  content_.swap(other.Content);
}

void TCustomPack::HandMemberTo(MemberInFlight& slot) {
  SwapMember(slot);
  *entry_ = *slot.Entry;
  position_ = slot.Position;
}

void TCustomPack::AbandonTarget(std::string& target) noexcept {
  // OnClose follows a failed copy too; the copy's failure is the one reported, so one of
  // the handler's own is dropped.
  try {
    if (OnClose) OnClose(this, target);
  } catch (...) {
  }
}

void TCustomPack::SetMemberBack(const platform::Exception& e, std::string& target) {
  PackFailure failure = FailureOf(e);
  failure.Member = entry_->Name;
  SetFailure(failure);
  if (OnError) OnError(this, e, target);
}

platform::TDigest128 TCustomPack::ContentDigest() {
  if (content_->Streamed) return content_->Hash.Digest();
  // Its writer went back and forth: the content is read back to be hashed.
  auto file = io::Open(Files(), Target->Path(), platform::Access::Read, platform::Share::Read,
                       platform::Disposition::OpenExisting, msg::kCannotOpen);
  const std::optional<platform::TDigest128> digest = platform::DigestOfFile(*file);
  if (!digest)
    throw platform::EInOutError(platform::EInOutError::Step::Read, msg::kReadFailed,
                                file->FailureReason(), Target->Path());
  return *digest;
}

void TCustomPack::VerifyContent() {
  if (!VerifyDigests) return;
  const auto expected = digests_.Members.find(position_);
  if (expected == digests_.Members.end()) return;
  const platform::TDigest128 got = ContentDigest();
  if (got != expected->second)
    throw EPackDigest(msg::kContentMismatch,
                      msg::Fmt(msg::kDigestMismatch, expected->second.Hex(), got.Hex()));
}

void TCustomPack::VerifyDirectory() {
  if (VerifyDigests && digests_.Directory && *digests_.Directory != directoryHash_.Digest())
    throw EPackDigest(msg::kDirectoryMismatch);
}

void TCustomPack::PlaceTarget(const std::string& FileName) {
  SetFileDateAttr(Target->Path(), entry_->Time, entry_->Attr, Files());
  const platform::TDigest128 digest =
      (OnPlacing || OnPlaced) ? ContentDigest() : platform::TDigest128{};
  if (OnPlacing) OnPlacing(this, FileName, digest, content_->Bytes);
  if (!Target->Commit())
    throw platform::EInOutError(platform::EInOutError::Step::Write,
                                platform::Naming(msg::kCannotReplace, FileName),
                                Target->FailureReason());
  Target.reset();
  if (OnPlaced) OnPlaced(this, FileName, digest, content_->Bytes);
}

void TCustomPack::ReadData(uint8_t* Buf, int32_t N) {
  if (N <= 0) return;
  int32_t got = io::ReadSome(*PackFile, Buf, N);
  while (got < N) {
    if (!AtEnd(*PackFile)) throw EPackReadError();
    if (!NextVolume()) VolumeFailed();
    got += io::ReadSome(*PackFile, Buf + got, N - got);
  }
}

void TCustomPack::WriteTarget(const uint8_t* Buf, int32_t N) {
  // The final partial block is written even when it is empty.
  if (MemberFile->Write(Buf, N) != N) io::FailWrite(*MemberFile, MemberFilePath());
}

void TCustomPack::SkipData(int64_t N) {
  int64_t size = io::SizeOf(*PackFile);
  int64_t position = io::PositionOf(*PackFile);
  while (size < position + N) {
    if (size < position)
      throw platform::EInOutError(platform::EInOutError::Step::Read, msg::kSeekFailed);
    N -= size - position;
    if (!NextVolume()) VolumeFailed();
    size = io::SizeOf(*PackFile);
    position = io::PositionOf(*PackFile);
  }
  io::SeekTo(*PackFile, position + N);
}

bool TCustomPack::NextVolume() {
  // An overridable Boolean step: whatever stops the switch is recorded and answered False.
  return Recorded([this] {
    ClosePack();
    if (mode_ == TPackMode::pmWrite) CommitVolumes();
    if (volume_ == 0xFFFF) throw EPackException(FailureKind::VolumeMissing, msg::kTooManyVolumes);
    ++volume_;
    for (;;) {
      if (!IsRemovableDrive(packFileName_, mode_ != TPackMode::pmWrite))
        throw EPackException(FailureKind::VolumeMissing,
                             msg::Fmt(msg::kVolumeUnavailable, static_cast<int>(volume_)));
      const int answer = platform::DialogsPort().Show(
          platform::DialogKind::Information, msg::kInformation,
          msg::Fmt(msg::kInsertNextDisk, static_cast<int>(volume_)), platform::Buttons::OkCancel);
      if (answer != platform::kIdOk)
        throw EPackException(FailureKind::DiskNotInserted,
                             msg::Fmt(msg::kDiskNotInserted, static_cast<int>(volume_)));
      if (mode_ == TPackMode::pmWrite ? CreateVolume() : OpenVolume()) {
        SetFailure({});  // earlier attempts at this volume no longer matter
        return;
      }
    }
  });
}

void TCustomPack::PrepareTarget(const std::string& FileName, platform::Access access) {
  const std::string base = CombinePath(directory_, std::string());
  const bool below = !directory_.empty() && FileName.size() > base.size() &&
                     FileName.compare(0, base.size(), base) == 0;
  const std::string root = below ? directory_ : platform::FolderPart(FileName);
  // The folders of the target's path that are not there yet, outermost first.
  platform::FileSystem& files = Files();
  const std::vector<std::string> missing =
      OnFolderCreated ? MissingFolders(platform::FolderPart(FileName), files)
                      : std::vector<std::string>();
  CreateDirectories(root, files);  // an empty root raises "Unable to create directory"
  Target = files.CreateReplacement(root, FileName.substr(below ? base.size() : root.size()), access,
                                   platform::Share::None);
  if (!Target)
    throw platform::EInOutError(platform::EInOutError::Step::Open,
                                platform::Naming(msg::kCannotCreate, FileName),
                                files.FailureReason());
  for (const std::string& made : missing)
    if (files.DirectoryExists(made)) OnFolderCreated(this, made);
}

std::unique_ptr<platform::File> TCustomPack::TakeTargetFile() {
  return Tallied(Target->TakeFile(), *content_);
}

std::unique_ptr<platform::File> TCustomPack::Tallied(std::unique_ptr<platform::File> file,
                                                     StreamTally& tally) {
  return std::make_unique<THashingFile>(std::move(file), tally.Hash, tally.Streamed, tally.Bytes);
}

void TCustomPack::OpenTarget(const std::string& FileName) {
  PrepareTarget(FileName, platform::Access::Write);
  MemberFile = TakeTargetFile();
}

void TCustomPack::CloseTarget(const std::string& FileName) {
  if (MemberFile) {
    std::unique_ptr<platform::File> file = std::move(MemberFile);
    io::CloseFile(*file, FileName);
  }
  VerifyContent();
  PlaceTarget(FileName);
}

}  // namespace pack
