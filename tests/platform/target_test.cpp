// Member targets through the files port: created below their root, never through a
// link, whatever a prepared directory holds; and opens of what is not a regular file.
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "port_test_util.h"
#include "support/links.h"

namespace port_tests {
namespace {

using platform::Access;
using platform::Disposition;
using platform::Share;

constexpr const char* kNoLinks = "this system cannot make symbolic links here";

class PlatformTarget : public PortTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs_.CreateDirectory(At("outside")));
    ASSERT_TRUE(fs_.CreateDirectory(At("root")));
    victim_ = Make("outside" + std::string(1, kSep) + "victim.txt", "precious");
  }
  std::string Root() const { return At("root"); }
  std::string InRoot(const std::string& name) const { return Root() + kSep + name; }
  std::string Outside(const std::string& name = "") const {
    return At("outside") + (name.empty() ? "" : kSep + name);
  }
  static bool Link(const std::string& target, const std::string& link, bool directory) {
    return testing_support::MakeSymlink(target, link, directory);
  }
  // Writes `data` as the new content of `relative` below the root and puts it in place;
  // false when refused, with the reason in reason_.
  bool Create(const std::string& relative, const std::string& data = "new") {
    auto r = fs_.CreateReplacement(Root(), relative, Access::Write, Share::None);
    if (!r) {
      reason_ = fs_.FailureReason();
      return false;
    }
    auto f = r->TakeFile();
    EXPECT_EQ(f->Write(data.data(), static_cast<int32_t>(data.size())),
              static_cast<int32_t>(data.size()));
    EXPECT_TRUE(f->Close());
    if (!r->Commit()) {
      reason_ = r->FailureReason();
      return false;
    }
    return true;
  }
  // The names in the root: a new file left behind would show here.
  std::vector<std::string> RootNames() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(Root()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string reason_;
  std::vector<std::string> OutsideNames() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(Outside()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string victim_;
};

TEST_F(PlatformTarget, CreatesMissingDirectoriesAndReplacesWhatStandsThere) {
  ASSERT_TRUE(Create("a\\b/c.txt", "abc"));
  EXPECT_EQ(Content(InRoot("a") + kSep + "b" + kSep + "c.txt"), "abc");

  // An existing file is replaced by a new one, so a hard link to it is not written
  // through.
  Make("root" + std::string(1, kSep) + "old.txt", "old");
#ifndef _WIN32
  ASSERT_EQ(::link(InRoot("old.txt").c_str(), Outside("hard.txt").c_str()), 0);
#endif
  ASSERT_TRUE(Create("old.txt"));
  EXPECT_EQ(Content(InRoot("old.txt")), "new");
#ifndef _WIN32
  EXPECT_EQ(Content(Outside("hard.txt")), "old");
#endif

  // A read-only file and a directory are refused, with the reason.
  Make("root" + std::string(1, kSep) + "ro.txt", "keep");
  ASSERT_TRUE(fs_.SetAttributes(InRoot("ro.txt"), platform::kAttrReadOnly));
  EXPECT_FALSE(Create("ro.txt"));
  EXPECT_EQ(reason_, platform::kReasonReadOnly);
  EXPECT_EQ(Content(InRoot("ro.txt")), "keep");
  ASSERT_TRUE(fs_.CreateDirectory(InRoot("dir")));
  EXPECT_FALSE(Create("dir"));
  EXPECT_EQ(reason_, platform::kReasonDirectory);
  // A file where a directory is needed.
  EXPECT_FALSE(Create("old.txt\\x"));
  EXPECT_EQ(reason_, platform::kReasonNotDirectory);
}

TEST_F(PlatformTarget, TheNewContentTakesThePlaceOnlyWhenCommitted) {
  const std::string old = Make("root" + std::string(1, kSep) + "data.bin", "older");
  const auto write = [](platform::Replacement& r, const std::string& data) {
    auto f = r.TakeFile();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Write(data.data(), static_cast<int32_t>(data.size())),
              static_cast<int32_t>(data.size()));
    EXPECT_EQ(r.TakeFile(), nullptr);  // taken once
  };
  {
    // Abandoned, half written: the older file stays, the new one goes.
    auto r = fs_.CreateReplacement(Root(), "data.bin", Access::Write, Share::None);
    ASSERT_NE(r, nullptr);
    EXPECT_NE(r->Path(), old);
    write(*r, "half");
    EXPECT_EQ(RootNames().size(), 2u);  // beside the target, in its folder
    EXPECT_EQ(Content(r->Path()), "half");
  }
  EXPECT_EQ(Content(old), "older");
  EXPECT_EQ(RootNames(), std::vector<std::string>{"data.bin"});

  // Committed with its file still open: closed, then in place.
  auto r = fs_.CreateReplacement(Root(), "data.bin", Access::Write, Share::None);
  ASSERT_NE(r, nullptr);
  auto f = r->TakeFile();
  EXPECT_EQ(f->Write("newer", 5), 5);
  ASSERT_TRUE(f->Close());
  ASSERT_TRUE(r->Commit()) << r->FailureReason();
  EXPECT_EQ(Content(old), "newer");
  EXPECT_EQ(RootNames(), std::vector<std::string>{"data.bin"});

  // A target that became read-only meanwhile is not replaced, and nothing is left.
  auto late = fs_.CreateReplacement(Root(), "data.bin", Access::Write, Share::None);
  ASSERT_NE(late, nullptr);
  write(*late, "latest");
  ASSERT_TRUE(fs_.SetAttributes(old, platform::kAttrReadOnly));
  EXPECT_FALSE(late->Commit());
  EXPECT_EQ(late->FailureReason(), platform::kReasonReadOnly);
  late.reset();
  EXPECT_EQ(Content(old), "newer");
  EXPECT_EQ(RootNames(), std::vector<std::string>{"data.bin"});
}

