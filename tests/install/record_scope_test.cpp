// Whether an uninstall record's lines lie inside what the installation made: a record as
// an installation writes it passes, whatever spelling its paths take (letter case, both
// separators, `.`, the trailing dots Windows drops, 8.3 short names); one line outside,
// however it is spelt, is named with its line number.
#include "install/record_scope.h"

#include <gtest/gtest.h>

#include "install/dbengine.h"
#include "install/uninstall_record.h"
#include "platform/forwarding_files.h"

namespace installtest {
namespace {

using install::RecordStep;
using platform::RegRoot;

const std::string kEngine = "C:\\Program Files\\Common Files\\Ondrel Shared\\ODE";
const std::string kMenu = "C:\\ProgramData\\Start Menu\\Programs";
const std::string kEntryKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QEN2005";

install::RecordScope Scope() {
  install::RecordScope scope;
  scope.Application = "C:\\QEN2005\\";
  scope.RegistryKeys = {install::kDatabaseEngineKey, install::kOlw32Key};
  scope.EntryKey = kEntryKey;
  scope.MenuFolders = {kMenu, "C:\\Users\\admin\\Start Menu\\Programs"};
  scope.Group = "TAVO";
  scope.Captions = {"QEN 2005", "QEN 2005 Help", "QEN 2005 Leiame"};
  return scope;
}

install::FileStep File(const std::string& path) { return {path, 3, {}}; }

// Short names as the system would expand them where the folders exist.
class ShortNames : public platform::ForwardingFiles {
 public:
  std::string LongPath(const std::string& path) override {
    std::string out = path;
    for (const auto& [shortName, longName] :
         {std::pair<std::string, std::string>{"\\QEN200~1", "\\QEN2005"},
          {"\\PROGRA~1", "\\Program Files"}})
      for (std::size_t at; (at = out.find(shortName)) != std::string::npos;)
        out.replace(at, shortName.size(), longName);
    return out;
  }

