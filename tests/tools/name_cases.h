// The member names the pck tests try, in one table: names with accents and the euro
// sign, names a package cannot hold, and names that can be no file.
#pragma once

#include <cstddef>

#include "support/test_files.h"

namespace pck_tool_tests {

// A name as a file here (UTF-8; null: none is made) and as a package stores it in
// Windows-1252 (null: it cannot be stored); the reason create gives for refusing the
// file, or extract and test for refusing the member (null: none); and, for a member
// that is no file, how list shows it.
struct NameCase {
  const char* file;
  const char* stored;
  const char* refusal;
  const char* listed;
};

inline constexpr NameCase kNames[] = {
    // One byte each in the package, whatever their length in UTF-8.
    {"Ação.txt", "A\xE7\xE3o.txt", nullptr, nullptr},
    {"Põe é ê á ó í ú ü.txt",
     "P\xF5"
     "e \xE9 \xEA \xE1 \xF3 \xED \xFA \xFC.txt",
     nullptr, nullptr},
    {"ÇÃO de 5 €.txt", "\xC7\xC3O de 5 \x80.txt", nullptr, nullptr},
    // 0x9B: an 8-bit terminal takes the raw byte for the start of a control sequence.
    {"Cotação›.txt", "Cota\xE7\xE3o\x9B.txt", nullptr, nullptr},
    {"Música/Canção.txt", "M\xFAsica\\Can\xE7\xE3o.txt", nullptr, nullptr},
    // Files create refuses, storing nothing in their place.
    {"日本.txt", nullptr, "the name cannot be written in CP1252", nullptr},
    {"back\\slash.txt", nullptr, "the name holds \\, which a package takes as a separator",
     nullptr},
    // Members extract refuses and test reports, each run going on with the next member.
    {nullptr, "bad\x81.txt", "is not a character of CP1252", "bad\\x81.txt"},
    {nullptr, "pasta\\", "names no file", "pasta\\"},
    {nullptr, ".", "names no file", "."},
    {nullptr, "\\", "names no file", "\\"},
    {nullptr, "", "names no file", ""},
};

// The content of the file of row `row`.
inline testing_support::Bytes ContentOf(std::size_t row) {
  return testing_support::SampleText(40 + row, 7 + static_cast<uint32_t>(row));
}

}  // namespace pck_tool_tests
