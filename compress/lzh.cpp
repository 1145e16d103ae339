#include "compress/lzh.h"

#include <cstring>
#include <new>

#include "compress/lzh_bits.h"
#include "compress/lzh_dictionary.h"
#include "compress/lzh_model.h"
#include "compress/lzh_position_code.h"
#include "compress/lzh_prefix_table.h"
#include "compress/lzh_tables.h"
#include "compress/messages.h"

namespace compress {

namespace lzh {
namespace {

// Everything one run works on.
struct CodecTables {
  HuffmanModel model;
  Dictionary dictionary;  // its window serves the decoder too
  PrefixTable prefix;     // decoder only
};

void* ObtainFromFreeStore(std::size_t size) { return ::operator new(size, std::nothrow); }

bool ReleaseToFreeStore(void* block) {
  ::operator delete(block);
  return true;
}

TableMemory g_table_memory{&ObtainFromFreeStore, &ReleaseToFreeStore};

// The tables of one run. Construction obtains them or raises the codec's
// out-of-memory error; Release returns them and reports a failure to do so. Should a
// run end without reaching Release, the destructor returns them quietly.
class RunTables {
 public:
  RunTables() : memory_(g_table_memory) {
    void* block = memory_.obtain(sizeof(CodecTables));
    if (block == nullptr) throw ElzhException(msg::kLzhNoTables);
    tables_ = new (block) CodecTables();
  }
  ~RunTables() {
    if (tables_ != nullptr) memory_.release(tables_);
  }
  RunTables(const RunTables&) = delete;
  RunTables& operator=(const RunTables&) = delete;

  CodecTables& operator*() const { return *tables_; }

  void Release() {
    CodecTables* tables = tables_;
    tables_ = nullptr;
    if (!memory_.release(tables)) throw ElzhException(msg::kLzhFreeTables);
  }

 private:
  TableMemory memory_;
  CodecTables* tables_ = nullptr;
};

// Runs `body` on fresh tables and releases them on every way out. A failure to
// release replaces whatever exception was already leaving.
template <class Body>
void WithTables(Body&& body) {
  RunTables tables;
  try {
    body(*tables);
  } catch (...) {
    tables.Release();
    throw;
  }
  tables.Release();
}

// Spaces before the first write position, zeros from there on (look-ahead, mirror
// and slack), so that a run depends on its input alone.
void ResetWindow(uint8_t* window) {
  std::memset(window, ' ', kStartPos);
  std::memset(window + kStartPos, 0, kWindowBytes - kStartPos);
}

class Encoder {
 public:
  Encoder(CodecTables& tables, TByteCallback get, TByteCallback put)
      : model_(tables.model), dict_(tables.dictionary), get_(get), out_(put) {}

  // Returns the number of input bytes consumed.
  uint32_t Run() {
    uint8_t* window = dict_.window;
    model_.Start();
    dict_.Init();
    ResetWindow(window);
    unsigned s = 0;
    unsigned r = kStartPos;

    unsigned len = 0;
    uint8_t c = 0;
    while (len < kMaxMatch && Get(c)) window[r + len++] = c;
    uint32_t text_size = len;
    if (len == 0) return 0;

    for (unsigned i = 1; i <= kMaxMatch; ++i) dict_.Insert(r - i);
    dict_.Insert(r);
    do {
      if (dict_.match_length > len) dict_.match_length = len;
      if (dict_.match_length <= kThreshold) {
        dict_.match_length = 1;
        EncodeChar(window[r]);
      } else {
        EncodeChar(dict_.match_length + 255 - kThreshold);
        EncodePosition(dict_.match_position);
      }
      unsigned last = dict_.match_length;
      unsigned i = 0;
      for (; i < last && Get(c); ++i) {
        dict_.Delete(s);
        window[s] = c;
        if (s < kMirrorBytes) window[s + kWindowSize] = c;
        s = (s + 1) & kWindowMask;
        r = (r + 1) & kWindowMask;
        dict_.Insert(r);
      }
      text_size += i;
      for (; i < last; ++i) {
        dict_.Delete(s);
        s = (s + 1) & kWindowMask;
        r = (r + 1) & kWindowMask;
        if (--len != 0) dict_.Insert(r);
      }
    } while (len > 0);
    out_.Flush();
    return text_size;
  }

 private:
  bool Get(uint8_t& byte) {
    uint16_t actual = 0;
    get_(&byte, 1, actual);
    return actual == 1;
  }

