#include "pack/member_digests.h"

#include <cstdlib>

namespace pack {
namespace {

constexpr const char* kAlgorithm = "xxh3-128";

// The words of a line, split at single blanks.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i < line.size() && line[i] != ' ') continue;
    words.push_back(line.substr(start, i - start));
    start = i + 1;
  }
  return words;
}

// A position: decimal digits only, 1 to 2147483647.
std::optional<int32_t> Position(const std::string& word) {
  if (word.empty() || word.size() > 10 || word[0] == '0') return std::nullopt;
  for (const char c : word)
    if (c < '0' || c > '9') return std::nullopt;
  const long long value = std::strtoll(word.c_str(), nullptr, 10);
  if (value > 2147483647) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

std::string MemberDigestLine(int32_t position, const std::optional<platform::TDigest128>& digest) {
  return std::string(kDigestScheme) + " member " + std::to_string(position) + " " + kAlgorithm +
         " " + (digest ? digest->Hex() : std::string(32, '-'));
}

std::optional<int32_t> PlaceholderFor(const std::string& line) {
  if (!IsDigestLine(line) || line.size() < 32 ||
      line.compare(line.size() - 32, 32, std::string(32, '-')) != 0)
    return std::nullopt;
  const std::vector<std::string> w = Words(line);
  if (w.size() == 4 && w[1] == "directory") return 0;
  if (w.size() == 5 && w[1] == "member") return Position(w[2]);
  return std::nullopt;
}

std::string DirectoryDigestLine(const std::optional<platform::TDigest128>& digest) {
  return std::string(kDigestScheme) + " directory " + kAlgorithm + " " +
         (digest ? digest->Hex() : std::string(32, '-'));
}

std::size_t DirectoryDigestOffset() { return DirectoryDigestLine(std::nullopt).size() - 32; }

bool IsDigestLine(const std::string& line) {
  return line.rfind(std::string(kDigestScheme) + " ", 0) == 0;
}

TPackageDigests ParseDigestLines(const std::vector<std::string>& header) {
  TPackageDigests found;
  for (const std::string& line : header) {
    if (!IsDigestLine(line)) continue;
    const std::vector<std::string> w = Words(line);
    if (w.size() == 5 && w[1] == "member" && w[3] == kAlgorithm) {
      const auto position = Position(w[2]);
      const auto digest = platform::TDigest128::FromHex(w[4]);
      if (position && digest) found.Members[*position] = *digest;
    } else if (w.size() == 4 && w[1] == "directory" && w[2] == kAlgorithm) {
      found.DirectoryLine = true;
      found.Directory = platform::TDigest128::FromHex(w[3]);  // none for the placeholder
    }
  }
  return found;
}

int32_t THashingFile::Read(void* buf, int32_t count) {
  const int32_t got = inner_->Read(buf, count);
  if (got > 0) {
    hash_.Update(buf, static_cast<std::size_t>(got));
    bytes_ += got;
  }
  return got;
}

int32_t THashingFile::Write(const void* buf, int32_t count) {
  const int32_t put = inner_->Write(buf, count);
  if (put > 0) {
    hash_.Update(buf, static_cast<std::size_t>(put));
    bytes_ += put;
  }
  return put;
}

bool THashingFile::Seek(int64_t position) {
  if (position != bytes_) streamed_ = false;
  return inner_->Seek(position);
}

}  // namespace pack
