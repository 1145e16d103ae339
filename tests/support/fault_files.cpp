#include "support/fault_files.h"

namespace testing_support {
namespace {

bool EndsWith(const std::string& s, const std::string& suffix) {
  return !suffix.empty() && s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

class FaultFile : public platform::File {
 public:
  FaultFile(std::unique_ptr<platform::File> real, int64_t readLimit, int64_t writeLimit)
      : real_(std::move(real)), readLimit_(readLimit), writeLimit_(writeLimit) {}
  int32_t Read(void* buf, int32_t count) override {
    if (readLimit_ >= 0 && readDone_ + count > readLimit_) return -1;
    const int32_t n = real_->Read(buf, count);
    if (n > 0) readDone_ += n;
    return n;
  }
  int32_t Write(const void* buf, int32_t count) override {
    if (writeLimit_ >= 0 && writeDone_ + count > writeLimit_) return -1;
    const int32_t n = real_->Write(buf, count);
    if (n > 0) writeDone_ += n;
    return n;
  }
  bool Seek(int64_t position) override { return real_->Seek(position); }
  int64_t Position() override { return real_->Position(); }
  int64_t Size() override { return real_->Size(); }
  bool SetDosTime(uint32_t dosTime) override { return real_->SetDosTime(dosTime); }
  bool Close() override { return real_->Close(); }

 private:
  std::unique_ptr<platform::File> real_;
  int64_t readLimit_, writeLimit_;
  int64_t readDone_ = 0, writeDone_ = 0;
};

}  // namespace

void FaultFiles::FailReads(std::string suffix, int64_t afterBytes) {
  readSuffix_ = std::move(suffix);
  readLimit_ = afterBytes;
}
void FaultFiles::FailWrites(std::string suffix, int64_t afterBytes) {
  writeSuffix_ = std::move(suffix);
  writeLimit_ = afterBytes;
}

std::unique_ptr<platform::File> FaultFiles::Open(const std::string& path, platform::Access access,
                                                 platform::Share share,
                                                 platform::Disposition disposition) {
  return Wrap(path, ForwardingFiles::Open(path, access, share, disposition));
}

std::unique_ptr<platform::Replacement> FaultFiles::CreateReplacement(const std::string& root,
                                                                     const std::string& relative,
                                                                     platform::Access access,
                                                                     platform::Share share) {
  auto inner = ForwardingFiles::CreateReplacement(root, relative, access, share);
  if (!inner) return nullptr;
  // Faults go by the target's name, not the new file's.
  const std::string path = root + "\\" + relative;
  return std::make_unique<platform::WrappedReplacement>(
      std::move(inner),
      [this, path](std::unique_ptr<platform::File> file) { return Wrap(path, std::move(file)); });
}

std::unique_ptr<platform::File> FaultFiles::Wrap(const std::string& path,
                                                 std::unique_ptr<platform::File> real) {
  if (!real) return nullptr;
  const int64_t readLimit = EndsWith(path, readSuffix_) ? readLimit_ : -1;
  const int64_t writeLimit = EndsWith(path, writeSuffix_) ? writeLimit_ : -1;
  if (readLimit < 0 && writeLimit < 0) return real;
  return std::make_unique<FaultFile>(std::move(real), readLimit, writeLimit);
}

}  // namespace testing_support
