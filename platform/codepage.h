// Text between a package's code page and the system's own text.
//
// Packages keep member names, header lines and passwords as 8-bit text in the ANSI code
// page of the system that made them (Windows-1252 for the installer's users), and count
// their limits in those bytes. A Windows program passes them to the ANSI calls as they
// are. On POSIX, names cross into the file system and the terminal in the locale's
// encoding (UTF-8): a CodePage converts them there and back, through the C library's
// iconv.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class CodePage {
 public:
  // The conversion between the code page `name` and the system's text. `name` is one
  // the system's converter knows ("CP1252", "CP850", "CP1251", ...), whose characters
  // are one byte each and which keeps ASCII as it is; or "raw" for none, bytes passing
  // as they are. The system's text is the locale's encoding on POSIX (UTF-8 where the
  // locale is C or POSIX, whose encoding is plain ASCII), or `system` when it is given;
  // on Windows it is the ANSI code page, so only "raw" is offered there. Null, with
  // `error` saying why, for a code page that cannot be used.
  static std::unique_ptr<CodePage> Open(const std::string& name, std::string& error,
                                        const std::string& system = {});
  // The code page taken when none is named: "CP1252" on POSIX, "raw" on Windows.
  static const char* Default();

  virtual ~CodePage() = default;

  virtual bool Raw() const = 0;
  // As it was opened ("CP1252", "raw"), and the encoding of the system's text ("UTF-8").
  virtual const std::string& Name() const = 0;
  virtual const std::string& SystemName() const = 0;

  // Package text in the system's text, and back; nothing when a character cannot be
  // converted, `why` then saying why ("not a character of CP1252", "has no character in
  // CP1252"), naming the character.
  virtual std::optional<std::string> ToSystem(std::string_view text,
                                              std::string* why = nullptr) const = 0;
  virtual std::optional<std::string> ToPackage(std::string_view text,
                                               std::string* why = nullptr) const = 0;
  // Package text in the system's text for showing it: a byte that is no character of
  // the code page, or a character the system's text cannot hold, appears as "\xNN".
  virtual std::string ToSystemShown(std::string_view text) const = 0;
  // The system's text in the package's, every character the code page has not (and
  // every byte that is no character) written as the one byte `mark`.
  virtual std::string ToPackageMarked(std::string_view text, char mark) const = 0;
  // The character of the system's text at byte `at`: its length in bytes, with its code
  // point in `c`; 0 when the bytes there are no character of the system's encoding.
  virtual std::size_t SystemChar(std::string_view text, std::size_t at, char32_t& c) const = 0;
  // Package text with every letter in its upper-case form, the way the package's home
  // system compares file names (Windows: every letter of the code page, not only a..z;
  // raw text on POSIX: only a..z, as its bytes mean nothing certain).
  virtual std::string Upper(std::string_view text) const = 0;
};

}  // namespace platform
