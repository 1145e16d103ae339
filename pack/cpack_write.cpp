// TCustomPack: the pieces a package writer uses (member list, volumes with their
// prefix and header block, member sources).
#include <cstring>

#include "pack/cpack.h"
#include "pack/le_bytes.h"
#include "pack/lfiles.h"
#include "pack/pack_io.h"
#include "pack/pack_messages.h"
#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/system.h"

namespace pck {
namespace {

// Search mask of BuildList: read-only, hidden, system and archive files.
constexpr uint16_t kFindMask =
    plat::kAttrReadOnly | plat::kAttrHidden | plat::kAttrSystem | plat::kAttrArchive;

std::vector<uint8_t> Prefix(const std::array<char, 5>& signature, double stamp, uint16_t volume) {
  std::vector<uint8_t> out(signature.begin(), signature.end());
  le::PutDouble(out, stamp);
  le::Put16(out, volume);
  return out;
}

// The disk in the drive still holds a volume of the package being written (the same
// signature and stamp, whatever the number): writing over it would destroy that volume.
bool HoldsVolumeOf(const std::string& path, const std::array<char, 5>& signature, double stamp) {
  auto file = plat::Files().Open(path, plat::Access::Read, plat::Share::Read,
                                 plat::Disposition::OpenExisting);
  std::array<uint8_t, kPrefixSize> prefix{};
  if (!file || file->Read(prefix.data(), kPrefixSize) != kPrefixSize) return false;
  return std::memcmp(prefix.data(), signature.data(), 5) == 0 && le::GetDouble(&prefix[5]) == stamp;
}

}  // namespace

void TCustomPack::OpenPackWrite() {
  if (packFileName_.empty()) throw EPackFileName();
  if (volume_ == 1 && Offset > 0) {
    // The package goes after the first Offset bytes of a file that holds them already.
    PackFile = io::Open(packFileName_, plat::Access::ReadWrite, plat::Share::None,
                        plat::Disposition::OpenExisting, msg::kCannotOpen);
    io::SeekTo(*PackFile, Offset);
    return;
  }
  CreateDirectories(ExtractFilePath(packFileName_));
  PackFile = io::Open(packFileName_, plat::Access::Write, plat::Share::None,
                      plat::Disposition::CreateAlways, msg::kCannotCreate);
  createdVolume_ = packFileName_;
}

bool TCustomPack::CreateVolume() {
  if (volume_ == 0) {
    version_ = (!rawHeader_.empty() && Header.empty()) ? 1 : 2;
    std::memcpy(signature_.data(), version_ == 1 ? "PCK10" : "PCK11", 5);
    stamp_ = plat::NowLocalStamp();
    volume_ = 1;
  }
  // A continuation goes only onto a disk that holds no volume of this package. The
  // first volume's stamp is new: a file with the same one is an older package written
  // within the same second, which is simply replaced.
  if (volume_ > 1 && plat::Files().FileExists(packFileName_) &&
      (IsSameVolume() || HoldsVolumeOf(packFileName_, signature_, stamp_))) {
    NoteMessage(msg::Fmt(msg::kDiskNotChanged, packFileName_));
    return false;
  }
  try {
    OpenPackWrite();
  } catch (...) {
    NoteFailure();
    PackFile.reset();
    return false;
  }
  try {
    const std::vector<uint8_t> prefix = Prefix(signature_, stamp_, volume_);
    io::WriteExact(*PackFile, prefix.data(), static_cast<int32_t>(prefix.size()));
    if (volume_ == 1) WriteHeader();
    return true;
  } catch (...) {
    NoteFailure();
    PackFile.reset();
    return false;
  }
}

bool TCustomPack::IsSameVolume() {
  try {
    OpenPackRead();
  } catch (...) {
    PackFile.reset();
    return false;
  }
  bool same = false;
  try {
    std::array<uint8_t, kPrefixSize> prefix{};
    if (io::ReadSome(*PackFile, prefix.data(), kPrefixSize) == kPrefixSize) {
      same = std::memcmp(prefix.data(), signature_.data(), 5) == 0 &&
             le::GetDouble(&prefix[5]) == stamp_ && le::Get16(&prefix[13]) == volume_;
    }
  } catch (...) {
    same = false;
  }
  try {
    ClosePack();
  } catch (...) {
    PackFile.reset();
    return false;
  }
  return same;
}

void TCustomPack::WriteHeader() {
  if (OnWriteHeader) OnWriteHeader(this);
  std::vector<uint8_t> block;
  if (version_ == 1) {
    if (rawHeader_.size() > 0xFFFF) throw EPackException(msg::kRawHeaderTooBig);
    le::Put16(block, static_cast<uint16_t>(rawHeader_.size()));
    block.insert(block.end(), rawHeader_.begin(), rawHeader_.end());
  } else {
    if (Header.size() > 0xFFFF) throw EPackException(msg::kTooManyHeaderLines);
    le::Put32(block, static_cast<uint32_t>(entryCount_));
    le::Put32(block, reserved_);
    // The password is scrambled in place, written and unscrambled again.
    for (char& c : password_) c = static_cast<char>(c ^ 0xFF);
    block.push_back(static_cast<uint8_t>(password_.size()));
    block.insert(block.end(), password_.begin(), password_.end());
    for (char& c : password_) c = static_cast<char>(c ^ 0xFF);
    le::Put16(block, static_cast<uint16_t>(Header.size()));
    for (const std::string& line : Header) {
      const std::string cut = sys::ShortString(line);
      block.push_back(static_cast<uint8_t>(cut.size()));
      block.insert(block.end(), cut.begin(), cut.end());
    }
  }
  io::WriteExact(*PackFile, block.data(), static_cast<int32_t>(block.size()));
}

void TCustomPack::OpenSource(const std::string& FileName) {
  MemberFile = io::Open(FileName, plat::Access::Read, plat::Share::Read,
                        plat::Disposition::OpenExisting, msg::kCannotOpen);
}

void TCustomPack::CloseSource() { MemberFile.reset(); }

void TCustomPack::BuildList() {
  List.clear();
  for (const std::string& pattern : Items) {
    const std::string full = sys::ShortString(CombinePath(directory_, pattern));
    const std::string dir = sys::ShortString(ExtractFilePath(full));
    for (const plat::FoundFile& found : plat::Files().Find(full, kFindMask)) {
      const std::string candidate = CombinePath(dir, found.Name);
      bool excluded = false;
      for (std::size_t i = 0; i < Excludes.size() && !excluded; ++i)
        excluded = MatchFileName(CombinePath(directory_, Excludes[i]), candidate);
      if (!excluded) List.push_back(candidate);
    }
  }
  DoPrepared();
}

}  // namespace pck
