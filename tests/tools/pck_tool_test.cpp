// The pck program as a user runs it: creating, listing, testing and extracting
// packages, and the single-file verbs.
#include "pck_fixture.h"

namespace pck_tool_tests {
namespace {

using testing_support::PathExists;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

// ---- create, list, test, extract --------------------------------------------------

TEST_F(PckTool, TreeRoundTripKeepsBytesTimesAndReadOnly) {
  platform::FileSystemPort().CreateDirectory(dir / "src");
  platform::FileSystemPort().CreateDirectory(dir / "src/SUB");
  MakeFile("src/README.TXT", testing_support::SampleText(12345, 1));
  MakeFile("src/DATA.BIN", testing_support::RandomBytes(100000, 2));
  MakeFile("src/EMPTY.DAT", {});
  MakeFile("src/LOCKED.TXT", testing_support::SampleText(777, 3),
           platform::kAttrReadOnly | platform::kAttrArchive);
  MakeFile("src/SUB/NOTES.TXT", testing_support::SampleText(40000, 4));

  for (const char* method : {"fast", "good"}) {
    SCOPED_TRACE(method);
    const std::string archive = std::string("TREE-") + method + ".PCK";
    Outcome r = Pck("create " + P(archive) + " -C " + P("src") + " --path relative --method " +
                    method + " " + Quote("*.*") + " " + Quote("SUB/*.*"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty());

    r = Pck("list " + P(archive));
    ASSERT_EQ(r.status, 0) << r.err;
    // Uncompressed sizes from the members' compressed headers, and the totals.
    EXPECT_TRUE(Contains(r.out, "12,345")) << r.out;
    EXPECT_TRUE(Contains(r.out, "100,000")) << r.out;
    EXPECT_TRUE(Contains(r.out, "153,122")) << r.out;
    EXPECT_TRUE(Contains(r.out, "5 files")) << r.out;
    EXPECT_TRUE(Contains(r.out, "1999-12-31 23:58:30")) << r.out;
    EXPECT_TRUE(Contains(r.out, "r--a")) << r.out;
    EXPECT_TRUE(Contains(r.out, "NOTES.TXT")) << r.out;

    r = Pck("list --long " + P(archive));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, std::string(" ") + method + " ")) << r.out;

    r = Pck("test " + P(archive));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "5 members OK")) << r.out;

    const std::string out = std::string("out-") + method;
    r = Pck("extract " + P(archive) + " -d " + P(out));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"README.TXT", "DATA.BIN", "EMPTY.DAT", "LOCKED.TXT", "SUB/NOTES.TXT"})
      ExpectSameFile(std::string("src/") + name, out + "/" + name);
  }
}

