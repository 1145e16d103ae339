// Writing registry values: the value kinds and their registry types, the database
// engine's settings in their order, and what Abort, Retry and Ignore do to the chain.
#include <algorithm>
#include <cstring>

#include "install/install_record.h"
#include "install/registry.h"
#include "install/run_observer.h"
#include "install_test_util.h"
#include "support/test_files.h"

namespace installtest {
namespace {

using platform::RegRoot;
using platform::RegType;

class RegistryOps : public EngineTest {
 protected:
  install::TInstallItem& item_ = AddItem();
  std::vector<std::string> status_;

  void SetUp() override {
    registry_.requests.clear();  // those of the engine's start-up
    item_.BeforeExecute = [this](platform::TObject*, const std::string&, const std::string& msg) {
      status_.push_back(msg);
    };
  }
  // "key|name=text" for every write, in order.
  std::vector<std::string> Written() const {
    std::vector<std::string> out;
    for (const auto& w : registry_.writes) {
      std::string text(w.data.begin(), w.data.end());
      EXPECT_EQ(w.type, RegType::Sz);
      EXPECT_FALSE(text.empty());
      if (!text.empty()) {
        EXPECT_EQ(text.back(), '\0') << "no terminating zero";
        text.pop_back();
      }
      out.push_back(w.key + "|" + w.name + "=" + text);
    }
    return out;
  }
};

const std::vector<std::string> kEngineRows = {
    "SOFTWARE\\Ondrel\\Database Engine|DLLPATH=C:\\ODE",
    "SOFTWARE\\Ondrel\\Database Engine|RESOURCE=0009",
    "SOFTWARE\\Ondrel\\OLW32|OLAPIPATH=C:\\OLAPI",
};
const std::vector<std::string> kTabulaRows = {
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\INIT|VERSION=4.0",
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\INIT|TYPE=FILE",
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\INIT|LANGDRIVER=ANSI850",
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\TABLE CREATE|LEVEL=7",
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\TABLE CREATE|BLOCK SIZE=2048",
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\TABLE CREATE|FILL FACTOR=95",
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\TABLE "
    "CREATE|STRICTINTEGRTY=TRUE",
    "SOFTWARE\\Ondrel\\Database Engine\\Settings\\SYSTEM\\INIT|LOCAL SHARE=TRUE",
};

TEST_F(RegistryOps, EveryKindOfValueGetsItsRegistryType) {
  EXPECT_TRUE(item_.WriteRegValue(RegRoot::LocalMachine, "SOFTWARE\\T", "int", int32_t{-2}));
  EXPECT_TRUE(item_.WriteRegValue(RegRoot::LocalMachine, "SOFTWARE\\T", "yes", true));
  EXPECT_TRUE(item_.WriteRegValue(RegRoot::LocalMachine, "SOFTWARE\\T", "no", false));
  EXPECT_TRUE(item_.WriteRegValue(RegRoot::LocalMachine, "SOFTWARE\\T", "real", 1.5));
  EXPECT_TRUE(item_.WriteRegString(RegRoot::LocalMachine, "SOFTWARE\\T", "text", "abc"));
  ASSERT_EQ(registry_.writes.size(), 5u);
  EXPECT_EQ(registry_.writes[0].type, RegType::Dword);
  EXPECT_EQ(registry_.writes[0].data, (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(registry_.writes[1].type, RegType::Dword);
  EXPECT_EQ(registry_.writes[1].data, (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(registry_.writes[2].data, (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(registry_.writes[3].type, RegType::Binary);
  double d = 1.5;
  std::vector<uint8_t> bytes(8);
  std::memcpy(bytes.data(), &d, 8);
  EXPECT_EQ(registry_.writes[3].data, bytes);  // little-endian IEEE 754 on every target
  EXPECT_EQ(registry_.writes[3].data, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));
  EXPECT_EQ(registry_.writes[4].type, RegType::Sz);
  EXPECT_EQ(registry_.writes[4].data, (std::vector<uint8_t>{'a', 'b', 'c', 0}));
  EXPECT_EQ(status_, std::vector<std::string>(5, "Updating registry"));
}

TEST_F(RegistryOps, OtherKindsOfValueWriteNothingAndSucceed) {
  EXPECT_TRUE(item_.WriteRegValue(RegRoot::LocalMachine, "SOFTWARE\\T", "a", std::monostate{}));
  EXPECT_TRUE(item_.WriteRegValue(RegRoot::LocalMachine, "SOFTWARE\\T", "b", int16_t{7}));
  EXPECT_TRUE(item_.WriteRegValue(RegRoot::LocalMachine, "SOFTWARE\\T", "c", 2.5f));
  EXPECT_TRUE(registry_.writes.empty());
  EXPECT_TRUE(dialogs_.shown.empty());
  // The key was still opened, and created.
  EXPECT_TRUE(registry_.HasKey("SOFTWARE\\T"));
}

TEST_F(RegistryOps, KeysAreCreatedWithTheirParentsFromTheRootWithOrWithoutABackslash) {
  EXPECT_TRUE(item_.WriteRegString(RegRoot::CurrentUser, "\\Software\\A\\B", "v", "1"));
  EXPECT_TRUE(item_.WriteRegString(RegRoot::CurrentUser, "Software\\A\\C", "v", "2"));
  EXPECT_TRUE(registry_.HasKey("Software\\A", RegRoot::CurrentUser));
  EXPECT_EQ(registry_.Text("SOFTWARE\\A\\B", "V", RegRoot::CurrentUser), "1");
  EXPECT_EQ(registry_.Text("software\\a\\c", "v", RegRoot::CurrentUser), "2");
  EXPECT_FALSE(registry_.HasKey("Software\\A"));  // nothing under HKEY_LOCAL_MACHINE
  std::vector<std::string> creates;
  for (const std::string& r : registry_.requests)
    if (r.rfind("create ", 0) == 0) creates.push_back(r);
  EXPECT_EQ(creates, (std::vector<std::string>{"create Software\\A\\B", "create Software\\A\\C"}));
}

// The keys a write makes go into the run's record, outermost first, once; each value
// written with whether its key was there before; a value refused is not recorded.
TEST_F(RegistryOps, TheKeysAWriteMakesAndTheValuesItWritesAreRecorded) {
  testing_support::ScratchDir dir;
  install::InstallRecord record("C:\\QEN2005", "C:\\ODE", install::NoObserver());
  record.Open(dir / "UNINSTAL.DAT");
  Engine().SetRecord(&record);
  registry_.AddKey("SOFTWARE\\OLD");
  EXPECT_TRUE(item_.WriteRegString(RegRoot::LocalMachine, "SOFTWARE\\N\\M", "v", "1"));
  EXPECT_TRUE(item_.WriteRegString(RegRoot::LocalMachine, "\\SOFTWARE\\N\\M", "w", "2"));
  EXPECT_TRUE(item_.WriteRegString(RegRoot::LocalMachine, "SOFTWARE\\OLD", "x", "3"));
  registry_.FailSets("y", 1);
  dialogs_.Answer(platform::kIdIgnore);
  EXPECT_TRUE(item_.WriteRegString(RegRoot::LocalMachine, "SOFTWARE\\OLD", "y", "4"));
  Engine().SetRecord(nullptr);
  using install::KeyStep;
  using install::ValueStep;
  EXPECT_EQ(install::ReadUninstallRecord(dir / "UNINSTAL.DAT").Steps,
            (std::vector<install::RecordStep>{
                install::EngineStep{"C:\\ODE"},
                KeyStep{RegRoot::LocalMachine, "SOFTWARE\\N"},
                KeyStep{RegRoot::LocalMachine, "SOFTWARE\\N\\M"},
                ValueStep{RegRoot::LocalMachine, "SOFTWARE\\N\\M", "v", false},
                ValueStep{RegRoot::LocalMachine, "SOFTWARE\\N\\M", "w", false},
                ValueStep{RegRoot::LocalMachine, "SOFTWARE\\OLD", "x", true},
            }));
}

TEST_F(RegistryOps, TheEngineAndTabulaSettingsAreWrittenInOrder) {
  EXPECT_TRUE(item_.ConfigureEngine("C:\\ODE", "C:\\OLAPI"));
  EXPECT_TRUE(item_.ConfigureTabula(true, "ANSI850"));
  std::vector<std::string> all = kEngineRows;
  all.insert(all.end(), kTabulaRows.begin(), kTabulaRows.end());
  EXPECT_EQ(Written(), all);
  EXPECT_EQ(status_.size(), 11u);
}

TEST_F(RegistryOps, LocalShareFalseWritesFALSE) {
  EXPECT_TRUE(item_.ConfigureTabula(false, "ANSI850"));
  EXPECT_EQ(
      registry_.Text("SOFTWARE\\Ondrel\\Database Engine\\Settings\\SYSTEM\\INIT", "LOCAL SHARE"),
      "FALSE");
}

TEST_F(RegistryOps, AbortOnRowTwoKeepsRowOneAndWritesNothingMore) {
  registry_.FailSets("RESOURCE", 1);
  dialogs_.Answer(platform::kIdAbort);
  EXPECT_FALSE(item_.ConfigureEngine("C:\\ODE", "C:\\OLAPI"));
  EXPECT_EQ(Written(), std::vector<std::string>{kEngineRows[0]});
  EXPECT_EQ(Texts(), std::vector<std::string>{"Error updating registry"});
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::Buttons::AbortRetryIgnore);
}

TEST_F(RegistryOps, IgnoreOnRowFourGoesOnWithTheRest) {
  registry_.FailSets("VERSION", 1);
  dialogs_.Answer(platform::kIdIgnore);
  EXPECT_TRUE(item_.ConfigureTabula(true, "ANSI850"));
  EXPECT_EQ(Written(), std::vector<std::string>(kTabulaRows.begin() + 1, kTabulaRows.end()));
}

TEST_F(RegistryOps, RetryOpensTheKeyAgainFromTheRoot) {
  registry_.FailSets("DLLPATH", 2);
  dialogs_.Answer(platform::kIdRetry);
  dialogs_.Answer(platform::kIdRetry);
  EXPECT_TRUE(item_.ConfigureEngine("C:\\ODE", "C:\\OLAPI"));
  EXPECT_EQ(Written(), kEngineRows);
  EXPECT_EQ(std::count(registry_.requests.begin(), registry_.requests.end(),
                       "create SOFTWARE\\Ondrel\\Database Engine"),
            4);  // three attempts of row 1, one of row 2
}

TEST_F(RegistryOps, AKeyThatCannotBeCreatedFailsTheWrite) {
  registry_.Deny("SOFTWARE\\Ondrel\\OLW32");
  dialogs_.Answer(platform::kIdRetry);
  dialogs_.Answer(platform::kIdAbort);
  EXPECT_FALSE(item_.ConfigureEngine("C:\\ODE", "C:\\OLAPI"));
  EXPECT_EQ(Written(), std::vector<std::string>(kEngineRows.begin(), kEngineRows.begin() + 2));
  EXPECT_EQ(Texts(), std::vector<std::string>(2, "Error updating registry"));
}

TEST(RegistryAccessor, ReadsAndWritesRaiseWithTheValueName) {
  MemoryRegistry registry;
  registry.SetRaw("K", "bin", RegType::Binary, {1});
  install::TRegistry reg;
  reg.SetRootKey(RegRoot::LocalMachine);
  // No key open: writes fail, reads are empty.
  try {
    reg.WriteString("name", "x");
    FAIL();
  } catch (const install::ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'name'");
  }
  EXPECT_EQ(reg.ReadString("bin"), "");
  ASSERT_TRUE(reg.OpenKey("K", false));
  EXPECT_EQ(reg.ReadString("missing"), "");
  try {
    reg.ReadString("BIN");
    FAIL();
  } catch (const install::ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'BIN'");
  }
  // A relative key opens below the open one; a leading backslash starts at the root.
  EXPECT_FALSE(reg.OpenKey("Sub", false));
  ASSERT_TRUE(reg.OpenKey("\\K", false));
  ASSERT_TRUE(reg.OpenKey("Sub", true));
  EXPECT_EQ(reg.CurrentPath(), "K\\Sub");
  EXPECT_TRUE(registry.HasKey("K\\SUB"));
}

}  // namespace
}  // namespace installtest
