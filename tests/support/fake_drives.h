// A drive-probe double: answers a chosen drive type for chosen paths and Fixed for
// every other one, and records the roots it was asked about. Installed for its
// lifetime. A path matches when it is a prefix of the probed root (systems without
// drive letters probe the full path) or the root is a prefix of it ("A:").
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/system.h"

namespace testing_support {

class FakeDrives : public platform::Drives {
 public:
  FakeDrives() = default;
  FakeDrives(const FakeDrives&) = delete;
  FakeDrives& operator=(const FakeDrives&) = delete;

  void Set(std::string path, platform::DriveType type) {
    rules_.emplace_back(std::move(path), type);
  }

  platform::DriveType TypeOf(const std::string& root) override {
    queried.push_back(root);
    for (const auto& [path, type] : rules_) {
      const bool under = root.compare(0, path.size(), path) == 0;
      const bool holds = !root.empty() && path.compare(0, root.size(), root) == 0;
      if (under || holds) return type;
    }
    return platform::DriveType::Fixed;
  }

  std::vector<std::string> queried;

 private:
  std::vector<std::pair<std::string, platform::DriveType>> rules_;
  platform::ScopedPort<platform::Drives> installed_{*this};
};

}  // namespace testing_support
