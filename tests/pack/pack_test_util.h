// Package bytes made by hand for the package tests, and an engine that records its
// events and the sizes of the blocks written to member targets.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "compress/lzrw1.h"
#include "pack/cpack.h"
#include "pack/lfiles.h"
#include "platform/files.h"
#include "support/test_files.h"

namespace packtest {

using testing_support::Bytes;

inline void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}
inline void Le(Bytes& out, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void Short(Bytes& out, const std::string& s) {
  out.push_back(static_cast<uint8_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

inline Bytes Prefix(const std::string& sig, double stamp, uint16_t volume) {
  Bytes out(sig.begin(), sig.end());
  uint64_t bits;
  std::memcpy(&bits, &stamp, 8);
  Le(out, bits, 8);
  Le(out, volume, 2);
  return out;
}
inline Bytes V2Header(int32_t count, const std::string& password = "",
                      const std::vector<std::string>& lines = {}, uint32_t reserved = 0) {
  Bytes out;
  Le(out, static_cast<uint32_t>(count), 4);
  Le(out, reserved, 4);
  std::string scrambled = password;
  for (char& c : scrambled) c = static_cast<char>(c ^ 0xFF);
  Short(out, scrambled);
  Le(out, lines.size(), 2);
  for (const auto& l : lines) Short(out, l);
  return out;
}
inline Bytes Record(int32_t size, const std::string& name, uint16_t attr = 0x20,
                    uint32_t time = 0x2A5B6C21) {
  Bytes out;
  Le(out, static_cast<uint32_t>(size), 4);
  Le(out, attr, 2);
  Le(out, time, 4);
  Short(out, name);
  return out;
}
// A record followed by its data.
inline Bytes Member(const std::string& name, const Bytes& data) {
  Bytes out = Record(static_cast<int32_t>(data.size()), name);
  Append(out, data);
  return out;
}
inline Bytes V2Package(const std::vector<std::pair<std::string, Bytes>>& members,
                       const std::string& password = "", double stamp = 40000.5) {
  Bytes out = Prefix("PCK11", stamp, 1);
  Append(out, V2Header(static_cast<int32_t>(members.size()), password));
  for (const auto& [name, data] : members) Append(out, Member(name, data));
  return out;
}

// `content` as a compressed file made by the driver (in `dir`, which keeps nothing).
inline Bytes Compressed(const Bytes& content, compress::TCompressMode mode,
                        const testing_support::ScratchDir& dir) {
  testing_support::WriteFileBytes(dir / "plain.tmp", content);
  compress::Tlzrw1 driver(nullptr);
  driver.InputFile = dir / "plain.tmp";
  driver.OutputFile = dir / "packed.tmp";
  driver.CompressMode = mode;
  driver.Compress();
  Bytes packed = testing_support::ReadFileBytes(dir / "packed.tmp");
  platform::FileSystemPort().Delete(dir / "plain.tmp");
  platform::FileSystemPort().Delete(dir / "packed.tmp");
  return packed;
}

// Every file and directory under `dir`, relative, sorted.
inline std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
    out.push_back(std::filesystem::relative(e.path(), dir).generic_string());
  std::sort(out.begin(), out.end());
  return out;
}

// A member target that records the size of every write.
class CountingFile : public platform::File {
 public:
  explicit CountingFile(std::vector<int32_t>& sizes) : sizes_(sizes) {}
  int32_t Read(void*, int32_t) override { return -1; }
  int32_t Write(const void*, int32_t count) override {
    sizes_.push_back(count);
    return count;
  }
  bool Seek(int64_t) override { return true; }
  int64_t Position() override { return 0; }
  int64_t Size() override { return 0; }
  bool SetDosTime(uint32_t) override { return true; }
  bool Close() override { return true; }

 private:
  std::vector<int32_t>& sizes_;
};

// The engine with every event written to `log` as one line.
class RecordingPack : public pack::TCustomPack {
 public:
  RecordingPack() : pack::TCustomPack(nullptr) {
    OnProgress = [this](platform::TObject* s, const std::string& f, int32_t p, bool& cancel) {
      EXPECT_EQ(s, this);
      log.push_back("Progress " + f + " " + std::to_string(p));
      cancel = cancelAt == static_cast<int>(log.size());
    };
    OnPassword = [this](platform::TObject*, std::string& pw) { log.push_back("Password " + pw); };
    OnReadHeader = [this](platform::TObject*) { log.push_back("ReadHeader"); };
    OnPrepared = [this](platform::TObject*) { log.push_back("Prepared"); };
    OnList = [this](platform::TObject*, const std::string& f, int32_t size, uint16_t, int32_t) {
      log.push_back("List " + f + " " + std::to_string(size));
    };
    OnOpen = [this](platform::TObject*, std::string& f) { log.push_back("Open " + Short(f)); };
    OnClose = [this](platform::TObject*, std::string& f) { log.push_back("Close " + Short(f)); };
    OnError = [this](platform::TObject*, const platform::Exception& e, const std::string& f) {
      log.push_back("Error " + Short(f) + " " + e.Message());
    };
  }
  // Target paths relative to Directory, so logs read the same on every machine.
  std::string Short(const std::string& f) const {
    return f.rfind(Directory(), 0) == 0 ? f.substr(Directory().size()) : f;
  }
  bool countWrites = false;  // targets become CountingFiles
  std::vector<int32_t> writes;
  std::vector<std::string> log;
  int cancelAt = -1;  // the log line whose OnProgress answers Cancel

 protected:
  void OpenTarget(const std::string& name) override {
    if (!countWrites) return pack::TCustomPack::OpenTarget(name);
    MemberFile = std::make_unique<CountingFile>(writes);
  }
  void CloseTarget(const std::string& name) override {
    if (!countWrites) return pack::TCustomPack::CloseTarget(name);
    MemberFile.reset();
  }
};

}  // namespace packtest
