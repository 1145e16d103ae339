// POSIX side of the code page conversion: iconv between the package's code page and the
// locale's encoding. The code page's 256 bytes are converted once, when it is opened,
// into a table of their text in the locale's encoding and of their upper-case forms;
// text of the system is converted by iconv as it comes.
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwctype>

#include "platform/codepage.h"
#include "platform/text.h"

namespace platform {
namespace {

// One iconv conversion, closed with the object; reset before every use.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : cd_(::iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (Ok()) ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in` from its start; `out` takes what was converted. Answers how many
  // bytes of `in` were taken: all of them, or fewer where a character could not be
  // converted (`error` then EILSEQ) or is cut short (EINVAL).
  std::size_t Run(std::string_view in, std::string& out, int& error) const {
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.assign(in.size() * 4 + 16, '\0');
    char* from = const_cast<char*>(in.data());
    std::size_t fromLeft = in.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    error = 0;
    while (fromLeft > 0) {
      if (::iconv(cd_, &from, &fromLeft, &to, &toLeft) != static_cast<std::size_t>(-1)) continue;
      if (errno != E2BIG) {
        error = errno;
        break;
      }
      const std::size_t used = static_cast<std::size_t>(to - out.data());
      out.resize(out.size() * 2);
      to = out.data() + used;
      toLeft = out.size() - used;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return in.size() - fromLeft;
  }

 private:
  iconv_t cd_;
};

// The encoding of the locale's text; the C and POSIX locales, whose encoding is plain
// ASCII, are taken as UTF-8 so that their users' names still work.
std::string LocaleEncoding() {
  const char* codeset = ::nl_langinfo(CODESET);
  const std::string name = codeset ? codeset : "";
  if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII")
    return "UTF-8";
  return name;
}

// The locale whose case rules upper-case the code page's letters (Unicode's).
locale_t UnicodeLocale() {
  static const locale_t kLocale = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
      if (const locale_t l = ::newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr)))
        return l;
    return static_cast<locale_t>(nullptr);
  }();
  return kLocale;
}

class PosixCodePage final : public CodePage {
 public:
  PosixCodePage(std::string name, std::string system)
      : name_(std::move(name)),
        system_(std::move(system)),
        raw_(name_ == "raw"),
        toPackage_(name_, system_),
        decodeSystem_("WCHAR_T", system_) {}

  // Builds the tables; false with `error` for a code page that cannot be used.
  bool Load(std::string& error) {
    if (!decodeSystem_.Ok()) {
      error = "the system's text encoding " + system_ + " is not known to the converter";
      return false;
    }
    for (int b = 0; b < 256; ++b) upper_[b] = platform::UpperAscii(static_cast<char>(b));
    if (raw_) return true;
    const Converter toSystem(system_, name_), toWide("WCHAR_T", name_), fromWide(name_, "WCHAR_T");
    if (!toSystem.Ok() || !toWide.Ok() || !fromWide.Ok() || !toPackage_.Ok()) {
      error = "unknown code page " + name_;
      return false;
    }
    const locale_t unicode = UnicodeLocale();
    for (int b = 0; b < 256; ++b) {
      const std::string byte(1, static_cast<char>(b));
      std::string wide, text;
      int failure = 0;
      toWide.Run(byte, wide, failure);
      if (failure == EINVAL) {
        error = name_ + " has characters of more than one byte; only single-byte code pages " +
                "can be used";
        return false;
      }
      if (failure != 0 || wide.size() != sizeof(wchar_t)) continue;  // no character of it
      wchar_t c;
      std::memcpy(&c, wide.data(), sizeof c);
      if (b < 0x80 && c != static_cast<wchar_t>(b)) {
        error = name_ + " does not keep ASCII as it is, as the system's code pages do";
        return false;
      }
      if (toSystem.Run(byte, text, failure) == 1 && failure == 0) toSystem_[b] = text;
      // Upper case where the code page has the upper-case letter.
      const wchar_t up = unicode
                             ? static_cast<wchar_t>(::towupper_l(static_cast<wint_t>(c), unicode))
                             : static_cast<wchar_t>(::towupper(static_cast<wint_t>(c)));
      std::string upWide(sizeof up, '\0'), back;
      std::memcpy(upWide.data(), &up, sizeof up);
      if (up != c && fromWide.Run(upWide, back, failure) == upWide.size() && failure == 0 &&
          back.size() == 1)
        upper_[b] = back[0];
    }
    return true;
  }

