// The installation log: time-stamped lines appended to a file that stays readable, and
// what the ports write into it as a run goes on.
#include "app/core/install_log.h"

#include <gtest/gtest.h>

#include "app/core/session_ports.h"
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
  } catch (const sys::EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find("missing-folder"), std::string::npos) << e.what();
  }
}

class LoggedPorts : public installtest::EngineTest {
 protected:
  testing_support::ScratchDir dir_;
  std::string path_ = dir_ / "run.log";
  std::unique_ptr<app::TInstallLog> log_ =
      std::make_unique<app::TInstallLog>(path_, [] { return std::string("@"); });
  std::string Log() { return Content(path_); }
};

TEST_F(LoggedPorts, MessageBoxesWithTheirAnswersAndWhoGaveThem) {
  dialogs_.Answer(plat::kIdRetry);
  {
    app::TRunDialogs shown(log_.get(), false, false);
    const plat::ScopedPort<plat::Dialogs> use(shown);
    EXPECT_EQ(plat::DialogsPort().Show(plat::DialogKind::Error, "", "Disk full",
                                       plat::Buttons::AbortRetryIgnore),
              plat::kIdRetry);
  }
  {
    app::TRunDialogs silent(log_.get(), true, true);
    const plat::ScopedPort<plat::Dialogs> use(silent);
    EXPECT_EQ(plat::DialogsPort().Show(plat::DialogKind::Error, "", "Disk full",
                                       plat::Buttons::AbortRetryIgnore),
              plat::kIdIgnore);
  }
  EXPECT_EQ(dialogs_.shown.size(), 1u);  // the silent one was never shown
  EXPECT_EQ(Log(),
            "@ message (Error): Disk full -> Retry (by the user)\r\n"
            "@ message (Error): Disk full -> Ignore (by /S)\r\n");
  // The port in use before is back.
  EXPECT_EQ(&plat::DialogsPort(), &dialogs_);
}

TEST_F(LoggedPorts, RegistryValuesAndProgramManagerCommands) {
  {
    app::TLoggingRegistry registry(*log_);
    app::TLoggingDde dde(*log_);
    const plat::ScopedPort<plat::Registry> useRegistry(registry);
    const plat::ScopedPort<plat::DdeClient> useDde(dde);
    inst::TInstallItem& item = AddItem();
    item.WriteRegString(plat::RegRoot::LocalMachine, "SOFTWARE\\A", "Name", "text");
    item.WriteRegValue(plat::RegRoot::LocalMachine, "SOFTWARE\\A", "Count", int32_t{258});
    item.WriteRegValue(plat::RegRoot::LocalMachine, "SOFTWARE\\A", "Real", 1.0);
    item.CreateGroup("TAVO");
    progman_.answering.clear();
    dialogs_.Answer(plat::kIdIgnore);
    item.CreateGroup("X");
  }
  EXPECT_EQ(
      Log(),
      "@ registry HKEY_LOCAL_MACHINE\\SOFTWARE\\A Name = \"text\" (REG_SZ)\r\n"
      "@ registry HKEY_LOCAL_MACHINE\\SOFTWARE\\A Count = 258 (REG_DWORD)\r\n"
      "@ registry HKEY_LOCAL_MACHINE\\SOFTWARE\\A Real = 00 00 00 00 00 00 F0 3F (REG_BINARY)\r\n"
      "@ Program Manager command [CreateGroup(TAVO)]\\r\\n handed over\r\n"
      "@ DDE: no server answered service \"PROGMAN\" topic \"PROGMAN\"\r\n"
      "@ DDE: no server answered service \"\" topic \"PROGMAN\"\r\n"
      "@ DDE: no server answered service \"PROGMAN\" topic \"\"\r\n");
  EXPECT_EQ(registry_.writes.size(), 3u);  // the values still reached the registry
  EXPECT_EQ(progman_.executed.size(), 1u);
}

}  // namespace
}  // namespace apptest
