// Running the items: order, the first failure ends the run, the final message or the
// run's events, task counting, and what the engine does when it is destroyed.
#include "install_test_util.h"

namespace installtest {
namespace {

using EngineRun = EngineTest;

// An item whose handler records its turn and answers `result`.
install::TInstallItem& Step(install::TInstallItem& item, std::vector<std::string>& log,
                            const std::string& name, bool result) {
  item.OnExecute = [&log, name, result](platform::TObject*, bool& Continue) {
    log.push_back(name);
    Continue = result;
  };
  return item;
}

TEST_F(EngineRun, AnEmptyListSucceedsWithTheCompletedMessage) {
  EXPECT_TRUE(Engine().Execute());
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Installation completed with success");
  EXPECT_EQ(dialogs_.shown[0].kind, platform::DialogKind::Information);
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::Buttons::Ok);
}

TEST_F(EngineRun, ItemsRunInRegistrationOrderUntilOneFails) {
  std::vector<std::string> log;
  Step(AddItem("b"), log, "b", true);
  Step(AddItem("a"), log, "a", false);
  Step(AddItem("c"), log, "c", true);
  EXPECT_FALSE(Engine().Execute());
  EXPECT_EQ(log, (std::vector<std::string>{"b", "a"}));
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Installation canceled");
  EXPECT_EQ(dialogs_.shown[0].kind, platform::DialogKind::Error);
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::Buttons::Ok);
}

TEST_F(EngineRun, TheListKeepsTitlesAndLinksEachItemToTheEngine) {
  install::TInstallItem& a = AddItem("first");
  install::TInstallItem& b = AddItem("second");
  ASSERT_EQ(Engine().Items().size(), 2u);
  EXPECT_EQ(Engine().Items()[0].Title, "first");
  EXPECT_EQ(Engine().Items()[1].Item, &b);
  EXPECT_EQ(a.Engine, &Engine());
  // No check for duplicates: the same item twice runs twice.
  int runs = 0;
  a.OnExecute = [&runs](platform::TObject*, bool& Continue) { Continue = ++runs > 0; };
  Engine().AddItem(a);
  EXPECT_TRUE(Engine().Execute());
  EXPECT_EQ(runs, 2);
}

TEST_F(EngineRun, EventsReplaceTheFinalMessage) {
  std::vector<std::string> log;
  Step(AddItem(), log, "one", true);
  int before = -1;
  int afterCalls = 0;
  bool success = false;
  platform::TObject* sender = nullptr;
  Engine().BeforeExecute = [&](platform::TObject* s, int32_t count) {
    before = count;
    sender = s;
  };
  Engine().AfterExecute = [&](platform::TObject*, bool ok) {
    ++afterCalls;
    success = ok;
  };
  EXPECT_TRUE(Engine().Execute());
  EXPECT_EQ(sender, &Engine());
  EXPECT_EQ(before, 0);  // the handler calls no operation
  EXPECT_EQ(afterCalls, 1);
  EXPECT_TRUE(success);
  EXPECT_TRUE(dialogs_.shown.empty());
  // Counting ran the handler for real before the run did.
  EXPECT_EQ(log, (std::vector<std::string>{"one", "one"}));
}

TEST_F(EngineRun, TaskCountCountsOncePerOperationAndIsKeptUntilTheNextAddItem) {
  int handlerRuns = 0;
  install::TInstallItem& item = AddItem();
  item.OnExecute = [&](platform::TObject* s, bool& Continue) {
    ++handlerRuns;
    auto& self = *static_cast<install::TInstallItem*>(s);
    Continue = self.CreateGroup("G") && self.CreateIcon("C", "D", "F") &&
               self.WriteRegString(platform::RegRoot::LocalMachine, "K", "V", "x");
  };
  install::TInstallItem& disabled = AddItem();
  disabled.Enabled = false;
  disabled.OnExecute = item.OnExecute;
  EXPECT_EQ(Engine().TaskCount(), 3);
  EXPECT_TRUE(Engine().TaskCountValid());
  EXPECT_EQ(Engine().TaskCount(), 3);
  EXPECT_EQ(handlerRuns, 1);  // the second call did not count again
  // Counting did no work and raised no event.
  EXPECT_TRUE(progman_.connects.empty());
  EXPECT_TRUE(registry_.writes.empty());
  EXPECT_TRUE(dialogs_.shown.empty());

  AddItem();
  EXPECT_FALSE(Engine().TaskCountValid());
  EXPECT_EQ(Engine().TaskCount(), 3);
  EXPECT_EQ(handlerRuns, 2);
}

TEST_F(EngineRun, BeforeExecuteReceivesTheTaskCount) {
  install::TInstallItem& item = AddItem();
  item.OnExecute = [](platform::TObject* s, bool& Continue) {
    auto& self = *static_cast<install::TInstallItem*>(s);
    Continue = self.ConfigureEngine("D", "O") && self.ConfigureTabula(true, "ANSI850");
  };
  int32_t count = -1;
  Engine().BeforeExecute = [&](platform::TObject*, int32_t n) { count = n; };
  EXPECT_TRUE(Engine().Execute());
  EXPECT_EQ(count, 11);
  EXPECT_EQ(registry_.writes.size(), 11u);
}

TEST_F(EngineRun, ExecuteStartsAgainAtDiskOneButLeavesTheSourceFolder) {
  Engine().CurrentDisk = 3;
  Engine().SetSourceDir("X:\\DISK3\\");
  Engine().Execute();
  EXPECT_EQ(Engine().CurrentDisk, 1);
  EXPECT_EQ(Engine().SourceDir(), "X:\\DISK3\\");
}

TEST_F(EngineRun, DestroyingTheEngineRestoresProgramManager) {
  Engine();
  EXPECT_TRUE(progman_.shown.empty());
  DestroyEngine();
  EXPECT_EQ(progman_.shown, (std::vector<std::pair<std::string, int>>{{"PROGMAN", 9}}));
}

TEST_F(EngineRun, AnExceptionInAHandlerLeavesTheRun) {
  AddItem().OnExecute = [](platform::TObject*, bool&) {
    throw platform::Exception("handler failed");
  };
  EXPECT_THROW(Engine().Execute(), platform::Exception);
  EXPECT_TRUE(dialogs_.shown.empty());
}

}  // namespace
}  // namespace installtest
