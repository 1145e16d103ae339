// The installation script run by the real engine over a medium of real packages, with
// the platform's services replaced by doubles: the run order, the gauge's steps, where
// each package goes, the engine settings, the Program Manager commands, and what Ignore
// does (Abort on a damaged package is the unpacking's case, and the end-to-end run's;
// a disk 2 given up is one of the whole program's scenarios). Works in a
// scratch folder made current, with relative upper-case folders, so that the engine's
// upper-casing keeps them valid.
#include "app/core/script.h"

#include <filesystem>

#include "app/core/run_log.h"
#include "install/install_test_util.h"
#include "support/test_files.h"
#include "test_medium.h"

namespace apptest {
namespace {

namespace fs = std::filesystem;
using installtest::ScriptedDialogs;

// The window as the script sees it: two folder fields and a gauge that records every
// value it is set to.
class Host : public app::TScriptHost {
 public:
  std::string target = "QEN2005", dbapi = "ODE";
  int32_t progress = 0;
  std::vector<int32_t> steps;
  std::string TargetText() override { return target; }
  std::string DbapiText() override { return dbapi; }
  int32_t GaugeProgress() override { return progress; }
  void SetGaugeProgress(int32_t value) override { steps.push_back(progress = value); }
};

class Script : public installtest::EngineTest {
 protected:
  testing_support::ScratchCurrentDir here_;
  Host host_;
  app::TInstallerObserver nobody_;
  std::unique_ptr<app::TInstallScript> script_;

  void SetUp() override {
    WriteTestMedium();
    Engine().SetSourceDir(".\\DISK1\\");
    script_ = std::make_unique<app::TInstallScript>(window_, Engine(), host_, nobody_);
    script_->Register();
  }

