// A files port that passes every call on to the port that was in use when it was made.
// Whoever wants it in use installs it (plat::ScopedPort).
// Derived classes override only the calls they change: a sink for output nobody keeps,
// a test double whose reads or writes fail.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace plat {

class ForwardingFiles : public FileSystem {
 public:
  ForwardingFiles() : inner_(FileSystemPort()) {}
  ForwardingFiles(const ForwardingFiles&) = delete;
  ForwardingFiles& operator=(const ForwardingFiles&) = delete;

  std::unique_ptr<File> Open(const std::string& path, Access access, Share share,
                             Disposition disposition) override {
    return inner_.Open(path, access, share, disposition);
  }
  std::unique_ptr<File> CreateTarget(const std::string& root, const std::string& relative,
                                     Access access, Share share) override {
    return inner_.CreateTarget(root, relative, access, share);
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
  std::string FailureReason() override { return inner_.FailureReason(); }

 protected:
  FileSystem& Inner() { return inner_; }

 private:
  FileSystem& inner_;
};

}  // namespace plat
