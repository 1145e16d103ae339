// compress_bench: throughput and compression ratio of our codecs and of the compressed-file
// driver, printed beside the anchor libraries (LZ4, zlib) on the same data in the same run.
//
//   compress_bench [FILE] [--rounds N] [--slice SECONDS] [--lzh-mib N] [--tmpdir DIR]
//
// FILE defaults to corpus/sample.bin. The figures are measured in N interleaved rounds
// (default 5): each round runs every figure once, and again while that figure has had less
// than --slice seconds in the round (default 0.2). A figure is the fastest of all its runs.
// Each run is timed twice: by the wall clock and by the CPU time of the running thread
// (user and system, so the driver's file I/O counts). The CPU figure hardly moves when other
// processes load the machine, so the targets are judged on it (--wall judges them on the
// wall clock instead); the interleaving keeps the wall figures comparable too. MB/s counts
// uncompressed bytes, 1 MB = 10^6 bytes. --lzh-mib limits the LZH rows, their zlib anchors
// and the driver's Good rows to the first N MiB of FILE; without it they use the whole of
// FILE like every other row.
//
// Every round trip is checked byte for byte outside the timed region, and the driver's
// files are checked against the bare codecs' output; any difference ends the program with
// exit status 1. The table closes with the ratios ours / anchor against their targets.
#include <fcntl.h>
#include <lz4.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/zlib_anchor.h"
#include "compress/byte_callback.h"
#include "compress/compress_mode.h"
#include "compress/lzh.h"
#include "compress/lzrw1.h"
#include "compress/lzrw1kh.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

constexpr size_t kChunk = compress::TLZRW1KH::kMaxBlock;  // 32768, the driver's block size
constexpr size_t kSlot = compress::Tlzrw1::kBufferSize;   // 32768 + 16, the driver's buffers
constexpr size_t kPad = 16;                               // readable slack behind every input
constexpr uint8_t kPoison = 0xA5;                         // fills outputs before each run

[[noreturn]] void Fail(const std::string& message) { throw std::runtime_error(message); }

// ---- options -----------------------------------------------------------------------------

struct Options {
  std::string file = "corpus/sample.bin";
  int rounds = 5;
  double slice = 0.2;
  double lzhMiB = 0;  // 0: the whole file
  bool wall = false;  // judge the targets on the wall clock
  std::string tmpdir;
};

void Usage(FILE* to) {
  std::fprintf(to,
               "usage: compress_bench [FILE] [--rounds N] [--slice SECONDS] [--lzh-mib N] "
               "[--tmpdir DIR] [--wall]\n"
               "  FILE       input (default corpus/sample.bin)\n"
               "  --rounds   interleaved rounds; every figure runs at least once in each\n"
               "             (default 5)\n"
               "  --slice    a figure runs again within a round until it has had this many\n"
               "             seconds in it (default 0.2)\n"
               "  --lzh-mib  LZH, its zlib anchors and the driver's Good rows on the first\n"
               "             N MiB only (default: the whole input)\n"
               "  --tmpdir   folder for the driver's files (default $TMPDIR or /tmp)\n"
               "  --wall     judge the targets on wall-clock instead of CPU-time figures\n");
}

Options ParseOptions(int argc, char** argv) {
  Options o;
  if (const char* t = std::getenv("TMPDIR"); t && *t) o.tmpdir = t;
  if (o.tmpdir.empty()) o.tmpdir = "/tmp";
  bool haveFile = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Fail(a + " needs a value");
      return argv[++i];
    };
    if (a == "-h" || a == "--help") {
      Usage(stdout);
      std::exit(0);
    } else if (a == "--rounds") {
      o.rounds = std::max(1, std::atoi(value().c_str()));
    } else if (a == "--slice") {
      o.slice = std::max(0.0, std::atof(value().c_str()));
    } else if (a == "--lzh-mib") {
      o.lzhMiB = std::max(0.0, std::atof(value().c_str()));
    } else if (a == "--tmpdir") {
      o.tmpdir = value();
    } else if (a == "--wall") {
      o.wall = true;
    } else if (!a.empty() && a[0] == '-') {
      Usage(stderr);
      Fail("unknown option " + a);
    } else if (!haveFile) {
      o.file = a;
      haveFile = true;
    } else {
      Usage(stderr);
      Fail("more than one input file given");
    }
  }
  return o;
}

