// The real Install.exe, started from a copy of the demo medium under Wine, worked
// through its window and message boxes as a person would, and judged by what it shows
// and what it leaves on disk, in the registry and in the Start Menu.
#ifdef _WIN32
#include <filesystem>

#include "e2e/installer_session.h"
#include "platform/text.h"
#include "support/win32_registry.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using testing_support::QueryText;

constexpr const char* kCompleted = "Installation completed with success";
constexpr const char* kCanceled = "Installation canceled";
const std::string kEngineKey = "SOFTWARE\\Ondrel\\Database Engine";

using Installer = InstallerSession;

TEST_F(Installer, TheWindowAtStart) {
  ASSERT_NE(Start(), nullptr);
  Snapshot("start");
  EXPECT_EQ(TextOf(Window()), kCaption);
  const SIZE client = ClientSize(Window());
  EXPECT_EQ(client.cx, 380);
  EXPECT_EQ(client.cy, 416);
  const LONG style = ::GetWindowLongA(Window(), GWL_STYLE);
  EXPECT_EQ(style & WS_SYSMENU, 0) << "no border icons";
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);

  struct Expected {
    const char* cls;
    std::string text;
    RECT rect;
    bool enabled;
  };
  const std::string engineDir = DefaultEngineFolder();
  const std::vector<Expected> expected = {
      // Tab order: the two folder fields, then the two buttons.
      {"Edit", "C:\\QEN2005", {16, 136, 361, 157}, false},
      {"Edit", engineDir, {16, 192, 361, 213}, false},
      {"Button", kInstall, {16, 276, 168, 309}, true},
      {"Button", kExit, {16, 336, 168, 369}, true},
      {"Static", "Instituto Tavo", {64, 27, 373, 43}, true},
      {"Static",
       "M\xf3"
       "dulo Quarvel - QEN 2005",
       {16, 64, 353, 88},
       true},
      {"Static", "Diret\xf3rio de instala\xe7\xe3o da aplica\xe7\xe3o", {16, 120, 222, 133}, true},
      {"Static", "Diret\xf3rio DBAPI", {16, 176, 102, 189}, true},
      {"Static", "Andamento do processo:", {198, 232, 339, 245}, true},
  };
  const std::vector<Control> children = Children(Window());
  ASSERT_EQ(children.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Control& c = children[i];
    SCOPED_TRACE(expected[i].text);
    EXPECT_EQ(c.cls, expected[i].cls);
    EXPECT_EQ(c.text, expected[i].text);
    EXPECT_EQ(c.rect.left, expected[i].rect.left);
    EXPECT_EQ(c.rect.top, expected[i].rect.top);
    // Three labels take the width of their text, at least the width laid out for them.
    if (c.cls == "Static" && c.rect.bottom - c.rect.top == 13)
      EXPECT_GE(c.rect.right, expected[i].rect.right);
    else
      EXPECT_EQ(c.rect.right, expected[i].rect.right);
    EXPECT_EQ(c.rect.bottom, expected[i].rect.bottom);
    EXPECT_EQ(c.enabled, expected[i].enabled);
    EXPECT_TRUE(c.visible);
  }
  // The labels are yellow on teal; the gauge shows an empty white disc.
  const Image shot = Capture(Window(), true);
  EXPECT_EQ(shot.At(5, 5), 0x008080u);
  EXPECT_TRUE(PieShows(Gauge(), 0));
  EXPECT_EQ(Exit(), 1);  // left without installing
}

