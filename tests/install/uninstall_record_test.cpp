// The uninstall record: written line by line and read back; a record a crash cut short
// keeps what was written before; a damaged one is recognised and never acted on.
#include "install/uninstall_record.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace installtest {
namespace {

using install::TRecordKind;
using install::TRecordLine;
using install::TRecordState;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

std::string Text(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}
void Put(const std::string& path, const std::string& text) {
  WriteFileBytes(path, testing_support::Bytes(text.begin(), text.end()));
}

const std::vector<TRecordLine> kSteps = {
    {TRecordKind::Folder, {"C:\\QEN2005"}},
    {TRecordKind::Value, {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Ondrel", "DLLPATH", "0"}},
    {TRecordKind::File, {"C:\\QEN2005\\A\tB%.DAT", "12", std::string(32, 'a')}},
    {TRecordKind::Icon, {"TAVO", "QEN 2005", "C:\\QEN2005\\QEN2005.EXE"}},
};

class UninstallRecord : public ::testing::Test {
 protected:
  ScratchDir dir_;
  std::string path_ = dir_ / "UNINSTAL.DAT";
  void WriteSteps(std::size_t count) {
    install::TUninstallRecordWriter writer(path_);
    for (std::size_t i = 0; i < count; ++i) writer.Add(kSteps[i].Kind, kSteps[i].Fields);
  }
};

TEST_F(UninstallRecord, StepsComeBackInTheirOrderWhateverTheirFieldsHold) {
  WriteSteps(2);
  WriteSteps(0);  // opened again and continued
  {
    install::TUninstallRecordWriter writer(path_);
    writer.Add(kSteps[2].Kind, kSteps[2].Fields);
    writer.Add(kSteps[3].Kind, kSteps[3].Fields);
  }
  const install::TUninstallRecord record = install::ReadUninstallRecord(path_);
  EXPECT_EQ(record.State, TRecordState::Valid) << record.Problem;
  EXPECT_FALSE(record.CutShort);
  EXPECT_EQ(record.Lines, kSteps);
  // Text lines a person can read, one step each, the tab and percent sign escaped.
  const std::string text = Text(path_);
  EXPECT_EQ(text.rfind("QEN2005-UNINSTALL\t1\t", 0), 0u);
  EXPECT_NE(text.find("file\tC:\\QEN2005\\A%09B%25.DAT\t12\t"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
}

TEST_F(UninstallRecord, ACrashWhileWritingALineKeepsTheLinesBefore) {
  WriteSteps(3);
  const std::string whole = Text(path_);
  for (const std::size_t cut : {std::size_t{5}, std::size_t{9}}) {
    Put(path_, whole.substr(0, whole.size() - cut));
    const install::TUninstallRecord record = install::ReadUninstallRecord(path_);
    EXPECT_EQ(record.State, TRecordState::Valid) << record.Problem;
    EXPECT_TRUE(record.CutShort);
    EXPECT_EQ(record.Lines, std::vector<TRecordLine>(kSteps.begin(), kSteps.begin() + 2));
  }
  // Continued, the half line is gone and the chain holds.
  {
    install::TUninstallRecordWriter writer(path_);
    writer.Add(kSteps[3].Kind, kSteps[3].Fields);
  }
  const install::TUninstallRecord record = install::ReadUninstallRecord(path_);
  EXPECT_EQ(record.State, TRecordState::Valid) << record.Problem;
  EXPECT_FALSE(record.CutShort);
  EXPECT_EQ(record.Lines, (std::vector<TRecordLine>{kSteps[0], kSteps[1], kSteps[3]}));
}

TEST_F(UninstallRecord, ADamagedRecordIsNeverActedOn) {
  WriteSteps(4);
  const std::string whole = Text(path_);
  struct Damage {
    const char* what;
    std::string bytes;
  } const damages[] = {
      {"a byte changed in a step",
       [&] {
         std::string b = whole;
         b[b.find("DLLPATH")] = 'X';
         return b;
       }()},
      {"a step taken out",
       [&] {
         std::string b = whole;
         const std::size_t start = b.find("value\t");
         return b.erase(start, b.find("\r\n", start) + 2 - start);
       }()},
      {"another format", "SOMETHING\t1\r\n"},
      {"nothing at all", ""},
  };
  for (const Damage& d : damages) {
    const install::TUninstallRecord record = install::ParseUninstallRecord(d.bytes);
    EXPECT_EQ(record.State, TRecordState::Damaged) << d.what;
    EXPECT_TRUE(record.Lines.empty()) << d.what;
    EXPECT_FALSE(record.Problem.empty()) << d.what;
  }
  EXPECT_EQ(install::ReadUninstallRecord(dir_ / "NONE.DAT").State, TRecordState::Missing);

  // A new installation sets a damaged record aside and starts a new one.
  Put(path_, damages[0].bytes);
  WriteSteps(1);
  EXPECT_EQ(Text(path_ + ".BAD"), damages[0].bytes);
  EXPECT_EQ(install::ReadUninstallRecord(path_).Lines, std::vector<TRecordLine>{kSteps[0]});
}

}  // namespace
}  // namespace installtest
