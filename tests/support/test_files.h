// Small helpers for tests that work with real files: a scratch directory removed at
// the end of the test, and whole-file reads and writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<uint8_t>;

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The directory, ending with the platform's separator.
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// A scratch directory that is the current directory for the object's lifetime; the
// current directory it replaced comes back after. For tests that work with relative
// paths, as the installer's upper-cased folders are.
class ScratchCurrentDir {
 public:
  ScratchCurrentDir();
  ~ScratchCurrentDir();
  ScratchCurrentDir(const ScratchCurrentDir&) = delete;
  ScratchCurrentDir& operator=(const ScratchCurrentDir&) = delete;

  const std::string& Path() const { return dir_.Path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }

 private:
  ScratchDir dir_;
  std::string previous_;
};

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& data);
// Damages the file in place: one bit of its middle byte flipped.
void FlipMiddleBit(const std::string& path);
bool PathExists(const std::string& path);
Bytes FromHex(const std::string& hex);  // "57 52 5A 4C" -> bytes
std::string ToHex(const Bytes& data);
// Deterministic test data: text-like, compressible, of a given size.
Bytes SampleText(std::size_t size, uint32_t seed = 1);
// Deterministic incompressible bytes.
Bytes RandomBytes(std::size_t size, uint32_t seed = 1);

}  // namespace testing_support
