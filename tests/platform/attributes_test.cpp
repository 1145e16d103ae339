// Attributes and DOS times through the files port.
#include <chrono>
#include <ctime>
#include <filesystem>

#include "port_test_util.h"

namespace port_tests {
namespace {

using platform::Access;
using platform::Disposition;
using platform::Share;

constexpr uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
  const uint32_t date = (static_cast<uint32_t>(year - 1980) << 9) |
                        (static_cast<uint32_t>(month) << 5) | static_cast<uint32_t>(day);
  const uint32_t time = (static_cast<uint32_t>(hour) << 11) | (static_cast<uint32_t>(minute) << 5) |
                        static_cast<uint32_t>(second / 2);
  return (date << 16) | time;
}

using PlatformAttributes = PortTest;

TEST_F(PlatformAttributes, ReadOnlyBlocksWritingAndDeleting) {
  const std::string path = Make("ro.txt", "keep me");
  ASSERT_TRUE(fs_.SetAttributes(path, platform::kAttrReadOnly | platform::kAttrArchive));

  EXPECT_EQ(fs_.Open(path, Access::Write, Share::None, Disposition::OpenExisting), nullptr);
  EXPECT_EQ(fs_.Open(path, Access::ReadWrite, Share::None, Disposition::OpenExisting), nullptr);
  EXPECT_EQ(fs_.Open(path, Access::Write, Share::None, Disposition::CreateAlways), nullptr);
  EXPECT_FALSE(fs_.Delete(path));
  EXPECT_TRUE(fs_.FileExists(path));
  EXPECT_EQ(Content(path), "keep me");

  // Reading is still allowed.
  auto reader = fs_.Open(path, Access::Read, Share::Read, Disposition::OpenExisting);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->Size(), 7);
  reader.reset();

  // Clearing the attribute gives writing and deleting back.
  ASSERT_TRUE(fs_.SetAttributes(path, platform::kAttrArchive));
  EXPECT_NE(fs_.Open(path, Access::ReadWrite, Share::None, Disposition::OpenExisting), nullptr);
  EXPECT_TRUE(fs_.Delete(path));
  EXPECT_FALSE(fs_.FileExists(path));
}

TEST_F(PlatformAttributes, SetAndGetRoundTrip) {
  const std::string path = Make("attrs.txt", "x");
  uint16_t attr = 0xFFFF;
  using platform::kAttrArchive, platform::kAttrHidden, platform::kAttrReadOnly;
  for (uint16_t want :
       {uint16_t(kAttrReadOnly | kAttrArchive), uint16_t(kAttrHidden | kAttrArchive),
        uint16_t(kAttrArchive), uint16_t(kAttrReadOnly | kAttrHidden | kAttrArchive)}) {
    ASSERT_TRUE(fs_.SetAttributes(path, want)) << "attributes " << want;
    ASSERT_TRUE(fs_.GetAttributes(path, attr));
    EXPECT_EQ(attr, want);
  }
  // Without the archive bit. Wine reports every file as waiting for backup, so the
  // archive bit is left out of the comparison.
  for (uint16_t want : {uint16_t(kAttrReadOnly), uint16_t(kAttrHidden), uint16_t(0)}) {
    ASSERT_TRUE(fs_.SetAttributes(path, want)) << "attributes " << want;
    ASSERT_TRUE(fs_.GetAttributes(path, attr));
    EXPECT_EQ(attr & ~kAttrArchive, want);
  }
  // The directory and volume bits cannot be given to a file.
  ASSERT_TRUE(fs_.SetAttributes(path, platform::kAttrDirectory | platform::kAttrArchive));
  ASSERT_TRUE(fs_.GetAttributes(path, attr));
  EXPECT_EQ(attr, platform::kAttrArchive);

  EXPECT_FALSE(fs_.GetAttributes(At("missing"), attr));
  EXPECT_FALSE(fs_.SetAttributes(At("missing"), platform::kAttrArchive));

  ASSERT_TRUE(fs_.CreateDirectory(At("dir")));
  ASSERT_TRUE(fs_.GetAttributes(At("dir"), attr));
  EXPECT_EQ(attr & platform::kAttrDirectory, platform::kAttrDirectory);
}

