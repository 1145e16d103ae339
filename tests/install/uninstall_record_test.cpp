// The uninstall record: typed steps written line by line and read back; a record of the
// first version (written before the steps were typed) reads to the same steps, and one an
// installation continues is written anew in the current version; a record of a later
// version, or a first-version one holding the later kinds, is refused; a record a crash
// cut short keeps what was written before; a damaged one, or one whose fields do not
// read as their types, is never acted on.
#include "install/uninstall_record.h"

#include <gtest/gtest.h>

#include "platform/exceptions.h"
#include "platform/forwarding_files.h"
#include "support/test_files.h"

namespace installtest {
namespace {

using install::RecordState;
using install::RecordStep;
using platform::RegRoot;
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

platform::TDigest128 Digest(const std::string& hex) { return *platform::TDigest128::FromHex(hex); }

const std::vector<RecordStep> kSteps = {
    install::FolderStep{"C:\\QEN2005"},
    install::ValueStep{RegRoot::LocalMachine, "SOFTWARE\\Ondrel", "DLLPATH", false},
    install::FileStep{"C:\\QEN2005\\A\tB%.DAT", 12, Digest(std::string(32, 'a'))},
    install::IconStep{"TAVO", "QEN 2005", "C:\\QEN2005\\QEN2005.EXE"},
};

// A record as the installations before typed steps wrote it, every kind once.
const std::string kEarlierRecord =
    "QEN2005-UNINSTALL\t1\t7140c7a552fdaa22782d2f46f5c10a5f\r\n"
    "folder\tC:\\QEN2005\t2d4f6b85f0fb55641bb2823a538d94f7\r\n"
    "program\tC:\\QEN2005\\Uninstall.exe\t6fb6010f9bb47441864ec37727d97403\r\n"
    "entry\tSOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QEN2005\t"
    "6a3f0a5c7d729801d2aa2b6dd69072b6\r\n"
    "key\tHKEY_LOCAL_MACHINE\tSOFTWARE\\Ondrel\\Database Engine\t"
    "c5cd773c9ad0e67ddf16900484f27153\r\n"
    "value\tHKEY_LOCAL_MACHINE\tSOFTWARE\\Ondrel\\Database Engine\tDLLPATH\t0\t"
    "5ae239ab2ca07c66c33402eb525e5af5\r\n"
    "backup\tC:\\QEN2005\\DADOS\\CLIENTES.DAT\tC:\\QEN2005\\BACKUP\\DADOS\\CLIENTES.DAT\t"
    "d007214d8d1d5b5b728c7c543b900cc2\r\n"
    "file\tC:\\QEN2005\\A%09B%25.DAT\t12\t0123456789abcdef0123456789abcdef\t"
    "593fe0014c83b1aa18a789cab043ec3b\r\n"
    "shared\tC:\\PROGRAM FILES\\COMMON FILES\\ONDREL SHARED\\ODE\\DBAPI32.DLL\t"
    "b9bfb7391604b51805ce14dcf3f8ca70\r\n"
    "group\tTAVO\tb93d3d0966153928b482f8fcb1ecb7e6\r\n"
    "icon\tTAVO\tQEN 2005\tC:\\QEN2005\\QEN2005.EXE\t540264249e40d1d81363fef76a8ddd83\r\n";

const std::vector<RecordStep> kEarlierSteps = {
    install::FolderStep{"C:\\QEN2005"},
    install::ProgramStep{"C:\\QEN2005\\Uninstall.exe"},
    install::EntryStep{"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QEN2005"},
    install::KeyStep{RegRoot::LocalMachine, "SOFTWARE\\Ondrel\\Database Engine"},
    install::ValueStep{RegRoot::LocalMachine, "SOFTWARE\\Ondrel\\Database Engine", "DLLPATH",
                       false},
    install::BackupStep{"C:\\QEN2005\\DADOS\\CLIENTES.DAT",
                        "C:\\QEN2005\\BACKUP\\DADOS\\CLIENTES.DAT"},
    install::FileStep{"C:\\QEN2005\\A\tB%.DAT", 12, Digest("0123456789abcdef0123456789abcdef")},
    install::SharedStep{"C:\\PROGRAM FILES\\COMMON FILES\\ONDREL SHARED\\ODE\\DBAPI32.DLL"},
    install::GroupStep{"TAVO"},
    install::IconStep{"TAVO", "QEN 2005", "C:\\QEN2005\\QEN2005.EXE"},
};

// A record of the header and these step lines, each with the check its place needs.
std::string Chained(const std::vector<std::string>& texts) {
  std::string out, check;
  for (const std::string& text : texts) {
    const std::string chained = check + "\t" + text;
    check = platform::TContentHash::Of(chained.data(), chained.size()).Hex();
    out += text + "\t" + check + "\r\n";
  }
  return out;
}

// The files port, where the next write to the record, once armed, writes half of its
// bytes and fails, as a disk that fills up does.
class HalfWrites : public platform::ForwardingFiles {
 public:
  bool armed = false;
  std::unique_ptr<platform::File> Open(const std::string& path, platform::Access access,
                                       platform::Share share,
                                       platform::Disposition disposition) override {
    auto real = ForwardingFiles::Open(path, access, share, disposition);
    if (!real || path.size() < 12 || path.substr(path.size() - 12) != "UNINSTAL.DAT") return real;
    return std::make_unique<File>(std::move(real), armed);
  }