TEST_F(Installer, AFullRunInstallsEverything) {
  ASSERT_NE(Start(), nullptr);
  const std::string engineDir = DefaultEngineFolder();
  PressInstall();
  ShownBox done = NextBox();
  ASSERT_TRUE(done.found());
  Snapshot("completed");
  EXPECT_EQ(done.text, kCompleted);
  EXPECT_EQ(done.buttons, std::vector<int>{IDOK});
  EXPECT_TRUE(PieShows(Gauge(), 100));
  // Both buttons stay disabled until the final message is answered.
  EXPECT_FALSE(Button(kExit).enabled);
  EXPECT_FALSE(Button(kInstall).enabled);
  Answer(done, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return Button(kExit).enabled; }, 10s));
  EXPECT_FALSE(Button(kInstall).enabled);

  ExpectInstalled("C:\\QEN2005", engineDir);
  Snapshot("finished");
  EXPECT_EQ(Exit(), 0);

  // The engine is now present: a second start refuses to run.
  Launch();
  ShownBox refusal = NextBox();
  ASSERT_TRUE(refusal.found());
  EXPECT_EQ(refusal.text.substr(0, 20), "A CONFIGURA\xc7\xc3O DO SE");
  Answer(refusal, IDOK);
  EXPECT_EQ(WaitExit(), 2);
}

TEST_F(Installer, TheDiskTwoPrompt) {
  fs::rename(Disk2(), medium_ + "LATER");
  ASSERT_NE(Start(), nullptr);
  PressInstall();
  ShownBox prompt = NextBox();
  ASSERT_TRUE(prompt.found());
  Snapshot("disk-prompt");
  EXPECT_EQ(prompt.text, "Please, Insert Disk 2");
  EXPECT_EQ(prompt.buttons, (std::vector<int>{IDOK, IDCANCEL}));
  // Four items done: the gauge stands at 80.
  EXPECT_TRUE(PieShows(Gauge(), 80));
  Answer(prompt, IDCANCEL);
  ShownBox sure = NextBox();
  EXPECT_EQ(sure.text, "Are you sure you want to terminate this installation?");
  EXPECT_EQ(sure.buttons, (std::vector<int>{IDYES, IDNO}));
  Answer(sure, IDNO);
  prompt = NextBox();
  EXPECT_EQ(prompt.text, "Please, Insert Disk 2");
  fs::rename(medium_ + "LATER", Disk2());
  Answer(prompt, IDOK);
  ShownBox done = NextBox();
  EXPECT_EQ(done.text, kCompleted);
  Answer(done, IDOK);
  EXPECT_EQ(Exit(), 0);
  EXPECT_TRUE(fs::exists("C:\\QEN2005\\QEN2005.EXE"));
}

TEST_F(Installer, GivingUpOnDiskTwoCancels) {
  fs::rename(Disk2(), medium_ + "LATER");
  ASSERT_NE(Start(), nullptr);
  PressInstall();
  ShownBox prompt = NextBox();
  Answer(prompt, IDCANCEL);
  Answer(NextBox(), IDYES);
  ShownBox end = NextBox();
  EXPECT_EQ(end.text, kCanceled);
  Answer(end, IDOK);
  EXPECT_TRUE(PieShows(Gauge(), 80));
  EXPECT_FALSE(fs::exists("C:\\QEN2005\\QEN2005.EXE"));
  EXPECT_EQ(Exit(), 1);
}

