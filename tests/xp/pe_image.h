// What the Windows loader looks at before a program runs: the machine, the subsystem
// version and the import table of a PE32 or PE32+ image, read from the file's bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xpcheck {

struct PeImport {
  std::string function;  // empty for an import by ordinal
  uint16_t ordinal = 0;  // only for an import by ordinal
};

struct PeDll {
  std::string name;  // as the image spells it
  std::vector<PeImport> imports;
};

struct PeImage {
  uint16_t machine = 0;  // 0x14c i386, 0x8664 x86-64
  bool plus = false;     // PE32+ (64-bit fields)
  uint16_t subsystem = 0;
  uint16_t subsystemMajor = 0, subsystemMinor = 0;
  bool delayImports = false;  // a delay-load import directory is present
  std::vector<PeDll> dlls;
};

constexpr uint16_t kMachineI386 = 0x14c;
constexpr uint16_t kMachineAmd64 = 0x8664;

// Reads the headers and the import directory. On bytes that are not a well-formed image
// (truncated, a field pointing outside the file or its sections, a name without its end)
// it throws std::runtime_error saying what is wrong; it never reads outside `bytes`.
PeImage ReadPeImage(const std::vector<uint8_t>& bytes);

}  // namespace xpcheck
