// A temporary-files port that cannot make anything: no staging file, no private
// folder, as on a machine whose temporary folder is gone. Installed for its lifetime.
#pragma once

#include <string>

#include "platform/system.h"

namespace testing_support {

class NoTempFiles : public platform::TempFiles {
 public:
  std::string Directory() override { return "/nonexistent/temp/"; }
  std::string CreateUnique(const std::string&, const std::string&) override { return {}; }
  std::string CreatePrivateDirectory(const std::string&, const std::string&) override { return {}; }
  bool RemovePrivateDirectory(const std::string&) override { return false; }
  int RemoveAbandoned(const std::string&, const std::string&) override { return 0; }

 private:
  platform::ScopedPort<platform::TempFiles> installed_{*this};
};

}  // namespace testing_support
