// What pck tells its user: names from a package never reach the terminal raw, every
// failure is one line naming the file and the cause in the system's words, short and
// Windows-looking paths are paths, and names Windows would turn into devices or rename
// are refused on every system with the reason.
#include <chrono>
#include <filesystem>

#include "pck_fixture.h"

namespace pck_tool_tests {
namespace {

// No control character but the line ends.
bool Plain(const std::string& text) {
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\n') || u == 0x7F;
  });
}

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

TEST_F(PckTool, NamesAreShownWithTheirControlCharactersEscaped) {
  const Bytes data = Compressed(testing_support::SampleText(100, 1));
  WritePackage("C.PCK", {{"clear\x1B[2Jscreen.txt", data},
                         {"two\nlines.txt", data},
                         {"back\rspace\x7F.txt", data},
                         {"plain.txt", data}});
  Outcome r = Pck("list " + P("C.PCK"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Plain(r.out)) << r.out;
  EXPECT_TRUE(Contains(r.out, "clear^[[2Jscreen.txt")) << r.out;
  EXPECT_TRUE(Contains(r.out, "two^Jlines.txt")) << r.out;
  EXPECT_TRUE(Contains(r.out, "back^Mspace^?.txt")) << r.out;

  // Refused for what they hold, each in one line of its own; the rest is extracted.
  r = Pck("extract " + P("C.PCK") + " -v -d " + P("out"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Plain(r.err) && Plain(r.out)) << r.err << r.out;
  EXPECT_EQ(Lines(r.err), 3u) << r.err;
  EXPECT_TRUE(Contains(r.err, "C.PCK: clear^[[2Jscreen.txt: Member name holds a control character"))
      << r.err;
  EXPECT_FALSE(Contains(r.err, "outside the target")) << r.err;
  EXPECT_TRUE(Contains(r.out, "plain.txt")) << r.out;
  EXPECT_TRUE(PathExists(dir / "out/plain.txt"));
}

TEST_F(PckTool, ShortRelativePathsWork) {
  MakeFile("F.TXT", testing_support::SampleText(500, 1));
  // A package in a folder of two letters that does not exist yet, and a target folder
  // of two letters, both relative to the current directory.
  Outcome r = Pck("create cd" + std::string(1, kSep) + "P.PCK F.TXT", P(""));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(PathExists(dir / "cd/P.PCK"));
  r = Pck("extract cd" + std::string(1, kSep) + "P.PCK -d ab", P(""));
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectSameFile("F.TXT", "ab/F.TXT");
  r = Pck("extract cd" + std::string(1, kSep) + "P.PCK -d x", P(""));
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectSameFile("F.TXT", "x/F.TXT");
}

TEST_F(PckTool, InfoSaysAPackageHasAPasswordAlsoWhenItIsGiven) {
  MakeFile("S.TXT", testing_support::SampleText(500, 1));
  ASSERT_EQ(Pck("create " + P("PW.PCK") + " -C " + P("") + " S.TXT -p s3cret").status, 0);
  const Outcome r = Pck("info " + P("PW.PCK") + " -p s3cret");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Password:  yes")) << r.out;
  EXPECT_TRUE(Contains(r.out, "Entries:   1")) << r.out;
}

TEST_F(PckTool, FailuresSayWhatIsWrongInTheSystemsWords) {
  // Not packages: an empty file, a directory.
  WriteFileBytes(dir / "EMPTY.PCK", {});
  Outcome r = Pck("list " + P("EMPTY.PCK"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "EMPTY.PCK is not a package")) << r.err;
  platform::FileSystemPort().CreateDirectory(dir / "DIR.PCK");
  r = Pck("list " + P("DIR.PCK"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "DIR.PCK: is a directory")) << r.err;

  // A password given for a package that has none is not called invalid.
  MakeFile("F.TXT", testing_support::SampleText(500, 1));
  ASSERT_EQ(Pck("create " + P("F.PCK") + " -C " + P("") + " F.TXT").status, 0);
  r = Pck("extract " + P("F.PCK") + " -p secret -d " + P("out"));
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(Contains(r.err, "Invalid Password")) << r.err;
  EXPECT_TRUE(Contains(r.err, "F.PCK: the package has no password")) << r.err;

  // A member that is not a compressed file is named, not the staging file it went to.
  WritePackage("BAD.PCK", {{"SUB\\BAD.TXT", Bytes{'H', 'E', 'L', 'L', 'O', '!', '!', '!'}}});
  r = Pck("extract " + P("BAD.PCK") + " -d " + P("out"));
  EXPECT_EQ(r.status, 1);
  const std::string shown = std::string("SUB") + kSep + "BAD.TXT";
  EXPECT_TRUE(
      Contains(r.err, "BAD.PCK: " + shown + ": Lzrw1 : " + shown + " : NOT A COMPRESSED FILE !"))
      << r.err;
  EXPECT_FALSE(Contains(r.err, "PCK" + std::string(1, kSep))) << r.err;

  // The system's reason: a directory or a read-only file where a member goes; paths
  // with the system's own separator.
  const Bytes data = Compressed(testing_support::SampleText(100, 2));
  WritePackage("T.PCK", {{"SUB\\A.TXT", data}});
  platform::FileSystemPort().CreateDirectory(dir / "out");
  platform::FileSystemPort().CreateDirectory(dir / "out/SUB");
  platform::FileSystemPort().CreateDirectory(dir / "out/SUB/A.TXT");
  r = Pck("extract " + P("T.PCK") + " -d " + P("out"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "(is a directory)")) << r.err;
  EXPECT_EQ(Lines(r.err), 1u) << r.err;
#ifndef _WIN32
  EXPECT_FALSE(Contains(r.err, "\\")) << r.err;
#endif
  pack::CreateDirectories(dir / "out2/SUB");
  MakeFile("out2/SUB/A.TXT", Bytes{'o', 'l', 'd'}, platform::kAttrReadOnly);
  r = Pck("extract " + P("T.PCK") + " -d " + P("out2"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "(the existing file is read-only)")) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "out2/SUB/A.TXT"), (Bytes{'o', 'l', 'd'}));
}

