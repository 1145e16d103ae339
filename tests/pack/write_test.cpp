// Writing packages: what BuildList collects, the names stored under each PathOption,
// packages inside other files at Offset, and write runs that fail.
#include <gtest/gtest.h>

#include "pack/cpack.h"
#include "pack/lfiles.h"
#include "pack_test_util.h"
#include "support/fault_files.h"

using namespace packtest;
using testing_support::ReadFileBytes;
using testing_support::SampleText;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;
using Names = std::vector<std::string>;

namespace {

class WriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pack::CreateDirectories(dir / "src/SUB");
    WriteFileBytes(dir / "src/SUB/A.TXT", SampleText(20000));
    WriteFileBytes(dir / "src/SUB/B.DAT", {1, 2});
    WriteFileBytes(dir / "src/TOP.TXT", {});
    WriteFileBytes(dir / "src/OLD.BAK", {3});
    writer.SetDirectory(dir / "src");
    writer.Items = {"SUB\\*.*", "*.TXT"};
    writer.SetPackFileName(dir / "P.PCK");
  }
  Names StoredNames() {
    pack::TCustomPack reader(nullptr);
    reader.SetPackFileName(writer.PackFileName());
    reader.SetPassword(writer.Password());
    reader.Offset = writer.Offset;
    EXPECT_TRUE(reader.Process(pack::TPackMode::pmList)) << reader.LastError();
    return reader.List;
  }
  ScratchDir dir;
  pack::TCustomPack writer{nullptr};
};

std::string Backslashed(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

}  // namespace

TEST_F(WriteTest, PathOptionChoosesTheStoredName) {
  writer.PathOption = pack::TPathOption::poNone;
  ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  EXPECT_EQ(StoredNames(), (Names{"A.TXT", "B.DAT", "TOP.TXT"}));
  writer.PathOption = pack::TPathOption::poRelative;
  ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  EXPECT_EQ(StoredNames(), (Names{"SUB\\A.TXT", "SUB\\B.DAT", "TOP.TXT"}));
  writer.PathOption = pack::TPathOption::poFullPath;
  ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  std::string full = Backslashed(platform::FileSystemPort().FullPath(dir / "src/TOP.TXT"));
  if (full.size() > 1 && full[1] == ':') full.erase(0, 2);
  EXPECT_EQ(StoredNames().back(), full);
  EXPECT_EQ(full.front(), '\\');
}

TEST_F(WriteTest, RoundTripKeepsDataTimeAndAttributes) {
  const uint32_t dos = (uint32_t{25} << 25) | (12u << 21) | (31u << 16) | (8u << 11) | 7u;
  pack::SetFileDateAttr(dir / "src/SUB/B.DAT", static_cast<int32_t>(dos), platform::kAttrReadOnly);
  writer.PathOption = pack::TPathOption::poRelative;
  writer.SetPassword("senha");
  writer.Header = {"line one", "line two"};
  ASSERT_TRUE(writer.WritePackage()) << writer.LastError();

  pack::TCustomPack reader(nullptr);
  reader.SetPackFileName(dir / "P.PCK");
  reader.SetDirectory(dir / "out");
  reader.OnPassword = [](platform::TObject*, std::string& pw) { pw = "senha"; };
  ASSERT_TRUE(reader.Extract()) << reader.LastError();
  EXPECT_EQ(reader.Header, writer.Header);
  EXPECT_EQ(Listing(dir / "out"), (Names{"SUB", "SUB/A.TXT", "SUB/B.DAT", "TOP.TXT"}));
  EXPECT_EQ(ReadFileBytes(dir / "out/SUB/A.TXT"), SampleText(20000));
  uint32_t time = 0;
  uint16_t attr = 0;
  ASSERT_TRUE(platform::FileSystemPort().GetDosTime(dir / "out/SUB/B.DAT", time));
  ASSERT_TRUE(platform::FileSystemPort().GetAttributes(dir / "out/SUB/B.DAT", attr));
  EXPECT_EQ(time, dos);
  EXPECT_TRUE(attr & platform::kAttrReadOnly);
}