  bool Raw() const override { return raw_; }
  const std::string& Name() const override { return name_; }
  const std::string& SystemName() const override { return system_; }

  std::optional<std::string> ToSystem(std::string_view text, std::string* why) const override {
    if (raw_) return std::string(text);
    std::string out;
    for (const char c : text) {
      const auto b = static_cast<unsigned char>(c);
      if (!toSystem_[b]) {
        if (why)
          *why = IsCharacter(b)
                     ? "the character " + platform::HexEscape(b) + " of " + name_ +
                           " has none in " + system_
                     : "the byte " + platform::HexEscape(b) + " is not a character of " + name_;
        return std::nullopt;
      }
      out += *toSystem_[b];
    }
    return out;
  }

  std::optional<std::string> ToPackage(std::string_view text, std::string* why) const override {
    if (raw_) return std::string(text);
    std::string out;
    int failure = 0;
    const std::size_t taken = toPackage_.Run(text, out, failure);
    if (taken == text.size() && failure == 0) return out;
    if (why) {
      char32_t c = 0;
      const std::size_t length = SystemChar(text, taken, c);
      *why = length == 0
                 ? "the byte " + platform::HexEscape(static_cast<unsigned char>(text[taken])) +
                       " is not a character of " + system_
                 : platform::Quoted(text.substr(taken, length)) + " has no character in " + name_;
    }
    return std::nullopt;
  }

  std::string ToSystemShown(std::string_view text) const override {
    if (raw_) return std::string(text);
    std::string out;
    for (const char c : text) {
      const auto b = static_cast<unsigned char>(c);
      out += toSystem_[b] ? *toSystem_[b] : platform::HexEscape(b);
    }
    return out;
  }

  std::string ToPackageMarked(std::string_view text, char mark) const override {
    if (raw_) return std::string(text);
    std::string out, part;
    std::size_t at = 0;
    while (at < text.size()) {
      int failure = 0;
      at += toPackage_.Run(text.substr(at), part, failure);
      out += part;
      if (at >= text.size()) break;
      char32_t c = 0;
      const std::size_t length = SystemChar(text, at, c);
      out += mark;
      at += length == 0 ? 1 : length;
    }
    return out;
  }

  std::size_t SystemChar(std::string_view text, std::size_t at, char32_t& c) const override {
    // The shortest run of bytes that makes one whole character.
    for (std::size_t length = 1; length <= 8 && at + length <= text.size(); ++length) {
      std::string wide;
      int failure = 0;
      decodeSystem_.Run(text.substr(at, length), wide, failure);
      if (failure == EINVAL) continue;
      if (failure != 0 || wide.size() != sizeof(wchar_t)) return 0;
      wchar_t w;
      std::memcpy(&w, wide.data(), sizeof w);
      c = static_cast<char32_t>(w);
      return length;
    }
    return 0;
  }

  std::string Upper(std::string_view text) const override {
    std::string out(text);
    for (char& c : out) c = upper_[static_cast<unsigned char>(c)];
    return out;
  }

 private:
  // The byte is a character of the code page (whatever the system can show of it).
  bool IsCharacter(unsigned char b) const {
    const Converter toWide("WCHAR_T", name_);
    std::string wide;
    int failure = 0;
    toWide.Run(std::string(1, static_cast<char>(b)), wide, failure);
    return failure == 0 && !wide.empty();
  }

  std::string name_, system_;
  bool raw_;
  Converter toPackage_;     // system -> code page (none when raw)
  Converter decodeSystem_;  // system -> code points
  std::array<std::optional<std::string>, 256> toSystem_;
  std::array<char, 256> upper_{};
};

}  // namespace

std::unique_ptr<CodePage> CodePage::Open(const std::string& name, std::string& error,
                                         const std::string& system) {
  auto page = std::make_unique<PosixCodePage>(name, system.empty() ? LocaleEncoding() : system);
  if (!page->Load(error)) return nullptr;
  return page;
}

const char* CodePage::Default() { return "CP1252"; }

}  // namespace platform
