// A plain, unoptimised LZH coder written step by step from the format's rules: one
// bit at a time, linear searches, byte-by-byte string compares. The codec must
// produce and accept exactly the same bits; tests compare the two.
#pragma once

#include <cstdint>
#include <vector>

namespace lzh_reference {

using Bytes = std::vector<uint8_t>;

class Coder {
 public:
  // The code stream of `input`; `gets` receives the number of input requests made.
  Bytes Encode(const Bytes& input, int* gets = nullptr) {
    Start();
    for (int i = 4097; i <= 4352; ++i) rson_[i] = kNil;
    for (int i = 0; i <= 4096; ++i) dad_[i] = kNil;
    for (int i = 0; i < 4036; ++i) text_[i] = ' ';
    for (int i = 4036; i < 4155; ++i) text_[i] = 0;
    std::size_t next = 0;
    int calls = 0;
    auto get = [&](int& c) {
      ++calls;
      if (next >= input.size()) return false;
      c = input[next++];
      return true;
    };
    out_.clear();
    put_len_ = 0;
    put_buf_ = 0;
    int s = 0, r = 4036, len = 0, c = 0;
    while (len < 60 && get(c)) text_[r + len++] = static_cast<uint8_t>(c);
    if (len > 0) {
      for (int i = 1; i <= 60; ++i) InsertNode(r - i);
      InsertNode(r);
      do {
        if (match_length_ > len) match_length_ = len;
        if (match_length_ <= 2) {
          match_length_ = 1;
          EncodeChar(text_[r]);
        } else {
          EncodeChar(match_length_ + 253);
          EncodePosition(match_position_);
        }
        int last = match_length_, i = 0;
        for (; i < last && get(c); ++i) {
          DeleteNode(s);
          text_[s] = static_cast<uint8_t>(c);
          if (s < 59) text_[s + 4096] = static_cast<uint8_t>(c);
          s = (s + 1) & 4095;
          r = (r + 1) & 4095;
          InsertNode(r);
        }
        while (i++ < last) {
          DeleteNode(s);
          s = (s + 1) & 4095;
          r = (r + 1) & 4095;
          if (--len) InsertNode(r);
        }
      } while (len > 0);
      if (put_len_) out_.push_back(static_cast<uint8_t>(put_buf_ >> 8));
    }
    if (gets != nullptr) *gets = calls;
    return out_;
  }

  // At least `count` bytes restored from `stream`; `gets` receives the number of
  // input requests made.
  Bytes Decode(const Bytes& stream, int count, int* gets = nullptr) {
    Start();
    uint8_t window[4096] = {};  // 4036..4095 zero, as the codec clears them
    for (int i = 0; i < 4036; ++i) window[i] = ' ';
    in_ = &stream;
    in_next_ = 0;
    in_calls_ = 0;
    get_buf_ = 0;
    get_len_ = 0;
    Bytes out;
    int r = 4036;
    while (static_cast<int>(out.size()) < count) {
      int c = DecodeChar();
      if (c < 256) {
        out.push_back(static_cast<uint8_t>(c));
        window[r] = static_cast<uint8_t>(c);
        r = (r + 1) & 4095;
      } else {
        int from = (r - DecodePosition() - 1) & 4095;
        for (int k = 0; k <= c - 254; ++k) {
          uint8_t b = window[(from + k) & 4095];
          out.push_back(b);
          window[r] = b;
          r = (r + 1) & 4095;
        }
      }
    }
    if (gets != nullptr) *gets = in_calls_;
    return out;
  }

 private:
  static constexpr int kNil = 4096, kT = 627, kR = 626;

  void Start() {
    for (int i = 0; i < 314; ++i) {
      freq_[i] = 1;
      son_[i] = i + kT;
      prnt_[i + kT] = i;
    }
    for (int i = 0, j = 314; j <= kR; i += 2, ++j) {
      freq_[j] = freq_[i] + freq_[i + 1];
      son_[j] = i;
      prnt_[i] = prnt_[i + 1] = j;
    }
    freq_[kT] = 0xFFFF;
    prnt_[kR] = 0;
  }

  void Reconstruct() {
    int j = 0;
    for (int i = 0; i < kT; ++i) {
      if (son_[i] >= kT) {
        freq_[j] = (freq_[i] + 1) / 2;
        son_[j] = son_[i];
        ++j;
      }
    }
    for (int i = 0, j2 = 314; j2 < kT; i += 2, ++j2) {
      int f = freq_[i] + freq_[i + 1];
      int k = j2;
      while (freq_[k - 1] > f) --k;
      for (int m = j2; m > k; --m) {
        freq_[m] = freq_[m - 1];
        son_[m] = son_[m - 1];
      }
      freq_[k] = f;
      son_[k] = i;
    }
    for (int i = 0; i < kT; ++i) {
      int k = son_[i];
      if (k >= kT) {
        prnt_[k] = i;
      } else {
        prnt_[k] = prnt_[k + 1] = i;
      }
    }
  }

  void Update(int c) {
    if (freq_[kR] == 0x8000) Reconstruct();
    c = prnt_[c + kT];
    do {
      int k = ++freq_[c];
      int l = c + 1;
      if (k > freq_[l]) {
        while (k > freq_[l + 1]) ++l;
        freq_[c] = freq_[l];
        freq_[l] = k;
        int i = son_[c];
        prnt_[i] = l;
        if (i < kT) prnt_[i + 1] = l;
        int j = son_[l];
        son_[l] = i;
        prnt_[j] = c;
        if (j < kT) prnt_[j + 1] = c;
        son_[c] = j;
        c = l;
      }
      c = prnt_[c];
    } while (c != 0);
  }