TEST_F(PckTool, TestSaysThePackageCouldNotBeReadToItsEndOnlyWhenSo) {
  const Bytes data = Compressed(testing_support::SampleText(300, 1));
  WritePackage("R.PCK", {{"con", data}, {"ok.txt", data}});
  Outcome r = Pck("test " + P("R.PCK"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.out, "R.PCK: 1 of 2 members failed\n")) << r.out;
  // Cut inside its last member.
  Bytes cut = ReadFileBytes(dir / "R.PCK");
  cut.resize(cut.size() - 5);
  WriteFileBytes(dir / "CUT.PCK", cut);
  r = Pck("test " + P("CUT.PCK"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.out, "failed; the package could not be read to its end\n")) << r.out;
}

#ifndef _WIN32
TEST_F(PckTool, AFullTemporaryFolderIsNamedWithTheStagingFile) {
  platform::FileSystemPort().CreateDirectory(dir / "tmp");
  MakeFile("BIG.BIN", testing_support::RandomBytes(200000, 5));
  ASSERT_EQ(Pck("create " + P("BIG.PCK") + " -C " + P("") + " --method fast BIG.BIN").status, 0);
  // No file may grow past 64 KiB, as when the temporary folder is full: the staging file
  // fills up first, while the package is still small.
  launcher = "trap '' XFSZ; ulimit -f 128; TMPDIR=" + Quote(dir / "tmp") + " ";
  Outcome r = Pck("create " + P("NEW.PCK") + " -C " + P("") + " BIG.BIN");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Lzrw1 : ERROR WRITING TO " + dir / "tmp/PCK")) << r.err;
  EXPECT_TRUE(Contains(
      r.err, "; the staging file is in the temporary folder " + dir / "tmp/" + " (TMPDIR)\n"))
      << r.err;
  r = Pck("extract " + P("BIG.PCK") + " -d " + P("out"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err,
                       "BIG.BIN: Write error (file too large) while it was copied into the "
                       "staging file; the staging file is in the temporary folder " +
                           dir / "tmp/" + " (TMPDIR)\n"))
      << r.err;
  EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
}
#endif