TEST_F(Installer, AbortOnADamagedPackageStopsTheRun) {
  Damage(Disk1() + "LD.PCK");
  ASSERT_NE(Start(), nullptr);
  PressInstall();
  ShownBox error = NextBox();
  ASSERT_TRUE(error.found());
  Snapshot("error");
  const std::string disk1Upper = platform::UpperAscii(Disk1());
  EXPECT_EQ(error.text.rfind("Error while decompressing " + disk1Upper + "LD.PCK to ", 0), 0u)
      << error.text;
  EXPECT_EQ(error.buttons, (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
  Answer(error, IDABORT);
  ShownBox end = NextBox();
  EXPECT_EQ(end.text, kCanceled);
  Answer(end, IDOK);
  EXPECT_TRUE(PieShows(Gauge(), 40));
  // Items 3 to 7 did not run: the application folder holds only the record of the rest,
  // the engine's folder what the first package put there.
  ExpectOnlyTheRecord("C:\\QEN2005");
  EXPECT_TRUE(fs::exists(DefaultEngineFolder()));
  EXPECT_EQ(QueryText(kEngineKey, "DLLPATH"), "<absent>");
  EXPECT_FALSE(fs::exists(ProgramsFolder() + "\\TAVO"));
  EXPECT_EQ(Exit(), 1);
}

TEST_F(Installer, AChangedByteIsCaughtAndNoDamagedFileLands) {
  const auto expected = ExpectedApplicationFiles();
  ASSERT_TRUE(FlipAByteInAStoredBlock(Disk2() + "APP.PCK"));
  // A file from before, where the damaged member goes: it stays as it was.
  fs::create_directories("C:\\QEN2005");
  testing_support::WriteFileBytes("C:\\QEN2005\\QEN2005.RES", {'o', 'l', 'd'});
  ASSERT_NE(Start(), nullptr);
  PressInstall();
  ShownBox error = NextBox();
  ASSERT_TRUE(error.found());
  Snapshot("digest-mismatch");
  // The message is the one every failed unpack shows.
  EXPECT_EQ(error.text, "Error while decompressing " + platform::UpperAscii(Disk2()) +
                            "APP.PCK to C:\\QEN2005");
  Answer(error, IDABORT);
  ShownBox end = NextBox();
  EXPECT_EQ(end.text, kCanceled);
  Answer(end, IDOK);
  EXPECT_EQ(Exit(), 1);
  EXPECT_EQ(testing_support::ReadFileBytes("C:\\QEN2005\\QEN2005.RES"),
            (testing_support::Bytes{'o', 'l', 'd'}));
  fs::remove("C:\\QEN2005\\QEN2005.RES");
  ExpectNothingDamaged("C:\\QEN2005", expected);
}

TEST_F(Installer, IgnoringEveryErrorRunsEveryItem) {
  for (const std::string p : {"DISK1\\DBAPI.PCK", "DISK1\\LD.PCK", "DISK1\\HELP.PCK",
                              "DISK1\\BD.PCK", "DISK2\\APP.PCK", "DISK2\\DBSQL32.PCK"})
    Damage(medium_ + p);
  ASSERT_NE(Start(), nullptr);
  PressInstall();
  int errors = 0;
  ShownBox box = NextBox();
  while (box.found() && box.text.rfind("Error while decompressing", 0) == 0) {
    ++errors;
    Answer(box, IDIGNORE);
    box = NextBox();
  }
  EXPECT_EQ(errors, 6);
  EXPECT_EQ(box.text, kCompleted);
  Answer(box, IDOK);
  EXPECT_TRUE(PieShows(Gauge(), 100));
  // Item 2's settings and item 7's group still came.
  EXPECT_EQ(QueryText(kEngineKey, "RESOURCE"), "0009");
  EXPECT_TRUE(WaitUntil([] { return fs::exists(ProgramsFolder() + "\\TAVO"); }, 20s));
  EXPECT_EQ(Exit(), 0);
}

TEST_F(Installer, RetryAfterThePackageWasReplaced) {
  const std::string good = scratch_.Path() + "LD.GOOD";
  fs::copy_file(Disk1() + "LD.PCK", good);
  Damage(Disk1() + "LD.PCK");
  ASSERT_NE(Start(), nullptr);
  PressInstall();
  ShownBox error = NextBox();
  ASSERT_TRUE(error.found());
  testing_support::WriteFileBytes(Disk1() + "LD.PCK", testing_support::ReadFileBytes(good));
  Answer(error, IDRETRY);
  ShownBox done = NextBox();
  EXPECT_EQ(done.text, kCompleted);
  Answer(done, IDOK);
  EXPECT_EQ(QueryText(kEngineKey + "\\Settings\\DRIVERS\\TABULA\\INIT", "LANGDRIVER"), "ANSI850");
  EXPECT_EQ(Exit(), 0);
}

TEST_F(Installer, RefusesWhereAnEngineIsInstalled) {
  const std::string ode = scratch_.Path() + "ODE";
  fs::create_directories(ode);
  testing_support::WriteFileBytes(ode + "\\dbapi32.dll", {'M', 'Z'});
  ASSERT_TRUE(testing_support::SetRegText(kEngineKey, "DLLPATH", ode));
  // The window never shows; the message does.
  Launch();
  ShownBox refusal = NextBox();
  ASSERT_TRUE(refusal.found());
  EXPECT_EQ(refusal.text,
            "A CONFIGURA\xc7\xc3O DO SEU MICRO N\xc3O PERMITE A INSTALA\xc7\xc3O DO SISTEMA. \r"
            "FAVOR ENTRAR EM CONTATO COM O TAVO DO SEU ESTADO PARA SOLUCIONAR O PROBLEMA.");
  EXPECT_EQ(refusal.title, "Error");
  EXPECT_EQ(WaitForWindow(pid_, "TFrmInstala", 200ms), nullptr);
  Answer(refusal, IDOK);
  EXPECT_EQ(WaitExit(), 2);
  EXPECT_FALSE(fs::exists("C:\\QEN2005"));
  EXPECT_EQ(QueryText(kEngineKey, "RESOURCE"), "<absent>");
}

TEST_F(Installer, ClosingTheWindowDuringARunIsRefused) {
  fs::rename(Disk2(), medium_ + "LATER");
  ASSERT_NE(Start(), nullptr);
  PressInstall();
  ShownBox prompt = NextBox();
  ASSERT_TRUE(prompt.found());
  // The run waits in the disk prompt; a close request must not pull the engine away. Sent,
  // not posted: it returns once the window has handled it.
  DWORD_PTR result = 0;
  ASSERT_NE(::SendMessageTimeoutA(Window(), WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
  EXPECT_TRUE(::IsWindow(Window()));
  fs::rename(medium_ + "LATER", Disk2());
  Answer(prompt, IDOK);
  ShownBox done = NextBox();
  EXPECT_EQ(done.text, kCompleted);
  Answer(done, IDOK);
  // Once the run is over, a close request ends the program like the exit button.
  ASSERT_TRUE(WaitUntil([&] { return Button(kExit).enabled; }, 10s));
  ::PostMessageA(Window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitExit(), 0);
}

TEST_F(Installer, AFailureNoOperationCatchesLeavesTheWindowUsable) {
  // No temporary folder to stage package members in: the package engine cannot even be
  // made, which happens before an operation's attempts and so outside its error dialog.
  const std::string missing = scratch_.Path() + "no-such-temp";
  char tmp[MAX_PATH] = {}, temp[MAX_PATH] = {};
  ::GetEnvironmentVariableA("TMP", tmp, MAX_PATH);
  ::GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
  ::SetEnvironmentVariableA("TMP", missing.c_str());
  ::SetEnvironmentVariableA("TEMP", missing.c_str());
  const HWND window = Start();
  ::SetEnvironmentVariableA("TMP", tmp);
  ::SetEnvironmentVariableA("TEMP", temp);
  ASSERT_NE(window, nullptr);
  PressInstall();
  ShownBox error = NextBox();
  ASSERT_TRUE(error.found());
  EXPECT_NE(error.text.find("Cannot create a staging"), std::string::npos) << error.text;
  Answer(error, IDOK);
  // The exit button works again; the run counts as failed.
  EXPECT_TRUE(WaitUntil([&] { return Button(kExit).enabled; }, 10s));
  EXPECT_FALSE(Button(kInstall).enabled);
  EXPECT_EQ(Exit(), 1);
}

TEST_F(Installer, ARegistryReadErrorEndsTheProgramBeforeItsWindow) {
  // A value of the wrong type where the engine reads its folder.
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEngineKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD one = 1;
  ::RegSetValueExA(key, "DLLPath", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  ::RegCloseKey(key);
  Launch();
  ShownBox error = NextBox();
  ASSERT_TRUE(error.found());
  EXPECT_EQ(error.text, "Invalid data type for 'DLLPath'");
  EXPECT_EQ(error.title, "Error");
  EXPECT_EQ(WaitForWindow(pid_, "TFrmInstala", 200ms), nullptr);
  Answer(error, IDOK);
  EXPECT_EQ(WaitExit(), 3);
  EXPECT_FALSE(fs::exists("C:\\QEN2005"));
}

}  // namespace
}  // namespace e2e
#endif
