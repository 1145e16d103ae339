// pck used as a Linux user of zip and tar uses an archiver: each row is a habit (or a
// fault met on the way) with the runs that show it. The table runs natively and, for the
// rows that apply on Windows, under Wine with pck.exe.
#include <functional>

#include "tests/tools/pck_fixture.h"

#ifndef _WIN32
#include <fcntl.h>
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
  using PckTool::Compressed;
  using PckTool::dir;
  using PckTool::launcher;
  using PckTool::MakeFile;
  using PckTool::P;
  using PckTool::Pck;
  using PckTool::Run;
  using PckTool::stdinFrom;
  using PckTool::stdoutTo;
  using PckTool::WritePackage;
};

using Names = std::vector<std::string>;

using Habit = Scenario<HabitRun>;

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
       EXPECT_EQ(Tree(t.dir / "out"),
                 (std::map<std::string, Bytes>{{"FOUR.TXT", testing_support::SampleText(70, 4)},
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
    {"HelpIsPlainText",
     [](HabitRun& t) {
       for (const char* verb : {"", "create ", "extract ", "list ", "test ", "compress "}) {
         const Outcome r = t.Pck(std::string(verb) + "--help");
         EXPECT_EQ(r.status, 0) << verb;
         if (std::string(verb) == "create ") {
           EXPECT_TRUE(Contains(r.out, "auto|fast|good")) << r.out;
           EXPECT_TRUE(Contains(r.out, "content is not encrypted")) << r.out;
         }
         for (const char c : r.out)
           EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20)
               << verb << "holds the byte " << static_cast<int>(c);
       }
     }},
    {"OneWildcardDialectForEveryVerb",
     [](HabitRun& t) {
       t.MakeTree();
       ASSERT_EQ(t.Pck("create " + t.P("W.PCK") + " -C " + t.P("src") + " .").status, 0);
       // The same pattern takes the same members from the folder and from the package.
       const struct {
         const char* pattern;
         Names members;
       } kSelections[] = {
           {"*", {"a.txt", "b.dat", "sub\\c.txt", "sub\\deep\\d.h"}},
           {"*.txt", {"a.txt"}},
           {"sub/*", {"sub\\c.txt", "sub\\deep\\d.h"}},
           {"**/*.H", {"sub\\deep\\d.h"}},
           {"?.dat", {"b.dat"}},
       };
       for (const auto& [pattern, members] : kSelections) {
         SCOPED_TRACE(pattern);
         std::filesystem::remove(t.dir / "C.PCK");
         EXPECT_EQ(
             t.Pck("create " + t.P("C.PCK") + " -C " + t.P("src") + " " + Quote(pattern)).status,
             0);
         EXPECT_EQ(t.Names("C.PCK"), members);
         std::filesystem::remove_all(t.dir / "out");
         EXPECT_EQ(
             t.Pck("extract " + t.P("W.PCK") + " -d " + t.P("out") + " " + Quote(pattern)).status,
             0);
         EXPECT_EQ(Tree(t.dir / "out").size(), members.size());
         const Outcome listed = t.Pck("list " + t.P("W.PCK") + " " + Quote(pattern));
         EXPECT_TRUE(Contains(listed.out, std::to_string(members.size()) +
                                              (members.size() == 1 ? " file" : " files")))
             << listed.out;
         const Outcome tested = t.Pck("test " + t.P("W.PCK") + " " + Quote(pattern));
         EXPECT_TRUE(Contains(tested.out, std::to_string(members.size()) + " member"))
             << tested.out;
       }
       // A pattern that selects nothing fails each verb, naming it.
       // (What extract takes lands in a folder of the run, not the working directory.)
       for (const char* verb : {"list ", "test ", "extract -d none "}) {
         const Outcome r = t.Pck(verb + t.P("W.PCK") + " " + Quote("*.none") + " a.txt", t.P(""));
         EXPECT_EQ(r.status, 1) << verb;
         EXPECT_TRUE(Contains(r.err, "*.none: no member matches")) << verb << r.err;
       }
       // -x without a folder leaves names out at every depth.
       std::filesystem::remove(t.dir / "C.PCK");
       EXPECT_EQ(
           t.Pck("create " + t.P("C.PCK") + " -C " + t.P("src") + " . -x " + Quote("*.txt")).status,
           0);
       EXPECT_EQ(t.Names("C.PCK"), (Names{"b.dat", "sub\\deep\\d.h"}));
     }},
    {"NamesFromAFile",
     [](HabitRun& t) {
       t.MakeTree();
       WriteFileBytes(t.dir / "names", Bytes{'a', '.', 't', 'x', 't', '\r', '\n', '\n', 's', 'u',
                                             'b', '/', 'd', 'e', 'e', 'p', '\n'});
       EXPECT_EQ(t.Pck("create " + t.P("N.PCK") + " -C " + t.P("src") + " @" + t.P("names")).status,
                 0);
       EXPECT_EQ(t.Names("N.PCK"), (Names{"a.txt", "sub\\deep\\d.h"}));
       t.stdinFrom = t.dir / "names";
       const Outcome r = t.Pck("create " + t.P("I.PCK") + " -C " + t.P("src") + " b.dat @-");
       t.stdinFrom.clear();
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_EQ(t.Names("I.PCK"), (Names{"a.txt", "b.dat", "sub\\deep\\d.h"}));
       EXPECT_EQ(t.Pck("create " + t.P("X.PCK") + " @" + t.P("nolist")).status, 1);
     }},
    {"KeepOldAndNewerFiles",
     [](HabitRun& t) {
       t.MakeTree();  // every file has the time kTime, in 1999
       ASSERT_EQ(t.Pck("create " + t.P("K.PCK") + " -C " + t.P("src") + " a.txt b.dat").status, 0);
       platform::FileSystemPort().CreateDirectory(t.dir / "out");
       const uint32_t older = kTime - (1u << 16), newer = kTime + (1u << 16);  // a day apart
       const auto there = [&t](const char* name, uint32_t time) {
         WriteFileBytes(t.dir / ("out/" + std::string(name)), Bytes{'x'});
         pack::SetFileDateAttr(platform::FromHostPath(t.dir / ("out/" + std::string(name))),
                               static_cast<int32_t>(time), platform::kAttrArchive);
       };
       there("a.txt", older);
       there("b.dat", newer);
       Outcome r = t.Pck("extract " + t.P("K.PCK") + " -d " + t.P("out") + " -k");
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_EQ(Count(r.err, "is kept (-k)"), 2u) << r.err;
       EXPECT_EQ(ReadFileBytes(t.dir / "out/a.txt"), Bytes{'x'});
       r = t.Pck("extract " + t.P("K.PCK") + " -d " + t.P("out") + " --keep-newer-files");
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_EQ(ReadFileBytes(t.dir / "out/a.txt"), Bytes{'a'});  // older: replaced
       EXPECT_EQ(ReadFileBytes(t.dir / "out/b.dat"), Bytes{'x'});  // newer: kept
       EXPECT_TRUE(Contains(r.err, "b.dat: not extracted: the file that is there is newer"))
           << r.err;
       r = t.Pck("extract " + t.P("K.PCK") + " -d " + t.P("out"));
       EXPECT_EQ(ReadFileBytes(t.dir / "out/b.dat"), (Bytes{'b', 'b'}));  // by default: replaced
       EXPECT_EQ(t.Pck("extract " + t.P("K.PCK") + " -k --keep-newer-files").status, 2);
     }},
    {"NamesThatDifferOnlyInCase",
     [](HabitRun& t) {
       t.WritePackage(
           "C.PCK", {{"Read.me", t.Compressed(Bytes{'1'})}, {"READ.ME", t.Compressed(Bytes{'2'})}});
       const Outcome r = t.Pck("extract " + t.P("C.PCK") + " -d " + t.P("out"));
       EXPECT_EQ(r.status, 0) << r.err;
#ifdef _WIN32
       // The file system takes them for one name: the repeat is reported.
       EXPECT_TRUE(Contains(r.err, "READ.ME: replaces the earlier member Read.me")) << r.err;
#else
       EXPECT_EQ(Tree(t.dir / "out").size(), 2u);
       // Packed: refused for Windows by default, stored with --case-sensitive.
       platform::FileSystemPort().CreateDirectory(t.dir / "src");
       t.MakeFile("src/Read.me", Bytes{'1'});
       t.MakeFile("src/READ.ME", Bytes{'2'});
       Outcome c = t.Pck("create " + t.P("F.PCK") + " -C " + t.P("src") + " .");
       EXPECT_EQ(c.status, 1);
       EXPECT_TRUE(Contains(c.err, "--case-sensitive stores both")) << c.err;
       EXPECT_FALSE(PathExists(t.dir / "F.PCK"));
       c = t.Pck("create " + t.P("F.PCK") + " --case-sensitive -C " + t.P("src") + " .");
       EXPECT_EQ(c.status, 0) << c.err;
       EXPECT_EQ(t.Names("F.PCK"), (Names{"READ.ME", "Read.me"}));
#endif
     }},
    {"ListColumnsHoldTheLargestSizes",
     [](HabitRun& t) {
       // Stored forms that only claim their size: the compressed header is all a listing reads.
       const Bytes huge = {'W', 'R', 'Z', 'L', 0xFF, 0xFF, 0xFF, 0x7F, 0, 0};
       t.WritePackage("B.PCK", {{"BIG1.BIN", huge}, {"BIG2.BIN", huge}});
       const Outcome r = t.Pck("list -l " + t.P("B.PCK"));
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_TRUE(Contains(r.out, "2,147,483,647")) << r.out;
       EXPECT_TRUE(Contains(r.out, "4,294,967,294")) << r.out;
       // Every line's columns start where the heading's do.
       std::vector<std::string> lines;
       for (std::size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos;
            at = end + 1)
         lines.push_back(r.out.substr(at, end - at));
       ASSERT_GE(lines.size(), 4u);
       const std::size_t stored = lines[0].find("Stored") + 6;
       for (const std::string& line : {lines[2], lines[3]})
         EXPECT_EQ(line.find_first_of("0123456789", line.find(' ', line.find_first_not_of(' '))),
                   stored - 2)
             << r.out;
     }},
    {"LinesThatLookLikeDigestsAndDoNotParseAreSaid",
     [](HabitRun& t) {
       t.MakeTree();
       const Outcome c = t.Pck("create " + t.P("H.PCK") + " --no-digest -C " + t.P("src") +
                               " a.txt --header " + Quote("pck-digest/1 member 1 xxh3-128 zz"));
       ASSERT_EQ(c.status, 0) << c.err;
       for (const char* verb : {"info ", "test "}) {
         const Outcome r = t.Pck(verb + t.P("H.PCK"));
         EXPECT_EQ(r.status, 0) << verb << r.err;
         EXPECT_TRUE(
             Contains(r.err, "1 header line that start as a digest or metadata line do not parse"))
             << verb << r.err;
       }
     }},
    {"ALaterVolumeIsNamedAsSuch",
     [](HabitRun& t) {
       platform::FileSystemPort().CreateDirectory(t.dir / "DISK1");
       Bytes noise(60000);  // does not compress: three volumes
       uint32_t seed = 7;
       for (uint8_t& b : noise)
         b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
       WriteFileBytes(t.dir / "big.bin", noise);
       ASSERT_EQ(t.Pck("create " + t.P("DISK1/V.PCK") + " --volume-size 20000 --method fast " +
                       t.P("big.bin"))
                     .status,
                 0);
       for (const char* verb : {"list ", "info ", "test ", "extract "}) {
         const Outcome r = t.Pck(verb + t.P("DISK2/V.PCK"));
         EXPECT_EQ(r.status, 1) << verb;
         EXPECT_TRUE(Contains(r.err, "volume 2 of a set, not its first")) << verb << r.err;
       }
     }},
    {"ExtractToStandardOutput",
     [](HabitRun& t) {
       t.MakeTree();
       // Line ends and the old end-of-file byte reach standard output as they are.
       t.MakeFile("src/sub/lines.txt", Bytes{'\n', 'x', '\r', '\n', 0x1a, '\n'});
       ASSERT_EQ(t.Pck("create " + t.P("O.PCK") + " -C " + t.P("src") + " .").status, 0);
       t.stdoutTo = t.dir / "O.out";  // read as bytes, not as text
       Outcome r = t.Pck("extract -O -v " + t.P("O.PCK") + " sub " + Quote("*.txt"));
       t.stdoutTo.clear();
       EXPECT_EQ(r.status, 0) << r.err;
       // In the package's order, nothing else.
       EXPECT_EQ(ReadFileBytes(t.dir / "O.out"),
                 (Bytes{'a', 'c', 'd', '\n', 'x', '\r', '\n', 0x1a, '\n'}));
       EXPECT_EQ(Count(r.err, "extracted: "), 4u) << r.err;
       EXPECT_FALSE(PathExists(t.dir / "a.txt"));
       EXPECT_FALSE(PathExists(t.dir / "src/sub/sub"));
     }},
    {"PackagesPassThroughStandardStreams",
     [](HabitRun& t) {
       t.MakeTree();
       Bytes lines;  // a stored member whose bytes hold line ends the stream must keep
       for (int i = 0; i < 200; ++i) lines.insert(lines.end(), {'\r', '\n', '\n', 0x1a});
       t.MakeFile("src/sub/lines.txt", lines);
       std::vector<std::string> outs = {"-"};
#ifndef _WIN32
       // /dev/stdout, as standard output by another name, takes the package as "-" does.
       outs.push_back("/dev/stdout");
#endif
       for (const std::string& out : outs) {
         SCOPED_TRACE(out);
         t.stdoutTo = t.dir / "S.PCK";
         Outcome r = t.Pck("create " + out + " -v -C " + t.P("src") + " sub");
         t.stdoutTo.clear();
         EXPECT_EQ(r.status, 0) << r.err;
         // Standard output carries the package: the members are said on standard error.
         EXPECT_TRUE(Contains(r.err, "added: ") || out != "-") << r.err;
         EXPECT_EQ(t.Names("S.PCK"), (Names{"sub\\c.txt", "sub\\deep\\d.h", "sub\\lines.txt"}));
         t.stdinFrom = t.dir / "S.PCK";
         r = t.Pck("list -");
         EXPECT_TRUE(Contains(r.out, "3 files")) << r.out << r.err;
         r = t.Pck("extract - -d " + t.P("out"));
         t.stdinFrom.clear();
         EXPECT_EQ(r.status, 0) << r.err;
         EXPECT_EQ(ReadFileBytes(t.dir / "out/sub/deep/d.h"), Bytes{'d'});
         EXPECT_EQ(ReadFileBytes(t.dir / "out/sub/lines.txt"), lines);
       }
#ifndef _WIN32
       struct stat link {};
       ASSERT_EQ(::lstat("/dev/stdout", &link), 0);
       EXPECT_FALSE(S_ISREG(link.st_mode));
#endif
     }},
#ifndef _WIN32
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
    {"ASourceTheUserMayReadButNotWriteIsPacked",
     [](HabitRun& t) {
       t.MakeTree();
       ::chmod((t.dir / "src/a.txt").c_str(), 0444);
       // Root may write any file: the run is made as nobody, who may only read this one.
       std::string as;
       if (::geteuid() == 0) {
         ASSERT_EQ(std::system("command -v setpriv > /dev/null"), 0) << "setpriv is needed";
         as = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
         for (const char* path : {"", "src", "src/sub", "src/sub/deep"})
           ::chmod((t.dir / path).c_str(), 0777);
       }
       const Outcome r =
           t.Run(as + Quote(PckExe()), "create " + t.P("R.PCK") + " -C " + t.P("src") + " a.txt");
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_EQ(t.Names("R.PCK"), Names{"a.txt"});
     }},
    {"ALinkGivenAsThePackageIsFollowed",
     [](HabitRun& t) {
       t.MakeTree();
       platform::FileSystemPort().CreateDirectory(t.dir / "nas");
       ASSERT_EQ(::symlink("nas/real.PCK", (t.dir / "linked.PCK").c_str()), 0);
       EXPECT_EQ(t.Pck("create " + t.P("linked.PCK") + " -C " + t.P("src") + " a.txt").status, 0);
       struct stat link {};
       ASSERT_EQ(::lstat((t.dir / "linked.PCK").c_str(), &link), 0);
       EXPECT_TRUE(S_ISLNK(link.st_mode));
       EXPECT_EQ(t.Names("nas/real.PCK"), Names{"a.txt"});
       // Written again, through the same link: the target is replaced, the link stays.
       EXPECT_EQ(t.Pck("create " + t.P("linked.PCK") + " -C " + t.P("src") + " b.dat").status, 0);
       EXPECT_EQ(t.Names("nas/real.PCK"), Names{"b.dat"});
       ASSERT_EQ(::lstat((t.dir / "linked.PCK").c_str(), &link), 0);
       EXPECT_TRUE(S_ISLNK(link.st_mode));
     }},
    {"AFifoGivenAsThePackageIsRefused",
     [](HabitRun& t) {
       t.MakeTree();
       ASSERT_EQ(::mkfifo((t.dir / "fifo").c_str(), 0666), 0);
       t.launcher = "timeout 20 ";
       const Outcome r = t.Pck("create " + t.P("fifo") + " -C " + t.P("src") + " a.txt");
       EXPECT_EQ(r.status, 1);
       EXPECT_TRUE(Contains(r.err, "fifo: a device, pipe or socket")) << r.err;
       struct stat there {};
       ASSERT_EQ(::lstat((t.dir / "fifo").c_str(), &there), 0);
       EXPECT_TRUE(S_ISFIFO(there.st_mode));
     }},
    {"LinuxMetadataComesBack",
     [](HabitRun& t) {
       t.MakeTree();
       ::chmod((t.dir / "src/a.txt").c_str(), 0755);
       ::chmod((t.dir / "src/b.dat").c_str(), 04710);
       platform::FileSystemPort().CreateDirectory(t.dir / "src/empty");
       ::chmod((t.dir / "src/empty").c_str(), 0750);
       ASSERT_EQ(::symlink("a.txt", (t.dir / "src/link").c_str()), 0);
       ASSERT_EQ(::symlink("nowhere", (t.dir / "src/dangling").c_str()), 0);
       // 2020-01-02 04:05:07 UTC, an odd second the DOS time cannot hold.
       const struct timespec times[2] = {{0, UTIME_OMIT}, {1577937907, 0}};
       ASSERT_EQ(::utimensat(AT_FDCWD, (t.dir / "src/a.txt").c_str(), times, 0), 0);
       // Folders that hold members, a read-only one among them, and their times.
       ::chmod((t.dir / "src/sub/deep").c_str(), 0555);
       const struct timespec deepTime[2] = {{0, UTIME_OMIT}, {1500000001, 0}};
       const struct timespec subTime[2] = {{0, UTIME_OMIT}, {1400000003, 0}};
       ASSERT_EQ(::utimensat(AT_FDCWD, (t.dir / "src/sub/deep").c_str(), deepTime, 0), 0);
       ASSERT_EQ(::utimensat(AT_FDCWD, (t.dir / "src/sub").c_str(), subTime, 0), 0);
       t.launcher = "TZ=UTC ";
       Outcome r = t.Pck("create " + t.P("U.PCK") + " -C " + t.P("src") + " .");
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_EQ(r.err, "");
       t.launcher = "TZ=America/Sao_Paulo ";
       r = t.Pck("extract " + t.P("U.PCK") + " -d " + t.P("out"));
       t.launcher.clear();
       EXPECT_EQ(r.status, 0) << r.err;
       struct stat st {};
       ASSERT_EQ(::stat((t.dir / "out/a.txt").c_str(), &st), 0);
       EXPECT_EQ(st.st_mode & 07777, 0755u);
       EXPECT_EQ(st.st_mtime, 1577937907);
       ASSERT_EQ(::stat((t.dir / "out/b.dat").c_str(), &st), 0);
       EXPECT_EQ(st.st_mode & 07777, 04710u);
       ASSERT_EQ(::stat((t.dir / "out/empty").c_str(), &st), 0);
       EXPECT_TRUE(S_ISDIR(st.st_mode));
       EXPECT_EQ(st.st_mode & 07777, 0750u);
       ASSERT_EQ(::stat((t.dir / "out/sub/deep").c_str(), &st), 0);
       EXPECT_EQ(st.st_mode & 07777, 0555u);
       EXPECT_EQ(st.st_mtime, 1500000001);
       EXPECT_EQ(ReadFileBytes(t.dir / "out/sub/deep/d.h"), Bytes{'d'});
       ASSERT_EQ(::stat((t.dir / "out/sub").c_str(), &st), 0);
       EXPECT_EQ(st.st_mtime, 1400000003);  // set after deep/ was made in it
       char target[64] = {};
       EXPECT_GT(::readlink((t.dir / "out/link").c_str(), target, sizeof target - 1), 0);
       EXPECT_STREQ(target, "a.txt");
       EXPECT_GT(::readlink((t.dir / "out/dangling").c_str(), target, sizeof target - 1), 0);
       EXPECT_STREQ(target, "nowhere");
       // --dereference packs what a link leads to; --no-unix writes no line at all.
       r = t.Pck("create " + t.P("D.PCK") + " --dereference -C " + t.P("src") + " link");
       EXPECT_EQ(r.status, 0) << r.err;
       r = t.Pck("extract " + t.P("D.PCK") + " -d " + t.P("deref"));
       struct stat link {};
       ASSERT_EQ(::lstat((t.dir / "deref/link").c_str(), &link), 0);
       EXPECT_TRUE(S_ISREG(link.st_mode));
       EXPECT_EQ(ReadFileBytes(t.dir / "deref/link"), Bytes{'a'});
       r = t.Pck("create " + t.P("N.PCK") + " --no-unix -C " + t.P("src") + " a.txt");
       EXPECT_FALSE(Contains(t.Pck("info " + t.P("N.PCK")).out, "pck-unix/")) << r.err;
       EXPECT_TRUE(Contains(t.Pck("info " + t.P("U.PCK")).out, "pck-unix/1 member 1 file 0755"));
     }},
    {"MetadataLinesCannotLeadOutside",
     [](HabitRun& t) {
       // A folder line whose name leaves the target, and one below a link the package made.
       platform::FileSystemPort().CreateDirectory(t.dir / "src");
       platform::FileSystemPort().CreateDirectory(t.dir / "outside");
       ASSERT_EQ(::symlink((t.dir / "outside").c_str(), (t.dir / "src/esc").c_str()), 0);
       platform::FileSystemPort().CreateDirectory(t.dir / "src/real");
       const Outcome c = t.Pck("create " + t.P("L.PCK") + " -C " + t.P("src") + " esc real " +
                               "--header " + Quote("pck-unix/1 folder 0777 0 esc\\made") +
                               " --header " + Quote("pck-unix/1 folder 0777 0 ..\\up"));
       EXPECT_EQ(c.status, 0) << c.err;
       const Outcome r = t.Pck("extract " + t.P("L.PCK") + " -d " + t.P("out"));
       EXPECT_EQ(r.status, 1);
       EXPECT_TRUE(Contains(r.err, "a link on its path leads elsewhere")) << r.err;
       EXPECT_FALSE(PathExists(t.dir / "outside/made"));
       EXPECT_FALSE(PathExists(t.dir / "up"));
       EXPECT_TRUE(PathExists(t.dir / "out/real"));
     }},
    {"HostPathsLongerThanTheStoredNames",
     [](HabitRun& t) {
       t.MakeTree();
       ASSERT_EQ(t.Pck("create " + t.P("P.PCK") + " -C " + t.P("src") + " sub").status, 0);
       std::string deep = "out";
       for (int i = 0; i < 6; ++i) deep += "/" + std::string(50, static_cast<char>('a' + i));
       ASSERT_GT((t.dir / deep).size(), 300u);
       Outcome r = t.Pck("extract " + t.P("P.PCK") + " -d " + t.P(deep));
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_EQ(ReadFileBytes(t.dir / (deep + "/sub/deep/d.h")), Bytes{'d'});
       // Packed from there, the stored names are what counts.
       r = t.Pck("create " + t.P("Q.PCK") + " -C " + t.P(deep) + " sub");
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_EQ(t.Names("Q.PCK"), (Names{"sub\\c.txt", "sub\\deep\\d.h"}));
     }},
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
    {"DereferenceFollowsLinkedFoldersButNotLoops",
     [](HabitRun& t) {
       t.MakeTree();
       ASSERT_EQ(::symlink("sub/deep", (t.dir / "src/linked").c_str()), 0);
       ASSERT_EQ(::symlink("..", (t.dir / "src/sub/deep/up").c_str()), 0);  // back to sub
       // Stored as links, nothing is followed.
       Outcome r = t.Pck("create " + t.P("K.PCK") + " -C " + t.P("src") + " .");
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_EQ(t.Names("K.PCK"), (Names{"a.txt", "b.dat", "linked", "sub\\c.txt",
                                          "sub\\deep\\d.h", "sub\\deep\\up"}));
       // Followed, a linked folder's content is packed under the link's name, through
       // links within it too, until a link leads back to a folder the walk is inside:
       // that one is said, each time it is met (sub/deep/up from sub, and from linked/up).
       r = t.Pck("create " + t.P("F.PCK") + " --dereference -C " + t.P("src") + " .");
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_EQ(t.Names("F.PCK"),
                 (Names{"a.txt", "b.dat", "linked\\d.h", "linked\\up\\c.txt",
                        "linked\\up\\deep\\d.h", "sub\\c.txt", "sub\\deep\\d.h"}));
       EXPECT_EQ(Count(r.err, "a symbolic link to a folder that holds it"), 2u) << r.err;
       EXPECT_TRUE(Contains(r.err, "src/sub/deep/up: a symbolic link")) << r.err;
       EXPECT_TRUE(Contains(r.err, "src/linked/up/deep/up: a symbolic link")) << r.err;
     }},
    {"LinksToNothingAndEmptyFoldersAreSaid",
     [](HabitRun& t) {
       t.MakeTree();
       platform::FileSystemPort().CreateDirectory(t.dir / "src/empty");
       ASSERT_EQ(::symlink("nowhere", (t.dir / "src/dangling").c_str()), 0);
       // Without Linux metadata nothing can stand for them in the package.
       const Outcome r = t.Pck("create " + t.P("E.PCK") + " --no-unix -C " + t.P("src") + " .");
       EXPECT_EQ(r.status, 0) << r.err;
       EXPECT_TRUE(Contains(r.err, "empty: an empty folder")) << r.err;
       EXPECT_TRUE(Contains(r.err, "dangling: a symbolic link to nothing")) << r.err;
     }},
#endif
};

class PckHabits : public ScenarioOf<HabitRun> {};

TEST_P(PckHabits, Holds) { GetParam().run(*this); }

INSTANTIATE_TEST_SUITE_P(Table, PckHabits, ::testing::ValuesIn(kHabits), ScenarioName());

}  // namespace
}  // namespace pck_tool_tests
