// A files port double that passes everything to the platform's own adapter but can
// make reads or writes of one file fail after a number of bytes, the way a failing
// disk would. Installed for the lifetime of the object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/files.h"

namespace testing_support {

class FaultFiles : public plat::FileSystem {
 public:
  FaultFiles();
  ~FaultFiles() override;

  // Reads of files whose path ends with `suffix` fail once `afterBytes` have been read.
  void FailReads(std::string suffix, int64_t afterBytes);
  // Writes of files whose path ends with `suffix` fail once `afterBytes` are written.
  void FailWrites(std::string suffix, int64_t afterBytes);

  std::unique_ptr<plat::File> Open(const std::string& path, plat::Access access, plat::Share share,
                                   plat::Disposition disposition) override;
  bool Delete(const std::string& path) override { return real_.Delete(path); }
  bool FileExists(const std::string& path) override { return real_.FileExists(path); }
  bool DirectoryExists(const std::string& path) override { return real_.DirectoryExists(path); }
  bool CreateDirectory(const std::string& path) override { return real_.CreateDirectory(path); }
  std::vector<plat::FoundFile> Find(const std::string& pattern, uint16_t mask) override {
    return real_.Find(pattern, mask);
  }
  std::string FullPath(const std::string& path) override { return real_.FullPath(path); }
  bool GetAttributes(const std::string& path, uint16_t& attr) override {
    return real_.GetAttributes(path, attr);
  }
  bool SetAttributes(const std::string& path, uint16_t attr) override {
    return real_.SetAttributes(path, attr);
  }
  bool GetDosTime(const std::string& path, uint32_t& dosTime) override {
    return real_.GetDosTime(path, dosTime);
  }

 private:
  plat::FileSystem& real_;
  std::string readSuffix_, writeSuffix_;
  int64_t readLimit_ = -1, writeLimit_ = -1;
};

}  // namespace testing_support
