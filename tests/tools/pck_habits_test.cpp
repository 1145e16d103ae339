// pck used as a Linux user of zip and tar uses an archiver: each row is a habit (or a
// fault met on the way) with the runs that show it. The table runs natively and, for the
// rows that apply on Windows, under Wine with pck.exe.
#include <functional>

#include "tests/tools/pck_fixture.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pck_tool_tests {
namespace {

class HabitRun : public PckTool {
 public:
  // src/ holds a.txt, b.dat, sub/c.txt and sub/deep/d.h.
  void MakeTree() {
    for (const char* folder : {"src", "src/sub", "src/sub/deep"})
      platform::FileSystemPort().CreateDirectory(dir / folder);
    MakeFile("src/a.txt", Bytes{'a'});
    MakeFile("src/b.dat", Bytes{'b', 'b'});
    MakeFile("src/sub/c.txt", Bytes{'c'});
    MakeFile("src/sub/deep/d.h", Bytes{'d'});
  }
  std::vector<std::string> Names(const std::string& package) {
    std::vector<std::string> names = StoredNames(dir / package);
    std::sort(names.begin(), names.end());
    return names;
  }
  using PckTool::dir;
  using PckTool::MakeFile;
  using PckTool::P;
  using PckTool::Pck;
  using PckTool::WritePackage;
  using PckTool::Compressed;
};

using Names = std::vector<std::string>;

struct Habit {
  const char* name;
  std::function<void(HabitRun&)> run;
};

const Habit kHabits[] = {
    {"ExtractGoesOnPastADamagedStream",
     [](HabitRun& t) {
       Bytes bad = t.Compressed(testing_support::SampleText(3000, 2));
       bad[4] ^= 1;  // the header's size no longer matches what the stream gives
       t.WritePackage("D.PCK", {{"ONE.TXT", bad},
                                {"TWO.TXT", t.Compressed(testing_support::SampleText(90, 1))},
                                {"THREE.TXT", t.Compressed(testing_support::SampleText(80, 3))},
                                {"FOUR.TXT", t.Compressed(testing_support::SampleText(70, 4))}});
       const Outcome r = t.Pck("extract " + t.P("D.PCK") + " -d " + t.P("out"));
       EXPECT_EQ(r.status, 1);
       EXPECT_TRUE(Contains(r.err, "ONE.TXT: Lzrw1/KH : Sizes do not match")) << r.err;
       EXPECT_TRUE(Contains(r.out, "1 of 4 members not extracted")) << r.out;
       EXPECT_EQ(Tree(t.dir / "out"), (std::map<std::string, Bytes>{
                                          {"FOUR.TXT", testing_support::SampleText(70, 4)},
                                          {"THREE.TXT", testing_support::SampleText(80, 3)},
                                          {"TWO.TXT", testing_support::SampleText(90, 1)}}));
     }},
    {"AFolderArgumentPacksItsTree",
     [](HabitRun& t) {
       t.MakeTree();
       EXPECT_EQ(t.Pck("create " + t.P("F.PCK") + " src", t.P("")).status, 0);
       EXPECT_EQ(t.Names("F.PCK"),
                 (Names{"src\\a.txt", "src\\b.dat", "src\\sub\\c.txt", "src\\sub\\deep\\d.h"}));
       EXPECT_EQ(t.Pck("create " + t.P("G.PCK") + " -C " + t.P("src") + " .").status, 0);
       EXPECT_EQ(t.Names("G.PCK"), (Names{"a.txt", "b.dat", "sub\\c.txt", "sub\\deep\\d.h"}));
     }},
    {"ANameThatMatchesNothingFailsAfterTheRest",
     [](HabitRun& t) {
       t.MakeTree();
       Outcome r = t.Pck("create " + t.P("N.PCK") + " -C " + t.P("src") + " a.txt nosuch.txt");
       EXPECT_EQ(r.status, 1);
       EXPECT_TRUE(Contains(r.err, "nosuch.txt: no such file or folder")) << r.err;
       EXPECT_EQ(t.Names("N.PCK"), Names{"a.txt"});
       r = t.Pck("create " + t.P("M.PCK") + " -C " + t.P("src") + " " + Quote("*.none"));
       EXPECT_EQ(r.status, 1);
       EXPECT_TRUE(Contains(r.err, "*.none: no file matches")) << r.err;
       EXPECT_FALSE(PathExists(t.dir / "M.PCK"));
       r = t.Pck("create " + t.P("M.PCK") + " -C " + t.P("nosuchdir") + " a.txt");
       EXPECT_EQ(r.status, 1);
       EXPECT_TRUE(Contains(r.err, "nosuchdir: no such folder")) << r.err;
     }},
    {"ANameTooLongForThePackageSaysSo",
     [](HabitRun& t) {
       std::string deep = "src";
       platform::FileSystemPort().CreateDirectory(t.dir / deep);
       for (int i = 0; i < 7; ++i) {
         deep += "/" + std::string(48, static_cast<char>('a' + i));
         platform::FileSystemPort().CreateDirectory(t.dir / deep);
       }
       t.MakeFile(deep + "/f.txt", Bytes{'f'});
       const Outcome r = t.Pck("create " + t.P("L.PCK") + " " + Quote(deep + "/f.txt"), t.P(""));
       EXPECT_EQ(r.status, 1);
       EXPECT_TRUE(Contains(r.err, "longer than 255 characters")) << r.err;
       EXPECT_FALSE(Contains(r.err, "no files")) << r.err;
       EXPECT_FALSE(PathExists(t.dir / "L.PCK"));
     }},
#ifndef _WIN32
    {"AnAbsolutePathIsStoredWithoutItsRoot",
     [](HabitRun& t) {
       t.MakeTree();
       const Outcome r = t.Pck("create " + t.P("A.PCK") + " " + Quote(t.dir / "src/sub"));
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_EQ(Count(r.err, "removing the root"), 1u) << r.err;
       std::string stored = (t.dir / "src/sub/c.txt").substr(1);
       std::replace(stored.begin(), stored.end(), '/', '\\');
       EXPECT_EQ(t.Names("A.PCK")[0], stored);
     }},
    {"LinksToNothingAndEmptyFoldersAreSaid",
     [](HabitRun& t) {
       t.MakeTree();
       platform::FileSystemPort().CreateDirectory(t.dir / "src/empty");
       ASSERT_EQ(::symlink("nowhere", (t.dir / "src/dangling").c_str()), 0);
       const Outcome r = t.Pck("create " + t.P("E.PCK") + " -C " + t.P("src") + " .");
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_TRUE(Contains(r.err, "empty: an empty folder")) << r.err;
       EXPECT_TRUE(Contains(r.err, "dangling: a symbolic link to nothing")) << r.err;
     }},
#endif
};

class PckHabits : public HabitRun, public ::testing::WithParamInterface<Habit> {};

TEST_P(PckHabits, Holds) { GetParam().run(*this); }

INSTANTIATE_TEST_SUITE_P(Table, PckHabits, ::testing::ValuesIn(kHabits),
                         [](const ::testing::TestParamInfo<Habit>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace pck_tool_tests