 private:
  platform::ScopedPort<platform::FileSystem> installed_{*this};
};

// Every kind, as an installation writes it, and spellings of the same places.
const std::vector<RecordStep> kInside = {
    install::FolderStep{"C:\\Program Files\\Common Files\\Ondrel Shared"},  // on the way
    install::FolderStep{"C:\\QEN2005"},
    install::EngineStep{kEngine},
    install::ProgramStep{"C:\\QEN2005\\Uninstall.exe"},
    install::EntryStep{kEntryKey},
    install::KeyStep{RegRoot::LocalMachine, "SOFTWARE\\Ondrel"},  // a parent made for it
    install::KeyStep{RegRoot::LocalMachine, "SOFTWARE\\Ondrel\\Database Engine"},
    install::ValueStep{RegRoot::LocalMachine, install::kTabulaInitKey, "VERSION", false},
    install::ValueStep{RegRoot::LocalMachine, "software\\ondrel\\olw32", "OLAPIPATH", true},
    install::BackupStep{"C:\\QEN2005\\DADOS\\CLIENTES.DAT",
                        "C:\\QEN2005\\BACKUP\\DADOS\\CLIENTES.DAT"},
    install::BackupStep{kEngine + "\\DBAPI32.DLL", kEngine + ".BACKUP\\DBAPI32.DLL"},
    File("C:\\QEN2005\\QEN2005.EXE"),
    File(kEngine + "\\DBAPI32.DLL"),
    File("c:\\qen2005\\dados\\clientes.dat"),
    File("C:/QEN2005/./DADOS\\X.DAT"),
    File("C:\\QEN2005.\\A.DAT"),
    File("C:\\QEN2005 \\DADOS.\\B.DAT"),
    File("C:\\QEN200~1\\B.DAT"),
    File("C:\\PROGRA~1\\Common Files\\Ondrel Shared\\ODE\\LD.DAT"),
    File("C:\\QEN2005\\DADOS\\..\\C.DAT"),
    install::SharedStep{kEngine + "\\DBAPI32.DLL"},
    install::GroupStep{"TAVO"},
    install::IconStep{"TAVO", "QEN 2005", "C:\\QEN2005\\QEN2005.EXE"},
    install::MenuFolderStep{kMenu + "\\TAVO"},
    install::ShortcutStep{kMenu + "\\TAVO\\QEN 2005 Leiame.lnk"},
    install::ShortcutStep{"C:\\Users\\admin\\Start Menu\\Programs\\tavo\\qen 2005.LNK"},
};

TEST(RecordScope, AnInstallationsOwnRecordLiesInsideHoweverItsPathsAreSpelt) {
  const ShortNames shortNames;
  EXPECT_EQ(install::LineOutside(kInside, Scope()), "");
  // A first-version record names no engine: the scope's own engine folder stands in.
  std::vector<RecordStep> first = kInside;
  first.erase(first.begin() + 2);
  EXPECT_NE(install::LineOutside(first, Scope()), "");
  install::RecordScope withEngine = Scope();
  withEngine.Engines = {kEngine};
  EXPECT_EQ(install::LineOutside(first, withEngine), "");
}

TEST(RecordScope, ALineOutsideIsNamedWithItsLineHoweverItIsSpelt) {
  const ShortNames shortNames;
  struct Case {
    RecordStep step;
    std::string named;
  } const cases[] = {
      {File("C:\\VICTIM.TXT"), "C:\\VICTIM.TXT"},
      {File("C:\\QEN2005\\..\\VICTIM.TXT"), "C:\\QEN2005\\..\\VICTIM.TXT"},
      {File("C:/QEN2005/DADOS/../../WINDOWS/X.DLL"), "C:/QEN2005/DADOS/../../WINDOWS/X.DLL"},
      {File("C:\\QEN2005X\\A.DAT"), "C:\\QEN2005X\\A.DAT"},  // a name that only begins alike
      {File("C:\\PROGRA~1\\VICTIM.DLL"), "C:\\PROGRA~1\\VICTIM.DLL"},
      {File("\\\\?\\C:\\QEN2005\\A.DAT"), "\\\\?\\C:\\QEN2005\\A.DAT"},
      {File("\\\\.\\C:\\QEN2005\\A.DAT"), "\\\\.\\C:\\QEN2005\\A.DAT"},
      {File(kEngine + ".BACKUP\\X.DLL"), kEngine + ".BACKUP\\X.DLL"},  // only copies go there
      {install::BackupStep{"C:\\WINDOWS\\SYSTEM32\\X.DLL", "C:\\QEN2005\\BACKUP\\X.DLL"},
       "C:\\WINDOWS\\SYSTEM32\\X.DLL"},
      {install::BackupStep{"C:\\QEN2005\\X.DLL", "C:\\WINDOWS\\X.DLL"}, "C:\\WINDOWS\\X.DLL"},
      {install::FolderStep{"C:\\WINDOWS"}, "C:\\WINDOWS"},
      {install::ProgramStep{"C:\\WINDOWS\\Uninstall.exe"}, "C:\\WINDOWS\\Uninstall.exe"},
      {install::EntryStep{"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OTHER"},
       "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OTHER"},
      {install::KeyStep{RegRoot::LocalMachine, "SOFTWARE"}, "HKEY_LOCAL_MACHINE\\SOFTWARE"},
      {install::KeyStep{RegRoot::CurrentUser, "SOFTWARE\\Ondrel"},
       "HKEY_CURRENT_USER\\SOFTWARE\\Ondrel"},
      {install::KeyStep{RegRoot::LocalMachine, "SOFTWARE\\OndrelX"},
       "HKEY_LOCAL_MACHINE\\SOFTWARE\\OndrelX"},
      {install::ValueStep{RegRoot::LocalMachine,
                          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "x", true},
       "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run x"},
      {install::ValueStep{RegRoot::LocalMachine, "SOFTWARE\\Ondrel", "x", true},
       "HKEY_LOCAL_MACHINE\\SOFTWARE\\Ondrel x"},
      {install::SharedStep{"C:\\QEN2005\\APP.DAT"}, "C:\\QEN2005\\APP.DAT"},
      {install::GroupStep{"OTHER"}, "OTHER"},
      {install::IconStep{"TAVO", "Other", "C:\\QEN2005\\QEN2005.EXE"}, "TAVO Other"},
      {install::IconStep{"TAVO", "QEN 2005", "C:\\WINDOWS\\notepad.exe"},
       "C:\\WINDOWS\\notepad.exe"},
      {install::MenuFolderStep{kMenu + "\\Startup"}, kMenu + "\\Startup"},
      {install::MenuFolderStep{kMenu}, kMenu},
      {install::ShortcutStep{kMenu + "\\TAVO\\evil.lnk"}, kMenu + "\\TAVO\\evil.lnk"},
      {install::ShortcutStep{kMenu + "\\Startup\\QEN 2005.lnk"}, kMenu + "\\Startup\\QEN 2005.lnk"},
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
#ifdef _WIN32
  // A drive's root is never made by an installation, nor is it an engine's folder (where
  // "C:" is a folder like any other, natively, it can be).
  all.push_back({install::FolderStep{"C:\\"}, "C:\\"});
  all.push_back({install::EngineStep{"C:\\"}, "C:\\"});
#endif
  for (const Case& c : all) {
    std::vector<RecordStep> steps = kInside;
    steps.push_back(c.step);
    EXPECT_EQ(install::LineOutside(steps, Scope()), "line " + std::to_string(kInside.size() + 2) +
                                                        ": " + c.named +
                                                        " lies outside what the installation made")
        << install::RecordLineText(c.step);
  }
}

}  // namespace
}  // namespace installtest
