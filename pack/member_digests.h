// The digests a package may carry, in header lines of a version 2 package (which every
// reader keeps and passes over), without any change to the format:
//
//   pck-digest/1 member <position> xxh3-128 <32 hex digits>
//   pck-digest/1 directory xxh3-128 <32 hex digits, or 32 '-' when none was recorded>
//
// "pck-digest/1" names the scheme and its version. A member line gives the 128-bit XXH3
// digest of the member's content as it is restored (the file that lands on disk), the
// member named by its position in the package (1 for the first entry), not its name. The
// directory line gives the digest of every entry record in order, as stored (size,
// attributes, time, name length and name), so that a missing, reordered, renamed or
// altered entry shows. A writer that learns a digest only later writes the line with 32
// '-' in its place and fills it in; a line left so means "not recorded". A line that does
// not follow this syntax is an ordinary header line. A package with more members than its
// lines can carry has no member lines.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/digest.h"
#include "platform/files.h"

namespace pack {

inline constexpr const char* kDigestScheme = "pck-digest/1";

struct TPackageDigests {
  std::map<int32_t, platform::TDigest128> Members;  // by position, 1 for the first entry
  std::optional<platform::TDigest128> Directory;    // absent, or not recorded
  bool DirectoryLine = false;                       // the package has a directory line
  bool Any() const { return !Members.empty() || DirectoryLine; }
};

// A member line; without a digest, the placeholder of 32 '-' (see DirectoryDigestLine).
std::string MemberDigestLine(int32_t position, const std::optional<platform::TDigest128>& digest);
// A directory line; without a digest, the placeholder of 32 '-' that a writer fills in
// when it can (the line keeps its length).
std::string DirectoryDigestLine(const std::optional<platform::TDigest128>& digest);
// Where the digest starts within a directory line.
std::size_t DirectoryDigestOffset();
// What a placeholder line waits for: the member's position, or 0 for the directory;
// nothing for any other line.
std::optional<int32_t> PlaceholderFor(const std::string& line);
// The line is one of the scheme's (a member or directory line of any version 1 form).
bool IsDigestLine(const std::string& line);
// The digests among a package's header lines.
TPackageDigests ParseDigestLines(const std::vector<std::string>& header);

// A file that hands every byte written to it, or read from it, to a content hash as well,
// and counts them. Written (or read) from its start onwards; should its user ever seek
// elsewhere, the hash no longer stands for the content, and `streamed` is set false.
class THashingFile final : public platform::File {
 public:
  THashingFile(std::unique_ptr<platform::File> inner, platform::TContentHash& hash, bool& streamed,
               int64_t& bytes)
      : inner_(std::move(inner)), hash_(hash), streamed_(streamed), bytes_(bytes) {
    hash_.Reset();
    streamed_ = true;
    bytes_ = 0;
  }
  int32_t Read(void* buf, int32_t count) override;
  int32_t Write(const void* buf, int32_t count) override;
  bool Seek(int64_t position) override;
  int64_t Position() override { return inner_->Position(); }
  int64_t Size() override { return inner_->Size(); }
  bool SetDosTime(uint32_t dosTime) override { return inner_->SetDosTime(dosTime); }
  bool Close() override { return inner_->Close(); }
  bool Flush() override { return inner_->Flush(); }
  std::string FailureReason() override { return inner_->FailureReason(); }

 private:
  std::unique_ptr<platform::File> inner_;
  platform::TContentHash& hash_;
  bool& streamed_;
  int64_t& bytes_;
};

}  // namespace pack