TEST_F(PlatformTarget, LinksOnThePathAreRefusedAtEveryDepth) {
  if (!Link(Outside(), InRoot("dlink"), true)) GTEST_SKIP() << kNoLinks;
  ASSERT_TRUE(Create("a\\b\\x.txt"));
  if (!Link(Outside(), InRoot("a") + kSep + "b" + kSep + "deep", true)) GTEST_SKIP() << kNoLinks;
  for (const std::string relative :
       {"dlink\\evil.txt", "dlink\\new\\evil.txt", "a\\b\\deep\\evil.txt", "a/b/deep/c/d.txt"}) {
    SCOPED_TRACE(relative);
    EXPECT_FALSE(Create(relative));
    EXPECT_EQ(reason_, platform::kReasonLinkOnPath);
  }
  EXPECT_EQ(OutsideNames(), (std::vector<std::string>{"victim.txt"}));
  EXPECT_EQ(Content(victim_), "precious");
}

TEST_F(PlatformTarget, ALinkAtTheFilesOwnPlaceIsNeverFollowed) {
  if (!Link(victim_, InRoot("flink"), false)) GTEST_SKIP() << kNoLinks;
  if (!Link(Outside("none.txt"), InRoot("dangling"), false)) GTEST_SKIP() << kNoLinks;
  if (!Link(Outside(), InRoot("dirlink"), true)) GTEST_SKIP() << kNoLinks;
  const bool flink = Create("flink", "member");
  const bool dangling = Create("dangling", "member");
  const bool dirlink = Create("dirlink", "member");
  // Nothing outside is written, truncated or made, whatever became of the member.
  EXPECT_EQ(Content(victim_), "precious");
  EXPECT_EQ(OutsideNames(), (std::vector<std::string>{"victim.txt"}));
#ifndef _WIN32
  // The link goes and a regular file takes its place.
  for (const auto& [made, name] :
       {std::pair{flink, "flink"}, {dangling, "dangling"}, {dirlink, "dirlink"}}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(made);
    struct stat st {};
    ASSERT_EQ(::lstat(InRoot(name).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(Content(InRoot(name)), "member");
  }
#else
  // Windows removes a file link it can see; Wine shows a host link to a file as the
  // file itself, and deleting it there would delete that file: it is refused. A link to
  // a directory is refused on both.
  if (testing_support::UnderWine()) {
    EXPECT_FALSE(flink);
  }
  EXPECT_FALSE(dirlink);
  static_cast<void>(dangling);
#endif
}

TEST_F(PlatformTarget, OnlyRegularFilesOpenAsExisting) {
  EXPECT_EQ(fs_.Open(Root(), Access::Read, Share::Read, Disposition::OpenExisting), nullptr);
  EXPECT_EQ(fs_.FailureReason(), platform::kReasonDirectory);
  EXPECT_EQ(fs_.Open(At("missing"), Access::Read, Share::Read, Disposition::OpenExisting), nullptr);
  EXPECT_FALSE(fs_.FailureReason().empty());
#ifdef _WIN32
  const std::string device = "NUL";
#else
  const std::string device = "/dev/zero";
  // A pipe with nobody at its other end: refused at once, not waited for.
  const std::string fifo = At("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  EXPECT_EQ(fs_.Open(fifo, Access::Read, Share::Read, Disposition::OpenExisting), nullptr);
  EXPECT_EQ(fs_.FailureReason(), platform::kReasonNotRegular);
  EXPECT_EQ(fs_.Open(fifo, Access::ReadWrite, Share::None, Disposition::OpenExisting), nullptr);
  EXPECT_EQ(fs_.Open(fifo, Access::Write, Share::None, Disposition::CreateAlways), nullptr);
#endif
  EXPECT_EQ(fs_.Open(device, Access::Read, Share::Read, Disposition::OpenExisting), nullptr);
  EXPECT_EQ(fs_.FailureReason(), platform::kReasonNotRegular);
  // A device is still a place to write output to.
  auto sink = fs_.Open(device, Access::Write, Share::None, Disposition::CreateAlways);
  ASSERT_NE(sink, nullptr);
  EXPECT_EQ(sink->Write("x", 1), 1);
}

TEST_F(PlatformTarget, NewFilesAreMadeExclusivelyAndRenamedIntoPlace) {
  const std::string path = At("new.tmp");
  auto first = fs_.Open(path, Access::Write, Share::None, Disposition::CreateNew);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Write("abc", 3), 3);
  first.reset();
  EXPECT_EQ(fs_.Open(path, Access::Write, Share::None, Disposition::CreateNew), nullptr);
  // Never through a link, not even one that leads nowhere.
  if (!Link(Outside("made.txt"), At("dangling"), false)) GTEST_SKIP() << kNoLinks;
  EXPECT_EQ(fs_.Open(At("dangling"), Access::Write, Share::None, Disposition::CreatePrivate),
            nullptr);
  EXPECT_EQ(OutsideNames(), (std::vector<std::string>{"victim.txt"}));

  const std::string target = Make("target.txt", "older");
  EXPECT_TRUE(fs_.Rename(path, target));
  EXPECT_EQ(Content(target), "abc");
  EXPECT_FALSE(fs_.FileExists(path));
  EXPECT_FALSE(fs_.Rename(path, target));
  EXPECT_FALSE(fs_.FailureReason().empty());

  EXPECT_TRUE(fs_.CreateDirectory(At("empty")));
  EXPECT_TRUE(fs_.RemoveDirectory(At("empty")));
  EXPECT_FALSE(fs_.DirectoryExists(At("empty")));
  EXPECT_FALSE(fs_.RemoveDirectory(At("outside")));  // not empty
}

}  // namespace
}  // namespace port_tests
