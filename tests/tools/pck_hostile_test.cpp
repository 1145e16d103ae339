// pck on a hostile system: prepared target directories with links, pipes and devices
// where files are expected, creates that fail half-way, and runs interrupted by a
// signal. Nothing outside the target may change, nothing may hang, and nothing
// half-written may stay behind.
#include <filesystem>
#include <map>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>
#endif

#include "pck_fixture.h"
#include "pck_interrupt.h"
#include "support/links.h"

namespace pck_tool_tests {
namespace {

constexpr const char* kNoLinks = "this system cannot make symbolic links here";

class PckHostile : public PckTool {
 protected:
  void SetUp() override {
    platform::FileSystemPort().CreateDirectory(dir / "outside");
    platform::FileSystemPort().CreateDirectory(dir / "target");
    MakeFile("outside/victim.txt", Bytes{'o', 'l', 'd'});
    outside_ = Tree(dir / "outside");
  }
  bool Link(const std::string& target, const std::string& link, bool directory) {
    return testing_support::MakeSymlink(dir / target, dir / link, directory);
  }
  // DATA.BIN packed as the volumes DISK1/V.PCK, DISK2/V.PCK and DISK3/V.PCK.
  bool MakeVolumeSet() {
    MakeFile("DATA.BIN", testing_support::RandomBytes(9000, 4));
    platform::FileSystemPort().CreateDirectory(dir / "DISK1");
    return Pck("create " + P("DISK1/V.PCK") + " -C " + P("") +
               " --method fast --volume-size 4000 DATA.BIN")
                   .status == 0 &&
           PathExists(dir / "DISK3/V.PCK");
  }
  std::map<std::string, Bytes> outside_;
};

// ---- links in the target directory ---------------------------------------------------

TEST_F(PckHostile, ExtractNeverWritesThroughALinkBelowTheTarget) {
  if (!Link("outside", "target/dlink", true)) GTEST_SKIP() << kNoLinks;
  platform::FileSystemPort().CreateDirectory(dir / "target/sub");
  if (!Link("outside", "target/sub/deeper", true)) GTEST_SKIP() << kNoLinks;
  const Bytes data = Compressed(Bytes{'n', 'e', 'w'});
  for (const std::string name : {"dlink\\victim.txt", "dlink\\made.txt", "sub\\deeper\\victim.txt",
                                 "sub\\deeper\\a\\b.txt"}) {
    SCOPED_TRACE(name);
    WritePackage("L.PCK", {{name, data}});
    const Outcome r = Pck("extract " + P("L.PCK") + " -d " + P("target"));
    EXPECT_EQ(r.status, 1);
    // One line naming the package, the member and the reason.
    std::string shown = name;
#ifndef _WIN32
    std::replace(shown.begin(), shown.end(), '\\', '/');
#endif
    EXPECT_TRUE(Contains(r.err, "L.PCK: " + shown + ": ")) << r.err;
    EXPECT_TRUE(Contains(r.err, platform::kReasonLinkOnPath)) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(Tree(dir / "outside"), outside_);
  }
}

TEST_F(PckHostile, ALinkAtTheMembersPlaceIsReplacedOrRefusedNeverFollowed) {
  if (!Link("outside/victim.txt", "target/file-link", false)) GTEST_SKIP() << kNoLinks;
  if (!Link("outside/made.txt", "target/dangling", false)) GTEST_SKIP() << kNoLinks;
  WritePackage("L.PCK", {{"file-link", Compressed(Bytes{'n', 'e', 'w'})},
                         {"dangling", Compressed(Bytes{'t', 'w', 'o'})}});
  const Outcome r = Pck("extract " + P("L.PCK") + " -d " + P("target"));
  EXPECT_EQ(Tree(dir / "outside"), outside_);
#ifndef _WIN32
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "target/file-link"), (Bytes{'n', 'e', 'w'}));
  EXPECT_EQ(ReadFileBytes(dir / "target/dangling"), (Bytes{'t', 'w', 'o'}));
#else
  if (testing_support::UnderWine()) {
    EXPECT_EQ(r.status, 1) << r.err;
  }
#endif
}

// ---- pipes and devices where files are expected --------------------------------------