TEST_F(PckTool, InvalidStoredTimesAreShownAsSuchAndNeverSet) {
  const auto dos = [](uint32_t year, uint32_t month, uint32_t day, uint32_t hour, uint32_t minute,
                      uint32_t halfSeconds) {
    return (((year - 1980) << 9 | month << 5 | day) << 16) |
           (hour << 11 | minute << 5 | halfSeconds);
  };
  const std::vector<std::pair<std::string, uint32_t>> invalid = {
      {"month0", dos(2003, 0, 10, 12, 0, 0)},    {"month13", dos(2003, 13, 10, 12, 0, 0)},
      {"day0", dos(2003, 5, 0, 12, 0, 0)},       {"hour25", dos(2003, 5, 10, 25, 0, 0)},
      {"minute63", dos(2003, 5, 10, 12, 63, 0)}, {"seconds62", dos(2003, 5, 10, 12, 0, 31)},
      {"feb31", dos(2003, 2, 31, 12, 0, 0)},     {"feb29", dos(2003, 2, 29, 12, 0, 0)},
      {"apr31", dos(2003, 4, 31, 12, 0, 0)}};
  const uint32_t leapDay = dos(2004, 2, 29, 12, 0, 0);
  const Bytes data = Compressed(testing_support::SampleText(50, 2));
  std::vector<std::pair<std::string, Bytes>> members = {{"leap", data}};
  std::vector<uint32_t> times = {leapDay};
  for (const auto& [name, time] : invalid) {
    members.push_back({name, data});
    times.push_back(time);
  }
  WritePackage("T.PCK", members, times);

  Outcome r = Pck("list " + P("T.PCK"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "2004-02-29 12:00:00  ---a  leap\n")) << r.out;
  for (const auto& [name, time] : invalid)
    EXPECT_TRUE(Contains(r.out, "(invalid)            ---a  " + name + "\n")) << r.out;

  const auto before = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(5);
  r = Pck("extract -v " + P("T.PCK") + " -d " + P("out"));
  ASSERT_EQ(r.status, 0) << r.err;
  uint32_t set = 0;
  ASSERT_TRUE(platform::FileSystemPort().GetDosTime(dir / "out/leap", set));
  EXPECT_EQ(set, leapDay);
  for (const auto& [name, time] : invalid) {
    // Not moved to another day (31 February is not 3 March): the time of extraction.
    EXPECT_TRUE(Contains(r.out, name + " (its stored time is invalid; it keeps the time of "
                                       "extraction)\n"))
        << r.out;
    EXPECT_GE(std::filesystem::last_write_time(dir / ("out/" + name)), before) << name;
  }
}

