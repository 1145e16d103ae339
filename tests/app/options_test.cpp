// The installer's command line and the answers a silent run gives.
#include "app/core/options.h"

#include <gtest/gtest.h>

#include "app/core/run_dialogs.h"

namespace apptest {
namespace {

using app::ParseOptions;

TEST(InstallOptions, NoArgumentsIsTheInteractiveInstaller) {
  const app::TInstallOptions o = ParseOptions({});
  EXPECT_FALSE(o.Silent);
  EXPECT_FALSE(o.IgnoreErrors);
  EXPECT_FALSE(o.Help);
  EXPECT_EQ(o.LogPath, "");
  EXPECT_EQ(o.TargetDir, "");
  EXPECT_EQ(o.DbapiDir, "");
  EXPECT_EQ(o.Unknown, "");
}

TEST(InstallOptions, OptionsInAnyCaseAndOrderKeepTheirValuesAsWritten) {
  const app::TInstallOptions o =
      ParseOptions({"/log=C:\\Logs\\Install Log.txt", "/s", "/IgnoreErrors", "/Dir=D:\\Apps\\Qen",
                    "/DBAPIDIR=e:\\ode"});
  EXPECT_TRUE(o.Silent);
  EXPECT_TRUE(o.IgnoreErrors);
  EXPECT_EQ(o.LogPath, "C:\\Logs\\Install Log.txt");
  EXPECT_EQ(o.TargetDir, "D:\\Apps\\Qen");
  EXPECT_EQ(o.DbapiDir, "e:\\ode");
  EXPECT_EQ(o.Unknown, "");
  // A value may itself hold an equals sign.
  EXPECT_EQ(ParseOptions({"/LOG=a=b.log"}).LogPath, "a=b.log");
}

TEST(InstallOptions, HelpAndItsAlias) {
  EXPECT_TRUE(ParseOptions({"/?"}).Help);
  EXPECT_TRUE(ParseOptions({"/help"}).Help);
  EXPECT_TRUE(ParseOptions({"/S", "/HELP"}).Silent);
}

TEST(InstallOptions, AnythingElseIsNamedAsUnknown) {
  EXPECT_EQ(ParseOptions({"/S", "/X", "/Y"}).Unknown, "/X");  // the first one
  EXPECT_EQ(ParseOptions({"S"}).Unknown, "S");
  EXPECT_EQ(ParseOptions({"-S"}).Unknown, "-S");
  EXPECT_EQ(ParseOptions({"/SILENT"}).Unknown, "/SILENT");
  EXPECT_EQ(ParseOptions({"/DIRECTORY=C:\\X"}).Unknown, "/DIRECTORY=C:\\X");
  EXPECT_EQ(ParseOptions({"/LOG"}).Unknown, "/LOG");
  // An option that needs a value and has none is not understood either.
  EXPECT_EQ(ParseOptions({"/LOG="}).Unknown, "/LOG=");
  EXPECT_EQ(ParseOptions({"/DIR="}).Unknown, "/DIR=");
  EXPECT_EQ(ParseOptions({""}).Unknown, "");  // an empty argument names nothing
  EXPECT_NE(app::UnknownOptionMessage("/X").find("Unknown option: /X"), std::string::npos);
}

TEST(SilentAnswers, EveryQuestionHasItsFixedAnswer) {
  using app::TRunDialogs;
  using platform::Buttons;
  // A failed operation is aborted, or ignored with /IGNOREERRORS where Ignore is offered.
  EXPECT_EQ(TRunDialogs::SilentAnswer(Buttons::AbortRetryIgnore, false), platform::kIdAbort);
  EXPECT_EQ(TRunDialogs::SilentAnswer(Buttons::AbortRetryIgnore, true), platform::kIdIgnore);
  EXPECT_EQ(TRunDialogs::SilentAnswer(Buttons::AbortRetry, true), platform::kIdAbort);
  // A disk prompt is given up: Cancel, then Yes to the question that follows.
  EXPECT_EQ(TRunDialogs::SilentAnswer(Buttons::OkCancel, false), platform::kIdCancel);
  EXPECT_EQ(TRunDialogs::SilentAnswer(Buttons::YesNo, false), platform::kIdYes);
  EXPECT_EQ(TRunDialogs::SilentAnswer(Buttons::Ok, true), platform::kIdOk);
  // Never Retry: a silent run must not loop.
  for (Buttons b : {Buttons::Ok, Buttons::OkCancel, Buttons::AbortRetryIgnore, Buttons::AbortRetry,
                    Buttons::YesNo, Buttons::YesNoCancel, Buttons::RetryCancel})
    for (bool ignore : {false, true})
      EXPECT_NE(TRunDialogs::SilentAnswer(b, ignore), platform::kIdRetry);
}

}  // namespace
}  // namespace apptest