// ---- files -------------------------------------------------------------------------------

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot open " + path);
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  Bytes data(static_cast<size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(data.data()), size)) Fail("cannot read " + path);
  return data;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out || !out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size)))
    Fail("cannot write " + path);
}

void RemoveFile(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

// A private folder for the driver's files, removed with everything in it.
class TempDir {
 public:
  explicit TempDir(const std::string& parent) {
    std::string pattern = parent + "/compress_bench.XXXXXX";
    if (!mkdtemp(pattern.data())) Fail("cannot create a folder in " + parent);
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const char* name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void Same(const uint8_t* got, size_t gotSize, const uint8_t* want, size_t wantSize,
          const std::string& what) {
  if (gotSize != wantSize)
    Fail(what + ": " + std::to_string(gotSize) + " bytes instead of " + std::to_string(wantSize));
  if (wantSize == 0) return;
  const auto [g, w] = std::mismatch(got, got + gotSize, want);
  if (g != got + gotSize) Fail(what + ": first difference at byte " + std::to_string(g - got));
}

// ---- timing ------------------------------------------------------------------------------

// CPU time of the calling thread, user and system, in seconds.
double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One row of the table: `prepare` and `check` run around every timed `body`, untimed.
// `out` tells the compressed size once the row has run.
struct Case {
  std::string name;
  std::string group;
  size_t in = 0;  // uncompressed bytes per run
  std::function<void()> prepare, body, check;
  std::function<size_t()> out;
  double bestWall = std::numeric_limits<double>::infinity();  // fastest run, seconds
  double bestCpu = std::numeric_limits<double>::infinity();   // least CPU time of a run
  int runs = 0;

  double WallMBps() const { return runs ? static_cast<double>(in) / bestWall / 1e6 : 0; }
  double CpuMBps() const { return runs ? static_cast<double>(in) / bestCpu / 1e6 : 0; }
};

class Bench {
 public:
  explicit Bench(const Options& opts) : opts_(opts) {}

  void Group(std::string title) { group_ = std::move(title); }
  void Add(std::string name, size_t in, std::function<void()> prepare, std::function<void()> body,
           std::function<void()> check, std::function<size_t()> out) {
    cases_.push_back(Case{std::move(name), group_, in, std::move(prepare), std::move(body),
                          std::move(check), std::move(out)});
  }

  // Rows that depend on an earlier row's output come after it, so every round runs them
  // in the order they were added.
  void Run() {
    for (int round = 1; round <= opts_.rounds; ++round) {
      const auto start = Clock::now();
      for (Case& c : cases_) {
        double spent = 0;
        do {
          c.prepare();
          const double cpu0 = ThreadCpuSeconds();
          const auto t0 = Clock::now();
          c.body();
          const auto t1 = Clock::now();
          const double cpu1 = ThreadCpuSeconds();
          c.check();
          const double s = std::chrono::duration<double>(t1 - t0).count();
          c.bestWall = std::min(c.bestWall, s);
          c.bestCpu = std::min(c.bestCpu, cpu1 - cpu0);
          spent += s;
          ++c.runs;
        } while (spent < opts_.slice);
      }
      std::fprintf(stderr, "compress_bench: round %d of %d took %.1f s\n", round, opts_.rounds,
                   std::chrono::duration<double>(Clock::now() - start).count());
    }
  }

  const Case& Row(const std::string& name) const {
    for (const Case& c : cases_)
      if (c.name == name) return c;
    Fail("no row " + name);
  }

  void Print() const {
    std::printf("\n  %-30s %10s %10s %8s %12s %6s\n", "", "MB/s cpu", "MB/s wall", "ratio",
                "out bytes", "runs");
    std::string group;
    for (const Case& c : cases_) {
      if (c.group != group) std::printf("%s\n", c.group.c_str());
      group = c.group;
      const size_t out = c.out ? c.out() : 0;
      if (out)
        std::printf("  %-30s %10.1f %10.1f %8.3f %12zu %6d\n", c.name.c_str(), c.CpuMBps(),
                    c.WallMBps(), static_cast<double>(c.in) / static_cast<double>(out), out,
                    c.runs);
      else
        std::printf("  %-30s %10.1f %10.1f %8s %12s %6d\n", c.name.c_str(), c.CpuMBps(),
                    c.WallMBps(), "-", "-", c.runs);
    }
  }

 private:
  const Options& opts_;
  std::string group_;
  std::vector<Case> cases_;
};

// ---- block codecs over consecutive 32 KB chunks ------------------------------------------

size_t ChunkSize(size_t size, size_t i) { return std::min(kChunk, size - i * kChunk); }

// The compressed chunks of one block codec, one per slot, and a restore area.
struct Blocks {
  Blocks(size_t size, size_t slotSize)
      : count((size + kChunk - 1) / kChunk),
        slot(slotSize),
        length(count),
        slots(count * slot),
        restored(count * kChunk + kPad) {}
  size_t count;
  size_t slot;
  std::vector<uint32_t> length;  // compressed length of each chunk
  Bytes slots;
  Bytes restored;               // chunk i restores to offset i * 32768
  std::vector<uint32_t> first;  // lengths of the first run, for the determinism check
  size_t Total() const {
    size_t t = 0;
    for (auto l : length) t += l;
    return t;
  }
  uint8_t* At(size_t i) { return slots.data() + i * slot; }
};

void AddLzrw1kh(Bench& bench, const Bytes& data, size_t size, std::shared_ptr<Blocks> kh) {
  auto codec = std::make_shared<compress::TLZRW1KH>();
  auto got = std::make_shared<std::vector<uint32_t>>(kh->count);
  auto intact = std::make_shared<std::vector<uint8_t>>(kh->count);
  const uint8_t* src = data.data();
  bench.Add(
      "LZRW1/KH CompressBlock", size, [] {},
      [=] {
        for (size_t i = 0; i < kh->count; ++i)
          kh->length[i] = codec->CompressBlock(src + i * kChunk, kh->At(i),
                                               static_cast<uint16_t>(ChunkSize(size, i)));
      },
      [=] {
        for (size_t i = 0; i < kh->count; ++i)
          if (kh->length[i] < 1 || kh->length[i] > ChunkSize(size, i) + 1)
            Fail("LZRW1/KH block " + std::to_string(i) + " has length " +
                 std::to_string(kh->length[i]));
        if (kh->first.empty())
          kh->first = kh->length;
        else if (kh->first != kh->length)
          Fail("LZRW1/KH CompressBlock gave different lengths on the same data");
      },
      [=] { return kh->Total(); });
  bench.Add(
      "LZRW1/KH DecompressBlock", size,
      [=] { std::fill(kh->restored.begin(), kh->restored.end(), kPoison); },
      [=] {
        for (size_t i = 0; i < kh->count; ++i) {
          bool ok = false;
          (*got)[i] = codec->DecompressBlock(kh->At(i), kh->restored.data() + i * kChunk,
                                             static_cast<uint16_t>(kh->length[i]), &ok);
          (*intact)[i] = ok;
        }
      },
      [=] {
        for (size_t i = 0; i < kh->count; ++i)
          if (!(*intact)[i] || (*got)[i] != ChunkSize(size, i))
            Fail("LZRW1/KH DecompressBlock: block " + std::to_string(i) + " restored " +
                 std::to_string((*got)[i]) + " bytes" +
                 ((*intact)[i] ? "" : ", reported not intact"));
        Same(kh->restored.data(), size, src, size, "LZRW1/KH round trip");
      },
      [=] { return kh->Total(); });
}

void AddLz4(Bench& bench, const Bytes& data, size_t size) {
  auto b = std::make_shared<Blocks>(size, LZ4_compressBound(static_cast<int>(kChunk)));
  auto got = std::make_shared<std::vector<int>>(b->count);
  const uint8_t* src = data.data();
  bench.Add(
      "LZ4 compress_default", size, [] {},
      [=] {
        for (size_t i = 0; i < b->count; ++i)
          b->length[i] = static_cast<uint32_t>(LZ4_compress_default(
              reinterpret_cast<const char*>(src + i * kChunk), reinterpret_cast<char*>(b->At(i)),
              static_cast<int>(ChunkSize(size, i)), static_cast<int>(b->slot)));
      },
      [=] {
        for (size_t i = 0; i < b->count; ++i)
          if (b->length[i] == 0) Fail("LZ4_compress_default failed on block " + std::to_string(i));
      },
      [=] { return b->Total(); });
  bench.Add(
      "LZ4 decompress_safe", size,
      [=] { std::fill(b->restored.begin(), b->restored.end(), kPoison); },
      [=] {
        for (size_t i = 0; i < b->count; ++i)
          (*got)[i] = LZ4_decompress_safe(reinterpret_cast<const char*>(b->At(i)),
                                          reinterpret_cast<char*>(b->restored.data() + i * kChunk),
                                          static_cast<int>(b->length[i]),
                                          static_cast<int>(ChunkSize(size, i)));
      },
      [=] {
        for (size_t i = 0; i < b->count; ++i)
          if ((*got)[i] != static_cast<int>(ChunkSize(size, i)))
            Fail("LZ4_decompress_safe failed on block " + std::to_string(i));
        Same(b->restored.data(), size, src, size, "LZ4 round trip");
      },
      [=] { return b->Total(); });
}

// ---- LZH through in-memory byte callbacks ------------------------------------------------

// Serves bytes from memory; answers 0 at the end and on every later call.
struct MemorySource {
  const uint8_t* data;
  size_t size;
  size_t next = 0;
  void operator()(uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    const size_t n = std::min<size_t>(ByteCount, size - next);
    if (n == 1)
      *Buf = data[next];
    else if (n)
      std::memcpy(Buf, data + next, n);
    next += n;
    Actual = static_cast<uint16_t>(n);
  }
};

// Appends bytes to memory, growing its store when it must (it is sized so that it need not).
struct MemorySink {
  Bytes& store;
  size_t used = 0;
  void operator()(uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    if (used + ByteCount > store.size()) store.resize(std::max(store.size() * 2, used + ByteCount));
    if (ByteCount == 1)
      store[used] = *Buf;
    else if (ByteCount)
      std::memcpy(store.data() + used, Buf, ByteCount);
    used += ByteCount;
    Actual = ByteCount;
  }
};

struct LzhState {
  explicit LzhState(size_t size) : store(size + size / 4 + 1024), restored(size + kPad) {}
  compress::Tlzh codec;
  Bytes store;  // the latest Encode's output
  size_t used = 0;
  int32_t consumed = -1;
  Bytes stream;  // the first Encode's output: what Decode and the driver are checked with
  Bytes restored;
  size_t got = 0;
};

void AddLzh(Bench& bench, const Bytes& data, size_t size, std::shared_ptr<LzhState> s) {
  const uint8_t* src = data.data();
  bench.Add(
      "LZH Encode", size, [] {},
      [=] {
        MemorySource get{src, size};
        MemorySink put{s->store};
        s->codec.Encode(s->consumed, get, put);
        s->used = put.used;
      },
      [=] {
        if (s->consumed != static_cast<int32_t>(size))
          Fail("LZH Encode consumed " + std::to_string(s->consumed) + " bytes of " +
               std::to_string(size));
        if (s->stream.empty())
          s->stream.assign(s->store.begin(), s->store.begin() + static_cast<ptrdiff_t>(s->used));
        else
          Same(s->store.data(), s->used, s->stream.data(), s->stream.size(),
               "LZH Encode gave a different stream on the same data");
      },
      [=] { return s->stream.size(); });
  bench.Add(
      "LZH Decode", size, [=] { std::fill(s->restored.begin(), s->restored.end(), kPoison); },
      [=] {
        MemorySource get{s->stream.data(), s->stream.size()};
        MemorySink put{s->restored};
        s->codec.Decode(static_cast<int32_t>(size), get, put);
        s->got = put.used;
      },
      [=] { Same(s->restored.data(), s->got, src, size, "LZH round trip"); },
      [=] { return s->stream.size(); });
}

void AddZlib(Bench& bench, const Bytes& data, size_t size) {
  struct Level {
    Bytes packed;
    std::size_t packedSize = 0;
    int rc = zlib_anchor::kOk;
  };
  struct State {
    Level level[2];  // 1 and 9
    Bytes restored;
    std::size_t got = 0;
    int rc = zlib_anchor::kOk;
  };
  auto s = std::make_shared<State>();
  for (Level& l : s->level) l.packed.resize(zlib_anchor::Bound(size));
  s->restored.resize(size + kPad);
  const uint8_t* src = data.data();
  for (int i = 0; i < 2; ++i) {
    const int level = i == 0 ? 1 : 9;
    Level* l = &s->level[i];
    bench.Add(
        "zlib compress2 level " + std::to_string(level), size, [] {},
        [=] {
          l->packedSize = l->packed.size();
          l->rc = zlib_anchor::Compress(l->packed.data(), l->packedSize, src, size, level);
        },
        [=] {
          if (l->rc != zlib_anchor::kOk) Fail("zlib compress2 failed: " + std::to_string(l->rc));
          // Level 1 is a reference figure only, so its round trip is checked untimed here.
          if (level != 1) return;
          std::size_t n = s->restored.size();
          if (zlib_anchor::Uncompress(s->restored.data(), n, l->packed.data(), l->packedSize) !=
              zlib_anchor::kOk)
            Fail("zlib uncompress of the level 1 output failed");
          Same(s->restored.data(), n, src, size, "zlib level 1 round trip");
        },
        [=] { return static_cast<size_t>(l->packedSize); });
  }
  Level* l9 = &s->level[1];
  bench.Add(
      "zlib uncompress (level 9)", size,
      [=] { std::fill(s->restored.begin(), s->restored.end(), kPoison); },
      [=] {
        s->got = s->restored.size();
        s->rc =
            zlib_anchor::Uncompress(s->restored.data(), s->got, l9->packed.data(), l9->packedSize);
      },
      [=] {
        if (s->rc != zlib_anchor::kOk) Fail("zlib uncompress failed: " + std::to_string(s->rc));
        Same(s->restored.data(), s->got, src, size, "zlib level 9 round trip");
      },
      [=] { return static_cast<size_t>(l9->packedSize); });
}

// ---- the compressed-file driver ----------------------------------------------------------

void PutLe(Bytes& to, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) to.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The file the driver must write, built from the bare codec's output.
Bytes ExpectedKhFile(size_t size, Blocks& kh) {
  Bytes f{'W', 'R', 'Z', 'L'};
  PutLe(f, static_cast<uint32_t>(size), 4);
  for (size_t i = 0; i < kh.count; ++i) {
    PutLe(f, kh.length[i], 2);
    f.insert(f.end(), kh.At(i), kh.At(i) + kh.length[i]);
  }
  return f;
}
Bytes ExpectedLzhFile(size_t size, const Bytes& stream) {
  Bytes f{'!', 'H', 'Z', 'L'};
  PutLe(f, static_cast<uint32_t>(size), 4);
  f.insert(f.end(), stream.begin(), stream.end());
  return f;
}

// `expected` gives the compressed file the driver must write; it is called once the bare
// codec's row has run.
void AddDriver(Bench& bench, const TempDir& dir, const Bytes& data, size_t size,
               compress::TCompressMode mode, std::function<Bytes()> expected) {
  const bool fast = mode == compress::TCompressMode::Fast;
  const std::string method = fast ? "Fast" : "Good";
  const std::string plain = dir.File(fast ? "fast.in" : "good.in");
  const std::string packed = dir.File(fast ? "fast.lzr" : "good.lzr");
  const std::string restored = dir.File(fast ? "fast.out" : "good.out");
  WriteFile(plain, data.data(), size);

  struct State {
    compress::Tlzrw1 driver{nullptr};
    int32_t result = 0;
    size_t packedSize = 0;
    bool checked = false;
  };
  auto s = std::make_shared<State>();
  s->driver.CompressMode = mode;
  const uint8_t* src = data.data();
  bench.Add(
      "Tlzrw1 Compress " + method, size,
      [=] {
        RemoveFile(packed);
        s->driver.InputFile = plain;
        s->driver.OutputFile = packed;
      },
      [=] { s->result = s->driver.Compress(); },
      [=] {
        const Bytes file = ReadFile(packed);
        if (s->result != static_cast<int32_t>(file.size()))
          Fail("Tlzrw1 Compress " + method + " returned " + std::to_string(s->result) +
               " for a file of " + std::to_string(file.size()) + " bytes");
        s->packedSize = file.size();
        const Bytes want = expected();
        Same(file.data(), file.size(), want.data(), want.size(),
             "Tlzrw1 Compress " + method + " against the bare codec");
      },
      [=] { return s->packedSize; });
  bench.Add(
      "Tlzrw1 Decompress " + method, size,
      [=] {
        RemoveFile(restored);
        s->driver.InputFile = packed;
        s->driver.OutputFile = restored;
      },
      [=] { s->result = s->driver.Decompress(); },
      [=] {
        if (s->result != static_cast<int32_t>(size))
          Fail("Tlzrw1 Decompress " + method + " returned " + std::to_string(s->result));
        const Bytes file = ReadFile(restored);
        Same(file.data(), file.size(), src, size, "Tlzrw1 " + method + " round trip");
      },
      [=] { return s->packedSize; });
}

// What any whole-file Decompress pays at least: writing its output to a new file in the
// driver's 32 KB pieces. A reference row for the driver's overhead, not a target.
void AddFileWrite(Bench& bench, const TempDir& dir, const Bytes& data, size_t size) {
  const std::string path = dir.File("write.out");
  auto ok = std::make_shared<bool>(true);
  const uint8_t* src = data.data();
  bench.Add(
      "file write, 32 KB writes", size, [=] { RemoveFile(path); },
      [=] {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        bool good = fd >= 0;
        for (size_t at = 0; good && at < size; at += kChunk) {
          const size_t n = std::min(kChunk, size - at);
          good = ::write(fd, src + at, n) == static_cast<ssize_t>(n);
        }
        if (fd >= 0 && ::close(fd) != 0) good = false;
        *ok = good;
      },
      [=] {
        if (!*ok) Fail("cannot write " + path);
      },
      nullptr);
}

// ---- report ------------------------------------------------------------------------------

struct Target {
  const char* what;
  const char* ours;
  const char* anchor;
  double least;
};

std::string Describe(size_t n) {
  char b[64];
  std::snprintf(b, sizeof b, "%zu bytes (%.2f MiB)", n, static_cast<double>(n) / 1048576.0);
  return b;
}

int Run(const Options& opts) {
  Bytes data = ReadFile(opts.file);
  const size_t size = data.size();
  if (size == 0) Fail(opts.file + " is empty");
  if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    Fail(opts.file + " is larger than the driver's 32-bit sizes allow");
  data.resize(size + kPad, 0);  // the block codec may look up to 2 bytes past a chunk

  size_t lzhSize = size;
  if (opts.lzhMiB > 0) lzhSize = std::min(size, static_cast<size_t>(opts.lzhMiB * 1048576.0));
  if (lzhSize == 0) Fail("--lzh-mib selects no data");

  TempDir dir(opts.tmpdir);
  std::printf("compress_bench: %s, %s\n", opts.file.c_str(), Describe(size).c_str());
  std::printf("LZH, zlib and driver Good rows on %s%s\n", Describe(lzhSize).c_str(),
              lzhSize == size ? ", the whole input" : ", the start of the input");
  std::printf(
      "best run of %d interleaved rounds (>= %.2f s per row per round); MB/s = 10^6 "
      "uncompressed bytes per second of thread CPU time (cpu) or elapsed time (wall); "
      "ratio = uncompressed / compressed\n",
      opts.rounds, opts.slice);
  std::fflush(stdout);
  std::fprintf(stderr, "compress_bench: driver files in %s\n", dir.Path().c_str());

  Bench bench(opts);
  auto kh = std::make_shared<Blocks>(size, kSlot);
  auto lzh = std::make_shared<LzhState>(lzhSize);
  bench.Group("Block codecs, consecutive 32768-byte chunks:");
  AddLzrw1kh(bench, data, size, kh);
  AddLz4(bench, data, size);
  bench.Group("Stream codecs, the input as one stream:");
  AddLzh(bench, data, lzhSize, lzh);
  AddZlib(bench, data, lzhSize);
  bench.Group("Compressed-file driver, file to file (out bytes include header and framing):");
  AddDriver(bench, dir, data, size, compress::TCompressMode::Fast,
            [=] { return ExpectedKhFile(size, *kh); });
  AddDriver(bench, dir, data, lzhSize, compress::TCompressMode::Good,
            [=] { return ExpectedLzhFile(lzhSize, lzh->stream); });
  AddFileWrite(bench, dir, data, size);
  bench.Run();
  bench.Print();

  const Target targets[] = {
      {"LZRW1/KH compress / LZ4 compress", "LZRW1/KH CompressBlock", "LZ4 compress_default", 0.6},
      {"LZRW1/KH decompress / LZ4 decompress", "LZRW1/KH DecompressBlock", "LZ4 decompress_safe",
       0.4},
      {"LZH encode / zlib-9 compress", "LZH Encode", "zlib compress2 level 9", 1.0},
      {"LZH decode / zlib inflate", "LZH Decode", "zlib uncompress (level 9)", 0.15},
      {"driver Fast decompress / DecompressBlock", "Tlzrw1 Decompress Fast",
       "LZRW1/KH DecompressBlock", 0.85},
      {"driver Good decompress / LZH Decode", "Tlzrw1 Decompress Good", "LZH Decode", 0.85},
  };
  std::printf("\nTargets (throughput ours / reference, %s figures):\n",
              opts.wall ? "wall-clock" : "CPU-time");
  int missed = 0;
  for (const Target& t : targets) {
    const Case& ours = bench.Row(t.ours);
    const Case& anchor = bench.Row(t.anchor);
    const double ratio =
        opts.wall ? ours.WallMBps() / anchor.WallMBps() : ours.CpuMBps() / anchor.CpuMBps();
    const bool met = ratio >= t.least;
    missed += met ? 0 : 1;
    std::printf("  %-42s %6.2f  >= %.2f  %s\n", t.what, ratio, t.least, met ? "MET" : "MISSED");
  }
  std::printf("\nAll round trips verified byte for byte; %d of %zu targets missed.\n", missed,
              std::size(targets));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(ParseOptions(argc, argv));
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "compress_bench: FAILED: %s\n", e.what());
    return 1;
  }
}
