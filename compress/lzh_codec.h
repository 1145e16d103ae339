// The LZH codec's encoder and decoder, on any byte callables: Tlzh's Encode and Decode
// run them on TByteCallback; the compressed-file driver runs them on its own read and
// write procedures (EncodeWith, DecodeWith), which the compiler can then inline. Either
// way the codec makes the same calls in the same order and writes the same bits. A write
// procedure that also takes a whole match at once (a Run(bytes, count) member, as the
// driver's has) gets each match in one call, with the same bytes in the same order.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "compress/lzh.h"
#include "compress/lzh_bits.h"
#include "compress/lzh_dictionary.h"
#include "compress/lzh_model.h"
#include "compress/lzh_position_code.h"
#include "compress/lzh_prefix_table.h"
#include "compress/lzh_tables.h"
#include "compress/messages.h"

namespace compress {

namespace lzh {

// The source of the tables the runs that start now obtain (lzh_tables.h).
TableMemory CurrentTableMemory();

// Everything one run works on.
struct CodecTables {
  HuffmanModel Model;
  Dictionary Window;   // the encoder's; its window serves the decoder too
  PrefixTable Prefix;  // decoder only
};

// The tables of one run. Construction obtains them or raises the codec's
// out-of-memory error; Release returns them and reports a failure to do so. Should a
// run end without reaching Release, the destructor returns them quietly.
class RunTables {
 public:
  RunTables() : memory_(CurrentTableMemory()) {
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
inline void ResetWindow(uint8_t* window) {
  std::memset(window, ' ', kStartPos);
  std::memset(window + kStartPos, 0, kWindowBytes - kStartPos);
}

template <class GetFn, class PutFn>
class Encoder {
 public:
  Encoder(CodecTables& tables, GetFn get, PutFn put)
      : model_(tables.Model), dict_(tables.Window), get_(get), out_(put) {}

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
    uint32_t textSize = len;
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
      textSize += i;
      for (; i < last; ++i) {
        dict_.Delete(s);
        s = (s + 1) & kWindowMask;
        r = (r + 1) & kWindowMask;
        if (--len != 0) dict_.Insert(r);
      }
    } while (len > 0);
    out_.Flush();
    return textSize;
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
    unsigned prefixLen = kPositionCode.len[v];
    unsigned prefix = kPositionCode.code[v] >> (8 - prefixLen);
    out_.Put((prefix << 6) | (position & 63), prefixLen + 6);
  }

  HuffmanModel& model_;
  Dictionary& dict_;
  GetFn get_;
  BitWriter<PutFn> out_;
};

// A write procedure that takes a run of bytes in one call.
template <class PutFn>
concept TakesRuns = requires(std::remove_reference_t<PutFn>& put, const uint8_t* bytes) {
  put.Run(bytes, 1u);
};

template <class GetFn, class PutFn>
class Decoder {
 public:
  Decoder(CodecTables& tables, GetFn get, PutFn put)
      : model_(tables.Model),
        prefix_(tables.Prefix),
        window_(tables.Window.window),
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
        if constexpr (TakesRuns<PutFn>) {
          // Copied byte by byte all the same: a match may overlap the bytes it produces.
          uint8_t run[kMaxMatch];
          for (unsigned k = 0; k < length; ++k) {
            uint8_t b = window_[(from + k) & kWindowMask];
            run[k] = b;
            window_[r] = b;
            r = (r + 1) & kWindowMask;
          }
          put_.Run(run, length);
        } else {
          for (unsigned k = 0; k < length; ++k) {
            uint8_t b = window_[(from + k) & kWindowMask];
            Put(b);
            window_[r] = b;
            r = (r + 1) & kWindowMask;
          }
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
  CodeReader<GetFn> in_;
  PutFn put_;
};

}  // namespace lzh

template <class Get, class Put>
void Tlzh::EncodeWith(int32_t& bytes, Get& getBytes, Put& putBytes) {
  uint32_t textSize = 0;
  lzh::WithTables([&](lzh::CodecTables& tables) {
    textSize = lzh::Encoder<Get&, Put&>(tables, getBytes, putBytes).Run();
  });
  bytes = static_cast<int32_t>(textSize);
}

template <class Get, class Put>
void Tlzh::DecodeWith(int32_t count, Get& getBytes, Put& putBytes) {
  lzh::WithTables([&](lzh::CodecTables& tables) {
    lzh::Decoder<Get&, Put&>(tables, getBytes, putBytes).Run(count);
  });
}

}  // namespace compress
