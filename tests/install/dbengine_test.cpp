// The start-up test for an installed database engine: the key, the first DLLPATH
// folder's two libraries, and the two configuration files in CONFIGFILE01's folder.
// Real files in a scratch folder; the registry is the in-memory double.
#include "install/dbengine.h"

#include <filesystem>

#include "install/registry.h"
#include "install_test_util.h"
#include "platform/files.h"
#include "platform/forwarding_files.h"
#include "platform/text.h"
#include "support/test_files.h"

namespace installtest {
namespace {

using testing_support::ScratchDir;

// Records the names asked about, answering from the real file system.
class ProbeLog : public platform::ForwardingFiles {
 public:
  bool FileExists(const std::string& path) override {
    probed.push_back(path);
    return platform::ForwardingFiles::FileExists(path);
  }
  std::vector<std::string> probed;
};

class EnginePresence : public ::testing::Test {
 protected:
  MemoryRegistry registry_;
  ScratchDir dir_;
  ProbeLog files_;
  platform::ScopedPort<platform::FileSystem> useFiles_{files_};
  const std::string key_ = "SOFTWARE\\Ondrel\\Database Engine";

  // The scratch folder as the installer writes folders, `\` separated, no final `\`.
  std::string Ode() const {
    const std::string& p = dir_.Path();
    return p.substr(0, p.size() - 1) + "\\ODE";
  }
  void Put(const std::string& name) {
    std::filesystem::create_directories(dir_ / "ODE");
    testing_support::WriteFileBytes(dir_ / ("ODE/" + name), {0});
  }
};

TEST_F(EnginePresence, NoKeyMeansNoEngineEvenWithItsFiles) {
  Put("dbapi32.dll");
  EXPECT_FALSE(install::DatabaseEnginePresent());
  EXPECT_TRUE(files_.probed.empty());
  // The key is only ever opened, never created.
  EXPECT_EQ(registry_.requests, std::vector<std::string>{"open SOFTWARE\\Ondrel\\Database Engine"});
  EXPECT_FALSE(registry_.HasKey(key_));
}

TEST_F(EnginePresence, EachProbedFileShowsAnEngine) {
  registry_.SetText(key_, "DLLPATH", Ode());
  registry_.SetText(key_, "CONFIGFILE01", Ode() + "\\DBAPI32.CFG");
  EXPECT_FALSE(install::DatabaseEnginePresent());
  EXPECT_EQ(files_.probed,
            (std::vector<std::string>{Ode() + "\\dbapi32.dll", Ode() + "\\dbcore.dll",
                                      Ode() + "\\dbapi.cfg", Ode() + "\\dbapi32.cfg"}));
  for (const char* name : {"dbapi32.dll", "dbcore.dll", "dbapi.cfg", "dbapi32.cfg"}) {
    Put(name);
    EXPECT_TRUE(install::DatabaseEnginePresent()) << name;
    std::filesystem::remove(dir_ / (std::string("ODE/") + name));
  }
}

TEST_F(EnginePresence, TheFirstOfSeveralTrimmedFoldersIsProbed) {
  registry_.SetText(key_, "dllpath", "  " + Ode() + ";C:\\OTHER  ");
  registry_.AddKey(key_);
  Put("dbcore.dll");
  EXPECT_TRUE(install::DatabaseEnginePresent());
  EXPECT_EQ(files_.probed[0], Ode() + "\\dbapi32.dll");
  EXPECT_EQ(files_.probed[1], Ode() + "\\dbcore.dll");
}

TEST_F(EnginePresence, TheBackslashGoesInEvenAfterOne) {
  registry_.SetText(key_, "DLLPATH", "C:\\ODE\\");
  EXPECT_FALSE(install::DatabaseEnginePresent());
  EXPECT_EQ(files_.probed[0], "C:\\ODE\\\\dbapi32.dll");
}

TEST_F(EnginePresence, EmptyValuesProbeTheRootAndTheCurrentFolder) {
  registry_.AddKey(key_);
  EXPECT_FALSE(install::DatabaseEnginePresent());
  EXPECT_EQ(files_.probed, (std::vector<std::string>{"\\dbapi32.dll", "\\dbcore.dll", "dbapi.cfg",
                                                     "dbapi32.cfg"}));
}

TEST_F(EnginePresence, TheConfigurationFolderEndsAtTheLastBackslashOrColon) {
  registry_.SetText(key_, "CONFIGFILE01", " D:DBAPI.CFG ; E:\\X.CFG");
  EXPECT_FALSE(install::DatabaseEnginePresent());
  EXPECT_EQ(files_.probed[2], "D:dbapi.cfg");
  registry_.SetText(key_, "CONFIGFILE01", Ode() + "\\dbapi32.cfg");
  Put("dbapi32.cfg");
  EXPECT_TRUE(install::DatabaseEnginePresent());
}

TEST_F(EnginePresence, ANonTextValueRaisesTheReadError) {
  registry_.SetRaw(key_, "DLLPATH", platform::RegType::Dword, {1, 0, 0, 0});
  try {
    install::DatabaseEnginePresent();
    FAIL() << "no error";
  } catch (const install::ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'DLLPATH'");
  }
}

TEST(EngineText, TrimAndFolderPart) {
  EXPECT_EQ(install::Trim("\t C:\\ODE \r\n"), "C:\\ODE");
  EXPECT_EQ(install::Trim("   "), "");
  EXPECT_EQ(platform::FolderPart("C:\\ODE\\DBAPI32.CFG"), "C:\\ODE\\");
  EXPECT_EQ(platform::FolderPart("C:X.CFG"), "C:");
  EXPECT_EQ(platform::FolderPart("X.CFG"), "");
  EXPECT_EQ(platform::FolderPart("C:/ODE/X.CFG"),
            "C:/ODE/");  // either separator, as the files port
}

}  // namespace
}  // namespace installtest
