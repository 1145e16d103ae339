// The compressed package engine: members written through the driver come back byte
// for byte with their times and attributes; the staging file lives from construction
// to destruction and is emptied around every member; driver failures reach OnError.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "compress/lzrw1.h"
#include "pack/cpacklz.h"
#include "pack/lfiles.h"
#include "pack_test_util.h"
#include "platform/files.h"
#include "platform/system.h"
#include "support/no_temp_files.h"
#include "support/test_files.h"

namespace {

using testing_support::NoTempFiles;

using packtest::Compressed;
using testing_support::Bytes;
using testing_support::ReadFileBytes;
using testing_support::ScratchDir;
using testing_support::WriteFileBytes;

// 2001-02-03 04:05:06 as a DOS date-time.
constexpr int32_t kTime =
    static_cast<int32_t>(((21u << 9 | 2u << 5 | 3u) << 16) | (4u << 11 | 5u << 5 | 3u));

// The engine's own separators, whatever the platform writes.
std::string EnginePath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string BaseName(const std::string& path) {
  const auto cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool Exists(const std::string& path) { return platform::FileSystemPort().FileExists(path); }

void PutLe(Bytes& out, uint64_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

struct Member {
  std::string name;
  Bytes data;  // stored bytes
  uint16_t attr = 0;
  int32_t time = kTime;
};

// A "PCK11" package without password or header lines.
Bytes Package(const std::vector<Member>& members) {
  Bytes out = {'P', 'C', 'K', '1', '1'};
  double stamp = 45000.5;
  uint64_t bits;
  std::memcpy(&bits, &stamp, 8);
  PutLe(out, bits, 8);
  PutLe(out, 1, 2);
  PutLe(out, members.size(), 4);
  PutLe(out, 0, 4);  // reserved
  PutLe(out, 0, 1);  // no password
  PutLe(out, 0, 2);  // no header lines
  for (const Member& m : members) {
    PutLe(out, m.data.size(), 4);
    PutLe(out, m.attr, 2);
    PutLe(out, static_cast<uint32_t>(m.time), 4);
    PutLe(out, m.name.size(), 1);
    out.insert(out.end(), m.name.begin(), m.name.end());
    out.insert(out.end(), m.data.begin(), m.data.end());
  }
  return out;
}

struct Error {
  std::string message, file;
};

class PackLzTest : public ::testing::Test {
 protected:
  // An engine reading `package` into `target`, recording OnError.
  std::unique_ptr<pack::TPackLz> Reader(const Bytes& package) {
    WriteFileBytes(dir / "TEST.PCK", package);
    auto pack = std::make_unique<pack::TPackLz>(nullptr);
    pack->SetPackFileName(EnginePath(dir / "TEST.PCK"));
    pack->SetDirectory(EnginePath(dir / "out"));
    pack->OnError = [this](platform::TObject*, const platform::Exception& e,
                           const std::string& file) {
      errors.push_back({e.Message(), file});
    };
    return pack;
  }

  ScratchDir dir;
  std::vector<Error> errors;
};

TEST_F(PackLzTest, StagingFileIsMadeAtConstructionAndDeletedAtDestruction) {
  auto first = std::make_unique<pack::TPackLz>(nullptr);
  auto second = std::make_unique<pack::TPackLz>(nullptr);
  const std::string staging = first->TempFile();
  EXPECT_EQ(BaseName(staging).rfind("PCK", 0), 0u) << staging;
  EXPECT_EQ(EnginePath(staging).rfind(EnginePath(platform::TempFilesPort().Directory()), 0), 0u)
      << staging;
  EXPECT_NE(staging, second->TempFile());
  ASSERT_TRUE(Exists(staging));
  EXPECT_TRUE(ReadFileBytes(staging).empty());
  EXPECT_TRUE(Exists(second->TempFile()));

  first.reset();
  EXPECT_FALSE(Exists(staging));
  EXPECT_TRUE(Exists(second->TempFile())) << "each engine deletes only its own staging file";
}

TEST_F(PackLzTest, NoStagingFileFailsConstructionNamingTheTempDirectory) {
  NoTempFiles noTemp;
  try {
    pack::TPackLz pack(nullptr);
    FAIL() << "constructed without a staging file";
  } catch (const pack::EPackException& e) {
    EXPECT_NE(e.Message().find("/nonexistent/temp/"), std::string::npos) << e.Message();
  }
}

TEST_F(PackLzTest, EmptyPackageExtractsAndKeepsTheEmptyStagingFileUntilDestruction) {
  auto pack = Reader(Package({}));
  EXPECT_TRUE(pack->Extract());
  EXPECT_TRUE(pack->List.empty());
  const std::string staging = pack->TempFile();
  ASSERT_TRUE(Exists(staging));
  EXPECT_TRUE(ReadFileBytes(staging).empty());
  pack.reset();
  EXPECT_FALSE(Exists(staging));
}

TEST_F(PackLzTest, ExtractRestoresBytesTimeAndReadOnlyAttribute) {
  const Bytes text = testing_support::SampleText(50000, 3);
  const Bytes noise = testing_support::RandomBytes(40000, 4);
  auto pack = Reader(Package({
      {"TEXT.TXT", Compressed(text, compress::TCompressMode::Fast, dir), 0x20},
      {"NOISE.BIN", Compressed(noise, compress::TCompressMode::Good, dir), 0x01 | 0x20},
      {"EMPTY.DAT", Compressed({}, compress::TCompressMode::Fast, dir), 0},
  }));
  ASSERT_TRUE(pack->Extract()) << pack->LastError();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(ReadFileBytes(dir / "out/TEXT.TXT"), text);
  EXPECT_EQ(ReadFileBytes(dir / "out/NOISE.BIN"), noise);
  EXPECT_TRUE(ReadFileBytes(dir / "out/EMPTY.DAT").empty());
  for (const char* name : {"TEXT.TXT", "NOISE.BIN", "EMPTY.DAT"}) {
    uint32_t time = 0;
    ASSERT_TRUE(platform::FileSystemPort().GetDosTime(dir / "out/" + name, time)) << name;
    EXPECT_EQ(time, static_cast<uint32_t>(kTime)) << name;
  }
  uint16_t attr = 0;
  ASSERT_TRUE(platform::FileSystemPort().GetAttributes(dir / "out/NOISE.BIN", attr));
  EXPECT_TRUE(attr & platform::kAttrReadOnly);
  ASSERT_TRUE(platform::FileSystemPort().GetAttributes(dir / "out/TEXT.TXT", attr));
  EXPECT_FALSE(attr & platform::kAttrReadOnly);

  // The staging file is gone after the last member; destruction has nothing to delete.
  EXPECT_FALSE(Exists(pack->TempFile()));
  EXPECT_NO_THROW(pack.reset());
}

TEST_F(PackLzTest, MemberThatIsNotCompressedFailsThroughOnErrorAndEarlierMembersStay) {
  const Bytes first = testing_support::SampleText(3000, 5);
  const Bytes later = testing_support::SampleText(3000, 6);
  auto pack = Reader(Package({
      {"FIRST.TXT", Compressed(first, compress::TCompressMode::Fast, dir)},
      {"BAD.TXT", Bytes{'H', 'E', 'L', 'L', 'O', ' ', 'W', 'O', 'R', 'L', 'D'}},
      {"LATER.TXT", Compressed(later, compress::TCompressMode::Fast, dir)},
  }));
  EXPECT_FALSE(pack->Extract());
  ASSERT_EQ(errors.size(), 1u);
  const std::string suffix = ": NOT A COMPRESSED FILE !";
  ASSERT_GE(errors[0].message.size(), suffix.size());
  EXPECT_EQ(errors[0].message.substr(errors[0].message.size() - suffix.size()), suffix);
  EXPECT_EQ(errors[0].message.rfind("Lzrw1 : ", 0), 0u) << errors[0].message;
  EXPECT_EQ(errors[0].file, pack::CombinePath(EnginePath(dir / "out"), "BAD.TXT"));

  EXPECT_EQ(ReadFileBytes(dir / "out/FIRST.TXT"), first);
  EXPECT_FALSE(Exists(dir / "out/BAD.TXT")) << "the driver leaves no half-restored target";
  EXPECT_FALSE(Exists(dir / "out/LATER.TXT")) << "the run stops at the failed member";

  // The failed CloseTarget did not get to delete the staging file; destruction does.
  const std::string staging = pack->TempFile();
  EXPECT_TRUE(Exists(staging));
  pack.reset();
  EXPECT_FALSE(Exists(staging));
}

TEST_F(PackLzTest, SizeMismatchReportsTheDriversCorruptionMessage) {
  Bytes packed =
      Compressed(testing_support::SampleText(5000, 7), compress::TCompressMode::Fast, dir);
  packed[4] ^= 0x01;  // uncompressed size in the header no longer matches
  auto pack = Reader(Package({{"DATA.TXT", packed}}));
  EXPECT_FALSE(pack->Extract());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].message, "Lzrw1/KH : Sizes do not match !! Corruption");
  EXPECT_FALSE(Exists(dir / "out/DATA.TXT"));
}

TEST_F(PackLzTest, TargetDirectoriesAreCreatedWhenTheMemberIsClosed) {
  const Bytes content = testing_support::SampleText(1000, 8);
  auto pack =
      Reader(Package({{"A\\B\\C.TXT", Compressed(content, compress::TCompressMode::Fast, dir)}}));
  bool existedAtOpen = true, existedAtClose = false;
  pack->OnOpen = [&](platform::TObject*, std::string&) {
    existedAtOpen = platform::FileSystemPort().DirectoryExists(dir / "out/A/B");
  };
  pack->OnClose = [&](platform::TObject*, std::string&) {
    existedAtClose = platform::FileSystemPort().DirectoryExists(dir / "out/A/B");
  };
  ASSERT_TRUE(pack->Extract()) << pack->LastError();
  EXPECT_FALSE(existedAtOpen);
  EXPECT_TRUE(existedAtClose);
  EXPECT_EQ(ReadFileBytes(dir / "out/A/B/C.TXT"), content);
}

TEST_F(PackLzTest, OnOpenRenamesTheTargetForRestoreTimeAndAttributes) {
  const Bytes content = testing_support::SampleText(2000, 9);
  auto pack = Reader(
      Package({{"ORIGINAL.TXT", Compressed(content, compress::TCompressMode::Good, dir), 0x01}}));
  const std::string renamed = EnginePath(dir / "elsewhere/RENAMED.TXT");
  std::string closed;
  pack->OnOpen = [&](platform::TObject*, std::string& file) { file = renamed; };
  pack->OnClose = [&](platform::TObject*, std::string& file) { closed = file; };
  ASSERT_TRUE(pack->Extract()) << pack->LastError();
  EXPECT_EQ(closed, renamed);
  EXPECT_FALSE(Exists(dir / "out/ORIGINAL.TXT"));
  EXPECT_EQ(ReadFileBytes(dir / "elsewhere/RENAMED.TXT"), content);
  uint32_t time = 0;
  uint16_t attr = 0;
  ASSERT_TRUE(platform::FileSystemPort().GetDosTime(renamed, time));
  EXPECT_EQ(time, static_cast<uint32_t>(kTime));
  ASSERT_TRUE(platform::FileSystemPort().GetAttributes(renamed, attr));
  EXPECT_TRUE(attr & platform::kAttrReadOnly);
}

TEST_F(PackLzTest, FileProgressRelaysTheDriversCounts) {
  // 20 bytes 'a' with the block method: one block record, 17 bytes in all.
  const Bytes content(20, 'a');
  auto pack = Reader(Package({{"A.TXT", Compressed(content, compress::TCompressMode::Fast, dir)}}));
  std::vector<std::pair<int32_t, int32_t>> calls;
  pack->OnFileProgress = [&](platform::TObject*, int32_t in, int32_t out) {
    calls.emplace_back(in, out);
  };
  ASSERT_TRUE(pack->Extract()) << pack->LastError();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(17, 20));

