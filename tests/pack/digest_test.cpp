// The digests packages carry in header lines: the line syntax, what the writer stores
// (and leaves alone), and what the reader makes of a directory or a member that does
// not match.
#include <gtest/gtest.h>

#include <regex>

#include "pack/cpacklz.h"
#include "pack/member_digests.h"
#include "pack_test_util.h"

using namespace packtest;
using testing_support::ReadFileBytes;
using testing_support::SampleText;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

namespace {

platform::TDigest128 DigestOf(const Bytes& b) {
  return platform::TContentHash::Of(b.data(), b.size());
}

TEST(DigestLines, SyntaxAndWhatIsNotALine) {
  const platform::TDigest128 d = DigestOf({'a', 'b', 'c'});
  EXPECT_EQ(d.Hex().size(), 32u);
  EXPECT_EQ(platform::TDigest128::FromHex(d.Hex()), d);
  EXPECT_EQ(pack::MemberDigestLine(7, d), "pck-digest/1 member 7 xxh3-128 " + d.Hex());
  EXPECT_EQ(pack::DirectoryDigestLine(std::nullopt),
            "pck-digest/1 directory xxh3-128 " + std::string(32, '-'));
  EXPECT_EQ(pack::DirectoryDigestLine(d).substr(pack::DirectoryDigestOffset()), d.Hex());

  const std::string hex = d.Hex();
  const pack::TPackageDigests found = pack::ParseDigestLines({
      "an ordinary line",
      "pck-digest/1 member 1 xxh3-128 " + hex,
      "pck-digest/1 member 2 xxh3-128 " + hex.substr(1),  // short
      "pck-digest/1 member 0 xxh3-128 " + hex,            // no position 0
      "pck-digest/1 member 03 xxh3-128 " + hex,           // no leading zero
      "pck-digest/1 member 4 sha-256 " + hex,             // another algorithm
      "pck-digest/2 member 5 xxh3-128 " + hex,            // another version
      "pck-digest/1  member 6 xxh3-128 " + hex,           // not single blanks
      "pck-digest/1 member 99999999999 xxh3-128 " + hex,  // beyond 32 bits
      "PCK-DIGEST/1 member 8 xxh3-128 " + hex,            // the scheme's case
      "pck-digest/1 member 9 xxh3-128 " + std::string(32, 'g'),
  });
  ASSERT_EQ(found.Members.size(), 1u);
  EXPECT_EQ(found.Members.at(1), d);
  EXPECT_FALSE(found.DirectoryLine);
  const pack::TPackageDigests placeholder =
      pack::ParseDigestLines({pack::DirectoryDigestLine(std::nullopt)});
  EXPECT_TRUE(placeholder.DirectoryLine);
  EXPECT_FALSE(placeholder.Directory);
  // Every line stays within the 255 characters of a header line.
  EXPECT_LE(pack::MemberDigestLine(2147483647, d).size(), 255u);
}

// Packages written by the compressed engine from two source files.
class Digests : public ::testing::Test {
 protected:
  ScratchDir dir;
  const Bytes a = SampleText(20000, 1), b = testing_support::RandomBytes(30000, 2);

