// The demonstration medium as scripts/make-medium writes it, read back with the package
// engine the installer uses: which files each disk holds, which members each package
// holds, that every member comes back byte for byte with the medium's fixed time, that
// text reaches the medium in Windows-1252 with CR LF, that a second run replaces the
// medium, and that a refused run touches nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pack/cpacklz.h"
#include "platform/files.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Bytes;
using testing_support::PathExists;
using testing_support::RandomBytes;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

// 2005-06-15 10:00:00, the time make-medium gives every file, as a DOS date-time.
constexpr uint32_t kMediumTime = ((25u << 9 | 6u << 5 | 15u) << 16) | (10u << 11);

const std::string kSourceDir = SOURCE_DIR;

struct Package {
  std::string disk, file, content;  // content: the folder under tools/medium/content
  std::vector<std::string> members;
};

const std::vector<Package> kPackages = {
    {"DISK1", "DBAPI.PCK", "DBAPI", {"DBAPI32.CFG", "DBAPI32.DLL", "DBCORE.DLL"}},
    {"DISK1", "LD.PCK", "LD", {"ANSI850.LD", "ANSIINTL.LD"}},
    {"DISK1", "HELP.PCK", "HELP", {"Leiame.txt", "QEN2005.HLP"}},
    {"DISK1", "BD.PCK", "BD", {"DADOS\\CLIENTES.DAT", "DADOS\\PEDIDOS.DAT", "DADOS\\PRODUTOS.DAT"}},
    {"DISK2", "APP.PCK", "", {"QEN2005.EXE", "QEN2005.RES"}},
    {"DISK2", "DBSQL32.PCK", "DBSQL32", {"DBSQL32.CFG", "DBSQL32.DLL"}},
};

// A path quoted for the shell (the scratch paths hold no quote).
std::string Quote(const std::string& text) {
  std::string quoted = text;
  quoted.insert(quoted.begin(), '\'');
  quoted.push_back('\'');
  return quoted;
}

// UTF-8 text turned into Windows-1252 with CR LF line ends, the way the medium must hold
// it. Only ASCII and the Latin-1 letters and signs (U+00A0 to U+00FF, the same codes in
// Windows-1252) are expected in the sources; anything else fails the test.
Bytes Windows1252WithCrLf(const Bytes& utf8, const std::string& what) {
  Bytes out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const uint8_t c = utf8[i];
    if (c == '\n') {
      out.push_back('\r');
      out.push_back('\n');
    } else if (c < 0x80) {
      out.push_back(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() && (utf8[i + 1] & 0xC0) == 0x80) {
      const uint8_t code = static_cast<uint8_t>((c & 0x03) << 6 | (utf8[i + 1] & 0x3F));
      if (code < 0xA0) ADD_FAILURE() << what << ": control character U+00" << std::hex << +code;
      out.push_back(code);
      ++i;
    } else {
      ADD_FAILURE() << what << ": byte " << +c << " at " << i << " is not a Latin-1 letter";
      return {};
    }
  }
  return out;
}

bool Contains(const Bytes& data, const std::string& text) {
  const Bytes part(text.begin(), text.end());
  return std::search(data.begin(), data.end(), part.begin(), part.end()) != data.end();
}

