// What the Windows loader and the shell look at in a program: the machine, the subsystem
// version, the import table and the resources of a PE32 or PE32+ image, read from the
// file's bytes.
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

// One resource: its type and name (a number, or a name in UTF-16 converted to Latin-1
// where it is one), its language and its bytes.
struct PeResource {
  uint32_t type = 0;  // RT_ICON 3, RT_GROUP_ICON 14, RT_VERSION 16, RT_MANIFEST 24, ...
  std::string typeName;
  uint32_t id = 0;
  std::string name;
  uint32_t language = 0;
  std::vector<uint8_t> data;
};

constexpr uint32_t kResourceIcon = 3, kResourceGroupIcon = 14, kResourceVersion = 16,
                   kResourceManifest = 24;

constexpr uint16_t kMachineI386 = 0x14c;
constexpr uint16_t kMachineAmd64 = 0x8664;

// Reads the headers and the import directory. On bytes that are not a well-formed image
// (truncated, a field pointing outside the file or its sections, a name without its end)
// it throws std::runtime_error saying what is wrong; it never reads outside `bytes`.
PeImage ReadPeImage(const std::vector<uint8_t>& bytes);

// Reads the resource directory (type, name, language) down to every resource's bytes;
// none when the image has no resource directory. Malformed bytes throw as above; a
// directory that refers back to itself is refused rather than followed.
std::vector<PeResource> ReadPeResources(const std::vector<uint8_t>& bytes);

}  // namespace xpcheck
