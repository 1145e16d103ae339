// The pck program as a user runs it: each test starts the built executable with its
// output sent to files in a scratch directory, and checks exit status, messages and
// the files it made.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "compress/lzrw1.h"
#include "pack/cpack.h"
#include "pack/lfiles.h"
#include "pack/pack_test_util.h"
#include "platform/files.h"
#include "support/test_files.h"

namespace pck_tool_tests {

using testing_support::Bytes;
using testing_support::PathExists;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

#ifdef _WIN32
inline constexpr const char* kNoInput = "NUL";
#else
inline constexpr const char* kNoInput = "/dev/null";
#endif

// 1999-12-31 23:58:30 as a DOS date-time.
inline constexpr uint32_t kTime =
    ((19u << 9 | 12u << 5 | 31u) << 16) | (23u << 11 | 58u << 5 | 15u);

inline std::string Quote(const std::string& text) { return "\"" + text + "\""; }

// Every file below `root` with its content, by its path relative to `root` with `/`
// between the folders (but for what the tests' runs print).
inline std::map<std::string, Bytes> Tree(const std::string& root) {
  std::map<std::string, Bytes> tree;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    const std::string name = e.path().filename().string();
    if (e.is_regular_file() && name != "stdout.txt" && name != "stderr.txt")
      tree[std::filesystem::relative(e.path(), root).generic_string()] =
          ReadFileBytes(e.path().string());
  }
  return tree;
}

// The names of the members of a package, as stored.
inline std::vector<std::string> StoredNames(const std::string& package) {
  pack::TCustomPack pack(nullptr);
  pack.SetPackFileName(package);
  pack.Process(pack::TPackMode::pmList);
  return pack.List;
}

// The program under test. A Windows build run under Wine names it by its host path,
// which Windows programs reach through the Z: drive.
inline std::string PckExe() {
  std::string exe = PCK_EXE;
#ifdef _WIN32
  if (!exe.empty() && exe[0] == '/') exe = "Z:" + exe;
  std::replace(exe.begin(), exe.end(), '/', '\\');
#endif
  return exe;
}

// A captured output, with Windows line ends made plain.
inline std::string Text(const std::string& path) {
  const Bytes bytes = PathExists(path) ? ReadFileBytes(path) : Bytes{};
  std::string text(bytes.begin(), bytes.end());
  std::erase(text, '\r');
  return text;
}

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// How often `part` occurs in `text`.
inline std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

struct Outcome {
  int status;
  std::string out, err;
};

class PckTool : public ::testing::Test {
 protected:
  // Runs pck with `args` (already quoted where needed), standard input from nowhere,
  // in the current directory or in `in` (a quoted path).
  Outcome Pck(const std::string& args, const std::string& in = "") {
    return Run(Quote(PckExe()), args, in);
  }

  // Runs `program` (a command, quoted where needed) the way Pck runs pck.
  Outcome Run(const std::string& program, const std::string& args, const std::string& in = "") {
    const std::string out = dir / "stdout.txt", err = dir / "stderr.txt";
    std::string command = launcher + program + " " + args + " > " +
                          Quote(stdoutTo.empty() ? out : stdoutTo) + " 2> " + Quote(err) + " < " +
                          (stdinFrom.empty() ? std::string(kNoInput) : Quote(stdinFrom));
#ifdef _WIN32
    if (!in.empty()) command = "cd /d " + in + " && " + command;
#else
    if (!in.empty()) command = "cd " + in + " && " + command;
#endif
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd /c strips one pair of outer quotes
#endif
    const int raw = std::system(command.c_str());
#ifdef _WIN32
    const int status = raw;
#else
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    return {status, Text(out), Text(err)};
  }

  // A quoted path in the scratch directory; the directory itself without its trailing
  // separator, which would escape the closing quote on a Windows command line.
  std::string P(const std::string& name) {
    std::string path = dir / name;
    if (name.empty()) path.pop_back();
    return Quote(path);
  }

  void MakeFile(const std::string& name, const Bytes& data,
                uint16_t attr = platform::kAttrArchive) {
    WriteFileBytes(dir / name, data);
    pack::SetFileDateAttr(platform::FromHostPath(dir / name), static_cast<int32_t>(kTime), attr);
  }

  void ExpectSameFile(const std::string& original, const std::string& copy) {
    ASSERT_TRUE(PathExists(dir / copy)) << copy;
    EXPECT_EQ(ReadFileBytes(dir / copy), ReadFileBytes(dir / original)) << copy;
    uint32_t time = 0;
    ASSERT_TRUE(platform::FileSystemPort().GetDosTime(dir / copy, time));
    EXPECT_EQ(time, kTime) << copy;
    uint16_t a = 0, b = 0;
    ASSERT_TRUE(platform::FileSystemPort().GetAttributes(dir / original, a));
    ASSERT_TRUE(platform::FileSystemPort().GetAttributes(dir / copy, b));
    EXPECT_EQ(a & platform::kAttrReadOnly, b & platform::kAttrReadOnly) << copy;
  }

  // `content` compressed by the driver with the block method.
  Bytes Compressed(const Bytes& content) {
    return packtest::Compressed(content, compress::TCompressMode::Fast, dir);
  }

  // A "PCK11" package, without password, of members given as stored bytes; every
  // member has the archive attribute and the time kTime, or the time of its place in
  // `times`. The volume prefix carries the number `volume`.
  void WritePackage(const std::string& name,
                    const std::vector<std::pair<std::string, Bytes>>& members,
                    const std::vector<uint32_t>& times = {}, uint16_t volume = 1) {
    Bytes out = packtest::Prefix("PCK11", 45000.25, volume);
    packtest::Append(out, packtest::V2Header(static_cast<int32_t>(members.size())));
    for (std::size_t i = 0; i < members.size(); ++i) {
      const auto& [member, data] = members[i];
      packtest::Append(out, packtest::Record(static_cast<int32_t>(data.size()), member, 0x20,
                                             i < times.size() ? times[i] : kTime));
      packtest::Append(out, data);
    }
    WriteFileBytes(dir / name, out);
  }

  ScratchDir dir;
  std::string launcher;  // a command that pck runs under ("timeout 20 "), or none
  // Standard input from this file rather than from nowhere; standard output to this
  // file rather than to the one the outcome reads.
  std::string stdinFrom, stdoutTo;
};

// A row of a table of scenarios: its name, which is the test's, and what it does on a
// fixture of kind Run. A table's test derives from ScenarioOf<Run> and is instantiated
// with ScenarioName, so each row runs and fails under its own name.
template <class Run>
struct Scenario {
  const char* name;
  std::function<void(Run&)> run;
};

template <class Run>
class ScenarioOf : public Run, public ::testing::WithParamInterface<Scenario<Run>> {};

struct ScenarioName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return info.param.name;
  }
};

}  // namespace pck_tool_tests
