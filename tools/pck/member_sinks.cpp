#include "tools/pck/member_sinks.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "pack/lfiles.h"
#include "platform/interrupt.h"
#include "platform/le_bytes.h"
#include "platform/system.h"
#include "tools/pck/shown.h"

namespace pck {
namespace {

// An open file that takes every write, keeps up to `keep` of the first bytes in `kept`
// (nothing when it is null) and forgets the rest.
class DiscardFile final : public platform::File {
 public:
  explicit DiscardFile(std::vector<uint8_t>* kept = nullptr, std::size_t keep = 0)
      : kept_(kept), keep_(keep) {
    if (kept_) kept_->clear();
  }
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void* buf, int32_t count) override {
    if (kept_ && count > 0) {
      const auto* bytes = static_cast<const uint8_t*>(buf);
      const std::size_t room = keep_ - std::min(keep_, kept_->size());
      kept_->insert(kept_->end(), bytes, bytes + std::min<std::size_t>(room, count));
    }
    position_ += count;
    size_ = std::max(size_, position_);
    return count;
  }
  bool Seek(int64_t position) override {
    position_ = position;
    return position >= 0;
  }
  int64_t Position() override { return position_; }
  int64_t Size() override { return size_; }
  bool SetDosTime(uint32_t) override { return true; }
  bool Close() override { return true; }

 private:
  std::vector<uint8_t>* kept_;
  std::size_t keep_;
  int64_t position_ = 0, size_ = 0;
};

// An open file whose writes go to standard output, in order: it cannot go back.
class OutputFile final : public platform::File {
 public:
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void* buf, int32_t count) override {
    if (count <= 0) return count;
    const std::size_t put = std::fwrite(buf, 1, static_cast<std::size_t>(count), stdout);
    position_ += static_cast<int64_t>(put);
    return put == static_cast<std::size_t>(count) ? count : -1;
  }
  bool Seek(int64_t position) override { return position == position_; }
  int64_t Position() override { return position_; }
  int64_t Size() override { return position_; }
  bool SetDosTime(uint32_t) override { return true; }
  bool Close() override { return std::fflush(stdout) == 0; }
  std::string FailureReason() override { return std::strerror(errno); }

 private:
  int64_t position_ = 0;
};

// A member's new content that goes nowhere: the file forgets what it is given, and
// putting it in place changes nothing. Named like the target, so that what the engine
// does to it by name afterwards is taken and dropped too.
class DiscardReplacement final : public platform::Replacement {
 public:
  explicit DiscardReplacement(std::string path, bool output = false)
      : path_(std::move(path)), output_(output) {}
  std::unique_ptr<platform::File> TakeFile() override {
    if (output_) return std::make_unique<OutputFile>();
    return std::make_unique<DiscardFile>();
  }
  const std::string& Path() const override { return path_; }
  bool Commit() override { return true; }
  std::string FailureReason() const override { return {}; }

 private:
  std::string path_;
  bool output_;  // the content goes to standard output
};

// A member's content restored on a worker for standard output: it waits in a private
// file until the member is put in place, in the members' order, and goes to standard
// output then. Named like the target, as a DiscardReplacement.
class SpoolReplacement final : public platform::Replacement {
 public:
  SpoolReplacement(std::string path, std::string spool, std::unique_ptr<platform::File> file)
      : path_(std::move(path)), spool_(std::move(spool)), guard_(spool_), file_(std::move(file)) {}
  ~SpoolReplacement() override {
    file_.reset();
    platform::FileSystemPort().Delete(spool_);
  }
  std::unique_ptr<platform::File> TakeFile() override { return std::move(file_); }
  const std::string& Path() const override { return path_; }
  bool Commit() override {
    file_.reset();
    auto in = platform::FileSystemPort().Open(spool_, platform::Access::Read, platform::Share::Read,
                                              platform::Disposition::OpenExisting);
    if (!in) {
      reason_ = platform::FileSystemPort().FailureReason();
      return false;
    }
    OutputFile out;
    if (const platform::CopyFailure failed = platform::CopyContent(*in, out);
        failed != platform::CopyFailure::None) {
      reason_ = failed == platform::CopyFailure::Read ? in->FailureReason() : out.FailureReason();
      return false;
    }
    if (!out.Close()) {
      reason_ = out.FailureReason();
      return false;
    }
    return true;
  }
  std::string FailureReason() const override { return reason_; }

 private:
  std::string path_, spool_;
  platform::RemoveOnInterrupt guard_;
  std::unique_ptr<platform::File> file_;
  std::string reason_;
};

}  // namespace

void MemberSink::NoteTarget(const std::string& root, const std::string& relative,
                            const std::string& system) {
  current_ = {root, relative, system};
  targets_[pack::CombinePath(root, relative)] = current_;
}

void MemberSink::Recall(const std::string& path) {
  const auto found = targets_.find(path);
  if (found != targets_.end()) current_ = found->second;
}

std::string MemberSink::SystemPath(const std::string& path) const {
  const auto found = targets_.find(path);
  return found != targets_.end() && !found->second.System.empty() ? found->second.System : path;
}