TEST_F(WriteTest, ExcludesAndThePackageItselfAreLeftOut) {
  writer.SetPackFileName(dir / "src/P.PCK");
  WriteFileBytes(dir / "src/P.PCK", {0});  // an older package in the packed directory
  writer.Items = {"*.*"};
  writer.Excludes = {"*.BAK"};
  ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  EXPECT_EQ(StoredNames(), (Names{"TOP.TXT"}));
}

TEST_F(WriteTest, PackageAtOffsetKeepsTheBytesBeforeIt) {
  const Bytes host = SampleText(1000, 7);
  WriteFileBytes(dir / "P.PCK", host);
  writer.Offset = 1000;
  ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  const Bytes b = ReadFileBytes(dir / "P.PCK");
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 1000), host);
  EXPECT_EQ(Bytes(b.begin() + 1000, b.begin() + 1005), Bytes({'P', 'C', 'K', '1', '1'}));
  EXPECT_EQ(StoredNames().size(), 3u);

  // A version 1 package ends where its file ends: older bytes after it would be read as
  // entries, so the run fails; the host file is not deleted.
  Bytes longer = b;
  longer.resize(b.size() + 500, 'Z');
  WriteFileBytes(dir / "P.PCK", longer);
  writer.SetRawHeader({'R'});
  EXPECT_FALSE(writer.WritePackage());
  EXPECT_NE(writer.LastError().find("older data"), std::string::npos);
  EXPECT_EQ(Bytes(ReadFileBytes(dir / "P.PCK")).size(), longer.size());
}

TEST_F(WriteTest, RefusedNamesAndCancelWriteNothing) {
  pack::CreateDirectories(dir / "other");
  WriteFileBytes(dir / "other/X.TXT", {1});
  writer.PathOption = pack::TPathOption::poRelative;
  writer.Items = {"..\\other\\*.TXT"};
  EXPECT_FALSE(writer.WritePackage());
  EXPECT_NE(writer.LastError().find("..\\other\\X.TXT"), std::string::npos);
  EXPECT_FALSE(testing_support::PathExists(dir / "P.PCK"));

  writer.Items = {"*.TXT", "SUB\\*.*"};
  std::vector<int32_t> percents;
  writer.OnProgress = [&](platform::TObject*, const std::string&, int32_t p, bool& cancel) {
    percents.push_back(p);
    cancel = percents.size() == 2;
  };
  EXPECT_FALSE(writer.WritePackage());
  EXPECT_EQ(percents, (std::vector<int32_t>{0, 33}));
  EXPECT_EQ(writer.LastError(), "Operation aborted");
  EXPECT_FALSE(testing_support::PathExists(dir / "P.PCK"));  // the partial package went
}

TEST_F(WriteTest, APackageIsReplacedOnlyWhenTheNewOneIsComplete) {
  ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  const Bytes older = ReadFileBytes(dir / "P.PCK");

  // While the next package is written, the file still holds the older one, and a run
  // that fails half-way (a source that cannot be read to its end) leaves it so.
  std::vector<Bytes> seen;
  writer.OnProgress = [&](platform::TObject*, const std::string& name, int32_t, bool&) {
    if (!name.empty()) seen.push_back(ReadFileBytes(dir / "P.PCK"));
  };
  testing_support::FaultFiles faults;
  faults.FailReads("A.TXT", 10000);
  writer.Header = {"a newer package"};
  EXPECT_FALSE(writer.WritePackage());
  EXPECT_FALSE(seen.empty());
  for (const Bytes& during : seen) EXPECT_EQ(during, older);
  EXPECT_EQ(ReadFileBytes(dir / "P.PCK"), older);
  EXPECT_EQ(Listing(dir.Path()), (Names{"P.PCK", "src", "src/OLD.BAK", "src/SUB", "src/SUB/A.TXT",
                                        "src/SUB/B.DAT", "src/TOP.TXT"}));

  faults.FailReads("", -1);
  seen.clear();
  ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  for (const Bytes& during : seen) EXPECT_EQ(during, older);
  EXPECT_NE(ReadFileBytes(dir / "P.PCK"), older);
  pack::TCustomPack reader(nullptr);
  reader.SetPackFileName(dir / "P.PCK");
  ASSERT_TRUE(reader.Process(pack::TPackMode::pmList));
  EXPECT_EQ(reader.Header, writer.Header);
  EXPECT_EQ(Listing(dir.Path()).size(), 7u);  // nothing left beside it
}
