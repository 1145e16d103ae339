// Package bytes as the writer lays them out and as the reader takes them.
#include <gtest/gtest.h>

#include "pack/cpack.h"
#include "pack/lfiles.h"
#include "pack_test_util.h"
#include "platform/system.h"

using namespace packtest;
using testing_support::FromHex;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

Bytes Slice(const Bytes& b, std::size_t from, std::size_t n) {
  return Bytes(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + n));
}

}  // namespace

TEST(PackageBytes, EmptyVersion2PackageIs26Bytes) {
  ScratchDir dir;
  pack::TCustomPack pack(nullptr);
  pack.SetPackFileName(dir / "E.PCK");
  const double before = platform::NowLocalStamp();
  ASSERT_TRUE(pack.WritePackage()) << pack.LastError();
  const double after = platform::NowLocalStamp();
  const Bytes b = ReadFileBytes(dir / "E.PCK");
  ASSERT_EQ(b.size(), 26u);
  EXPECT_EQ(Slice(b, 0, 5), Bytes({'P', 'C', 'K', '1', '1'}));
  double stamp;
  std::memcpy(&stamp, b.data() + 5, 8);  // little-endian host
  EXPECT_GE(stamp, before);
  EXPECT_LE(stamp, after);
  EXPECT_EQ(Slice(b, 13, 13), FromHex("01 00  00 00 00 00  00 00 00 00  00  00 00"));
}

TEST(PackageBytes, HeaderLinesPasswordAndReservedWordRoundTrip) {
  ScratchDir dir;
  Bytes src = Prefix("PCK11", 1.25, 1);
  Append(src, V2Header(0, "", {}, 0xDEADBEEF));
  WriteFileBytes(dir / "IN.PCK", src);
  pack::TCustomPack pack(nullptr);
  pack.SetPackFileName(dir / "IN.PCK");
  ASSERT_TRUE(pack.Extract());
  EXPECT_EQ(pack.Reserved(), 0xDEADBEEFu);

  // The same engine writes the reserved word it read back.
  pack.Header = {"ONE", "", std::string(300, 'x')};
  pack.SetPassword("Ab\xFF");
  pack.SetPackFileName(dir / "OUT.PCK");
  ASSERT_TRUE(pack.WritePackage()) << pack.LastError();
  EXPECT_EQ(pack.Password(), "Ab\xFF");
  const Bytes b = ReadFileBytes(dir / "OUT.PCK");
  Bytes header = FromHex("00 00 00 00  EF BE AD DE  03 BE 9D 00  03 00  03");
  header.insert(header.end(), {'O', 'N', 'E', 0, 255});
  header.insert(header.end(), 255, 'x');
  EXPECT_EQ(Slice(b, 15, b.size() - 15), header);

  pack::TCustomPack reader(nullptr);
  reader.SetPackFileName(dir / "OUT.PCK");
  EXPECT_FALSE(reader.Extract());
  EXPECT_EQ(reader.LastError(), "Invalid Password");
  reader.SetPassword("aB\xFF");  // case counts
  EXPECT_FALSE(reader.Extract());
  reader.SetPassword("Ab\xFF");
  ASSERT_TRUE(reader.Extract()) << reader.LastError();
  EXPECT_EQ(reader.StoredPassword(), "Ab\xFF");
  EXPECT_EQ(reader.Header, (pack::TStringList{"ONE", "", std::string(255, 'x')}));
}

