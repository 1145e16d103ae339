// Opening, reading, writing, seeking and sharing files through the files port.
#include <cstring>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "port_test_util.h"

namespace port_tests {
namespace {

using platform::Access;
using platform::Disposition;
using platform::Share;

using PlatformFiles = PortTest;

TEST_F(PlatformFiles, CreateWriteSeekReadBack) {
  const std::string path = At("data.bin");
  auto f = fs_.Open(path, Access::ReadWrite, Share::None, Disposition::CreateAlways);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Size(), 0);
  EXPECT_EQ(f->Write("hello, world", 12), 12);
  EXPECT_EQ(f->Position(), 12);
  EXPECT_EQ(f->Size(), 12);

  ASSERT_TRUE(f->Seek(7));
  char buf[16] = {};
  EXPECT_EQ(f->Read(buf, 16), 5);  // a short count at the end of the file
  EXPECT_EQ(std::string(buf, 5), "world");
  EXPECT_EQ(f->Read(buf, 16), 0);  // then 0 at the end
  EXPECT_EQ(f->Read(buf, 0), 0);

  // Writing after a seek overwrites in place; a seek past the end then a write extends.
  ASSERT_TRUE(f->Seek(0));
  EXPECT_EQ(f->Write("J", 1), 1);
  ASSERT_TRUE(f->Seek(20));
  EXPECT_EQ(f->Position(), 20);
  EXPECT_EQ(f->Size(), 12);
  EXPECT_EQ(f->Write("!", 1), 1);
  EXPECT_EQ(f->Size(), 21);
  EXPECT_FALSE(f->Seek(-1));
  EXPECT_TRUE(f->Close());

  const std::string content = Content(path);
  ASSERT_EQ(content.size(), 21u);
  EXPECT_EQ(content.substr(0, 12), "Jello, world");
  EXPECT_EQ(content.substr(12, 8), std::string(8, '\0'));
  EXPECT_EQ(content[20], '!');
}

TEST_F(PlatformFiles, DispositionsOnMissingAndExistingFiles) {
  const std::string missing = At("missing.txt");
  EXPECT_EQ(fs_.Open(missing, Access::Read, Share::Read, Disposition::OpenExisting), nullptr);
  EXPECT_FALSE(fs_.FileExists(missing));

  // OpenAlways creates a missing file and never truncates an existing one.
  {
    auto f = fs_.Open(missing, Access::Write, Share::None, Disposition::OpenAlways);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Write("abcdef", 6), 6);
  }
  EXPECT_TRUE(fs_.FileExists(missing));
  {
    auto f = fs_.Open(missing, Access::ReadWrite, Share::None, Disposition::OpenAlways);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Size(), 6);
    EXPECT_EQ(f->Write("XY", 2), 2);  // at the start: no append
  }
  EXPECT_EQ(Content(missing), "XYcdef");

  // CreateAlways truncates.
  {
    auto f = fs_.Open(missing, Access::Write, Share::None, Disposition::CreateAlways);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Size(), 0);
  }
  EXPECT_EQ(Content(missing), "");
}

TEST_F(PlatformFiles, AccessLimitsReadsAndWrites) {
  const std::string path = Make("limited.txt", "12345");
  char buf[8];
  {
    auto reader = fs_.Open(path, Access::Read, Share::Read, Disposition::OpenExisting);
    ASSERT_NE(reader, nullptr);
    EXPECT_LT(reader->Write("x", 1), 0);
    EXPECT_EQ(reader->Read(buf, 8), 5);
    EXPECT_EQ(reader->Read(buf, -1), -1);
  }
  {
    auto writer = fs_.Open(path, Access::Write, Share::None, Disposition::OpenExisting);
    ASSERT_NE(writer, nullptr);
    EXPECT_LT(writer->Read(buf, 1), 0);
    EXPECT_EQ(writer->Write(buf, -1), -1);
  }
  EXPECT_EQ(Content(path), "12345");
}

TEST_F(PlatformFiles, ClosedFileRefusesWork) {
  auto f = fs_.Open(At("c.txt"), Access::ReadWrite, Share::None, Disposition::CreateAlways);
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->Close());
  EXPECT_TRUE(f->Close());  // a second close is harmless
  char c;
  EXPECT_LT(f->Read(&c, 1), 0);
  EXPECT_LT(f->Write("x", 1), 0);
  EXPECT_LT(f->Size(), 0);
  EXPECT_FALSE(f->Seek(0));
}