TEST_F(PlatformAttributes, DosTimeRoundTrips) {
  const std::string path = Make("dated.txt", "x");
  // Summer, winter, the first second of the DOS era and an odd hour near midnight.
  for (uint32_t when : {Dos(2001, 7, 15, 13, 45, 58), Dos(1999, 12, 31, 23, 59, 58),
                        Dos(1980, 1, 2, 0, 0, 0), Dos(2037, 2, 28, 1, 2, 4)}) {
    {
      auto f = fs_.Open(path, Access::ReadWrite, Share::None, Disposition::OpenExisting);
      ASSERT_NE(f, nullptr);
      ASSERT_TRUE(f->SetDosTime(when)) << std::hex << when;
      ASSERT_TRUE(f->Close());
    }
    uint32_t got = 0;
    ASSERT_TRUE(fs_.GetDosTime(path, got));
    EXPECT_EQ(got, when) << std::hex << got << " != " << when;
    const auto found = fs_.Find(path, 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].DosTime, when);
  }
  uint32_t unused;
  EXPECT_FALSE(fs_.GetDosTime(At("missing"), unused));
}

TEST_F(PlatformAttributes, TimeIsKeptThroughLaterAttributeChanges) {
  // Extraction sets the time on the open file, closes it, then sets the attributes.
  const std::string path = Make("member.dat", "content");
  const uint32_t when = Dos(1998, 3, 10, 9, 30, 0);
  {
    auto f = fs_.Open(path, Access::ReadWrite, Share::None, Disposition::OpenExisting);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->SetDosTime(when));
  }
  ASSERT_TRUE(fs_.SetAttributes(path, platform::kAttrReadOnly | platform::kAttrArchive));
  uint32_t got = 0;
  ASSERT_TRUE(fs_.GetDosTime(path, got));
  EXPECT_EQ(got, when);
}

// The local zone has no daylight saving time. The test run sets TZ to such a zone so
// that local time differs from UTC; with daylight saving, Windows converts with the
// offset in force now rather than the one of the date, which the C library does not.
bool ZoneWithoutDaylightSaving() {
  for (std::time_t t : {std::time_t{979560000}, std::time_t{995198400}}) {  // Jan, Jul 2001
    std::tm* local = std::localtime(&t);
    if (!local || local->tm_isdst > 0) return false;
  }
  return true;
}

std::time_t LocalToEpoch(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

std::time_t WriteTimeOf(const std::string& path) {
  const auto sys = std::chrono::file_clock::to_sys(std::filesystem::last_write_time(path));
  return std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
}

TEST_F(PlatformAttributes, DosTimesAreLocalTime) {
  if (!ZoneWithoutDaylightSaving())
    GTEST_SKIP() << "needs a time zone without daylight saving (the test run sets TZ=XST-3)";
  const std::string path = Make("local.txt", "x");
  {
    auto f = fs_.Open(path, Access::ReadWrite, Share::None, Disposition::OpenExisting);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->SetDosTime(Dos(2001, 7, 15, 13, 45, 58)));
  }
  EXPECT_EQ(WriteTimeOf(path), LocalToEpoch(2001, 7, 15, 13, 45, 58));

  // And back: a write time set from outside reads as its local calendar time.
  const std::time_t when = LocalToEpoch(1999, 12, 31, 23, 59, 58);
  std::filesystem::last_write_time(
      path, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(when)));
  uint32_t got = 0;
  ASSERT_TRUE(fs_.GetDosTime(path, got));
  EXPECT_EQ(got, Dos(1999, 12, 31, 23, 59, 58)) << std::hex << got;
}

TEST_F(PlatformAttributes, ImpossibleDosTimesAreRefused) {
  const std::string path = Make("bad.txt", "x");
  auto f = fs_.Open(path, Access::ReadWrite, Share::None, Disposition::OpenExisting);
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(f->SetDosTime(Dos(2000, 13, 1, 0, 0, 0)));  // month 13
  EXPECT_FALSE(f->SetDosTime(Dos(2000, 0, 1, 0, 0, 0)));   // month 0
  EXPECT_FALSE(f->SetDosTime(Dos(2000, 1, 1, 24, 0, 0)));  // hour 24
}

}  // namespace
}  // namespace port_tests
