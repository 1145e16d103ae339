// The installation log: time-stamped lines appended to a file that stays readable, and
// the lines a run's events become.
#include "app/core/install_log.h"

#include <gtest/gtest.h>

#include "app/core/run_dialogs.h"
#include "app/core/run_log.h"
#include "install/install_test_util.h"
#include "platform/exceptions.h"
#include "support/test_files.h"

namespace apptest {
namespace {

using testing_support::ReadFileBytes;

std::string Content(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(InstallLog, LinesAreStampedAppendedAndReadableAtOnce) {
  testing_support::ScratchDir dir;
  const std::string path = dir / "install.log";
  testing_support::WriteFileBytes(path, {'o', 'l', 'd', '\r', '\n'});
  int tick = 0;
  {
    app::TInstallLog log(path, [&] { return std::string(1, 'T') += std::to_string(++tick); });
    log.Write("first");
    // Written through to the file while the log is still open.
    EXPECT_EQ(Content(path), "old\r\nT1 first\r\n");
    log.Write("message: A\rB -> OK");
    log.Write("[CreateGroup(TAVO)]\r\n\x01");
  }
  EXPECT_EQ(Content(path),
            "old\r\nT1 first\r\nT2 message: A\\rB -> OK\r\nT3 [CreateGroup(TAVO)]\\r\\n\\x01\r\n");
}

TEST(InstallLog, TheStampIsLocalDateAndTimeToTheMillisecond) {
  const std::string stamp = app::TInstallLog::LocalTimeStamp();
  ASSERT_EQ(stamp.size(), 23u) << stamp;
  EXPECT_EQ(stamp[4], '-');
  EXPECT_EQ(stamp[10], ' ');
  EXPECT_EQ(stamp[19], '.');
  EXPECT_EQ(stamp.substr(0, 2), "20");
}

TEST(InstallLog, AFileThatCannotBeOpenedIsNamed) {
  testing_support::ScratchDir dir;
  try {
    app::TInstallLog log(dir / "missing-folder/install.log");
    FAIL() << "opened";
  } catch (const platform::EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find("missing-folder"), std::string::npos) << e.what();
  }
}

// The lines the log writes for the run's events, with a fixed clock.
class RunLog : public installtest::EngineTest {
 protected:
  testing_support::ScratchDir dir_;
  std::string path_ = dir_ / "run.log";
  app::TInstallLog file_{path_, [] { return std::string("@"); }};
  app::TRunLog log_{file_};
  std::string Log() { return Content(path_); }
};

TEST_F(RunLog, MessageBoxesWithTheirAnswersAndWhoGaveThem) {
  dialogs_.Answer(platform::kIdRetry);
  app::TRunDialogs shown(platform::DialogsPort(), log_, false, false);
  EXPECT_EQ(
      shown.Show(platform::DialogKind::Error, "", "Disk full", platform::Buttons::AbortRetryIgnore),
      platform::kIdRetry);
  app::TRunDialogs silent(platform::DialogsPort(), log_, true, true);
  EXPECT_EQ(silent.Show(platform::DialogKind::Error, "", "Disk full",
                        platform::Buttons::AbortRetryIgnore),
            platform::kIdIgnore);
  EXPECT_EQ(dialogs_.shown.size(), 1u);  // the silent one was never shown
  EXPECT_EQ(Log(),
            "@ message (Error): Disk full -> Retry (by the user)\r\n"
            "@ message (Error): Disk full -> Ignore (by /S)\r\n");
}

TEST_F(RunLog, RegistryValuesProgramManagerCommandsAndOutcomesWithTheirCauses) {
  Engine().SetObserver(&log_);
  install::TInstallItem& item = AddItem("T");
  item.Name = "Item";
  item.OnExecute = [&item, this](platform::TObject*, bool& Continue) {
    item.WriteRegString(platform::RegRoot::LocalMachine, "SOFTWARE\\A", "Name", "text");
    item.WriteRegValue(platform::RegRoot::LocalMachine, "SOFTWARE\\A", "Count", int32_t{258});
    item.WriteRegValue(platform::RegRoot::LocalMachine, "SOFTWARE\\A", "Real", 1.0);
    item.CreateGroup("TAVO");
    progman_.answering.clear();
    Continue = item.CreateGroup("X");
  };
  // Nor a Start Menu to make the group in instead.
  folders_.commonMenu.clear();
  folders_.userMenu.clear();
  dialogs_.Answer(platform::kIdIgnore);
  EXPECT_TRUE(item.Execute(false));
  const std::string noServer =
      "no Program Manager took a DDE conversation (service PROGMAN, topic PROGMAN)";
  const std::string noMenu = noServer +
                             "; nor as a shortcut: Cannot make the Start Menu folder of the "
                             "group X (the system names no Start Menu Programs folder)";
  EXPECT_EQ(Log(),
            "@ item Item \"T\"\r\n"
            "@   Updating registry\r\n"
            "@ registry HKEY_LOCAL_MACHINE\\SOFTWARE\\A Name = \"text\" (REG_SZ)\r\n"
            "@   done\r\n"
            "@   Updating registry\r\n"
            "@ registry HKEY_LOCAL_MACHINE\\SOFTWARE\\A Count = 258 (REG_DWORD)\r\n"
            "@   done\r\n"
            "@   Updating registry\r\n"
            "@ registry HKEY_LOCAL_MACHINE\\SOFTWARE\\A Real = 00 00 00 00 00 00 F0 3F "
            "(REG_BINARY)\r\n"
            "@   done\r\n"
            "@   Creating Group \"TAVO\"\r\n"
            "@ Program Manager command [CreateGroup(TAVO)]\\r\\n handed over\r\n"
            "@   done\r\n"
            "@   Creating Group \"X\"\r\n"
            "@ Program Manager command [CreateGroup(X)]\\r\\n NOT handed over (" +
                noServer +
                ")\r\n"
                "@   attempt failed: Error while creating group \"X\" (" +
                noMenu +
                ")\r\n"
                "@   failed: Error while creating group \"X\" (ignored) (" +
                noMenu +
                ")\r\n"
                "@ item Item succeeded\r\n");
  EXPECT_EQ(registry_.writes.size(), 3u);  // the values still reached the registry
  EXPECT_EQ(progman_.executed.size(), 1u);
  // The item keeps the cause beside the message it showed.
  EXPECT_EQ(item.ErrorMsg, "Error while creating group \"X\"");
  EXPECT_EQ(item.ErrorCause, noMenu);
}

}  // namespace
}  // namespace apptest