TEST_F(PlatformFiles, DeleteExistsAndDirectories) {
  const std::string path = Make("gone.txt", "x");
  const std::string sub = At("sub");
  EXPECT_TRUE(fs_.CreateDirectory(sub));
  EXPECT_FALSE(fs_.CreateDirectory(sub));  // already there
  EXPECT_TRUE(fs_.DirectoryExists(sub));
  EXPECT_FALSE(fs_.FileExists(sub));
  EXPECT_FALSE(fs_.DirectoryExists(path));
  EXPECT_EQ(fs_.Open(sub, Access::Read, Share::Read, Disposition::OpenExisting), nullptr);
  EXPECT_FALSE(fs_.Delete(sub));  // Delete removes files only

  // The system's paths use `\` on every platform.
  EXPECT_TRUE(fs_.CreateDirectory(sub + "\\deeper"));
  EXPECT_TRUE(fs_.DirectoryExists(sub + kSep + "deeper"));
  EXPECT_FALSE(fs_.CreateDirectory(At("no\\such\\parent")));

  EXPECT_TRUE(fs_.Delete(path));
  EXPECT_FALSE(fs_.FileExists(path));
  EXPECT_FALSE(fs_.Delete(path));
}

#ifndef _WIN32
// An operation pointed at a device (a test run "restoring to nowhere") deletes its
// output on failure; the device itself must survive that.
TEST_F(PlatformFiles, DeleteLeavesDevicesAndPipesAlone) {
  const std::string fifo = At("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  EXPECT_FALSE(fs_.Delete(fifo));
  struct stat st {};
  EXPECT_EQ(::lstat(fifo.c_str(), &st), 0);
}
#endif

// ---- sharing --------------------------------------------------------------------

using PlatformShare = PortTest;

TEST_F(PlatformShare, UnsharedOpenExcludesEveryOtherOpen) {
  const std::string path = Make("held.txt", "precious");
  auto holder = fs_.Open(path, Access::Read, Share::None, Disposition::OpenExisting);
  ASSERT_NE(holder, nullptr);
  EXPECT_EQ(fs_.Open(path, Access::Read, Share::ReadWrite, Disposition::OpenExisting), nullptr);
  EXPECT_EQ(fs_.Open(path, Access::Read, Share::None, Disposition::OpenExisting), nullptr);
  EXPECT_EQ(fs_.Open(path, Access::ReadWrite, Share::ReadWrite, Disposition::OpenAlways), nullptr);

  // Creating over a file that is held open fails and leaves its content alone: this is
  // what stops a compressor from writing over its own input.
  EXPECT_EQ(fs_.Open(path, Access::Write, Share::None, Disposition::CreateAlways), nullptr);
  EXPECT_EQ(fs_.Open(path, Access::Write, Share::ReadWrite, Disposition::CreateAlways), nullptr);
  char buf[16] = {};
  EXPECT_EQ(holder->Read(buf, 16), 8);
  EXPECT_EQ(std::string(buf, 8), "precious");
  EXPECT_EQ(holder->Size(), 8);

  EXPECT_TRUE(holder->Close());
  auto after = fs_.Open(path, Access::Write, Share::None, Disposition::CreateAlways);
  EXPECT_NE(after, nullptr);
}

TEST_F(PlatformShare, UnsharedOpenFailsWhileAnotherIsOpen) {
  const std::string path = Make("busy.txt", "data");
  auto reader = fs_.Open(path, Access::Read, Share::ReadWrite, Disposition::OpenExisting);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(fs_.Open(path, Access::Read, Share::None, Disposition::OpenExisting), nullptr);
  EXPECT_EQ(fs_.Open(path, Access::Write, Share::None, Disposition::CreateAlways), nullptr);
  reader.reset();  // the destructor closes
  EXPECT_NE(fs_.Open(path, Access::Read, Share::None, Disposition::OpenExisting), nullptr);
  EXPECT_EQ(Content(path), "data");
}

TEST_F(PlatformShare, SharedOpensCoexist) {
  const std::string path = Make("shared.txt", "abc");
  auto a = fs_.Open(path, Access::Read, Share::Read, Disposition::OpenExisting);
  auto b = fs_.Open(path, Access::Read, Share::Read, Disposition::OpenExisting);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  a.reset();
  b.reset();
  auto c = fs_.Open(path, Access::ReadWrite, Share::ReadWrite, Disposition::OpenExisting);
  auto d = fs_.Open(path, Access::ReadWrite, Share::ReadWrite, Disposition::OpenExisting);
  ASSERT_NE(c, nullptr);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(c->Write("X", 1), 1);
  char buf[3];
  EXPECT_EQ(d->Read(buf, 3), 3);
  EXPECT_EQ(std::string(buf, 3), "Xbc");  // the second handle sees the first's write
}

#ifdef _WIN32
TEST_F(PlatformShare, ReadSharingRefusesWriters) {
  const std::string path = Make("readers.txt", "abc");
  auto reader = fs_.Open(path, Access::Read, Share::Read, Disposition::OpenExisting);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(fs_.Open(path, Access::Write, Share::ReadWrite, Disposition::OpenExisting), nullptr);
  EXPECT_NE(fs_.Open(path, Access::Read, Share::ReadWrite, Disposition::OpenExisting), nullptr);
}
#endif

}  // namespace
}  // namespace port_tests
