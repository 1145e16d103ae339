// Program Manager commands: the bytes of each DDE execute transaction, the order of the
// connect attempts with the start-the-server fallback, and the group and icon
// operations' commands and texts.
#include "install/progman.h"

#include "install_test_util.h"

namespace installtest {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

class ProgMan : public EngineTest {
 protected:
  install::TInstallItem& item_ = AddItem();
};

TEST_F(ProgMan, TheCommandGoesOutAsTextWithOneZeroByte) {
  EXPECT_EQ(install::ProgManExecute("[CreateGroup(TAVO)]\r\n"), 0);
  ASSERT_EQ(progman_.executed.size(), 1u);
  const std::string expected = "[CreateGroup(TAVO)]\r\n";
  std::vector<uint8_t> bytes(expected.begin(), expected.end());
  bytes.push_back(0);
  EXPECT_EQ(progman_.executed[0], bytes);
  EXPECT_EQ(progman_.connects, (Pairs{{"PROGMAN", "PROGMAN"}}));
  EXPECT_EQ(progman_.openConversations, 0);  // the conversation ended with the call
}

TEST_F(ProgMan, TextPastAZeroByteIsNotSent) {
  EXPECT_EQ(install::ProgManExecute(std::string("AB\0CD", 5)), 0);
  EXPECT_EQ(progman_.executed[0], (std::vector<uint8_t>{'A', 'B', 0}));
}

TEST_F(ProgMan, ThreeConnectAttemptsEachNamingAServerStartsItOnce) {
  progman_.answering.clear();
  EXPECT_EQ(install::ProgManExecute("x"), 1);
  EXPECT_EQ(progman_.connects, (Pairs{{"PROGMAN", "PROGMAN"}, {"", "PROGMAN"}, {"PROGMAN", ""}}));
  EXPECT_EQ(progman_.started, (std::vector<std::string>{"PROGMAN PROGMAN", "PROGMAN "}));
  EXPECT_TRUE(progman_.executed.empty());
}

TEST_F(ProgMan, AStartedServerIsConnectedAgain) {
  progman_.answering.clear();
  progman_.startSucceeds = true;
  progman_.answeringAfterStart = {{"PROGMAN", "PROGMAN"}};
  EXPECT_EQ(install::ProgManExecute("x"), 0);
  EXPECT_EQ(progman_.connects, (Pairs{{"PROGMAN", "PROGMAN"}, {"PROGMAN", "PROGMAN"}}));
  EXPECT_EQ(progman_.started, (std::vector<std::string>{"PROGMAN PROGMAN"}));
}

TEST_F(ProgMan, AnyServiceOnTheTopicWillDo) {
  progman_.answering = {{"", "PROGMAN"}};
  EXPECT_EQ(install::ProgManExecute("x"), 0);
  EXPECT_EQ(progman_.connects, (Pairs{{"PROGMAN", "PROGMAN"}, {"", "PROGMAN"}}));
}

TEST_F(ProgMan, ATransactionThatDoesNotStartFails) {
  progman_.failExecutes = 1;
  EXPECT_EQ(install::ProgManExecute("x"), 1);
}

TEST_F(ProgMan, GroupAndIconCommandsAndTexts) {
  std::vector<std::string> status;
  item_.BeforeExecute = [&](platform::TObject*, const std::string&, const std::string& msg) {
    status.push_back(msg);
  };
  EXPECT_TRUE(item_.CreateGroup("TAVO"));
  EXPECT_TRUE(item_.CreateIcon("QEN 2005", "C:\\QEN2005", "QEN2005.EXE"));
  EXPECT_TRUE(item_.CreateIcon("QEN 2005 Help", "C:\\QEN2005\\", "QEN2005.HLP"));
  EXPECT_TRUE(item_.CreateIcon("Leia", "", "Leiame.txt"));
  EXPECT_TRUE(item_.CreateIcon("With icon", "C:\\APP", "A.EXE", "A.ICO"));
  EXPECT_TRUE(item_.CreateIcon("QEN, 2005", "C:\\QEN2005", "QEN2005.EXE"));
  EXPECT_EQ(progman_.Commands(),
            (std::vector<std::string>{"[CreateGroup(TAVO)]\r\n",
                                      "[AddItem(C:\\QEN2005\\QEN2005.EXE,QEN 2005,,,)]\r\n",
                                      "[AddItem(C:\\QEN2005\\QEN2005.HLP,QEN 2005 Help,,,)]\r\n",
                                      "[AddItem(Leiame.txt,Leia,,,)]\r\n",
                                      "[AddItem(C:\\APP\\A.EXE,With icon,C:\\APP\\A.ICO,,)]\r\n",
                                      "[AddItem(C:\\QEN2005\\QEN2005.EXE,QEN, 2005,,,)]\r\n"}));
  EXPECT_EQ(status[0], "Creating Group \"TAVO\"");
  EXPECT_EQ(status[1], "Creating Program Icon for \"C:\\QEN2005\\QEN2005.EXE\"");
  EXPECT_EQ(status[3], "Creating Program Icon for \"Leiame.txt\"");
}

TEST_F(ProgMan, FailuresNameTheGroupOrTheProgram) {
  progman_.answering.clear();
  dialogs_.Answer(platform::kIdIgnore);
  dialogs_.Answer(platform::kIdIgnore);
  EXPECT_TRUE(item_.CreateGroup("TAVO"));
  EXPECT_TRUE(item_.CreateIcon("QEN 2005", "C:\\QEN2005", "QEN2005.EXE"));
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Error while creating group \"TAVO\"",
                         "Error while creating program icon for \"C:\\QEN2005\\QEN2005.EXE\""}));
}

}  // namespace
}  // namespace installtest
