// Small text rules shared by every layer: which characters separate path components,
// and the case folding the system uses for names and patterns (only a..z; other
// letters of the 8-bit code page keep their case).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// `\` is the system's separator; `/` is taken as one too, since the files port accepts
// both.
constexpr bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The components of a relative path, split at either separator; empty components and
// "." (the directory itself) are left out.
inline std::vector<std::string> PathComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i])) continue;
    const std::string_view part = path.substr(start, i - start);
    if (!part.empty() && part != ".") parts.emplace_back(part);
    start = i + 1;
  }
  return parts;
}

// `path` with every `/` turned into the system's `\`.
inline std::string WithBackslashes(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// The folder part of a path: everything up to and including its last separator or
// colon ("C:\\ODE\\" of "C:\\ODE\\DBAPI32.CFG", "C:" of "C:X.CFG"); empty when there is neither.
inline std::string FolderPart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (IsSeparator(path[i - 1]) || path[i - 1] == ':') return std::string(path.substr(0, i));
  return {};
}

// A byte written as `\xNN` (upper-case hex), for text that must not hold it raw.
inline std::string HexEscape(unsigned char byte) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 15]};
}

// `text` in double quotes, as a command line takes a path with blanks.
inline std::string Quoted(std::string_view text) {
  std::string out(1, '"');
  out.append(text).push_back('"');
  return out;
}

constexpr char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

// a and b are the same text when a..z are taken as A..Z.
inline bool SameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

// The text that zero-terminated bytes hold: up to the first zero byte, or all of them.
inline std::string TextBeforeZero(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), uint8_t{0}));
}

// Text as the system's zero-terminated strings carry it: the characters up to the first
// zero byte, then one zero.
inline std::vector<uint8_t> ZeroTerminated(std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), std::find(text.begin(), text.end(), '\0'));
  bytes.push_back(0);
  return bytes;
}

}  // namespace platform
