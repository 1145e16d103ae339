// pck with several workers (-j): the package's bytes and the restored files are those of
// one thread for every number of workers, both methods, one volume or a set in disk
// folders; a damaged member is reported in its place while the others land; what comes
// out (standard output, messages) comes in the members' order; an interrupted run leaves
// nothing unfinished. Each row of the table runs natively and under Wine with pck.exe.
#include "pck_fixture.h"
#include "pck_interrupt.h"

namespace pck_tool_tests {
namespace {

const int kJobCounts[] = {1, 2, 3, 8};

class JobsRun : public PckTool {
 public:
  // src/ holds members of every kind of size: empty, one byte, below and above the
  // compressed-file driver's 32768-byte chunk, incompressible, and a few of some 100 KB,
  // in folders, so that several are in flight at once.
  void MakeSources() {
    for (const char* folder : {"src", "src/a", "src/a/b"})
      platform::FileSystemPort().CreateDirectory(dir / folder);
    MakeFile("src/EMPTY.TXT", Bytes{});
    MakeFile("src/ONE.TXT", Bytes{'1'});
    MakeFile("src/a/SMALL.TXT", testing_support::SampleText(5000, 1));
    MakeFile("src/a/CHUNK.TXT", testing_support::SampleText(32768, 2));
    MakeFile("src/a/b/RANDOM.BIN", testing_support::RandomBytes(70000, 3));
    for (int i = 0; i < 6; ++i)
      MakeFile("src/a/b/TEXT" + std::to_string(i) + ".TXT",
               testing_support::SampleText(60000 + 17000 * static_cast<std::size_t>(i),
                                           10 + static_cast<uint32_t>(i)));
  }
  // The bytes of a package's volume with its creation stamp blanked: the one thing two
  // runs may write differently.
  Bytes Unstamped(const std::string& name) {
    Bytes bytes = ReadFileBytes(dir / name);
    for (std::size_t i = 5; i < 13 && i < bytes.size(); ++i) bytes[i] = 0;
    return bytes;
  }
  // A package of the members given as stored bytes, the one at `damaged` spoilt.
  void DamagedPackage(const std::string& name, std::size_t members,
                      const std::vector<std::size_t>& damaged) {
    std::vector<std::pair<std::string, Bytes>> list;
    for (std::size_t i = 0; i < members; ++i) {
      Bytes stored = packtest::Compressed(
          testing_support::SampleText(20000 + 3000 * i, static_cast<uint32_t>(i)),
          compress::TCompressMode::Good, dir);
      if (std::find(damaged.begin(), damaged.end(), i) != damaged.end())
        stored[4] ^= 1;  // the header's size no longer matches what the stream gives
      list.emplace_back("M" + std::to_string(i) + ".TXT", stored);
    }
    WritePackage(name, list);
  }
  using PckTool::dir;
  using PckTool::P;
  using PckTool::Pck;
  using PckTool::stdoutTo;
};

using JobsCase = Scenario<JobsRun>;

const JobsCase kCases[] = {
    {"APackageIsTheSameForEveryNumberOfWorkersAndRestoresTheSame",
     [](JobsRun& t) {
       t.MakeSources();
       for (const char* method : {"fast", "good"}) {
         SCOPED_TRACE(method);
         Bytes first;
         for (const int jobs : kJobCounts) {
           SCOPED_TRACE(jobs);
           const std::string name = std::string(method) + std::to_string(jobs) + ".PCK";
           const Outcome made = t.Pck("create " + t.P(name) + " -C " + t.P("src") + " --method " +
                                      method + " -j " + std::to_string(jobs) + " .");
           ASSERT_EQ(made.status, 0) << made.err;
           if (first.empty())
             first = t.Unstamped(name);
           else
             EXPECT_TRUE(t.Unstamped(name) == first) << name << " differs from the -j 1 package";
           // Extracted with every number of workers, the files are the sources.
           for (const int readers : {1, 3}) {
             const std::string out = "out-" + name + std::to_string(readers);
             const Outcome got = t.Pck("extract " + t.P(name) + " -d " + t.P(out) + " -j " +
                                       std::to_string(readers));
             EXPECT_EQ(got.status, 0) << got.err;
             EXPECT_EQ(Tree(t.dir / out), Tree(t.dir / "src")) << out;
           }
         }
       }
     }},
    {"AVolumeSetIsTheSameForEveryNumberOfWorkers",
     [](JobsRun& t) {
       t.MakeSources();
       for (const char* method : {"fast", "good"}) {
         SCOPED_TRACE(method);
         std::vector<Bytes> first;
         for (const int jobs : kJobCounts) {
           SCOPED_TRACE(jobs);
           const std::string set = std::string("set-") + method + std::to_string(jobs);
           const Outcome made =
               t.Pck("create " + t.P(set + "/DISK1/V.PCK") + " -C " + t.P("src") + " --method " +
                     method + " --volume-size 60000 -j " + std::to_string(jobs) + " .");
           ASSERT_EQ(made.status, 0) << made.err;
           std::vector<Bytes> volumes;
           for (int disk = 1; PathExists(t.dir / (set + "/DISK" + std::to_string(disk) + "/V.PCK"));
                ++disk)
             volumes.push_back(t.Unstamped(set + "/DISK" + std::to_string(disk) + "/V.PCK"));
           ASSERT_GE(volumes.size(), 3u) << "the members should cross volumes";
           if (first.empty())
             first = volumes;
           else
             EXPECT_TRUE(volumes == first) << set << " differs from the -j 1 set";
           const Outcome got = t.Pck("extract " + t.P(set + "/DISK1/V.PCK") + " -d " +
                                     t.P(set + "-out") + " -j " + std::to_string(jobs));
           EXPECT_EQ(got.status, 0) << got.err;
           EXPECT_EQ(Tree(t.dir / (set + "-out")), Tree(t.dir / "src"));
         }
       }
     }},
    {"DamagedMembersAreReportedInTheirPlaceAndTheOthersLand",
     [](JobsRun& t) {
       t.DamagedPackage("D.PCK", 9, {2, 6});
       platform::FileSystemPort().CreateDirectory(t.dir / "out");
       WriteFileBytes(t.dir / "out/M6.TXT", Bytes{'o', 'l', 'd'});
       for (const int jobs : {2, 3, 8}) {
         SCOPED_TRACE(jobs);
         const Outcome r = t.Pck("extract -v " + t.P("D.PCK") + " -d " + t.P("out") + " -j " +
                                 std::to_string(jobs));
         EXPECT_EQ(r.status, 1);
         // The two, in their order, then the summary.
         const std::size_t first = r.err.find("M2.TXT"), second = r.err.find("M6.TXT");
         ASSERT_NE(first, std::string::npos) << r.err;
         ASSERT_NE(second, std::string::npos) << r.err;
         EXPECT_LT(first, second) << r.err;
         EXPECT_TRUE(Contains(r.out, "2 of 9 members not extracted")) << r.out;
         // The others are there; the older file at a damaged member's place stays.
         for (const int ok : {0, 1, 3, 4, 5, 7, 8}) {
           const std::string name = "M" + std::to_string(ok) + ".TXT";
           EXPECT_EQ(ReadFileBytes(t.dir / ("out/" + name)),
                     testing_support::SampleText(20000 + 3000 * static_cast<std::size_t>(ok),
                                                 static_cast<uint32_t>(ok)))
               << name;
         }
         EXPECT_FALSE(PathExists(t.dir / "out/M2.TXT"));
         EXPECT_EQ(ReadFileBytes(t.dir / "out/M6.TXT"), (Bytes{'o', 'l', 'd'}));
         EXPECT_EQ(Tree(t.dir / "out").size(), 8u) << "nothing beside the members";
         // Every line -v writes comes in the members' order.
         std::size_t at = 0;
         for (const int ok : {0, 1, 3, 4, 5, 7, 8}) {
           const std::size_t line = r.out.find("M" + std::to_string(ok) + ".TXT", at);
           EXPECT_NE(line, std::string::npos) << "M" << ok << " out of order:\n" << r.out;
           if (line != std::string::npos) at = line;
         }
         // test says the same of the same members.
         const Outcome tested = t.Pck("test " + t.P("D.PCK") + " -j " + std::to_string(jobs));
         EXPECT_EQ(tested.status, 1);
         EXPECT_LT(tested.err.find("M2.TXT"), tested.err.find("M6.TXT")) << tested.err;
         EXPECT_TRUE(Contains(tested.out, "2 of 9 members failed")) << tested.out;
       }
     }},
#ifndef _WIN32
    {"ToStandardOutputTheMembersComeInTheirOrder",
     [](JobsRun& t) {
       t.MakeSources();
       ASSERT_EQ(t.Pck("create " + t.P("S.PCK") + " -C " + t.P("src") + " -j 1 .").status, 0);
       Bytes expected;
       for (const std::string& name : StoredNames(t.dir / "S.PCK")) {
         std::string path = name;
         std::replace(path.begin(), path.end(), '\\', '/');
         const Bytes content = ReadFileBytes(t.dir / ("src/" + path));
         expected.insert(expected.end(), content.begin(), content.end());
       }
       for (const int jobs : kJobCounts) {
         SCOPED_TRACE(jobs);
         t.stdoutTo = t.dir / "content.bin";
         const Outcome r = t.Pck("extract -O " + t.P("S.PCK") + " -j " + std::to_string(jobs));
         t.stdoutTo.clear();
         EXPECT_EQ(r.status, 0) << r.err;
         EXPECT_TRUE(ReadFileBytes(t.dir / "content.bin") == expected);
       }
     }},
    {"AnInterruptWithSeveralMembersInFlightLeavesNothingUnfinished",
     [](JobsRun& t) {
       platform::FileSystemPort().CreateDirectory(t.dir / "tmp");
       platform::FileSystemPort().CreateDirectory(t.dir / "big");
       for (int i = 0; i < 4; ++i)
         WriteFileBytes(t.dir / ("big/B" + std::to_string(i) + ".BIN"),
                        Bytes(std::size_t{12} << 20, static_cast<uint8_t>(i)));
       ASSERT_EQ(t.Pck("create " + t.P("BIG.PCK") + " -C " + t.P("big") + " -j 2 .").status, 0);
       platform::FileSystemPort().CreateDirectory(t.dir / "out");
       WriteFileBytes(t.dir / "out/B1.BIN", Bytes{'o', 'l', 'd'});
       // Stopped once two members are being restored beside their targets at once.
       const auto newFiles = [&] {
         int n = 0;
         for (const auto& e : std::filesystem::directory_iterator(t.dir / "out"))
           if (e.path().filename().string().rfind("B", 0) != 0 && SizeOrMinusOne(e.path()) > 0) ++n;
         return n;
       };
       const pid_t pid = Start({"extract", t.dir / "BIG.PCK", "-d", t.dir / "out", "-j", "3"},
                               t.dir / "tmp", t.dir / "output.txt");
       ASSERT_TRUE(StopWhen(pid, [&] { return newFiles() >= 2; })) << Text(t.dir / "output.txt");
       EXPECT_EQ(Interrupt(pid, SIGINT), 130) << Text(t.dir / "output.txt");
       EXPECT_EQ(newFiles(), 0);
       EXPECT_EQ(ReadFileBytes(t.dir / "out/B1.BIN"), (Bytes{'o', 'l', 'd'}));
       for (const auto& e : std::filesystem::directory_iterator(t.dir / "out")) {
         const std::string name = e.path().filename().string();
         EXPECT_TRUE(name.size() == 6 && name.rfind("B", 0) == 0) << name << " left behind";
       }
       EXPECT_TRUE(std::filesystem::is_empty(t.dir / "tmp"));

       // Creating: stopped while sources are compressed ahead, the package's place stays.
       const Bytes older = ReadFileBytes(t.dir / "BIG.PCK");
       const pid_t writer =
           Start({"create", t.dir / "BIG.PCK", "-C", t.dir / "big", "-j", "3", "."}, t.dir / "tmp",
                 t.dir / "output.txt");
       const auto staging = [&] {
         int n = 0;
         std::error_code ec;
         for (const auto& e : std::filesystem::recursive_directory_iterator(t.dir / "tmp", ec))
           if (e.is_regular_file() && SizeOrMinusOne(e.path()) > 0) ++n;
         return n;
       };
       ASSERT_TRUE(StopWhen(writer, [&] { return staging() >= 2; })) << Text(t.dir / "output.txt");
       EXPECT_EQ(Interrupt(writer, SIGINT), 130) << Text(t.dir / "output.txt");
       EXPECT_EQ(ReadFileBytes(t.dir / "BIG.PCK"), older);
       EXPECT_TRUE(std::filesystem::is_empty(t.dir / "tmp"));
       for (const auto& e : std::filesystem::directory_iterator(t.dir.Path()))
         EXPECT_NE(e.path().filename().string().rfind("PCK", 0), 0u)
             << e.path() << " left beside the package";
     }},
#endif
    {"ASourceSomeoneElseIsReadingIsPacked",
     [](JobsRun& t) {
       // Another reader (a second pck on the same tree, or one worker reaching a file
       // through a linked folder while another reads it under its own name) holds a
       // source open, sharing reading only: packing it goes on.
       t.MakeSources();
       const auto held = platform::FileSystemPort().Open(
           t.dir / "src/a/CHUNK.TXT", platform::Access::Read, platform::Share::Read,
           platform::Disposition::OpenExisting);
       ASSERT_NE(held, nullptr);
       for (const char* method : {"fast", "good"})
         for (const int jobs : {1, 3}) {
           const std::string name = std::string("H") + method + std::to_string(jobs) + ".PCK";
           const Outcome made = t.Pck("create " + t.P(name) + " -C " + t.P("src") + " --method " +
                                      method + " -j " + std::to_string(jobs) + " .");
           EXPECT_EQ(made.status, 0) << name << ": " << made.err;
           const Outcome got = t.Pck("extract " + t.P(name) + " -d " + t.P("out-" + name));
           EXPECT_EQ(got.status, 0) << got.err;
           EXPECT_EQ(Tree(t.dir / ("out-" + name)), Tree(t.dir / "src")) << name;
         }
     }},
    {"AnOptionOfNoWorkersIsAUsageError",
     [](JobsRun& t) {
       t.MakeSources();
       for (const char* verb : {"create X.PCK -C src .", "extract X.PCK", "test X.PCK"})
         for (const char* jobs : {"0", "-2", "many"}) {
           const Outcome r = t.Pck(std::string(verb) + " -j " + jobs, t.P(""));
           EXPECT_EQ(r.status, 2) << verb << " -j " << jobs << ": " << r.err;
         }
       EXPECT_FALSE(PathExists(t.dir / "X.PCK"));
     }},
};

class PckJobs : public ScenarioOf<JobsRun> {};

TEST_P(PckJobs, Holds) { GetParam().run(*this); }

INSTANTIATE_TEST_SUITE_P(Table, PckJobs, testing::ValuesIn(kCases), ScenarioName());

}  // namespace
}  // namespace pck_tool_tests
