#include "tools/pck/archive_pack.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "pack/lfiles.h"
#include "pack/member_name.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/forwarding_files.h"
#include "platform/shortstring.h"
#include "platform/system.h"
#include "tools/pck/terminal.h"

namespace pcktool {
namespace {

// An open file that keeps the first bytes written to it and drops the rest.
class PeekFile final : public plat::File {
 public:
  explicit PeekFile(std::vector<uint8_t>& kept) : kept_(kept) { kept_.clear(); }
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void* buf, int32_t count) override {
    const auto* bytes = static_cast<const uint8_t*>(buf);
    const std::size_t room = kKeep - std::min(kKeep, kept_.size());
    kept_.insert(kept_.end(), bytes, bytes + std::min<std::size_t>(room, count));
    position_ += count;
    return count;
  }
  bool Seek(int64_t position) override {
    position_ = position;
    return true;
  }
  int64_t Position() override { return position_; }
  int64_t Size() override { return position_; }
  bool SetDosTime(uint32_t) override { return true; }
  bool Close() override { return true; }

  static constexpr std::size_t kKeep = 8;  // signature and uncompressed size

 private:
  std::vector<uint8_t>& kept_;
  int64_t position_ = 0;
};

// An open file that accepts and forgets everything: where test restores members.
class SinkFile final : public plat::File {
 public:
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void*, int32_t count) override {
    size_ += count;
    return count;
  }
  bool Seek(int64_t position) override { return position == 0; }
  int64_t Position() override { return size_; }
  int64_t Size() override { return size_; }
  bool SetDosTime(uint32_t) override { return true; }
  bool Close() override { return true; }

 private:
  int64_t size_ = 0;
};

// The platform's files with one made-up path that opens a SinkFile. The driver deletes
// its output when it fails; for the sink that deletes nothing (a real null device
// must never be handed to a delete).
class SinkFiles final : public plat::ForwardingFiles {
 public:
  explicit SinkFiles(std::string sinkPath) : sink_(std::move(sinkPath)) {}

  std::unique_ptr<plat::File> Open(const std::string& path, plat::Access access, plat::Share share,
                                   plat::Disposition disposition) override {
    if (path == sink_) return std::make_unique<SinkFile>();
    return ForwardingFiles::Open(path, access, share, disposition);
  }
  bool Delete(const std::string& path) override {
    return path == sink_ || ForwardingFiles::Delete(path);
  }
  bool SetAttributes(const std::string& path, uint16_t attr) override {
    return path != sink_ && ForwardingFiles::SetAttributes(path, attr);
  }

 private:
  std::string sink_;
};