std::unique_ptr<MemberSink> MemberSink::For(MemberMode mode, const std::string& staging) {
  switch (mode) {
    case MemberMode::Verify:
      return std::make_unique<VerifySink>();
    case MemberMode::Stream:
      return std::make_unique<StreamSink>();
    case MemberMode::Peek:
      return std::make_unique<PeekSink>(staging);
    case MemberMode::Restore:
      break;
  }
  return std::make_unique<RestoreSink>(PackageText());
}

std::unique_ptr<platform::Replacement> RestoreSink::CreateReplacement(const std::string& root,
                                                                      const std::string& relative,
                                                                      platform::Access access,
                                                                      platform::Share share) {
  reason_.clear();
  const std::optional<std::string> name = text_.ToSystem(relative, &reason_);
  NoteTarget(root, relative, name ? pack::CombinePath(root, *name) : std::string());
  if (!name) return nullptr;
  return ForwardingFiles::CreateReplacement(root, *name, access, share);
}

std::unique_ptr<platform::File> RestoreSink::Open(const std::string& path, platform::Access access,
                                                  platform::Share share,
                                                  platform::Disposition disposition) {
  reason_.clear();
  return ForwardingFiles::Open(SystemPath(path), access, share, disposition);
}

bool RestoreSink::Delete(const std::string& path) {
  reason_.clear();
  return ForwardingFiles::Delete(SystemPath(path));
}

bool RestoreSink::FileExists(const std::string& path) {
  return ForwardingFiles::FileExists(SystemPath(path));
}

bool RestoreSink::GetAttributes(const std::string& path, uint16_t& attr) {
  return ForwardingFiles::GetAttributes(SystemPath(path), attr);
}

bool RestoreSink::SetAttributes(const std::string& path, uint16_t attr) {
  reason_.clear();
  return ForwardingFiles::SetAttributes(SystemPath(path), attr);
}

bool RestoreSink::GetDosTime(const std::string& path, uint32_t& dosTime) {
  return ForwardingFiles::GetDosTime(SystemPath(path), dosTime);
}

std::string RestoreSink::FailureReason() {
  return reason_.empty() ? ForwardingFiles::FailureReason() : reason_;
}

std::unique_ptr<platform::Replacement> VerifySink::CreateReplacement(const std::string& root,
                                                                     const std::string& relative,
                                                                     platform::Access,
                                                                     platform::Share) {
  NoteTarget(root, relative);
  return std::make_unique<DiscardReplacement>(pack::CombinePath(root, relative));
}

std::unique_ptr<platform::Replacement> StreamSink::CreateReplacement(const std::string& root,
                                                                     const std::string& relative,
                                                                     platform::Access,
                                                                     platform::Share) {
  NoteTarget(root, relative);
  const std::string target = pack::CombinePath(root, relative);
  if (SpoolFolder().empty()) return std::make_unique<DiscardReplacement>(target, true);
  // Made here, on the thread that reads the package, and registered for removal on
  // interrupt before the worker writes to it.
  std::string spool;
  std::unique_ptr<platform::File> file;
  {
    const platform::InterruptsHeld held;
    spool = platform::TempFilesPort().CreateUnique(SpoolFolder(), "PCK");
    if (spool.empty()) return nullptr;
    file = Inner().Open(spool, platform::Access::Write, platform::Share::None,
                        platform::Disposition::CreateAlways);
  }
  if (!file) {
    Inner().Delete(spool);
    return nullptr;
  }
  return std::make_unique<SpoolReplacement>(target, spool, std::move(file));
}

std::unique_ptr<platform::File> VerifySink::Open(const std::string& path, platform::Access access,
                                                 platform::Share share,
                                                 platform::Disposition disposition) {
  if (IsTarget(path)) return std::make_unique<DiscardFile>();
  return ForwardingFiles::Open(path, access, share, disposition);
}

bool VerifySink::Delete(const std::string& path) {
  return IsTarget(path) || ForwardingFiles::Delete(path);
}

bool VerifySink::SetAttributes(const std::string& path, uint16_t attr) {
  return IsTarget(path) || ForwardingFiles::SetAttributes(path, attr);
}

std::unique_ptr<platform::File> PeekSink::Open(const std::string& path, platform::Access access,
                                               platform::Share share,
                                               platform::Disposition disposition) {
  if (path == staging_ && access != platform::Access::Read)
    return std::make_unique<DiscardFile>(&kept_, kKeep);
  return ForwardingFiles::Open(path, access, share, disposition);
}

bool PeekSink::Delete(const std::string& path) {
  return path == staging_ || ForwardingFiles::Delete(path);
}

void PeekSink::Learn(MemberInfo& info) {
  // The method the compressed file's signature names; "?" for none.
  const char* method = "?";
  if (kept_.size() == kKeep && std::memcmp(kept_.data(), "WRZL", 4) == 0)
    method = "fast";
  else if (kept_.size() == kKeep && std::memcmp(kept_.data(), "!HZL", 4) == 0)
    method = "good";
  info.Method = std::string(method);
  info.Size = method[0] != '?' ? static_cast<int32_t>(platform::le::Get32(kept_.data() + 4)) : -1;
  kept_.clear();
}

}  // namespace pck
