#include "support/test_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

ScratchDir::ScratchDir() {
  static int counter = 0;
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path p = fs::temp_directory_path() /
                 ("pcktest-" + std::to_string(rd()) + "-" + std::to_string(++counter));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p.string();
      path_ += static_cast<char>(fs::path::preferred_separator);
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch directory");
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Read-only files left by a test must not stop the clean-up.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

ScratchCurrentDir::ScratchCurrentDir() : previous_(fs::current_path().string()) {
  fs::current_path(dir_.Path());
}

ScratchCurrentDir::~ScratchCurrentDir() {
  std::error_code ec;
  fs::current_path(previous_, ec);
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void FlipMiddleBit(const std::string& path) {
  Bytes bytes = ReadFileBytes(path);
  if (bytes.empty()) throw std::runtime_error("nothing to damage in " + path);
  bytes[bytes.size() / 2] ^= 1;
  WriteFileBytes(path, bytes);
}

bool PathExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

Bytes FromHex(const std::string& hex) {
  Bytes out;
  int nibbles = 0, value = 0;
  for (char c : hex) {
    int v;
    if (c >= '0' && c <= '9')
      v = c - '0';
    else if (c >= 'a' && c <= 'f')
      v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      v = c - 'A' + 10;
    else
      continue;
    value = value * 16 + v;
    if (++nibbles == 2) {
      out.push_back(static_cast<uint8_t>(value));
      nibbles = value = 0;
    }
  }
  return out;
}

std::string ToHex(const Bytes& data) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i) out += ' ';
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
  }
  return out;
}

Bytes SampleText(std::size_t size, uint32_t seed) {
  static const char* words[] = {"package ",    "volume ", "member ", "disk ",   "the ",
                                "installer ",  "engine ", "data ",   "record ", "\r\n",
                                "compressed ", "file ",   "1999 ",   "of ",     "a "};
  std::mt19937 rng(seed);
  Bytes out;
  out.reserve(size);
  while (out.size() < size) {
    const char* w = words[rng() % (sizeof words / sizeof *words)];
    for (const char* p = w; *p && out.size() < size; ++p) out.push_back(static_cast<uint8_t>(*p));
  }
  return out;
}

Bytes RandomBytes(std::size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out(size);
  for (auto& b : out) b = static_cast<uint8_t>(rng() >> 24);
  return out;
}

}  // namespace testing_support