  void PutBit(int bit) {
    put_buf_ |= bit << (15 - put_len_);
    if (++put_len_ == 8) {
      out_.push_back(static_cast<uint8_t>(put_buf_ >> 8));
      put_buf_ = 0;
      put_len_ = 0;
    }
  }

  void EncodeChar(int c) {
    std::vector<int> bits;
    for (int k = prnt_[c + kT]; k != kR; k = prnt_[k]) bits.push_back(k & 1);
    for (auto it = bits.rbegin(); it != bits.rend(); ++it) PutBit(*it);
    Update(c);
  }

  static int PosLen(int v) {
    return v < 1 ? 3 : v < 4 ? 4 : v < 12 ? 5 : v < 24 ? 6 : v < 48 ? 7 : 8;
  }

  static int PosCode(int v) {
    int code = 0;
    for (int u = 0; u < v; ++u) code += 1 << (8 - PosLen(u));
    return code;
  }

  void EncodePosition(int p) {
    int v = p >> 6;
    for (int i = 0; i < PosLen(v); ++i) PutBit((PosCode(v) >> (7 - i)) & 1);
    for (int i = 5; i >= 0; --i) PutBit((p >> i) & 1);
  }

  void InsertNode(int r) {
    int cmp = 1, p = 4097 + text_[r];
    rson_[r] = lson_[r] = kNil;
    match_length_ = 0;
    for (;;) {
      if (cmp >= 0) {
        if (rson_[p] != kNil) {
          p = rson_[p];
        } else {
          rson_[p] = r;
          dad_[r] = p;
          return;
        }
      } else {
        if (lson_[p] != kNil) {
          p = lson_[p];
        } else {
          lson_[p] = r;
          dad_[r] = p;
          return;
        }
      }
      int i = 1;
      for (; i < 60; ++i) {
        cmp = text_[r + i] - text_[p + i];
        if (cmp != 0) break;
      }
      if (i > 2) {
        int d = ((r - p) & 4095) - 1;
        if (i > match_length_) {
          match_position_ = d;
          match_length_ = i;
          if (i >= 60) break;
        } else if (i == match_length_ && d < match_position_) {
          match_position_ = d;
        }
      }
    }
    dad_[r] = dad_[p];
    lson_[r] = lson_[p];
    rson_[r] = rson_[p];
    dad_[lson_[p]] = r;
    dad_[rson_[p]] = r;
    if (rson_[dad_[p]] == p) {
      rson_[dad_[p]] = r;
    } else {
      lson_[dad_[p]] = r;
    }
    dad_[p] = kNil;
  }

  void DeleteNode(int p) {
    if (dad_[p] == kNil) return;
    int q;
    if (rson_[p] == kNil) {
      q = lson_[p];
    } else if (lson_[p] == kNil) {
      q = rson_[p];
    } else {
      q = lson_[p];
      if (rson_[q] != kNil) {
        do {
          q = rson_[q];
        } while (rson_[q] != kNil);
        rson_[dad_[q]] = lson_[q];
        dad_[lson_[q]] = dad_[q];
        lson_[q] = lson_[p];
        dad_[lson_[p]] = q;
      }
      rson_[q] = rson_[p];
      dad_[rson_[p]] = q;
    }
    dad_[q] = dad_[p];
    if (rson_[dad_[p]] == p) {
      rson_[dad_[p]] = q;
    } else {
      lson_[dad_[p]] = q;
    }
    dad_[p] = kNil;
  }

  int GetBit() {
    Refill();
    int bit = (get_buf_ >> 15) & 1;
    get_buf_ = static_cast<uint16_t>(get_buf_ << 1);
    --get_len_;
    return bit;
  }

  int GetByte() {
    Refill();
    int byte = get_buf_ >> 8;
    get_buf_ = static_cast<uint16_t>(get_buf_ << 8);
    get_len_ -= 8;
    return byte;
  }

  void Refill() {
    while (get_len_ <= 8) {
      ++in_calls_;
      int byte = in_next_ < in_->size() ? (*in_)[in_next_++] : 0;
      get_buf_ = static_cast<uint16_t>(get_buf_ | byte << (8 - get_len_));
      get_len_ += 8;
    }
  }

  int DecodeChar() {
    int c = son_[kR];
    while (c < kT) c = son_[c + GetBit()];
    c -= kT;
    Update(c);
    return c;
  }

  int DecodePosition() {
    int b = GetByte();
    int v = 0;
    while (v < 63 && PosCode(v + 1) <= b) ++v;
    for (int n = PosLen(v) - 2; n > 0; --n) b = (b << 1) + GetBit();
    return (v << 6) | (b & 63);
  }

  uint8_t text_[4155 + 8] = {};
  int lson_[4097] = {}, dad_[4097] = {}, rson_[4353] = {};
  int freq_[628] = {}, prnt_[941] = {}, son_[627] = {};
  int match_position_ = 0, match_length_ = 0;
  Bytes out_;
  int put_len_ = 0, put_buf_ = 0;
  const Bytes* in_ = nullptr;
  std::size_t in_next_ = 0;
  int in_calls_ = 0;
  uint16_t get_buf_ = 0;
  int get_len_ = 0;
};

}  // namespace lzh_reference