#ifndef _WIN32
TEST_F(PckHostile, PipesAndDevicesAreRefusedWithoutWaiting) {
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0666), 0);
  // A command that waited for a pipe's other end would wait for ever: `timeout` ends
  // it after 20 seconds with status 124.
  launcher = "timeout 20 ";
  for (const std::string& input :
       {std::string("/dev/zero"), dir / "pipe", std::string("/dev/stdin")}) {
    SCOPED_TRACE(input);
    const Outcome r = Pck("compress " + Quote(input) + " " + P("out.lz"));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(Contains(r.err, "not a regular file")) << r.err;
    EXPECT_FALSE(PathExists(dir / "out.lz"));
  }
  Outcome r = Pck("list " + P("pipe"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "not a regular file")) << r.err;

  // A pipe met as the next volume of a set, and in a folder being packed.
  ASSERT_TRUE(MakeVolumeSet());
  std::filesystem::remove(dir / "DISK2/V.PCK");
  ASSERT_EQ(::mkfifo((dir / "DISK2/V.PCK").c_str(), 0666), 0);
  r = Pck("extract " + P("DISK1/V.PCK") + " -d " + P("out"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "not a regular file")) << r.err;

  platform::FileSystemPort().CreateDirectory(dir / "src");
  MakeFile("src/A.TXT", Bytes{'a'});
  ASSERT_EQ(::mkfifo((dir / "src/B.TXT").c_str(), 0666), 0);
  r = Pck("create " + P("S.PCK") + " -C " + P("src") + " " + Quote("*.*"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "B.TXT")) << r.err;
  EXPECT_TRUE(Contains(r.err, "not a regular file")) << r.err;
  EXPECT_FALSE(PathExists(dir / "S.PCK"));
}
#endif

// ---- a create that fails half-way -----------------------------------------------------

TEST_F(PckHostile, ACreateThatFailsLeavesTheSetItWasToReplace) {
  ASSERT_TRUE(MakeVolumeSet());
  const auto before = Tree(dir.Path());
  // Volume 2 cannot be written: a directory stands where its file goes. Volume 1 is
  // complete by then.
  std::filesystem::remove(dir / "DISK2/V.PCK");
  platform::FileSystemPort().CreateDirectory(dir / "DISK2/V.PCK");
  auto expected = before;
  expected.erase("DISK2/V.PCK");
  const Outcome r = Pck("create " + P("DISK1/V.PCK") + " -C " + P("") +
                        " --method fast --volume-size 4000 DATA.BIN");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "is a directory")) << r.err;
  EXPECT_EQ(Tree(dir.Path()), expected);  // volume 1 as it was, nothing left beside it
}

// ---- interrupted runs -----------------------------------------------------------------

#ifndef _WIN32
class PckInterrupted : public PckTool {
 protected:
  void SetUp() override {
    platform::FileSystemPort().CreateDirectory(dir / "tmp");
    platform::FileSystemPort().CreateDirectory(dir / "src");
    // Slow enough to restore that the run is caught in the middle of it.
    WriteFileBytes(dir / "src/BIG.BIN", Bytes(kBig, 0));
    ASSERT_EQ(Pck("create " + P("BIG.PCK") + " -C " + P("src") + " --method good BIG.BIN").status,
              0);
  }
  static constexpr std::size_t kBig = 24 << 20;
};

