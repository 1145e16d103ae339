// A files port double that passes everything to the platform's own adapter but can
// make reads or writes of one file fail after a number of bytes, the way a failing
// disk would. Installed for the lifetime of the object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/forwarding_files.h"

namespace testing_support {

class FaultFiles : public plat::ForwardingFiles {
 public:
  // Reads of files whose path ends with `suffix` fail once `afterBytes` have been read.
  void FailReads(std::string suffix, int64_t afterBytes);
  // Writes of files whose path ends with `suffix` fail once `afterBytes` are written.
  void FailWrites(std::string suffix, int64_t afterBytes);

  std::unique_ptr<plat::File> Open(const std::string& path, plat::Access access, plat::Share share,
                                   plat::Disposition disposition) override;
  std::unique_ptr<plat::Replacement> CreateReplacement(const std::string& root,
                                                       const std::string& relative,
                                                       plat::Access access,
                                                       plat::Share share) override;

 private:
  std::unique_ptr<plat::File> Wrap(const std::string& path, std::unique_ptr<plat::File> real);

  std::string readSuffix_, writeSuffix_;
  int64_t readLimit_ = -1, writeLimit_ = -1;
  plat::ScopedPort<plat::FileSystem> installed_{*this};
};

}  // namespace testing_support