  // Emits the path from the root to the leaf of s, every bit of it, then counts s.
  void EncodeChar(unsigned s) {
    uint64_t deeper[(kSymbolCount + 63) / 64];
    unsigned spilled = 0;
    uint64_t code = 0;
    unsigned bits = 0;
    for (unsigned c = model_.LeafOf(s); c != kRootNode; c = model_.parent[c]) {
      if (bits == 64) {
        deeper[spilled++] = code;
        code = 0;
        bits = 0;
      }
      code |= static_cast<uint64_t>(c & 1) << bits;
      ++bits;
    }
    out_.Put64(code, bits);
    while (spilled != 0) out_.Put64(deeper[--spilled], 64);
    model_.Update(s);
  }

  void EncodePosition(unsigned position) {
    unsigned v = position >> 6;
    unsigned prefix_len = kPositionCode.len[v];
    unsigned prefix = kPositionCode.code[v] >> (8 - prefix_len);
    out_.Put((prefix << 6) | (position & 63), prefix_len + 6);
  }

  HuffmanModel& model_;
  Dictionary& dict_;
  TByteCallback get_;
  BitWriter out_;
};

class Decoder {
 public:
  Decoder(CodecTables& tables, TByteCallback get, TByteCallback put)
      : model_(tables.model),
        prefix_(tables.prefix),
        window_(tables.dictionary.window),
        in_(get),
        put_(put) {}

  void Run(int32_t count) {
    model_.Start();
    prefix_.Build(model_);
    ResetWindow(window_);
    unsigned r = kStartPos;
    int64_t produced = 0;
    while (produced < count) {
      in_.Need(PrefixTable::kBits);
      unsigned c = DecodeChar();
      if (c < 256) {
        in_.EndCode();
        Put(static_cast<uint8_t>(c));
        window_[r] = static_cast<uint8_t>(c);
        r = (r + 1) & kWindowMask;
        ++produced;
      } else {
        unsigned from = r - DecodePosition() - 1;
        in_.EndCode();
        unsigned length = c - (255 - kThreshold);
        for (unsigned k = 0; k < length; ++k) {
          uint8_t b = window_[(from + k) & kWindowMask];
          Put(b);
          window_[r] = b;
          r = (r + 1) & kWindowMask;
        }
        produced += length;
      }
    }
  }

 private:
  void Put(uint8_t byte) {
    uint16_t actual = 0;
    put_(&byte, 1, actual);
  }

  // Takes up to 8 bits of the path through the prefix table, the rest one by one.
  unsigned DecodeChar() {
    unsigned bits = in_.Peek(PrefixTable::kBits);
    unsigned p = prefix_.Position(bits);
    in_.Skip(prefix_.Length(bits));
    unsigned c = model_.child[p];
    while (c < kNodeCount) c = model_.child[c + in_.Bit()];
    c -= kNodeCount;
    if (model_.UpdateAndReport(c,
                               [this](unsigned a, unsigned b) { prefix_.OnSwap(model_, a, b); })) {
      prefix_.Build(model_);
    }
    return c;
  }

  // The prefix code of the upper 6 bits, then the lower 6 bits verbatim.
  unsigned DecodePosition() {
    in_.Need(8);
    unsigned b = in_.Peek(8);
    unsigned v = kPositionCode.dec_code[b];
    unsigned bits = kPositionCode.dec_len[b] + 6u;
    in_.Need(bits);
    unsigned low = in_.Peek(bits) & 63;
    in_.Skip(bits);
    return (v << 6) | low;
  }

  HuffmanModel& model_;
  PrefixTable& prefix_;
  uint8_t* window_;
  CodeReader in_;
  TByteCallback put_;
};

}  // namespace

TableMemory SetTableMemory(TableMemory memory) {
  TableMemory previous = g_table_memory;
  g_table_memory = memory;
  return previous;
}

}  // namespace lzh

Tlzh::Tlzh() = default;
Tlzh::~Tlzh() = default;

void Tlzh::Encode(int32_t& Bytes, TByteCallback GetBytes, TByteCallback PutBytes) {
  uint32_t text_size = 0;
  lzh::WithTables([&](lzh::CodecTables& tables) {
    text_size = lzh::Encoder(tables, GetBytes, PutBytes).Run();
  });
  Bytes = static_cast<int32_t>(text_size);
}

void Tlzh::Decode(int32_t Count, TByteCallback GetBytes, TByteCallback PutBytes) {
  lzh::WithTables(
      [&](lzh::CodecTables& tables) { lzh::Decoder(tables, GetBytes, PutBytes).Run(Count); });
}

}  // namespace compress