  static void Damage(const std::string& package) { DamagePackage(package); }
};

TEST_F(Script, ItemsAreDeclaredWithTheirDisksAndRegisteredInRunOrder) {
  const app::TInstallScript& s = *script_;
  EXPECT_EQ(s.InstallItemLD.DiskNum, 1);
  EXPECT_EQ(s.InstallItemLD.DiskFileID, "LD.PCK");
  EXPECT_EQ(s.InstallItemAPP.DiskNum, 2);
  EXPECT_EQ(s.InstallItemAPP.DiskFileID, "APP.PCK");
  EXPECT_EQ(s.InstallItemDBSQL32.DiskNum, 2);
  EXPECT_EQ(s.InstallItemGrupoIcons.DiskNum, 0);
  EXPECT_EQ(s.InstallItemGrupoIcons.DiskFileID, "");
  std::vector<std::string> order;
  for (const auto& listed : Engine().Items()) {
    if (listed.Item == &s.InstallItemRecord) {
      // The script's own item, for the record, runs first and needs no disk.
      EXPECT_TRUE(order.empty());
      EXPECT_EQ(s.InstallItemRecord.DiskNum, 0);
      continue;
    }
    order.push_back(listed.Item->Name);
    EXPECT_FALSE(listed.Item->Critical);
    EXPECT_TRUE(listed.Item->Enabled);
    EXPECT_EQ(listed.Title, "");
  }
  EXPECT_EQ(order, (std::vector<std::string>{"InstallItemDBAPI", "InstallItemLD", "InstallItemHELP",
                                             "InstallItemBD", "InstallItemAPP",
                                             "InstallItemDBSQL32", "InstallItemGrupoIcons"}));
  // The window owns the items, declared in the script's order: the record's and the seven.
  EXPECT_EQ(window_.ComponentCount(), 8u);
}

TEST_F(Script, AFullRunInstallsEverythingAndMovesTheGaugeToOneHundred) {
  EXPECT_TRUE(Engine().Execute());
  EXPECT_EQ(Texts(), std::vector<std::string>{"Installation completed with success"});
  EXPECT_EQ(host_.steps, (std::vector<int32_t>{10, 20, 30, 40, 50, 60, 70, 80, 85, 90, 95, 100}));
  for (const char* f : {"ODE/DBAPI.DAT", "ODE/LD.DAT", "ODE/DBSQL32.DAT", "QEN2005/HELP.DAT",
                        "QEN2005/BD.DAT", "QEN2005/APP.DAT"})
    EXPECT_TRUE(fs::exists(f)) << f;
  EXPECT_EQ(registry_.writes.size(), 11u);
  EXPECT_EQ(registry_.Text("SOFTWARE\\Ondrel\\Database Engine", "DLLPATH"), "ODE");
  EXPECT_EQ(registry_.Text("SOFTWARE\\Ondrel\\OLW32", "OLAPIPATH"), "ODE");
  EXPECT_EQ(registry_.Text("SOFTWARE\\Ondrel\\Database Engine\\Settings\\DRIVERS\\TABULA\\INIT",
                           "LANGDRIVER"),
            "ANSI850");
  EXPECT_EQ(
      registry_.Text("SOFTWARE\\Ondrel\\Database Engine\\Settings\\SYSTEM\\INIT", "LOCAL SHARE"),
      "TRUE");
  EXPECT_EQ(progman_.Commands(),
            (std::vector<std::string>{"[CreateGroup(TAVO)]\r\n",
                                      "[AddItem(QEN2005\\QEN2005.EXE,QEN 2005,,,)]\r\n",
                                      "[AddItem(QEN2005\\QEN2005.HLP,QEN 2005 Help,,,)]\r\n",
                                      "[AddItem(QEN2005\\Leiame.txt,QEN 2005 Leiame,,,)]\r\n"}));
  EXPECT_EQ(Engine().SourceDir(), ".\\DISK2\\");
}

TEST_F(Script, DestinationsAreReadWhenEachOperationIsCalled) {
  // The handler of item 1 changes the engine folder field before item 2 reads it.
  script_->InstallItemDBAPI.AfterExecute = [this](platform::TObject*, int32_t, const std::string&) {
    host_.dbapi = "ODE2";
  };
  EXPECT_TRUE(Engine().Execute());
  EXPECT_TRUE(fs::exists("ODE/DBAPI.DAT"));
  EXPECT_TRUE(fs::exists("ODE2/LD.DAT"));
  EXPECT_EQ(registry_.Text("SOFTWARE\\Ondrel\\Database Engine", "DLLPATH"), "ODE2");
}

TEST_F(Script, IgnoreOnEveryErrorRunsAllSevenItems) {
  for (const auto& [disk, name] : kMediumPackages) Damage(std::string(disk) + "/" + name);
  progman_.answering.clear();
  dialogs_.fallback = platform::kIdIgnore;
  host_.target = "C:\\QEN2005";
  EXPECT_TRUE(Engine().Execute());
  std::vector<std::string> texts = Texts();
  ASSERT_EQ(texts.size(), 6u + 4u + 1u);  // six packages, the group and three icons, the end
  EXPECT_EQ(texts[6], "Error while creating group \"TAVO\"");
  EXPECT_EQ(texts[9], "Error while creating program icon for \"C:\\QEN2005\\Leiame.txt\"");
  EXPECT_EQ(texts.back(), "Installation completed with success");
  EXPECT_EQ(host_.progress, 100);
  EXPECT_EQ(registry_.writes.size(), 11u);  // LD's unpack was ignored: its settings follow
}

TEST_F(Script, TheCommandsNameTheApplicationFolder) {
  host_.target = "C:\\QEN2005";
  progman_.answering.clear();
  dialogs_.fallback = platform::kIdIgnore;
  script_->InstallItemGrupoIcons.Execute(false);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Error while creating group \"TAVO\"",
                         "Error while creating program icon for \"C:\\QEN2005\\QEN2005.EXE\"",
                         "Error while creating program icon for \"C:\\QEN2005\\QEN2005.HLP\"",
                         "Error while creating program icon for \"C:\\QEN2005\\Leiame.txt\""}));
  progman_.answering = {{"PROGMAN", "PROGMAN"}};
  script_->InstallItemGrupoIcons.Execute(false);
  EXPECT_EQ(progman_.Commands(),
            (std::vector<std::string>{
                "[CreateGroup(TAVO)]\r\n", "[AddItem(C:\\QEN2005\\QEN2005.EXE,QEN 2005,,,)]\r\n",
                "[AddItem(C:\\QEN2005\\QEN2005.HLP,QEN 2005 Help,,,)]\r\n",
                "[AddItem(C:\\QEN2005\\Leiame.txt,QEN 2005 Leiame,,,)]\r\n"}));
}

TEST_F(Script, EachHandlerCountsItsOperations) {
  // 6 unpacks, 3 + 8 settings, a group and three icons.
  EXPECT_EQ(Engine().TaskCount(), 6 + 11 + 4);
}

}  // namespace
}  // namespace apptest
