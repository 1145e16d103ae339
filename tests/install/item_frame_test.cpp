// The item's execute protocol and the frame every operation runs in: counting mode,
// status and outcome events, the error dialog with Abort, Retry and Ignore, and the
// message pump between operations. Program Manager commands serve as the operation
// whose attempts a test can make fail at will.
#include "install_test_util.h"

namespace installtest {
namespace {

class ItemFrame : public EngineTest {
 protected:
  // Records the item's status and outcome events.
  std::vector<std::string> events_;

  install::TInstallItem& Watched(bool critical = false) {
    install::TInstallItem& item = AddItem("Group title");
    item.Critical = critical;
    item.BeforeExecute = [this, &item](platform::TObject* s, const std::string& group,
                                       const std::string& msg) {
      EXPECT_EQ(s, &item);
      events_.push_back("before [" + group + "] " + msg);
    };
    item.AfterExecute = [this, &item](platform::TObject* s, int32_t action,
                                      const std::string& msg) {
      EXPECT_EQ(s, &item);
      events_.push_back("after " + std::to_string(action) + " [" + msg + "]");
    };
    return item;
  }
};

TEST_F(ItemFrame, ADisabledItemSucceedsWithoutCallingAnything) {
  install::TInstallItem& item = Watched();
  item.Enabled = false;
  bool called = false;
  item.OnExecute = [&](platform::TObject*, bool& Continue) { Continue = called = true; };
  EXPECT_TRUE(item.Execute(false));
  EXPECT_FALSE(called);
  EXPECT_TRUE(events_.empty());
}

TEST_F(ItemFrame, AnItemWithoutHandlerSucceeds) { EXPECT_TRUE(Watched().Execute(false)); }

TEST_F(ItemFrame, AHandlerThatDoesNotSetContinueFailsTheItem) {
  install::TInstallItem& item = Watched();
  platform::TObject* sender = nullptr;
  item.OnExecute = [&](platform::TObject* s, bool&) { sender = s; };
  EXPECT_FALSE(item.Execute(false));
  EXPECT_EQ(sender, &item);
}

TEST_F(ItemFrame, ASuccessfulOperationReportsStatusAndOutcome) {
  install::TInstallItem& item = Watched();
  const int pumpedBefore = dialogs_.pumped;
  EXPECT_TRUE(item.CreateGroup("TAVO"));
  EXPECT_EQ(events_, (std::vector<std::string>{"before [Group title] Creating Group \"TAVO\"",
                                               "after 0 []"}));
  EXPECT_TRUE(dialogs_.shown.empty());
  // Messages are let through after the status, after the attempt and after the outcome.
  EXPECT_EQ(dialogs_.pumped - pumpedBefore, 3);
}

TEST_F(ItemFrame, CountingModeCountsWithoutWorkEventsOrDialogs) {
  install::TInstallItem& item = Watched();
  item.OnExecute = [&](platform::TObject*, bool& Continue) {
    Continue = item.CreateGroup("G") && item.UnpackLz("X:\\", "A.PCK", "C:\\A") &&
               item.ConfigureEngine("a", "b") && item.ConfigureTabula(false, "x");
    EXPECT_TRUE(item.IsCounting());  // the mode is set before the handler runs
  };
  progman_.answering.clear();  // a real attempt would fail
  registry_.requests.clear();  // those of the engine's start-up
  EXPECT_TRUE(item.Execute(true));
  EXPECT_TRUE(item.Counting);
  EXPECT_TRUE(events_.empty());
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_TRUE(progman_.connects.empty());
  EXPECT_TRUE(registry_.requests.empty());
  // The handler's own IsCounting call counts too: 1 + 1 + 3 + 8 + 1.
  EXPECT_EQ(Engine().TaskCount(), 14);
}

TEST_F(ItemFrame, ANonCriticalFailureOffersAbortRetryIgnore) {
  install::TInstallItem& item = Watched();
  progman_.failExecutes = 1;
  dialogs_.Answer(platform::kIdAbort);
  EXPECT_FALSE(item.CreateGroup("TAVO"));
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Error while creating group \"TAVO\"");
  EXPECT_EQ(dialogs_.shown[0].kind, platform::DialogKind::Error);
  EXPECT_EQ(dialogs_.shown[0].buttons, platform::Buttons::AbortRetryIgnore);
  EXPECT_EQ(events_.back(), "after 3 [Error while creating group \"TAVO\"]");
  EXPECT_EQ(item.ErrorMsg, "Error while creating group \"TAVO\"");
}

TEST_F(ItemFrame, ACriticalFailureOffersOnlyAbortAndRetryAndRetriesUntilSuccess) {
  install::TInstallItem& item = Watched(true);
  progman_.failExecutes = 3;
  dialogs_.Answer(platform::kIdRetry);
  dialogs_.Answer(platform::kIdRetry);
  dialogs_.Answer(platform::kIdRetry);
  EXPECT_TRUE(item.CreateGroup("TAVO"));
  ASSERT_EQ(dialogs_.shown.size(), 3u);
  for (const auto& box : dialogs_.shown) EXPECT_EQ(box.buttons, platform::Buttons::AbortRetry);
  // Every retry connected anew; the success left no error behind.
  EXPECT_EQ(progman_.connects.size(), 4u);
  EXPECT_EQ(events_.back(), "after 0 []");
  EXPECT_EQ(item.ErrorMsg, "");
  EXPECT_EQ(progman_.openConversations, 0);
}

TEST_F(ItemFrame, IgnoreCarriesOnAndKeepsTheMessage) {
  install::TInstallItem& item = Watched();
  progman_.failExecutes = 1;
  dialogs_.Answer(platform::kIdIgnore);
  EXPECT_TRUE(item.CreateGroup("TAVO"));
  EXPECT_EQ(events_.back(), "after 5 [Error while creating group \"TAVO\"]");
  EXPECT_EQ(item.ErrorMsg, "Error while creating group \"TAVO\"");
}

TEST_F(ItemFrame, AnyOtherAnswerTriesAgain) {
  install::TInstallItem& item = Watched();
  progman_.failExecutes = 2;
  dialogs_.Answer(platform::kIdCancel);  // the box closed some other way
  dialogs_.Answer(platform::kIdAbort);
  EXPECT_FALSE(item.CreateGroup("TAVO"));
  EXPECT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(progman_.connects.size(), 2u);
}

TEST_F(ItemFrame, AbortStopsTheHandlersChainAndTheRun) {
  install::TInstallItem& item = Watched();
  item.OnExecute = [&](platform::TObject*, bool& Continue) {
    Continue = item.CreateGroup("A") && item.CreateGroup("B");
  };
  install::TInstallItem& next = AddItem();
  bool nextRan = false;
  next.OnExecute = [&](platform::TObject*, bool& Continue) { Continue = nextRan = true; };
  progman_.failExecutes = 1;
  dialogs_.Answer(platform::kIdAbort);
  EXPECT_FALSE(Engine().Execute());
  EXPECT_EQ(progman_.executed.size(), 0u);
  EXPECT_FALSE(nextRan);
  EXPECT_EQ(Texts().back(), "Installation canceled");
}

TEST_F(ItemFrame, AnExceptionInAnEventHandlerLeavesTheOperation) {
  install::TInstallItem& item = AddItem();
  item.BeforeExecute = [](platform::TObject*, const std::string&, const std::string&) {
    throw platform::Exception("status handler failed");
  };
  EXPECT_THROW(item.CreateGroup("G"), platform::Exception);
  EXPECT_TRUE(progman_.connects.empty());
}

TEST_F(ItemFrame, AnItemOutsideAnEngineCountsNothingAndNeedsNoDisk) {
  install::TInstallItem item(&window_);
  item.DiskNum = 2;
  item.OnExecute = [&](platform::TObject*, bool& Continue) { Continue = item.CreateGroup("G"); };
  EXPECT_TRUE(item.Execute(true));
  EXPECT_TRUE(item.Execute(false));
  EXPECT_EQ(progman_.executed.size(), 1u);
}

}  // namespace
}  // namespace installtest