// Names of the entries of `folder` (files and folders), sorted.
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Files below `folder`, as member names (`\` between folders), sorted.
std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (!e.is_regular_file()) continue;
    std::string name = fs::relative(e.path(), folder).string();
    std::replace(name.begin(), name.end(), '/', '\\');
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct Listed {
  std::string name;
  int32_t time;
};

class MakeMedium : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(installExe, RandomBytes(6000, 1));
    WriteFileBytes(qenExe, RandomBytes(40000, 2));
  }

  // Runs make-medium with the pck of this build; its output goes to a log file.
  int Make(const std::string& out, const std::string& install, const std::string& program) {
    const std::string command = "PCK=" + Quote(PCK_EXE) + " " +
                                Quote(kSourceDir + "/scripts/make-medium") + " " + Quote(out) +
                                " " + Quote(install) + " " + Quote(program) + " > " +
                                Quote(dir / "make-medium.log") + " 2>&1";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  int Make() { return Make(medium, installExe, qenExe); }
  std::string Log() {
    const Bytes log = ReadFileBytes(dir / "make-medium.log");
    return std::string(log.begin(), log.end());
  }

  std::string PackagePath(const Package& p) const { return medium + "/" + p.disk + "/" + p.file; }

  // What the source of a member must become on the medium.
  Bytes Expected(const Package& p, const std::string& member) {
    if (p.content.empty()) return ReadFileBytes(qenExe);
    std::string path = kSourceDir + "/tools/medium/content/" + p.content + "/" + member;
    std::replace(path.begin(), path.end(), '\\', '/');
    return Windows1252WithCrLf(ReadFileBytes(path), path);
  }

  static std::vector<Listed> List(const std::string& package) {
    pack::TPackLz pack(nullptr);
    pack.SetPackFileName(package);
    std::vector<Listed> listed;
    pack.OnList = [&listed](platform::TObject*, const std::string& name, int32_t, uint16_t,
                            int32_t time) {
      listed.push_back({name, time});
    };
    EXPECT_TRUE(pack.Process(pack::TPackMode::pmList)) << package << ": " << pack.LastError();
    return listed;
  }

  static bool Extract(const std::string& package, const std::string& target) {
    pack::TPackLz pack(nullptr);
    pack.SetPackFileName(package);
    pack.SetDirectory(target);
    const bool ok = pack.Extract();
    EXPECT_TRUE(ok) << package << ": " << pack.LastError();
    return ok;
  }

  ScratchDir dir;
  const std::string installExe = dir / "stand-in Install.exe";
  const std::string qenExe = dir / "QEN2005 stand-in.exe";
  const std::string medium = dir / "medium";
};

TEST_F(MakeMedium, WritesTwoDisksWithInstallAndTheSixPackages) {
  ASSERT_EQ(Make(), 0) << Log();
  EXPECT_EQ(Entries(medium), (std::vector<std::string>{"DISK1", "DISK2"}));
  EXPECT_EQ(Entries(medium + "/DISK1"),
            (std::vector<std::string>{"BD.PCK", "DBAPI.PCK", "HELP.PCK", "Install.exe", "LD.PCK"}));
  EXPECT_EQ(Entries(medium + "/DISK2"), (std::vector<std::string>{"APP.PCK", "DBSQL32.PCK"}));
  EXPECT_EQ(ReadFileBytes(medium + "/DISK1/Install.exe"), ReadFileBytes(installExe));
  uint32_t time = 0;
  ASSERT_TRUE(platform::FileSystemPort().GetDosTime(medium + "/DISK1/Install.exe", time));
  EXPECT_EQ(time, kMediumTime);
  // Nothing of the run is left beside the medium.
  EXPECT_EQ(Entries(dir.Path()).size(), 4u) << "medium, two stand-ins and the log only";
  // What was written is reported: every package's listing.
  const std::string log = Log();
  for (const Package& p : kPackages)
    for (const std::string& member : p.members)
      EXPECT_NE(log.find(member), std::string::npos) << member << " not reported\n" << log;
}

TEST_F(MakeMedium, EveryPackageHoldsItsMembersAndExtractsThemByteForByte) {
  ASSERT_EQ(Make(), 0) << Log();
  for (const Package& p : kPackages) {
    SCOPED_TRACE(p.file);
    std::vector<std::string> names;
    for (const Listed& m : List(PackagePath(p))) {
      names.push_back(m.name);
      EXPECT_EQ(static_cast<uint32_t>(m.time), kMediumTime) << m.name;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, p.members);

    const std::string target = dir / ("out-" + p.content);
    ASSERT_TRUE(Extract(PackagePath(p), target));
    EXPECT_EQ(FilesBelow(target), p.members);
    for (const std::string& member : p.members) {
      std::string path = target + "/" + member;
      std::replace(path.begin(), path.end(), '\\', '/');
      ASSERT_TRUE(PathExists(path)) << member;
      if (member == "QEN2005.RES") {
        // Packed already: 40 KiB that the fast method stores as they are.
        EXPECT_EQ(ReadFileBytes(path).size(), 40960u);
        EXPECT_GT(testing_support::ReadFileBytes(PackagePath(p)).size(), 40960u);
      } else {
        EXPECT_EQ(ReadFileBytes(path), Expected(p, member)) << member;
      }
      uint32_t time = 0;
      ASSERT_TRUE(platform::FileSystemPort().GetDosTime(path, time)) << member;
      EXPECT_EQ(time, kMediumTime) << member;
    }
  }
}

TEST_F(MakeMedium, LeiameReachesTheMediumInWindows1252WithCrLf) {
  ASSERT_EQ(Make(), 0) << Log();
  ASSERT_TRUE(Extract(medium + "/DISK1/HELP.PCK", dir / "help"));
  const Bytes text = ReadFileBytes(dir / "help/Leiame.txt");
  ASSERT_FALSE(text.empty());
  std::size_t lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
      ++lines;
    } else if (text[i] == '\r') {
      ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
    }
  }
  EXPECT_GT(lines, 20u);
  EXPECT_EQ(text.back(), '\n');
  // The application's name and Portuguese words in Windows-1252 (octal escapes), not in
  // UTF-8.
  EXPECT_TRUE(Contains(text, "M\363dulo Quarvel - QEN 2005\r\n"));
  EXPECT_TRUE(Contains(text, "INSTALA\307\303O"));
  EXPECT_TRUE(Contains(text, "C:\\QEN2005\\DADOS"));
  EXPECT_FALSE(Contains(text, "M\303\263dulo"));
}

TEST_F(MakeMedium, ASecondRunReplacesTheMediumAndDiffersOnlyInPackageStamps) {
  ASSERT_EQ(Make(), 0) << Log();
  std::vector<Bytes> first;
  for (const Package& p : kPackages) first.push_back(ReadFileBytes(PackagePath(p)));
  WriteFileBytes(medium + "/DISK1/OLD.PCK", Bytes{1, 2, 3});
  fs::create_directory(medium + "/DISK3");

  ASSERT_EQ(Make(medium + "/", installExe, qenExe), 0) << Log();  // a trailing slash is the same
  EXPECT_EQ(Entries(medium), (std::vector<std::string>{"DISK1", "DISK2"}));
  EXPECT_FALSE(PathExists(medium + "/DISK1/OLD.PCK"));
  for (std::size_t i = 0; i < kPackages.size(); ++i) {
    Bytes again = ReadFileBytes(PackagePath(kPackages[i]));
    ASSERT_EQ(again.size(), first[i].size()) << kPackages[i].file;
    // Bytes 5 to 12 hold the package's creation stamp; everything else is reproduced.
    std::copy(first[i].begin() + 5, first[i].begin() + 13, again.begin() + 5);
    EXPECT_EQ(again, first[i]) << kPackages[i].file;
  }
  EXPECT_EQ(Entries(dir.Path()).size(), 4u) << "medium, two stand-ins and the log only";
}

TEST_F(MakeMedium, RefusalsLeaveEverythingAsItWas) {
  // A folder that holds something other than disk folders is not replaced.
  fs::create_directories(medium + "/DISK1");
  WriteFileBytes(medium + "/notes.txt", Bytes{'k', 'e', 'e', 'p'});
  EXPECT_EQ(Make(), 1);
  EXPECT_NE(Log().find("not a disk folder"), std::string::npos) << Log();
  EXPECT_EQ(Entries(medium), (std::vector<std::string>{"DISK1", "notes.txt"}));
  EXPECT_EQ(ReadFileBytes(medium + "/notes.txt"), (Bytes{'k', 'e', 'e', 'p'}));

  // Nor is a file in its place.
  const std::string file = dir / "medium.file";
  WriteFileBytes(file, Bytes{'x'});
  EXPECT_EQ(Make(file, installExe, qenExe), 1);
  EXPECT_EQ(ReadFileBytes(file), Bytes{'x'});

  // A missing program is a usage error; nothing is written.
  const std::string fresh = dir / "fresh";
  EXPECT_EQ(Make(fresh, dir / "missing.exe", qenExe), 2);
  EXPECT_NE(Log().find("missing.exe"), std::string::npos) << Log();
  EXPECT_EQ(Make(fresh, installExe, dir.Path()), 2) << "a folder is not a program";
  EXPECT_FALSE(PathExists(fresh));
  EXPECT_EQ(Entries(dir.Path()).size(), 5u) << "no temporary folder left behind";
}

}  // namespace