  // With the handler taken away the driver reports to nobody.
  pack->OnFileProgress = nullptr;
  calls.clear();
  ASSERT_TRUE(pack->Extract()) << pack->LastError();
  EXPECT_TRUE(calls.empty());
}

// Writing with each method and reading back.
class PackLzRoundTrip : public PackLzTest,
                        public ::testing::WithParamInterface<compress::TCompressMode> {};

TEST_P(PackLzRoundTrip, WrittenPackageExtractsToTheSameFiles) {
  const std::vector<std::pair<std::string, Bytes>> files = {
      {"TEXT.TXT", testing_support::SampleText(150000, 11)},
      {"NOISE.BIN", testing_support::RandomBytes(70000, 12)},
      {"SMALL.TXT", testing_support::SampleText(10, 13)},
      {"EMPTY.DAT", {}},
  };
  platform::FileSystemPort().CreateDirectory(dir / "src");
  for (const auto& [name, data] : files) {
    WriteFileBytes(dir / "src/" + name, data);
    pack::SetFileDateAttr(EnginePath(dir / "src/" + name), kTime, platform::kAttrArchive);
  }

  pack::TPackLz writer(nullptr);
  writer.CompressMode = GetParam();
  writer.SetPackFileName(EnginePath(dir / "TEST.PCK"));
  writer.SetDirectory(EnginePath(dir / "src"));
  writer.Items = {"*.*"};
  ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  EXPECT_FALSE(Exists(writer.TempFile())) << "CloseSource deletes the staging file";

  // Every member is a compressed file of the chosen method.
  const Bytes package = ReadFileBytes(dir / "TEST.PCK");
  auto count = [&](const char* signature) {
    int n = 0;
    for (auto it = package.begin();
         (it = std::search(it, package.end(), signature, signature + 4)) != package.end(); ++it)
      ++n;
    return n;
  };
  switch (GetParam()) {
    case compress::TCompressMode::Fast:
      EXPECT_GE(count("WRZL"), 4);
      break;
    case compress::TCompressMode::Good:
      EXPECT_GE(count("!HZL"), 4);
      break;
    case compress::TCompressMode::Auto:
      EXPECT_GE(count("WRZL") + count("!HZL"), 4);
      break;
  }

  pack::TPackLz reader(nullptr);
  reader.SetPackFileName(EnginePath(dir / "TEST.PCK"));
  reader.SetDirectory(EnginePath(dir / "out"));
  ASSERT_TRUE(reader.Extract()) << reader.LastError();
  EXPECT_EQ(reader.List.size(), files.size());
  for (const auto& [name, data] : files) {
    std::string stored = name;
    for (const std::string& entry : reader.List)
      if (BaseName(EnginePath(entry)) == name) stored = entry;
    const std::string target = pack::CombinePath(EnginePath(dir / "out"), stored);
    ASSERT_TRUE(Exists(target)) << target;
    EXPECT_EQ(ReadFileBytes(platform::FileSystemPort().FullPath(target)), data) << name;
    uint32_t time = 0;
    ASSERT_TRUE(platform::FileSystemPort().GetDosTime(target, time));
    EXPECT_EQ(time, static_cast<uint32_t>(kTime)) << name;
  }
  EXPECT_FALSE(Exists(reader.TempFile()));
}

INSTANTIATE_TEST_SUITE_P(Methods, PackLzRoundTrip,
                         ::testing::Values(compress::TCompressMode::Good,
                                           compress::TCompressMode::Fast,
                                           compress::TCompressMode::Auto),
                         [](const auto& info) {
                           switch (info.param) {
                             case compress::TCompressMode::Good:
                               return std::string("Good");
                             case compress::TCompressMode::Fast:
                               return std::string("Fast");
                             default:
                               return std::string("Auto");
                           }
                         });

}  // namespace