int64_t FileSize(const std::string& path) {
  auto f = plat::Files().Open(path, plat::Access::Read, plat::Share::ReadWrite,
                              plat::Disposition::OpenExisting);
  return f ? std::max<int64_t>(f->Size(), 0) : 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Copies `from` into `to` through the files port.
void CopyFile(const std::string& from, const std::string& to) {
  auto in = plat::Files().Open(from, plat::Access::Read, plat::Share::Read,
                               plat::Disposition::OpenExisting);
  if (!in) throw sys::EInOutError("Cannot open " + from);
  auto out = plat::Files().Open(to, plat::Access::Write, plat::Share::None,
                                plat::Disposition::CreateAlways);
  if (!out) throw sys::EInOutError("Cannot create " + to);
  std::vector<uint8_t> buffer(1 << 16);
  for (;;) {
    const int32_t n = in->Read(buffer.data(), static_cast<int32_t>(buffer.size()));
    if (n < 0) throw sys::EInOutError("Cannot read " + from);
    if (n == 0) break;
    if (out->Write(buffer.data(), n) != n) throw sys::EInOutError("Cannot write " + to);
  }
  if (!out->Close()) throw sys::EInOutError("Cannot close " + to);
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
  if (folder.size() < 5 || sys::UpperAscii(folder.substr(0, 4)) != "DISK") return std::nullopt;
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

std::string EnginePath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string ShownPath(std::string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return path;
}

std::optional<VolumePrefix> ReadVolumePrefix(const std::string& path) {
  auto f = plat::Files().Open(path, plat::Access::Read, plat::Share::ReadWrite,
                              plat::Disposition::OpenExisting);
  uint8_t prefix[pck::kPrefixSize] = {};
  if (!f || f->Read(prefix, pck::kPrefixSize) != pck::kPrefixSize) return std::nullopt;
  if (std::memcmp(prefix, "PCK10", 5) != 0 && std::memcmp(prefix, "PCK11", 5) != 0)
    return std::nullopt;
  VolumePrefix found;
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | prefix[5 + i];
  std::memcpy(&found.stamp, &bits, sizeof found.stamp);
  found.volume = prefix[13] | prefix[14] << 8;
  return found;
}

// The engine's own rule for names that would leave the target directory.
bool IsUnsafeMemberName(const std::string& name) { return !pck::IsSafeMemberName(name); }

ArchivePack::ArchivePack(std::string shownName, MemberMode mode)
    : pck::TPackLz(nullptr), shownName_(std::move(shownName)), mode_(mode) {
  OnPassword = [this](sys::TObject*, std::string& password) { HandlePassword(password); };
  OnError = [this](sys::TObject*, const sys::Exception& e, const std::string&) {
    std::string cause = e.Message();
    if (dynamic_cast<const sys::EAbort*>(&e) && !volumeError_.empty()) cause = volumeError_;
    failures_.push_back({Entry().Name, cause});
  };
  OnProgress = [this](sys::TObject*, const std::string& name, int32_t, bool&) {
    if (!name.empty()) current_ = name;
    ReportBytes(0);
  };
  OnFileProgress = [this](sys::TObject*, int32_t inSize, int32_t) { ReportBytes(inSize); };
  OnList = [this](sys::TObject*, const std::string&, int32_t, uint16_t, int32_t) {
    ++entriesSeen_;
  };
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
  const auto first = ReadVolumePrefix(firstVolume_);
  if (!first) return total;
  for (int d = disk_->number + 1; d < disk_->number + 1000; ++d) {
    const std::string next = disk_->VolumePath(d);
    const auto prefix = ReadVolumePrefix(next);
    if (!prefix || prefix->stamp != first->stamp) break;
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
  passwordRequired_ = protected_ = false;
  doneBefore_ = 0;
  total_ = VolumeSetSize() - Offset;
  if (mode_ == MemberMode::Verify) {
    SinkFiles sink(TempFile() + ".sink");
    return Process(mode);
  }
  return Process(mode);
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

std::string ArchivePack::FailureText() const {
  const std::string archive = shownName_ + ": ";
  if (passwordRequired_) return archive + "password required (use -p)";
  if (!failures_.empty()) {
    const Failure& f = failures_.front();
    return archive + (f.member.empty() ? "" : f.member + ": ") + f.cause;
  }
  if (!volumeError_.empty()) return archive + volumeError_;
  if (!LastError().empty() && LastError() != sys::EAbort().Message()) return archive + LastError();
  return archive + "not a package, or it cannot be read";
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
  std::string label = current_;
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
  if (StoredPassword().empty() || !password.empty()) return;
  protected_ = true;
  if (probePassword) return;
  if (StdinIsTerminal()) {
    if (auto typed = ReadPasswordNoEcho("Password for " + shownName_ + ": ")) {
      password = sys::ShortString(*typed);
      return;
    }
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
    ClosePack();
    SetVolume(static_cast<uint16_t>(Volume() + 1));
    ++diskNumber_;
    const std::string next = disk_->VolumePath(diskNumber_);
    SetPackFileName(next);
    if (Mode() == pck::TPackMode::pmWrite) {
      if (CreateVolume()) return true;
      volumeError_ = "cannot create volume " + std::to_string(Volume()) + " " + ShownPath(next) +
                     (LastError().empty() ? "" : ": " + LastError());
      return false;
    }
    if (!plat::Files().FileExists(next)) {
      volumeError_ = "volume " + std::to_string(Volume()) + " not found: " + ShownPath(next);
      return false;
    }
    if (OpenVolume()) return true;
    volumeError_ =
        ShownPath(next) + " is not volume " + std::to_string(Volume()) + " of this package";
    return false;
  } catch (const std::exception& e) {
    volumeError_ = e.what();
    return false;
  }
}

bool ArchivePack::IsSelected() {
  if (mode_ == MemberMode::Peek) {
    MemberInfo info;
    info.name = Entry().Name;
    info.stored = Entry().Size;
    info.attr = Entry().Attr;
    info.time = Entry().Time;
    info.method = "?";
    members_.push_back(info);
    // A name the engine would refuse to restore is listed without looking inside.
    return !IsUnsafeMemberName(Entry().Name);
  }
  return TPackLz::IsSelected();
}

void ArchivePack::OpenSource(const std::string& FileName) {
  sourcePath_ = FileName;
  sourceCopy_.clear();
  uint16_t attr = 0;
  // The driver measures its input through an open for writing, which a read-only file
  // refuses: such a file is compressed from a writable copy.
  if (plat::Files().GetAttributes(FileName, attr) && (attr & plat::kAttrReadOnly)) {
    const std::string dir = plat::Temp().Directory();
    sourceCopy_ = plat::Temp().CreateUnique(dir, "PCK");
    if (sourceCopy_.empty()) throw pck::EPackException("Cannot create a staging file in " + dir);
    try {
      CopyFile(FileName, sourceCopy_);
      TPackLz::OpenSource(sourceCopy_);
    } catch (...) {
      plat::Files().Delete(sourceCopy_);
      sourceCopy_.clear();
      throw;
    }
    plat::Files().Delete(sourceCopy_);
    sourceCopy_.clear();
    return;
  }
  TPackLz::OpenSource(FileName);
}

void ArchivePack::CloseSource() {
  const int64_t stored = MemberFile ? MemberFile->Size() : 0;
  TPackLz::CloseSource();
  const int64_t size = FileSize(sourcePath_);
  doneBefore_ += size;
  ++membersDone_;
  if (OnMemberDone) OnMemberDone(sourcePath_, size, stored);
}

void ArchivePack::OpenTarget(const std::string& FileName) {
  memberStart_ = BytesRead();
  switch (mode_) {
    case MemberMode::Peek:
      MemberFile = std::make_unique<PeekFile>(peeked_);
      return;
    case MemberMode::Restore:
      // Whatever the engine checks, nothing is written outside the target directory.
      if (IsUnsafeMemberName(Entry().Name)) throw pck::EPackUnsafeName(Entry().Name);
      break;
    case MemberMode::Verify:
      break;
  }
  TPackLz::OpenTarget(FileName);
}

void ArchivePack::CloseTarget(const std::string& FileName) {
  switch (mode_) {
    case MemberMode::Peek: {
      MemberFile.reset();
      MemberInfo& info = members_.back();
      if (peeked_.size() == PeekFile::kKeep) {
        if (std::memcmp(peeked_.data(), "WRZL", 4) == 0)
          info.method = "fast";
        else if (std::memcmp(peeked_.data(), "!HZL", 4) == 0)
          info.method = "good";
        if (info.method != "?") info.size = static_cast<int32_t>(Le32(peeked_.data() + 4));
      }
      ++membersDone_;
      return;
    }
    case MemberMode::Verify: {
      // After a failed copy the engine reports the copy's failure itself.
      bool copied = false;
      if (MemberFile) {
        copied = MemberFile->Position() == Entry().Size;
        MemberFile->Close();
        MemberFile.reset();
      }
      if (!copied) return;
      // A member that does not restore is reported and the test goes on with the next.
      try {
        DecompressFile(TempFile(), TempFile() + ".sink");
        ++membersDone_;
        if (OnMemberDone) OnMemberDone(Entry().Name, -1, Entry().Size);
      } catch (const sys::Exception& e) {
        failures_.push_back({Entry().Name, e.Message()});
      }
      plat::Files().Delete(TempFile());
      return;
    }
    case MemberMode::Restore:
      TPackLz::CloseTarget(FileName);
      ++membersDone_;
      if (OnMemberDone) OnMemberDone(FileName, -1, Entry().Size);
      return;
  }
}

}  // namespace pcktool