TEST(PackageBytes, EntryRecordsFollowTheHeaderBlock) {
  ScratchDir dir;
  pack::CreateDirectories(dir / "src");
  WriteFileBytes(dir / "src/A.TXT", {'a', 'b', 'c'});
  WriteFileBytes(dir / "src/B.TXT", {});
  const uint32_t dos =
      (uint32_t{20} << 25) | (2u << 21) | (29u << 16) | (23u << 11) | (59u << 5) | 29u;
  pack::SetFileDateAttr(dir / "src/A.TXT", static_cast<int32_t>(dos), platform::kAttrReadOnly);
  pack::TCustomPack pack(nullptr);
  pack.SetDirectory(dir / "src");
  pack.Items = {"*.TXT"};
  pack.SetPackFileName(dir / "P.PCK");
  ASSERT_TRUE(pack.WritePackage()) << pack.LastError();
  const Bytes b = ReadFileBytes(dir / "P.PCK");
  ASSERT_EQ(b.size(), 26u + 11 + 5 + 3 + 11 + 5);
  EXPECT_EQ(Slice(b, 15, 4), FromHex("02 00 00 00"));  // EntryCount
  EXPECT_EQ(Slice(b, 26, 4), FromHex("03 00 00 00"));
  EXPECT_EQ(b[30] & platform::kAttrReadOnly, platform::kAttrReadOnly);
  EXPECT_EQ(b[31], 0);
  Bytes time;
  Le(time, dos, 4);
  EXPECT_EQ(Slice(b, 32, 4), time);
  EXPECT_EQ(Slice(b, 36, 9), Bytes({5, 'A', '.', 'T', 'X', 'T', 'a', 'b', 'c'}));
  EXPECT_EQ(Slice(b, 45, 4), FromHex("00 00 00 00"));  // B.TXT: no data, nothing follows
  EXPECT_EQ(Slice(b, 55, 6), Bytes({5, 'B', '.', 'T', 'X', 'T'}));
}

TEST(PackageBytes, Version1RawBlockIsKeptAndWrittenBack) {
  ScratchDir dir;
  // Empty raw block: the first record starts at byte 17.
  Bytes v1 = Prefix("PCK10", 2.5, 1);
  Append(v1, FromHex("00 00"));
  ASSERT_EQ(v1.size(), 17u);
  Append(v1, Member("M.TXT", {'x', 'y'}));
  WriteFileBytes(dir / "EMPTY.PCK", v1);
  pack::TCustomPack reader(nullptr);
  reader.SetPackFileName(dir / "EMPTY.PCK");
  reader.SetDirectory(dir / "out");
  ASSERT_TRUE(reader.Extract()) << reader.LastError();
  EXPECT_EQ(ReadFileBytes(dir / "out/M.TXT"), Bytes({'x', 'y'}));

  Bytes raw = Prefix("PCK10", 2.5, 1);
  Append(raw, FromHex("05 00 52 41 57 21 21"));
  Append(raw, Member("M.TXT", {'x'}));
  WriteFileBytes(dir / "RAW.PCK", raw);
  pack::TCustomPack pack(nullptr);
  pack.SetPackFileName(dir / "RAW.PCK");
  ASSERT_TRUE(pack.Process(pack::TPackMode::pmList));
  EXPECT_EQ(pack.RawHeader(), Bytes({'R', 'A', 'W', '!', '!'}));
  EXPECT_EQ(pack.Version(), 1);

  WriteFileBytes(dir / "N.TXT", {'n'});
  pack.SetDirectory(dir.Path());
  pack.Items = {"N.TXT"};
  pack.SetPackFileName(dir / "NEW.PCK");
  ASSERT_TRUE(pack.WritePackage()) << pack.LastError();
  const Bytes b = ReadFileBytes(dir / "NEW.PCK");
  EXPECT_EQ(Slice(b, 0, 5), Bytes({'P', 'C', 'K', '1', '0'}));
  EXPECT_EQ(Slice(b, 15, 7), FromHex("05 00 52 41 57 21 21"));
  EXPECT_EQ(Slice(b, 22, 4), FromHex("01 00 00 00"));  // first record at 17 + 5
  EXPECT_EQ(b.size(), 22u + 11 + 5 + 1);

  pack.Header = {"H"};  // header lines make it a version 2 package again
  ASSERT_TRUE(pack.WritePackage()) << pack.LastError();
  EXPECT_EQ(Slice(ReadFileBytes(dir / "NEW.PCK"), 0, 5), Bytes({'P', 'C', 'K', '1', '1'}));
}

TEST(PackageBytes, OtherSignaturesAreNotPackages) {
  ScratchDir dir;
  Bytes b = V2Package({});
  b[4] = '2';
  WriteFileBytes(dir / "X.PCK", b);
  pack::TCustomPack pack(nullptr);
  pack.SetPackFileName(dir / "X.PCK");
  EXPECT_FALSE(pack.Extract());
  EXPECT_NE(pack.LastError().find("is not a package"), std::string::npos);
}