TEST_F(PckTool, ExtractSelectsWithPatternsAndExcludes) {
  platform::FileSystemPort().CreateDirectory(dir / "src");
  MakeFile("src/A.DBF", testing_support::SampleText(100, 1));
  MakeFile("src/B.dbf", testing_support::SampleText(200, 2));
  MakeFile("src/C.TXT", testing_support::SampleText(300, 3));
  ASSERT_EQ(Pck("create " + P("SEL.PCK") + " -C " + P("src") + " " + Quote("*.*")).status, 0);

  Outcome r = Pck("extract " + P("SEL.PCK") + " -v -d " + P("out") + " " + Quote("*.DBF") + " -x " +
                  Quote("B.*"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(PathExists(dir / "out/A.DBF"));
  EXPECT_FALSE(PathExists(dir / "out/B.dbf"));
  EXPECT_FALSE(PathExists(dir / "out/C.TXT"));
  EXPECT_TRUE(Contains(r.out, "A.DBF")) << r.out;

  r = Pck("extract " + P("SEL.PCK") + " -d " + P("none") + " " + Quote("*.EXE"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "no member matches")) << r.err;
}

TEST_F(PckTool, CreateLeavesOutThePackageItself) {
  platform::FileSystemPort().CreateDirectory(dir / "pkg");
  MakeFile("pkg/ONE.TXT", testing_support::SampleText(500, 1));
  ASSERT_EQ(Pck("create " + P("pkg/SELF.PCK") + " -C " + P("pkg") + " " + Quote("*.*")).status, 0);
  // Again, now that SELF.PCK exists in the folder being packed.
  Outcome r = Pck("create " + P("pkg/SELF.PCK") + " -C " + P("pkg") + " " + Quote("*.*"));
  ASSERT_EQ(r.status, 0) << r.err;
  r = Pck("list " + P("pkg/SELF.PCK"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "ONE.TXT"));
  EXPECT_FALSE(Contains(r.out, "SELF.PCK")) << r.out;
}

// ---- headers, raw headers, offsets ------------------------------------------------

TEST_F(PckTool, InfoShowsHeaderLinesAndRawHeaderPackages) {
  MakeFile("F.TXT", testing_support::SampleText(1000, 1));
  ASSERT_EQ(Pck("create " + P("H.PCK") + " -C " + P("") + " F.TXT --header " + Quote("First line") +
                " --header " + Quote("Second line"))
                .status,
            0);
  Outcome r = Pck("info " + P("H.PCK"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "PCK11")) << r.out;
  EXPECT_TRUE(Contains(r.out, "Entries:   1")) << r.out;
  EXPECT_TRUE(Contains(r.out, "Password:  no")) << r.out;
  EXPECT_TRUE(Contains(r.out, "  First line\n  Second line\n")) << r.out;

  WriteFileBytes(dir / "raw.bin", Bytes{1, 2, 3, 4, 5, 6, 7});
  r = Pck("create " + P("R.PCK") + " -C " + P("") + " F.TXT --raw-header " + P("raw.bin"));
  ASSERT_EQ(r.status, 0) << r.err;
  const Bytes package = ReadFileBytes(dir / "R.PCK");
  ASSERT_GE(package.size(), 24u);
  EXPECT_EQ(std::string(package.begin(), package.begin() + 5), "PCK10");
  EXPECT_EQ(Bytes(package.begin() + 15, package.begin() + 24), (Bytes{7, 0, 1, 2, 3, 4, 5, 6, 7}));
  r = Pck("info " + P("R.PCK"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Raw header: 7 bytes")) << r.out;
  r = Pck("extract " + P("R.PCK") + " -d " + P("out"));
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectSameFile("F.TXT", "out/F.TXT");

  WriteFileBytes(dir / "big.bin", Bytes(65536, 1));
  r = Pck("create " + P("BIG.PCK") + " -C " + P("") + " F.TXT --raw-header " + P("big.bin"));
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(PathExists(dir / "BIG.PCK"));
}

TEST_F(PckTool, OffsetFindsAPackageInsideALargerFile) {
  MakeFile("F.TXT", testing_support::SampleText(3000, 1));
  ASSERT_EQ(Pck("create " + P("P.PCK") + " -C " + P("") + " F.TXT").status, 0);
  Bytes wrapped(1000, 0xEE);
  const Bytes package = ReadFileBytes(dir / "P.PCK");
  wrapped.insert(wrapped.end(), package.begin(), package.end());
  WriteFileBytes(dir / "WRAPPED.BIN", wrapped);

  EXPECT_EQ(Pck("list " + P("WRAPPED.BIN")).status, 1);
  Outcome r = Pck("list --offset 1000 " + P("WRAPPED.BIN"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "F.TXT"));
  r = Pck("extract --offset 1000 " + P("WRAPPED.BIN") + " -d " + P("out"));
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectSameFile("F.TXT", "out/F.TXT");
}

// ---- passwords ----------------------------------------------------------------------

TEST_F(PckTool, PasswordIsRequiredAndChecked) {
  MakeFile("SECRET.TXT", testing_support::SampleText(2000, 1));
  ASSERT_EQ(Pck("create " + P("PW.PCK") + " -C " + P("") + " SECRET.TXT -p s3cret").status, 0);

  // Standard input is not a terminal: no prompt, a clear failure.
  for (const std::string& command : {"list " + P("PW.PCK"), "test " + P("PW.PCK"),
                                     "extract " + P("PW.PCK") + " -d " + P("out")}) {
    const Outcome r = Pck(command);
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_TRUE(Contains(r.err, "PW.PCK: password required (use -p)")) << command << ": " << r.err;
  }
  EXPECT_FALSE(PathExists(dir / "out/SECRET.TXT"));
  Outcome r = Pck("extract " + P("PW.PCK") + " -p wrong -d " + P("out"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "PW.PCK: Invalid Password")) << r.err;
  EXPECT_FALSE(PathExists(dir / "out/SECRET.TXT"));

  r = Pck("info " + P("PW.PCK"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Password:  yes")) << r.out;

  r = Pck("extract " + P("PW.PCK") + " -p s3cret -d " + P("out"));
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectSameFile("SECRET.TXT", "out/SECRET.TXT");
}

// ---- volume sets in disk folders ------------------------------------------------------

TEST_F(PckTool, VolumeSetSpreadsOverDiskFoldersAndExtractsBack) {
  platform::FileSystemPort().CreateDirectory(dir / "src");
  MakeFile("src/BIG.BIN", testing_support::RandomBytes(30000, 1));
  MakeFile("src/TEXT.TXT", testing_support::SampleText(60000, 2));
  MakeFile("src/Z.BIN", testing_support::RandomBytes(5000, 3));
  platform::FileSystemPort().CreateDirectory(dir / "media");
  platform::FileSystemPort().CreateDirectory(dir / "media/DISK1");

  Outcome r = Pck("create " + P("media/DISK1/APP.PCK") + " -C " + P("src") +
                  " --method fast --volume-size 16000 " + Quote("*.*"));
  ASSERT_EQ(r.status, 0) << r.err;
  int volumes = 0;
  for (int disk = 1; PathExists(dir / ("media/DISK" + std::to_string(disk) + "/APP.PCK")); ++disk) {
    ++volumes;
    EXPECT_LE(ReadFileBytes(dir / ("media/DISK" + std::to_string(disk) + "/APP.PCK")).size(),
              16000u);
  }
  EXPECT_GE(volumes, 3);

  r = Pck("info " + P("media/DISK1/APP.PCK"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Volumes:   " + std::to_string(volumes))) << r.out;

  r = Pck("test " + P("media/DISK1/APP.PCK"));
  EXPECT_EQ(r.status, 0) << r.err;
  r = Pck("extract " + P("media/DISK1/APP.PCK") + " -d " + P("out"));
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* name : {"BIG.BIN", "TEXT.TXT", "Z.BIN"})
    ExpectSameFile(std::string("src/") + name, std::string("out/") + name);

  // A failed create (volumes too small for an entry record) keeps the set it replaces.
  r = Pck("create " + P("media/DISK1/APP.PCK") + " -C " + P("src") + " --volume-size 30 " +
          Quote("*.*"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "media/DISK1/APP.PCK: ")) << r.err;
  EXPECT_EQ(Pck("test " + P("media/DISK1/APP.PCK")).status, 0);

  // Without its last disk the set cannot be read to the end, and the message says why.
  std::rename((dir / ("media/DISK" + std::to_string(volumes) + "/APP.PCK")).c_str(),
              (dir / "media/APP.SAVED").c_str());
  r = Pck("extract " + P("media/DISK1/APP.PCK") + " -d " + P("out2"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "volume " + std::to_string(volumes) + " not found")) << r.err;
  std::rename((dir / "media/APP.SAVED").c_str(),
              (dir / ("media/DISK" + std::to_string(volumes) + "/APP.PCK")).c_str());

  // Made again in fewer volumes, the set leaves no volume of the old one behind.
  r = Pck("create " + P("media/DISK1/APP.PCK") + " -C " + P("src") +
          " --method fast --volume-size 40000 " + Quote("*.*"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(PathExists(dir / "media/DISK2/APP.PCK"));
  EXPECT_FALSE(PathExists(dir / "media/DISK3/APP.PCK"));
  r = Pck("extract " + P("media/DISK1/APP.PCK") + " -d " + P("out3"));
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectSameFile("src/TEXT.TXT", "out3/TEXT.TXT");
}

TEST_F(PckTool, DiskFolderNamesAreRecognisedInAnyLetterCase) {
  MakeFile("DATA.BIN", testing_support::RandomBytes(9000, 4));
  platform::FileSystemPort().CreateDirectory(dir / "disk7");
  Outcome r = Pck("create " + P("disk7/L.PCK") + " -C " + P("") +
                  " --method fast --volume-size 4000 DATA.BIN");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(PathExists(dir / "disk8/L.PCK"));
  EXPECT_TRUE(PathExists(dir / "disk9/L.PCK"));
  r = Pck("extract " + P("disk7/L.PCK") + " -d " + P("out"));
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectSameFile("DATA.BIN", "out/DATA.BIN");
}

TEST_F(PckTool, VolumeSizeOutsideADiskFolderIsAUsageError) {
  MakeFile("F.TXT", testing_support::SampleText(100, 1));
  Outcome r = Pck("create " + P("F.PCK") + " -C " + P("") + " --volume-size 5000 F.TXT");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "DISK1")) << r.err;
  EXPECT_FALSE(PathExists(dir / "F.PCK"));
}

// ---- hostile and damaged packages ----------------------------------------------------

TEST_F(PckTool, MemberNamesOutsideTheTargetAreRefused) {
  const Bytes data = Compressed(testing_support::SampleText(100, 1));
  for (const char* name : {"..\\evil", "SUB\\..\\..\\evil", "\\\\evil", "C:evil", "../evil"}) {
    SCOPED_TRACE(name);
    WritePackage("HOSTILE.PCK", {{name, data}});
    platform::FileSystemPort().CreateDirectory(dir / "target");
    Outcome r = Pck("extract " + P("HOSTILE.PCK") + " -d " + P("target/inner"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, "HOSTILE.PCK")) << r.err;
    EXPECT_FALSE(PathExists(dir / "evil"));
    EXPECT_FALSE(PathExists(dir / "target/evil"));
    EXPECT_FALSE(PathExists(dir / "target/inner/evil"));
    // Listing shows such a member as it is stored, without looking inside.
    r = Pck("list " + P("HOSTILE.PCK"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, name)) << r.out;
  }
}

TEST_F(PckTool, DamagedMemberIsNamedInTheFailure) {
  Bytes bad = Compressed(testing_support::SampleText(5000, 2));
  bad[4] ^= 1;  // the header's uncompressed size no longer matches
  WritePackage("DAMAGED.PCK", {{"GOOD1.TXT", Compressed(testing_support::SampleText(100, 1))},
                               {"QEN2005.EXE", bad},
                               {"GOOD2.TXT", Compressed(testing_support::SampleText(100, 3))}});

  Outcome r = Pck("test " + P("DAMAGED.PCK"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err,
                       "DAMAGED.PCK: QEN2005.EXE: Lzrw1/KH : Sizes do not match !! "
                       "Corruption"))
      << r.err;
  EXPECT_TRUE(Contains(r.out, "1 of 3 members failed")) << r.out;

  r = Pck("extract " + P("DAMAGED.PCK") + " -d " + P("out"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "pck: ")) << r.err;
  EXPECT_TRUE(Contains(r.err, "QEN2005.EXE: Lzrw1/KH : Sizes do not match !! Corruption")) << r.err;
  EXPECT_TRUE(PathExists(dir / "out/GOOD1.TXT"));
  EXPECT_FALSE(PathExists(dir / "out/QEN2005.EXE"));

  WriteFileBytes(dir / "NOTAPACKAGE.PCK", testing_support::SampleText(200, 9));
  r = Pck("list " + P("NOTAPACKAGE.PCK"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "NOTAPACKAGE.PCK")) << r.err;

  r = Pck("list " + P("MISSING.PCK"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "MISSING.PCK: no such file")) << r.err;
}

// ---- usage errors and the single-file verbs ------------------------------------------

TEST_F(PckTool, UsageErrorsExitWithTwo) {
  MakeFile("F.TXT", testing_support::SampleText(100, 1));
  EXPECT_EQ(Pck("").status, 2);
  EXPECT_EQ(Pck("frobnicate").status, 2);
  EXPECT_EQ(Pck("create " + P("X.PCK")).status, 2);  // no patterns
  EXPECT_EQ(Pck("list").status, 2);
  EXPECT_EQ(Pck("create " + P("X.PCK") + " F.TXT --method best").status, 2);
  EXPECT_EQ(Pck("list --offset -5 " + P("X.PCK")).status, 2);
  WriteFileBytes(dir / "raw.bin", Bytes{1, 2});
  Outcome r =
      Pck("create " + P("X.PCK") + " -C " + P("") + " F.TXT -p pw --raw-header " + P("raw.bin"));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "--raw-header")) << r.err;
  r = Pck("create " + P("X.PCK") + " -C " + P("") + " F.TXT --header h --raw-header " +
          P("raw.bin"));
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(PathExists(dir / "X.PCK"));
}

TEST_F(PckTool, CompressAndDecompressVerbs) {
  const Bytes content = testing_support::SampleText(70000, 5);
  WriteFileBytes(dir / "plain.txt", content);
  for (const char* method : {"fast", "good"}) {
    SCOPED_TRACE(method);
    Outcome r = Pck(std::string("compress --method ") + method + " " + P("plain.txt") + " " +
                    P("packed.lz"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_LT(ReadFileBytes(dir / "packed.lz").size(), content.size());
    r = Pck("decompress " + P("packed.lz") + " " + P("restored.txt"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFileBytes(dir / "restored.txt"), content);
  }
  Outcome r = Pck("decompress " + P("plain.txt") + " " + P("nothing.txt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "pck: Lzrw1 : ")) << r.err;
  EXPECT_TRUE(Contains(r.err, " : NOT A COMPRESSED FILE !")) << r.err;
  EXPECT_FALSE(PathExists(dir / "nothing.txt"));

  r = Pck("compress " + P("missing.txt") + " " + P("out.lz"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Lzrw1 : Cannot obtain size of ")) << r.err;
}

}  // namespace
}  // namespace pck_tool_tests