TEST_F(PckInterrupted, SigintDuringExtractRemovesTheStagingAndNewFilesAndKeepsTheOlderOne) {
  // The member is restored into a new file beside the older one, which stays as it was.
  platform::FileSystemPort().CreateDirectory(dir / "out");
  MakeFile("out/BIG.BIN", Bytes{'o', 'l', 'd'});
  const pid_t pid =
      Start({"extract", dir / "BIG.PCK", "-d", dir / "out"}, dir / "tmp", dir / "output.txt");
  const auto newFile = [&] {
    for (const auto& e : std::filesystem::directory_iterator(dir / "out"))
      if (e.path().filename() != "BIG.BIN") return e.path().string();
    return std::string();
  };
  ASSERT_TRUE(StopWhen(pid, [&] { return SizeOrMinusOne(newFile()) > 0; }))
      << Text(dir / "output.txt");
  const int64_t atStop = SizeOrMinusOne(newFile());
  EXPECT_LT(atStop, static_cast<int64_t>(kBig)) << "caught after the member was complete";
  EXPECT_EQ(Interrupt(pid, SIGINT), 130) << Text(dir / "output.txt");
  EXPECT_EQ(ReadFileBytes(dir / "out/BIG.BIN"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(newFile(), "");
  EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
}

TEST_F(PckInterrupted, SigtermDuringCreateLeavesTheOlderPackageAndNothingBesideIt) {
  const Bytes older = ReadFileBytes(dir / "BIG.PCK");
  WriteFileBytes(dir / "src/MORE.BIN", Bytes(kBig, 1));
  const pid_t pid =
      Start({"create", dir / "BIG.PCK", "-C", dir / "src", "*.*"}, dir / "tmp", dir / "output.txt");
  // Stopped while the new package is being written beside the older one.
  const auto beside = [&] {
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
      if (e.path().filename().string().rfind("PCK", 0) == 0) return true;
    return false;
  };
  ASSERT_TRUE(StopWhen(pid, beside)) << Text(dir / "output.txt");
  EXPECT_EQ(Interrupt(pid, SIGTERM), 143) << Text(dir / "output.txt");
  EXPECT_EQ(ReadFileBytes(dir / "BIG.PCK"), older);
  EXPECT_FALSE(beside());
  EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
}

TEST_F(PckInterrupted, WhatARunKilledOutrightLeavesTheNextRunRemoves) {
  // A member being restored: its new file, beside its target, has bytes in it.
  const auto restoring = [&](const std::string& folder) {
    return [folder] {
      std::error_code ec;
      for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        if (SizeOrMinusOne(e.path().string()) > 0) return true;
      return false;
    };
  };
  const auto folders = [&] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir / "tmp"))
      names.push_back(e.path().filename().string());
    return names;
  };
  // A run of this test, killed if the test ends before it was waited for.
  struct Run {
    pid_t pid;
    int Wait() {
      int status = 0;
      ::waitpid(std::exchange(pid, -1), &status, 0);
      return status;
    }
    ~Run() {
      if (pid <= 0) return;
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  };
  Run killed{Start({"extract", dir / "BIG.PCK", "-d", dir / "out"}, dir / "tmp", dir / "out.txt")};
  ASSERT_TRUE(StopWhen(killed.pid, restoring(dir / "out"))) << Text(dir / "out.txt");
  ::kill(killed.pid, SIGKILL);
  killed.Wait();
  // Its staging folder stays, holding the member's stored bytes.
  const std::vector<std::string> left = folders();
  ASSERT_EQ(left.size(), 1u);
  // The next run removes it as it starts.
  Run live{Start({"extract", dir / "BIG.PCK", "-d", dir / "out2"}, dir / "tmp", dir / "out2.txt")};
  ASSERT_TRUE(StopWhen(live.pid, restoring(dir / "out2"))) << Text(dir / "out2.txt");
  const std::vector<std::string> running = folders();
  ASSERT_EQ(running.size(), 1u);
  EXPECT_NE(running, left);
  // A run that still lives (here stopped) keeps its own.
  launcher = "TMPDIR=" + Quote(dir / "tmp") + " ";
  EXPECT_EQ(Pck("list " + P("BIG.PCK")).status, 0);
  EXPECT_EQ(folders(), running);

  ::kill(live.pid, SIGCONT);
  const int status = live.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Text(dir / "out2.txt");
  EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
}

// Each run removes what killed runs left as it starts: a folder another run has just made,
// and not yet marked as its own, is never taken from it.
TEST_F(PckTool, RunsStartingTogetherEachKeepTheirStagingFolder) {
  platform::FileSystemPort().CreateDirectory(dir / "tmp");
  MakeFile("A.TXT", Bytes{'a'});
  ASSERT_EQ(Pck("create " + P("S.PCK") + " -C " + P("") + " A.TXT").status, 0);
  int failed = 0;
  for (int round = 0; round < 25; ++round) {
    std::vector<pid_t> runs;
    for (int i = 0; i < 8; ++i)
      runs.push_back(
          Start({"list", dir / "S.PCK"}, dir / "tmp", dir / ("run" + std::to_string(i) + ".txt")));
    for (const pid_t pid : runs) {
      int status = 0;
      ::waitpid(pid, &status, 0);
      failed += WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
    }
  }
  EXPECT_EQ(failed, 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
}

TEST_F(PckInterrupted, SigintDuringTestLeavesTheFilesOfTheCurrentDirectoryAlone) {
  // The member restores to nowhere; a file of its name in the current directory is not
  // what the run was writing.
  WriteFileBytes(dir / "BIG.BIN", Bytes{'m', 'i', 'n', 'e'});
  const pid_t pid = Start({"test", "BIG.PCK"}, dir / "tmp", dir / "output.txt", dir.Path());
  // Stopped while the member is being restored: its stored bytes are staged by then.
  const auto restoring = [&] {
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir / "tmp"))
      if (e.is_regular_file() && e.file_size() > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return true;
      }
    return false;
  };
  ASSERT_TRUE(StopWhen(pid, restoring)) << Text(dir / "output.txt");
  EXPECT_EQ(Interrupt(pid, SIGINT), 130) << Text(dir / "output.txt");
  EXPECT_EQ(ReadFileBytes(dir / "BIG.BIN"), (Bytes{'m', 'i', 'n', 'e'}));
  EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
}
#endif

}  // namespace
}  // namespace pck_tool_tests
