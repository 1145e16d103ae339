// Shared bits of the port tests, which run natively and under Wine alike.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/test_files.h"

namespace port_tests {

// The platform's own separator, as the scratch directory ends with it.
#ifdef _WIN32
inline constexpr char kSep = '\\';
#else
inline constexpr char kSep = '/';
#endif

// A test with a fresh scratch directory and the platform's own file system.
class PortTest : public ::testing::Test {
 protected:
  platform::FileSystem& fs_ = platform::NativeFiles();
  testing_support::ScratchDir dir_;

  std::string At(const std::string& name) const { return dir_ / name; }

  // Creates `name` with `content` through the standard library, not the port.
  std::string Make(const std::string& name, const std::string& content = "") const {
    const std::string path = At(name);
    testing_support::WriteFileBytes(path, testing_support::Bytes(content.begin(), content.end()));
    return path;
  }

  static std::string Content(const std::string& path) {
    const auto bytes = testing_support::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
  }
};

inline std::vector<std::string> Names(const std::vector<platform::FoundFile>& found) {
  std::vector<std::string> names;
  for (const auto& f : found) names.push_back(f.Name);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace port_tests