 private:
  class File : public platform::File {
   public:
    File(std::unique_ptr<platform::File> real, bool& armed)
        : real_(std::move(real)), armed_(armed) {}
    int32_t Read(void* buf, int32_t count) override { return real_->Read(buf, count); }
    int32_t Write(const void* buf, int32_t count) override {
      if (!armed_) return real_->Write(buf, count);
      armed_ = false;
      real_->Write(buf, count / 2);
      return -1;
    }
    bool Seek(int64_t position) override { return real_->Seek(position); }
    int64_t Position() override { return real_->Position(); }
    int64_t Size() override { return real_->Size(); }
    bool SetDosTime(uint32_t dosTime) override { return real_->SetDosTime(dosTime); }
    bool Close() override { return real_->Close(); }
    bool Flush() override { return real_->Flush(); }

   private:
    std::unique_ptr<platform::File> real_;
    bool& armed_;
  };
  platform::ScopedPort<platform::FileSystem> installed_{*this};
};

class UninstallRecord : public ::testing::Test {
 protected:
  ScratchDir dir_;
  std::string path_ = dir_ / "UNINSTAL.DAT";
  void WriteSteps(std::size_t count) {
    install::RecordWriter writer(path_);
    for (std::size_t i = 0; i < count; ++i) writer.Add(kSteps[i]);
  }
};

TEST_F(UninstallRecord, StepsComeBackInTheirOrderWhateverTheirFieldsHold) {
  WriteSteps(2);
  WriteSteps(0);  // opened again and continued
  {
    install::RecordWriter writer(path_);
    writer.Add(kSteps[2]);
    writer.Add(kSteps[3]);
  }
  const install::UninstallRecord record = install::ReadUninstallRecord(path_);
  EXPECT_EQ(record.State, RecordState::Valid) << record.Problem;
  EXPECT_FALSE(record.CutShort);
  EXPECT_EQ(record.Steps, kSteps);
  // Text lines a person can read, one step each, the tab and percent sign escaped.
  const std::string text = Text(path_);
  EXPECT_EQ(text.rfind("QEN2005-UNINSTALL\t2\t", 0), 0u);
  EXPECT_EQ(record.Version, 2);
  EXPECT_NE(text.find("file\tC:\\QEN2005\\A%09B%25.DAT\t12\t" + std::string(32, 'a') + "\t"),
            std::string::npos);
  EXPECT_NE(text.find("value\tHKEY_LOCAL_MACHINE\tSOFTWARE\\Ondrel\tDLLPATH\t0\t"),
            std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
}

TEST_F(UninstallRecord, AFirstVersionRecordReadsToItsStepsAndIsContinuedInTheCurrentOne) {
  const install::UninstallRecord record = install::ParseUninstallRecord(kEarlierRecord);
  ASSERT_EQ(record.State, RecordState::Valid) << record.Problem;
  EXPECT_EQ(record.Version, 1);
  EXPECT_EQ(record.Steps, kEarlierSteps);
  // Continued by an installation: written anew, whole, in the current version, and
  // written so again byte for byte from its steps.
  Put(path_, kEarlierRecord);
  const install::ShortcutStep shortcut{"C:\\Start Menu\\TAVO\\QEN 2005.lnk"};
  { install::RecordWriter(path_).Add(shortcut); }
  const install::UninstallRecord continued = install::ReadUninstallRecord(path_);
  ASSERT_EQ(continued.State, RecordState::Valid) << continued.Problem;
  EXPECT_EQ(continued.Version, 2);
  std::vector<RecordStep> expected = kEarlierSteps;
  expected.emplace_back(shortcut);
  EXPECT_EQ(continued.Steps, expected);
  const std::string text = Text(path_);
  EXPECT_EQ(text.rfind("QEN2005-UNINSTALL\t2\t", 0), 0u);
  std::filesystem::remove(path_);
  {
    install::RecordWriter writer(path_);
    for (const RecordStep& step : expected) writer.Add(step);
  }
  EXPECT_EQ(Text(path_), text);
  // Each kind's name, as the record writes it.
  std::string names;
  std::vector<RecordStep> kinds = kEarlierSteps;
  kinds.insert(kinds.end(),
               {install::EngineStep{"C:\\ODE"}, install::MenuFolderStep{"M"}, shortcut});
  for (const RecordStep& step : kinds) names += std::string(install::RecordKindName(step)) + " ";
  EXPECT_EQ(names,
            "folder program entry key value backup file shared group icon engine menufolder "
            "shortcut ");
}

TEST_F(UninstallRecord, ALaterVersionOrALaterKindInAFirstVersionRecordIsRefused) {
  for (const std::string& header : {"QEN2005-UNINSTALL\t3", "QEN2005-UNINSTALL\t0"}) {
    const auto record = install::ParseUninstallRecord(Chained({header, "folder\tC:\\QEN2005"}));
    EXPECT_EQ(record.State, RecordState::Damaged) << header;
    EXPECT_EQ(record.Problem, "line 1: not a record of this format and version");
    EXPECT_TRUE(record.Steps.empty());
  }
  for (const std::string& line :
       {"engine\tC:\\ODE", "menufolder\tC:\\M\\TAVO", "shortcut\tC:\\M\\TAVO\\QEN 2005.lnk"}) {
    const auto first = install::ParseUninstallRecord(
        Chained({"QEN2005-UNINSTALL\t1", line, "folder\tC:\\QEN2005"}));
    EXPECT_EQ(first.State, RecordState::Damaged) << line;
    EXPECT_EQ(first.Problem, "line 2: an unknown step");
    const auto second = install::ParseUninstallRecord(
        Chained({"QEN2005-UNINSTALL\t2", line, "folder\tC:\\QEN2005"}));
    EXPECT_EQ(second.State, RecordState::Valid) << line << ": " << second.Problem;
    EXPECT_EQ(second.Steps.size(), 2u);
  }
}

TEST_F(UninstallRecord, AFieldThatDoesNotReadAsItsTypeMakesTheRecordDamaged) {
  const std::string header = "QEN2005-UNINSTALL\t1";
  const std::string value = "value\tHKEY_LOCAL_MACHINE\tSOFTWARE\\Ondrel\tDLLPATH\t";
  const std::string file = "file\tC:\\A.DAT\t";
  const std::string digest(32, 'b');
  struct Case {
    std::string line, problem;
  } const cases[] = {
      {file + "12a\t" + digest, "a size that is not a number"},
      {file + "-1\t" + digest, "a size that is not a number"},
      {file + "\t" + digest, "a size that is not a number"},
      {file + "012\t" + digest, "a size that is not a number"},
      {file + "99999999999999999999\t" + digest, "a size that is not a number"},
      {file + "12\t" + std::string(31, 'b'), "a digest that is not 32 hexadecimal digits"},
      {file + "12\t" + std::string(31, 'b') + "g", "a digest that is not 32 hexadecimal digits"},
      {value + "2", "a flag that is neither 0 nor 1"},
      {value + "", "a flag that is neither 0 nor 1"},
      {value + "yes", "a flag that is neither 0 nor 1"},
      {"key\tHKEY_NOWHERE\tSOFTWARE", "a registry root that is not one of the roots"},
      {"key\thkey_local_machine\tSOFTWARE", "a registry root that is not one of the roots"},
      {"files\tC:\\A.DAT\t12\t" + digest, "an unknown step"},
      {"folder\tC:\\A\tC:\\B", "an unknown step"},
      {"folder\tC:\\%41", "a field that cannot be read"},
      // The writer escapes these: bare, they are another spelling than its own.
      {"folder\tC:\\Q\n", "a field that cannot be read"},
      {"folder\tC:\\Q\r", "a field that cannot be read"},
  };
  for (const Case& c : cases) {
    // The damaged step between two good ones: the checks all hold.
    const install::UninstallRecord record = install::ParseUninstallRecord(
        Chained({header, "folder\tC:\\QEN2005", c.line, "group\tTAVO"}));
    EXPECT_EQ(record.State, RecordState::Damaged) << c.line;
    EXPECT_TRUE(record.Steps.empty()) << c.line;
    EXPECT_EQ(record.Problem, "line 3: " + c.problem) << c.line;
  }
  // The largest size there is, both cases of hex digits and both flags read.
  const install::UninstallRecord good = install::ParseUninstallRecord(
      Chained({header, file + "9223372036854775807\t" + std::string(16, 'A') + std::string(16, 'f'),
               file + "0\t" + digest, value + "1", value + "0"}));
  ASSERT_EQ(good.State, RecordState::Valid) << good.Problem;
  ASSERT_EQ(good.Steps.size(), 4u);
  EXPECT_EQ(std::get<install::FileStep>(good.Steps[0]).Size, INT64_MAX);
  EXPECT_EQ(std::get<install::FileStep>(good.Steps[0]).Digest.Hex(),
            std::string(16, 'a') + std::string(16, 'f'));
  EXPECT_EQ(std::get<install::FileStep>(good.Steps[1]).Size, 0);
  EXPECT_TRUE(std::get<install::ValueStep>(good.Steps[2]).Existed);
  EXPECT_FALSE(std::get<install::ValueStep>(good.Steps[3]).Existed);
}

TEST_F(UninstallRecord, ACrashWhileWritingALineKeepsTheLinesBefore) {
  WriteSteps(3);
  const std::string whole = Text(path_);
  for (const std::size_t cut : {std::size_t{5}, std::size_t{9}}) {
    Put(path_, whole.substr(0, whole.size() - cut));
    const install::UninstallRecord record = install::ReadUninstallRecord(path_);
    EXPECT_EQ(record.State, RecordState::Valid) << record.Problem;
    EXPECT_TRUE(record.CutShort);
    EXPECT_EQ(record.Steps, std::vector<RecordStep>(kSteps.begin(), kSteps.begin() + 2));
  }
  // Continued, the half line is gone and the chain holds.
  {
    install::RecordWriter writer(path_);
    writer.Add(kSteps[3]);
  }
  const install::UninstallRecord record = install::ReadUninstallRecord(path_);
  EXPECT_EQ(record.State, RecordState::Valid) << record.Problem;
  EXPECT_FALSE(record.CutShort);
  EXPECT_EQ(record.Steps, (std::vector<RecordStep>{kSteps[0], kSteps[1], kSteps[3]}));
}

TEST_F(UninstallRecord, AStepThatCouldNotBeWrittenLeavesNoHalfLineBetweenWholeOnes) {
  WriteSteps(1);
  const int64_t before = static_cast<int64_t>(Text(path_).size());
  {
    HalfWrites halfWrites;
    install::RecordWriter writer(path_);
    halfWrites.armed = true;
    EXPECT_THROW(writer.Add(kSteps[1]), platform::EInOutError);
    EXPECT_GT(static_cast<int64_t>(Text(path_).size()), before);  // a half line is there
    // The next step writes the record whole again, the step that failed not in it.
    writer.Add(kSteps[2]);
    writer.Add(kSteps[3]);
  }
  const install::UninstallRecord record = install::ReadUninstallRecord(path_);
  EXPECT_EQ(record.State, RecordState::Valid) << record.Problem;
  EXPECT_FALSE(record.CutShort);
  EXPECT_EQ(record.Steps, (std::vector<RecordStep>{kSteps[0], kSteps[2], kSteps[3]}));
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
    const install::UninstallRecord record = install::ParseUninstallRecord(d.bytes);
    EXPECT_EQ(record.State, RecordState::Damaged) << d.what;
    EXPECT_TRUE(record.Steps.empty()) << d.what;
    EXPECT_FALSE(record.Problem.empty()) << d.what;
  }
  EXPECT_EQ(install::ReadUninstallRecord(dir_ / "NONE.DAT").State, RecordState::Missing);

  // A new installation sets a damaged record aside and starts a new one.
  Put(path_, damages[0].bytes);
  WriteSteps(1);
  EXPECT_EQ(Text(path_ + ".BAD"), damages[0].bytes);
  EXPECT_EQ(install::ReadUninstallRecord(path_).Steps, std::vector<RecordStep>{kSteps[0]});
}

}  // namespace
}  // namespace installtest