TEST_F(PckTool, InfoShowsTheNumberTheFirstVolumeCarries) {
  const Bytes data = Compressed(testing_support::SampleText(50, 2));
  WritePackage("ZERO.PCK", {{"A.TXT", data}}, {}, 0);
  Outcome r = Pck("info " + P("ZERO.PCK"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Volumes:   1 (numbered from 0)\n")) << r.out;
  WritePackage("ONE.PCK", {{"A.TXT", data}});
  r = Pck("info " + P("ONE.PCK"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Volumes:   1\n")) << r.out;
}

#ifdef _WIN32
TEST_F(PckTool, AnArgumentStartingWithASlashIsAPathOnWindowsToo) {
  MakeFile("F.TXT", testing_support::SampleText(500, 1));
  ASSERT_EQ(Pck("create " + P("S.PCK") + " -C " + P("") + " F.TXT").status, 0);
  // The scratch directory without its drive, as a path from the root of the current
  // drive, which the command runs on.
  std::string rooted = (dir / "S.PCK").substr(2);
  std::replace(rooted.begin(), rooted.end(), '\\', '/');
  ASSERT_EQ(rooted.front(), '/');
  const Outcome r = Pck("list " + rooted, P(""));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "F.TXT")) << r.out;
}
#endif

// ---- names Windows turns into devices or renames ----------------------------------

TEST_F(PckTool, ReservedDeviceNamesAndTrailingDotsAreRefusedLookAlikesExtracted) {
  const Bytes data = Compressed(testing_support::SampleText(100, 3));
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"AUX", "reserved device name"},           {"COM1.TXT", "reserved device name"},
      {"NUL.TXT", "reserved device name"},       {"CON", "reserved device name"},
      {"lpt1", "reserved device name"},          {"Prn.Log", "reserved device name"},
      {"conin$", "reserved device name"},        {"CONOUT$.x", "reserved device name"},
      {"NUL\\x.txt", "reserved device name"},    {"com9\\y.txt", "reserved device name"},
      {"trail.", "ends in a dot or blank"},      {"space ", "ends in a dot or blank"},
      {"dir.\\z.txt", "ends in a dot or blank"}, {"a", ""},
      {"a.", "ends in a dot or blank"}};
  const std::vector<std::string> alike = {"CONSOLE.TXT", "AUXILIARY", "COM10", "LPT0", "nul_file"};
  std::vector<std::pair<std::string, Bytes>> members;
  for (const auto& [name, reason] : refused) members.push_back({name, data});
  for (const std::string& name : alike) members.push_back({name, data});
  WritePackage("DEV.PCK", members);

  Outcome r = Pck("extract " + P("DEV.PCK") + " -d " + P("out"));
  EXPECT_EQ(r.status, 1);
  for (const auto& [name, reason] : refused) {
    if (reason.empty()) continue;
    std::string shown = name;
#ifndef _WIN32
    std::replace(shown.begin(), shown.end(), '\\', '/');
#endif
    EXPECT_TRUE(Contains(r.err, "DEV.PCK: " + shown + ": ")) << name << ": " << r.err;
  }
  EXPECT_EQ(Lines(r.err), refused.size() - 1) << r.err;
  EXPECT_EQ(static_cast<std::size_t>(std::count_if(
                refused.begin(), refused.end(), [&](const auto& m) { return !m.second.empty(); })),
            Lines(r.err));
  EXPECT_TRUE(Contains(r.err, "reserved device name")) << r.err;
  EXPECT_TRUE(Contains(r.err, "ends in a dot or blank")) << r.err;
  // Nothing reached a device or a renamed file: the target holds "a" and the look-alikes.
  std::vector<std::string> made;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir / "out"))
    made.push_back(e.path().filename().string());
  std::sort(made.begin(), made.end());
  EXPECT_EQ(made, (std::vector<std::string>{"AUXILIARY", "COM10", "CONSOLE.TXT", "LPT0", "a",
                                            "nul_file"}));
  EXPECT_EQ(ReadFileBytes(dir / "out/a"), testing_support::SampleText(100, 3));

  // Listing shows them all.
  r = Pck("list " + P("DEV.PCK"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "20 files")) << r.out;
  EXPECT_TRUE(Contains(r.out, "conin$")) << r.out;
}

#ifndef _WIN32
TEST_F(PckTool, CreateRefusesToStoreANameWindowsCannotExtract) {
  platform::FileSystemPort().CreateDirectory(dir / "src");
  MakeFile("src/main.c", Bytes{'m'});
  for (const char* name : {"aux.c", "notes.", "com1"}) {
    SCOPED_TRACE(name);
    MakeFile(std::string("src/") + name, Bytes{'x'});
    const Outcome r = Pck("create " + P("X.PCK") + " -C " + P("src") + " " + Quote("*"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, std::string(name) + ", a name refused on extraction")) << r.err;
    EXPECT_FALSE(PathExists(dir / "X.PCK"));
    std::filesystem::remove(dir / (std::string("src/") + name));
  }
}
#endif

}  // namespace
}  // namespace pck_tool_tests