  void SetUp() override {
    pack::CreateDirectories(dir / "src");
    WriteFileBytes(dir / "src/A.TXT", a);
    WriteFileBytes(dir / "src/B.BIN", b);
  }
  bool Write(bool digests, std::vector<std::string> header = {}, Bytes raw = {}) {
    pack::TPackLz writer(nullptr);
    writer.SetDirectory(dir / "src");
    writer.Items = {"*.*"};
    writer.SetPackFileName(dir / "P.PCK");
    writer.WriteDigests = digests;
    writer.Header = std::move(header);
    if (!raw.empty()) writer.SetRawHeader(raw);
    const bool ok = writer.WritePackage();
    omitted_ = writer.DigestsOmitted();
    written_ = writer.Header;
    return ok;
  }
  // Reads the package back into out/; its header lines in `lines_`.
  bool Extract() {
    pack::TPackLz reader(nullptr);
    reader.SetPackFileName(dir / "P.PCK");
    reader.SetDirectory(dir / "out");
    const bool ok = reader.Extract();
    lines_ = reader.Header;
    error_ = reader.LastError();
    return ok;
  }
  bool omitted_ = false;
  std::vector<std::string> written_, lines_;
  std::string error_;
};

TEST_F(Digests, TheWriterStoresEveryMembersContentAndTheDirectory) {
  ASSERT_TRUE(Write(true, {"kept line", pack::MemberDigestLine(1, DigestOf({'x'}))}));
  ASSERT_TRUE(Extract()) << error_;
  // The user's line stays; a stale digest line gives way to the new ones.
  ASSERT_EQ(lines_.size(), 4u);
  EXPECT_EQ(lines_[0], "kept line");
  EXPECT_EQ(lines_[1], pack::MemberDigestLine(1, DigestOf(a)));
  EXPECT_EQ(lines_[2], pack::MemberDigestLine(2, DigestOf(b)));
  EXPECT_TRUE(
      std::regex_match(lines_[3], std::regex("pck-digest/1 directory xxh3-128 [0-9a-f]{32}")))
      << lines_[3];
  EXPECT_EQ(ReadFileBytes(dir / "out/B.BIN"), b);
  EXPECT_FALSE(omitted_);
}

TEST_F(Digests, WithoutThemOrInAVersion1PackageNothingIsAdded) {
  ASSERT_TRUE(Write(false, {"kept line"}));
  ASSERT_TRUE(Extract());
  EXPECT_EQ(lines_, std::vector<std::string>{"kept line"});
  // A raw header block makes a version 1 package, which has no lines to carry them.
  ASSERT_TRUE(Write(true, {}, {1, 2, 3}));
  EXPECT_EQ(ReadFileBytes(dir / "P.PCK")[4], '0');  // "PCK10"
  ASSERT_TRUE(Extract());
  EXPECT_TRUE(lines_.empty());
}

TEST_F(Digests, TooManyLinesForTheMembersLeavesThemOut) {
  // Two members and the directory would need three more lines than the 65535 allowed.
  ASSERT_TRUE(Write(true, std::vector<std::string>(65533, "x")));
  EXPECT_TRUE(omitted_);
  EXPECT_EQ(written_.size(), 65534u);  // the directory line still fits
  ASSERT_TRUE(Extract()) << error_;
}

TEST_F(Digests, AnAlteredDirectoryIsCaughtOnceItIsRead) {
  ASSERT_TRUE(Write(true));
  Bytes p = ReadFileBytes(dir / "P.PCK");
  // The first entry's time, one second on: the member itself restores all the same.
  const std::size_t lines = 15 + 4 + 4 + 1 + 2;
  std::size_t at = lines;
  for (int i = 0; i < 3; ++i) at += 1 + p[at];  // past the three digest lines
  p[at + 6] ^= 1;
  WriteFileBytes(dir / "P.PCK", p);
  EXPECT_FALSE(Extract());
  EXPECT_EQ(error_, "the package's directory does not match its digest");
}

TEST_F(Digests, AMemberThatDoesNotMatchIsNotPlacedAndTheRunGoesOn) {
  ASSERT_TRUE(Write(false, {pack::MemberDigestLine(1, DigestOf({'x'}))}));
  EXPECT_FALSE(Extract());
  EXPECT_FALSE(testing_support::PathExists(dir / "out/A.TXT"));
  EXPECT_EQ(ReadFileBytes(dir / "out/B.BIN"), b);  // no line for it: not checked
  EXPECT_EQ(error_.rfind("member A.TXT: content does not match the package's digest", 0), 0u)
      << error_;
  // A reader told not to check places it.
  pack::TPackLz reader(nullptr);
  reader.SetPackFileName(dir / "P.PCK");
  reader.SetDirectory(dir / "out");
  reader.VerifyDigests = false;
  EXPECT_TRUE(reader.Extract());
  EXPECT_EQ(ReadFileBytes(dir / "out/A.TXT"), a);
}

}  // namespace
