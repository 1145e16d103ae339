// Names with accents between the native pck and pck.exe under Wine, both ways: a package
// made here extracts under the same names there, and one made there extracts under the
// same names here. The Windows tests run this native test with their pck.exe
// (PCK_WINDOWS_EXE) and the runner of their Wine prefix (WINE_RUN); without them there is
// no pck.exe to meet, and the test is skipped.
#include <cstdlib>
#include <filesystem>
#include <set>

#include "name_cases.h"
#include "pck_fixture.h"

namespace pck_tool_tests {
namespace {

class PckUnderWine : public PckTool {
 protected:
  void SetUp() override {
    const char* exe = std::getenv("PCK_WINDOWS_EXE");
    const char* run = std::getenv("WINE_RUN");
    if (!exe || !*exe || !run || !*run)
      GTEST_SKIP() << "no pck.exe named (the Windows tests run this)";
    windowsPck_ = Quote(run) + " " + Quote(exe);
  }
  Outcome WindowsPck(const std::string& args) { return Run(windowsPck_, args); }
  // A path of the scratch directory as a Windows program under Wine names it.
  std::string Z(const std::string& name) {
    std::string path = "Z:" + dir / name;
    std::replace(path.begin(), path.end(), '/', '\\');
    if (name.empty()) path.pop_back();
    return Quote(path);
  }

  std::string windowsPck_;
};

TEST_F(PckUnderWine, AccentedNamesKeepTheirSpellingBothWays) {
  std::filesystem::create_directories(dir / "src/Música");
  std::multiset<std::string> stored;
  for (std::size_t i = 0; i < std::size(kNames); ++i)
    if (kNames[i].file && kNames[i].stored) {
      MakeFile(std::string("src/") + kNames[i].file, ContentOf(i));
      stored.insert(kNames[i].stored);
    }
  const auto source = Tree(dir / "src");

  // Made here, extracted there.
  Outcome r = Pck("create " + P("L.PCK") + " -C " + P("src") + " '*.*' 'Música/*.*'");
  ASSERT_EQ(r.status, 0) << r.err;
  r = WindowsPck("extract " + Z("L.PCK") + " -d " + Z("there"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Tree(dir / "there"), source);

  // Made there from what it extracted, in the ANSI code page; extracted here.
  r = WindowsPck("create " + Z("W.PCK") + " -C " + Z("there") + " '*.*' 'Música\\*.*'");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> names = StoredNames(dir / "W.PCK");
  EXPECT_EQ(std::multiset<std::string>(names.begin(), names.end()), stored);
  r = Pck("extract " + P("W.PCK") + " -d " + P("here"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Tree(dir / "here"), source);
  r = Pck("list " + P("W.PCK"));
  EXPECT_TRUE(Contains(r.out, "  ÇÃO de 5 €.txt\n")) << r.out;
}

}  // namespace
}  // namespace pck_tool_tests
