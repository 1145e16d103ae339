// Member names between the package's code page and the system's text: what create
// stores, what list shows, what extract makes and what test says, for names with
// accents, names a package cannot hold and names that cannot become files; names that
// repeat in one package; patterns, header lines and passwords typed in the locale's
// encoding; and --codepage.
#include <filesystem>
#include <set>

#include "name_cases.h"
#include "pck_fixture.h"

namespace pck_tool_tests {
namespace {

// The shown form of a stored name in a message: the system's separators.
std::string InMessage(std::string name) {
#ifndef _WIN32
  std::replace(name.begin(), name.end(), '\\', '/');
#endif
  return name;
}

class PckNames : public PckTool {
 protected:
  // The package of every row that has a stored name.
  void WriteNamesPackage() {
    std::vector<std::pair<std::string, Bytes>> members;
    for (std::size_t i = 0; i < std::size(kNames); ++i)
      if (kNames[i].stored) members.push_back({kNames[i].stored, Compressed(ContentOf(i))});
    WritePackage("N.PCK", members);
  }
};

#ifndef _WIN32
// (The conversion is POSIX's: on Windows the ANSI calls take the package's bytes.)

// Text a terminal shows as it is: no byte that is no UTF-8 character (0x81, 0x9B raw).
bool TerminalSafe(const std::string& text) {
  return text.find('\x81') == std::string::npos && text.find('\x9B') == std::string::npos &&
         text.find('\x1B') == std::string::npos;
}

TEST_F(PckNames, CreateStoresNamesInTheCodePageAndRefusesThoseItCannotHold) {
  std::filesystem::create_directories(dir / "src/Música");
  std::size_t refused = 0;
  for (std::size_t i = 0; i < std::size(kNames); ++i)
    if (kNames[i].file) {
      MakeFile(std::string("src/") + kNames[i].file, ContentOf(i));
      refused += kNames[i].stored ? 0 : 1;
    }
  const std::string create = "create " + P("N.PCK") + " -C " + P("src") + " '*.*' 'Música/*.*'";
  Outcome r = Pck(create);
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(PathExists(dir / "N.PCK"));
  EXPECT_EQ(Count(r.err, "\n"), refused) << r.err;
  for (const NameCase& name : kNames) {
    if (name.file && !name.stored) {
      EXPECT_TRUE(Contains(r.err, "N.PCK: " + dir / "src/" + name.file + ": " + name.refusal))
          << r.err;
    }
  }

  // Without them every name is stored, in Windows-1252.
  std::multiset<std::string> expected;
  for (const NameCase& name : kNames) {
    if (name.file && !name.stored) std::filesystem::remove(dir / "src/" + name.file);
    if (name.file && name.stored) expected.insert(name.stored);
  }
  r = Pck(create);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> stored = StoredNames(dir / "N.PCK");
  EXPECT_EQ(std::multiset<std::string>(stored.begin(), stored.end()), expected);
}

TEST_F(PckNames, ListShowsExtractMakesAndTestReportsEveryName) {
  WriteNamesPackage();
  Outcome r = Pck("list " + P("N.PCK"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(TerminalSafe(r.out)) << r.out;
  std::size_t members = 0, refused = 0;
  std::map<std::string, Bytes> made;
  for (std::size_t i = 0; i < std::size(kNames); ++i) {
    const NameCase& name = kNames[i];
    if (!name.stored) continue;
    ++members;
    std::string listed = name.listed ? name.listed : name.file;
    if (!name.listed) std::replace(listed.begin(), listed.end(), '/', '\\');
    EXPECT_TRUE(Contains(r.out, "  " + listed + "\n")) << listed << "\n" << r.out;
    if (name.refusal)
      ++refused;
    else
      made[name.file] = ContentOf(i);
  }

  // Each refused member in a line of its own with the reason; the others become files
  // under their names in the system's text, and nothing else is made.
  r = Pck("extract " + P("N.PCK") + " -d " + P("out"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(TerminalSafe(r.err)) << r.err;
  EXPECT_EQ(Count(r.err, "\n"), refused) << r.err;
  EXPECT_TRUE(Contains(r.err,
                       "N.PCK: bad\\x81.txt: the name cannot be written here: the byte "
                       "\\x81 is not a character of CP1252"))
      << r.err;
  EXPECT_EQ(Count(r.err, "names no file"), refused - 1) << r.err;
  EXPECT_TRUE(Contains(r.err, "N.PCK: " + InMessage("pasta\\") + ": Member name names no file"))
      << r.err;
  EXPECT_EQ(Tree(dir / "out"), made);

  // Every member was read: the failures are the refused names.
  r = Pck("test " + P("N.PCK"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Count(r.err, "\n"), refused) << r.err;
  EXPECT_TRUE(Contains(r.out, "N.PCK: " + std::to_string(refused) + " of " +
                                  std::to_string(members) + " members failed\n"))
      << r.out;
}

TEST_F(PckNames, PatternsTypedInTheLocaleMatchCharacterForCharacter) {
  WritePackage("P.PCK", {{"A\xE7\xE3o.txt", Compressed(ContentOf(1))},
                         {"Acao.txt", Compressed(ContentOf(2))},
                         {"A\xE7\xE3o.dbf", Compressed(ContentOf(3))}});
  // `?` stands for the one character ã.
  Outcome r = Pck("extract " + P("P.PCK") + " -d " + P("out") + " 'Aç?o.*' -x '*.DBF'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Tree(dir / "out"), (std::map<std::string, Bytes>{{"Ação.txt", ContentOf(1)}}));

  // A pattern the code page cannot hold matches no name: said, as a usage error.
  r = Pck("extract " + P("P.PCK") + " -d " + P("out") + " '日本*.*'");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "pattern 日本*.*: cannot be written in CP1252")) << r.err;

  // Nor a password: said without showing it.
  r = Pck("extract " + P("P.PCK") + " -d " + P("out") + " -p 'segredo日本'");
  EXPECT_NE(r.status, 0);
  EXPECT_TRUE(Contains(r.err, "password: cannot be written in CP1252")) << r.err;
  EXPECT_FALSE(Contains(r.err, "segredo")) << r.err;
  EXPECT_FALSE(Contains(r.err, "日本")) << r.err;
}

TEST_F(PckNames, CodePageOptionReadsAndWritesOtherCodePagesOrTheBytesAsTheyAre) {
  MakeFile("Привет.txt", ContentOf(1));
  MakeFile("Ação.txt", ContentOf(2));
  struct Case {
    const char* codepage;
    const char* file;
    const char* stored;
  };
  for (const Case& c : {Case{"CP1251", "Привет.txt", "\xCF\xF0\xE8\xE2\xE5\xF2.txt"},
                        Case{"CP850", "Ação.txt", "A\x87\xC6o.txt"},
                        Case{"raw", "Ação.txt", "A\xC3\xA7\xC3\xA3o.txt"}}) {
    SCOPED_TRACE(c.codepage);
    const std::string pkg = std::string(c.codepage) + ".PCK";
    Outcome r = Pck("create " + P(pkg) + " -C " + P("") + " --codepage " + c.codepage + " " +
                    Quote(c.file));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(StoredNames(dir / pkg), std::vector<std::string>{c.stored});
    const std::string out = std::string("out-") + c.codepage;
    r = Pck("extract " + P(pkg) + " --codepage " + c.codepage + " -d " + P(out));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Tree(dir / out),
              (std::map<std::string, Bytes>{{c.file, ReadFileBytes(dir / c.file)}}));
  }
  // Read as Windows-1252, a Windows-1251 name is another, but a name all the same.
  Outcome r = Pck("extract " + P("CP1251.PCK") + " -d " + P("as1252"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(PathExists(dir / "as1252/Ïðèâåò.txt"));
  // Raw bytes reach a terminal escaped.
  WritePackage("W.PCK", {{"A\xE7\xE3o.txt", Compressed(ContentOf(3))}});
  r = Pck("list " + P("W.PCK") + " --codepage raw");
  EXPECT_TRUE(Contains(r.out, "  A\\xE7\\xE3o.txt\n")) << r.out;

  for (const char* bad : {"NO-SUCH-PAGE", "CP932"}) {
    r = Pck("list " + P("W.PCK") + " --codepage " + bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_TRUE(Contains(r.err, std::string("--codepage ") + bad + ": ")) << r.err;
  }
  EXPECT_TRUE(Contains(r.err, "only single-byte code pages")) << r.err;
}

TEST_F(PckNames, LimitsCountThePackagesBytes) {
  // 135 characters, 265 bytes in UTF-8.
  std::string folder, file;
  for (int i = 0; i < 60; ++i) folder += "ç";
  for (int i = 0; i < 70; ++i) file += "ã";
  std::filesystem::create_directories(dir / ("src/" + folder));
  MakeFile("src/" + folder + "/" + file + ".txt", ContentOf(1));
  Outcome r = Pck("create " + P("L.PCK") + " -C " + P("src") + " " + Quote(folder + "/*.*"));
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(StoredNames(dir / "L.PCK").at(0).size(), 135u);
  r = Pck("extract " + P("L.PCK") + " -d " + P("out"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / ("out/" + folder + "/" + file + ".txt")), ContentOf(1));
}

TEST_F(PckNames, HeaderLinesAndPasswordsAreStoredInTheCodePage) {
  MakeFile("F.TXT", ContentOf(1));
  Outcome r = Pck("create " + P("H.PCK") + " -C " + P("") + " F.TXT --header 'Versão 2' -p 'ação'");
  ASSERT_EQ(r.status, 0) << r.err;
  const Bytes package = ReadFileBytes(dir / "H.PCK");
  const std::string bytes(package.begin(), package.end());
  EXPECT_TRUE(Contains(bytes, "Vers\xE3o 2"));
  EXPECT_TRUE(Contains(bytes, "\x04\x9E\x18\x1C\x90"));  // "a\xE7\xE3o", complemented
  r = Pck("info " + P("H.PCK") + " -p 'ação'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "  Versão 2\n")) << r.out;
}

TEST_F(PckNames, CreateRefusesNamesEqualWithoutRegardToCaseAndPacksAFileOnce) {
  std::filesystem::create_directories(dir / "two");
  MakeFile("two/readme.txt", ContentOf(1));
  MakeFile("two/README.TXT", ContentOf(2));
  Outcome r = Pck("create " + P("D.PCK") + " -C " + P("two") + " '*.*'");
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(PathExists(dir / "D.PCK"));
  EXPECT_TRUE(Contains(r.err, "two/readme.txt: has the name of " + dir / "two/README.TXT"))
      << r.err;
  // Windows takes ç and Ç for one letter too.
  MakeFile("two/ação.txt", ContentOf(3));
  MakeFile("two/AÇÃO.TXT", ContentOf(4));
  r = Pck("create " + P("D.PCK") + " -C " + P("two") + " 'a*.*'");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "two/ação.txt: has the name of " + dir / "two/AÇÃO.TXT")) << r.err;

  // One file that two patterns find is one member.
  std::filesystem::create_directories(dir / "one");
  MakeFile("one/readme.txt", ContentOf(1));
  r = Pck("create " + P("D.PCK") + " -C " + P("one") + " 'readme.*' 'r*.txt'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(StoredNames(dir / "D.PCK"), std::vector<std::string>{"readme.txt"});
}

TEST_F(PckNames, PathsOfTheSystemKeepTheirBackslash) {
  MakeFile("F.TXT", ContentOf(1));
  std::filesystem::create_directories(dir / "odd\\in");
  ASSERT_EQ(Pck("create " + P("odd\\in/p\\q.PCK") + " -C " + P("") + " F.TXT").status, 0);
  EXPECT_TRUE(PathExists(dir / "odd\\in/p\\q.PCK"));
  Outcome r = Pck("list " + P("odd\\in/p\\q.PCK"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "F.TXT")) << r.out;
  r = Pck("extract " + P("odd\\in/p\\q.PCK") + " -d " + P("odd\\out"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Tree(dir / "odd\\out"), (std::map<std::string, Bytes>{{"F.TXT", ContentOf(1)}}));
  EXPECT_FALSE(PathExists(dir / "odd"));
}
#endif

TEST_F(PckNames, AMemberUnderAnEarlierOnesNameIsReportedAndFlagged) {
  WritePackage("D.PCK", {{"x\\y.txt", Compressed(ContentOf(1))},
                         {"a.txt", Compressed(ContentOf(2))},
                         {"A.TXT", Compressed(ContentOf(3))},
                         {"\\x\\.\\y.txt", Compressed(ContentOf(4))}});
#ifdef _WIN32
  const bool foldsCase = true;
#else
  const bool foldsCase = false;
#endif
  // The later member replaces the earlier one, and says so.
  Outcome r = Pck("extract " + P("D.PCK") + " -d " + P("out"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.err, "D.PCK: " + InMessage("\\x\\.\\y.txt") +
                                  ": replaces the earlier member " + InMessage("x\\y.txt") + "\n"))
      << r.err;
  EXPECT_EQ(Count(r.err, "replaces the earlier member"), foldsCase ? 2u : 1u) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "out/x/y.txt"), ContentOf(4));

  r = Pck("test " + P("D.PCK"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.err, "D.PCK: " + InMessage("\\x\\.\\y.txt") + ": the name of member 1, " +
                                  InMessage("x\\y.txt") + ", which it replaces on extraction\n"))
      << r.err;
  EXPECT_EQ(Count(r.err, "\n"), foldsCase ? 2u : 1u) << r.err;

  r = Pck("list -v " + P("D.PCK"));
  EXPECT_TRUE(Contains(r.out,
                       "  \\x\\.\\y.txt  (the name of member 1, x\\y.txt, which it replaces "
                       "on extraction)\n"))
      << r.out;
  EXPECT_EQ(Count(r.out, "(the name of member"), foldsCase ? 2u : 1u) << r.out;
  r = Pck("list " + P("D.PCK"));
  EXPECT_FALSE(Contains(r.out, "the name of member")) << r.out;
}

}  // namespace
}  // namespace pck_tool_tests
