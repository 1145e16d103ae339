// A files port double that passes everything to the platform's own adapter but can
// make reads or writes of one file fail after a number of bytes, the way a failing
// disk would. Installed for the lifetime of the object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/forwarding_files.h"

namespace testing_support {

class FaultFiles : public platform::ForwardingFiles {
 public:
  // Reads of files whose path ends with `suffix` fail once `afterBytes` have been read.
  void FailReads(std::string suffix, int64_t afterBytes);
  // Writes of files whose path ends with `suffix` fail once `afterBytes` are written.
  void FailWrites(std::string suffix, int64_t afterBytes);

  std::unique_ptr<platform::File> Open(const std::string& path, platform::Access access,
                                       platform::Share share,
                                       platform::Disposition disposition) override;
  std::unique_ptr<platform::Replacement> CreateReplacement(const std::string& root,
                                                           const std::string& relative,
                                                           platform::Access access,
                                                           platform::Share share) override;

 private:
  std::unique_ptr<platform::File> Wrap(const std::string& path,
                                       std::unique_ptr<platform::File> real);

  std::string readSuffix_, writeSuffix_;
  int64_t readLimit_ = -1, writeLimit_ = -1;
  platform::ScopedPort<platform::FileSystem> installed_{*this};
};

}  // namespace testing_support
