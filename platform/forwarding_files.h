// A files port that passes every call on to the port that was in use when it was made.
// Whoever wants it in use installs it (platform::ScopedPort), or hands it to the code that
// works through it (the package engine takes one for its targets and staging file).
// Derived classes override only the calls they change: a sink for output nobody keeps,
// a test double whose reads or writes fail.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace platform {

// A replacement whose new file reaches its writer through `wrap` (a test's failing
// file, a counting one); everything else is the inner replacement's.
class WrappedReplacement final : public Replacement {
 public:
  using Wrap = std::function<std::unique_ptr<File>(std::unique_ptr<File>)>;
  WrappedReplacement(std::unique_ptr<Replacement> inner, Wrap wrap)
      : inner_(std::move(inner)), wrap_(std::move(wrap)) {}
  std::unique_ptr<File> TakeFile() override {
    std::unique_ptr<File> file = inner_->TakeFile();
    return file ? wrap_(std::move(file)) : nullptr;
  }
  const std::string& Path() const override { return inner_->Path(); }
  bool Commit() override { return inner_->Commit(); }
  std::string FailureReason() const override { return inner_->FailureReason(); }

 private:
  std::unique_ptr<Replacement> inner_;
  Wrap wrap_;
};

class ForwardingFiles : public FileSystem {
 public:
  ForwardingFiles() : inner_(FileSystemPort()) {}
  ForwardingFiles(const ForwardingFiles&) = delete;
  ForwardingFiles& operator=(const ForwardingFiles&) = delete;

  std::unique_ptr<File> Open(const std::string& path, Access access, Share share,
                             Disposition disposition) override {
    return inner_.Open(path, access, share, disposition);
  }
  std::unique_ptr<Replacement> CreateReplacement(const std::string& root,
                                                 const std::string& relative, Access access,
                                                 Share share) override {
    return inner_.CreateReplacement(root, relative, access, share);
  }
  bool Delete(const std::string& path) override { return inner_.Delete(path); }
  bool Rename(const std::string& from, const std::string& to) override {
    return inner_.Rename(from, to);
  }
  bool FileExists(const std::string& path) override { return inner_.FileExists(path); }
  bool DirectoryExists(const std::string& path) override { return inner_.DirectoryExists(path); }
  bool CreateDirectory(const std::string& path) override { return inner_.CreateDirectory(path); }
  bool RemoveDirectory(const std::string& path) override { return inner_.RemoveDirectory(path); }
  std::vector<FoundFile> Find(const std::string& pattern, uint16_t attrMask) override {
    return inner_.Find(pattern, attrMask);
  }
  std::string FullPath(const std::string& path) override { return inner_.FullPath(path); }
  bool GetAttributes(const std::string& path, uint16_t& attr) override {
    return inner_.GetAttributes(path, attr);
  }
  bool SetAttributes(const std::string& path, uint16_t attr) override {
    return inner_.SetAttributes(path, attr);
  }
  bool GetDosTime(const std::string& path, uint32_t& dosTime) override {
    return inner_.GetDosTime(path, dosTime);
  }
  bool SetAccess(const std::string& path, AccessRule rule) override {
    return inner_.SetAccess(path, rule);
  }
  std::string LongPath(const std::string& path) override { return inner_.LongPath(path); }
  std::string FailureReason() override { return inner_.FailureReason(); }

 protected:
  FileSystem& Inner() { return inner_; }

 private:
  FileSystem& inner_;
};

}  // namespace platform
