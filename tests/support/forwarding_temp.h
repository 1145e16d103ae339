// A temporary-files port that passes every call on to the port in use when it was made,
// installed for its lifetime. Doubles derive from it and change only what they test.
#pragma once

#include <string>

#include "platform/system.h"

namespace testing_support {

class ForwardingTemp : public platform::TempFiles {
 public:
  ForwardingTemp() : inner_(platform::TempFilesPort()) {}
  std::string Directory() override { return inner_.Directory(); }
  std::string CreateUnique(const std::string& dir, const std::string& prefix) override {
    return inner_.CreateUnique(dir, prefix);
  }
  std::string CreatePrivateDirectory(const std::string& dir, const std::string& prefix) override {
    return inner_.CreatePrivateDirectory(dir, prefix);
  }
  bool RemovePrivateDirectory(const std::string& path) override {
    return inner_.RemovePrivateDirectory(path);
  }
  int RemoveAbandoned(const std::string& dir, const std::string& prefix) override {
    return inner_.RemoveAbandoned(dir, prefix);
  }

 private:
  platform::TempFiles& inner_;
  platform::ScopedPort<platform::TempFiles> installed_{*this};
};

}  // namespace testing_support
