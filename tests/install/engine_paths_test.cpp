// Path discovery when the engine is made: the system's folders, then the registry's
// keys, each of which replaces its fields once it opens.
#include "install/registry.h"
#include "install_test_util.h"

namespace installtest {
namespace {

using install::JoinPath;

TEST(JoinPath, InsertsOneBackslashUnlessTheFolderEndsWithOneOrIsEmpty) {
  EXPECT_EQ(JoinPath("C:\\QEN2005", "QEN2005.EXE"), "C:\\QEN2005\\QEN2005.EXE");
  EXPECT_EQ(JoinPath("X:\\DISK1\\", "app.pck"), "X:\\DISK1\\app.pck");
  EXPECT_EQ(JoinPath("", "Leiame.txt"), "Leiame.txt");
  // Nothing more: a leading backslash of the name stays, and so does the case.
  EXPECT_EQ(JoinPath("c:\\dir", "\\sub"), "c:\\dir\\\\sub");
  EXPECT_EQ(JoinPath("C:\\", ""), "C:\\");
}

using EnginePaths = EngineTest;

TEST_F(EnginePaths, WithoutRegistryKeysEveryDefaultHolds) {
  install::TInstall& e = Engine();
  EXPECT_EQ(e.SourceDir(), "X:\\DISK1\\");
  EXPECT_EQ(e.WindowsDir(), "C:\\WINDOWS");
  EXPECT_EQ(e.SystemDir(), "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(e.CommonFilesDir(), "C:\\WINDOWS\\Common Files");
  EXPECT_EQ(e.DbapiDir(), "C:\\WINDOWS\\Common Files\\Ondrel Shared\\ODE");
  EXPECT_EQ(e.DbapiConfigFile(), "C:\\WINDOWS\\Common Files\\Ondrel Shared\\ODE\\DBAPI32.CFG");
  EXPECT_EQ(e.OlapiPath(), "C:\\WINDOWS\\Common Files\\Ondrel Shared\\ODE");
  EXPECT_EQ(e.SharedFilesDir(), "C:\\WINDOWS\\Common Files\\Microsoft Shared");
  EXPECT_EQ(e.CurrentDisk, 1);
  EXPECT_FALSE(e.TaskCountValid());
  EXPECT_TRUE(e.Items().empty());
  // Keys are only ever opened at start-up, never created.
  for (const std::string& r : registry_.requests) EXPECT_EQ(r.rfind("open ", 0), 0u) << r;
  EXPECT_EQ(registry_.requests,
            (std::vector<std::string>{"open SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                      "open SOFTWARE\\Ondrel\\Database Engine",
                                      "open SOFTWARE\\Ondrel\\OLW32",
                                      "open SOFTWARE\\Microsoft\\Shared Tools"}));
}

TEST_F(EnginePaths, RegistryValuesReplaceTheDefaults) {
  registry_.SetText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir", "D:\\Common");
  registry_.SetText("SOFTWARE\\Ondrel\\Database Engine", "DLLPATH", "D:\\ODE;E:\\ODE");
  registry_.SetText("SOFTWARE\\Ondrel\\Database Engine", "configfile01", "D:\\ODE\\X.CFG");
  registry_.SetText("SOFTWARE\\Ondrel\\OLW32", "OLAPIPath", "D:\\OLAPI");
  registry_.SetText("SOFTWARE\\Microsoft\\Shared Tools", "SharedFilesDir", "D:\\Shared");
  install::TInstall& e = Engine();
  EXPECT_EQ(e.CommonFilesDir(), "D:\\Common");
  EXPECT_EQ(e.DbapiDir(), "D:\\ODE;E:\\ODE");  // the engine keeps the whole value
  EXPECT_EQ(e.DbapiConfigFile(), "D:\\ODE\\X.CFG");
  EXPECT_EQ(e.OlapiPath(), "D:\\OLAPI");
  EXPECT_EQ(e.SharedFilesDir(), "D:\\Shared");
}

TEST_F(EnginePaths, TheOlapiDefaultIsTheDefaultDirectoryNotTheRegistrysOne) {
  registry_.SetText("SOFTWARE\\Ondrel\\Database Engine", "DLLPath", "D:\\ODE");
  install::TInstall& e = Engine();
  EXPECT_EQ(e.DbapiDir(), "D:\\ODE");
  EXPECT_EQ(e.OlapiPath(), "C:\\WINDOWS\\Common Files\\Ondrel Shared\\ODE");
}

TEST_F(EnginePaths, AKeyThatOpensEmptiesTheFieldsOfItsMissingValues) {
  registry_.AddKey("SOFTWARE\\Ondrel\\Database Engine");
  registry_.AddKey("SOFTWARE\\Ondrel\\OLW32");
  // A value of zero length reads as empty text whatever its type.
  registry_.SetRaw("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir",
                   platform::RegType::Dword, {});
  install::TInstall& e = Engine();
  EXPECT_EQ(e.CommonFilesDir(), "");
  EXPECT_EQ(e.DbapiDir(), "");
  EXPECT_EQ(e.DbapiConfigFile(), "");
  EXPECT_EQ(e.OlapiPath(), "");
  // Only the shared files directory falls back after its read.
  EXPECT_EQ(e.SharedFilesDir(), "Microsoft Shared");
}

TEST_F(EnginePaths, AnEmptySharedFilesValueFallsBack) {
  registry_.SetText("SOFTWARE\\Microsoft\\Shared Tools", "SharedFilesDir", "");
  EXPECT_EQ(Engine().SharedFilesDir(), "C:\\WINDOWS\\Common Files\\Microsoft Shared");
}

TEST_F(EnginePaths, KeysThatCannotBeOpenedKeepTheDefaults) {
  registry_.SetText("SOFTWARE\\Ondrel\\Database Engine", "DLLPath", "D:\\ODE");
  registry_.Deny("SOFTWARE\\Ondrel");
  EXPECT_EQ(Engine().DbapiDir(), "C:\\WINDOWS\\Common Files\\Ondrel Shared\\ODE");
}

TEST_F(EnginePaths, TextValuesAreTakenUpToTheirFirstZeroAndNotExpanded) {
  registry_.SetRaw("SOFTWARE\\Ondrel\\OLW32", "OLAPIPATH", platform::RegType::ExpandSz,
                   {'%', 'X', '%', '\\', 'O', 0, 'Z', 0});
  registry_.SetRaw("SOFTWARE\\Ondrel\\Database Engine", "DLLPath", platform::RegType::Sz,
                   {'D', ':', '\\', 'O'});  // stored without a terminating zero
  install::TInstall& e = Engine();
  EXPECT_EQ(e.OlapiPath(), "%X%\\O");
  EXPECT_EQ(e.DbapiDir(), "D:\\O");
}

TEST_F(EnginePaths, AValueOfAnotherTypeRaisesTheReadError) {
  registry_.SetRaw("SOFTWARE\\Ondrel\\Database Engine", "DLLPath", platform::RegType::Dword,
                   {1, 0, 0, 0});
  try {
    Engine();
    FAIL() << "no error";
  } catch (const install::ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'DLLPath'");
  }
}

TEST_F(EnginePaths, PathsAreCutTo255Characters) {
  const std::string longDir(300, 'd');
  registry_.SetText("SOFTWARE\\Ondrel\\Database Engine", "DLLPath", longDir);
  install::TInstall& e = Engine();
  EXPECT_EQ(e.DbapiDir(), longDir.substr(0, 255));
  e.SetSourceDir(std::string(256, 's'));
  EXPECT_EQ(e.SourceDir().size(), 255u);
}

TEST(EngineFolders, SourceDirIsTheProgramsFolderWithItsBackslash) {
  MemoryRegistry registry;
  FixedFolders folders("x:\\disk1\\Install.exe", "", "");
  platform::TComponent window(nullptr);
  install::TInstall engine(&window);
  EXPECT_EQ(engine.SourceDir(), "x:\\disk1\\");
  // No Windows directory reported: the common files directory is the bare name.
  EXPECT_EQ(engine.CommonFilesDir(), "Common Files");
}

}  // namespace
}  // namespace installtest
