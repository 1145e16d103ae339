// Windows images made in a test: the headers of a PE32 or PE32+ program and one section
// whose bytes are given, at kSectionRva, named by one data directory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/le_bytes.h"
#include "xp/pe_image.h"

namespace xpcheck {

inline constexpr uint32_t kSectionRva = 0x1000;
inline constexpr std::size_t kSectionFile = 0x200;  // where the section's bytes start
inline constexpr std::size_t kPe = 0x40, kOptional = kPe + 24;

struct ImageLayout {
  bool plus = false;
  uint16_t subsystemMajor = 4, subsystemMinor = 0;
  std::size_t directory = 1;  // the data directory that names the section (1 imports)
  uint32_t directorySize = 0;
  bool delayImports = false;  // a delay-load import directory is named too
};

inline std::vector<uint8_t> ImageWithSection(const std::vector<uint8_t>& data,
                                             const ImageLayout& layout) {
  std::vector<uint8_t> image(kSectionFile, 0);
  auto field16 = [&](std::size_t at, uint16_t v) { image[at] = v & 0xFF, image[at + 1] = v >> 8; };
  auto field32 = [&](std::size_t at, uint32_t v) { platform::le::Put32(&image[at], v); };
  image[0] = 'M', image[1] = 'Z';
  field32(0x3C, kPe);
  image[kPe] = 'P', image[kPe + 1] = 'E';
  const uint16_t optionalSize = layout.plus ? 240 : 224;
  field16(kPe + 4, layout.plus ? kMachineAmd64 : kMachineI386);
  field16(kPe + 6, 1);
  field16(kPe + 20, optionalSize);
  field16(kOptional, layout.plus ? 0x20b : 0x10b);
  field16(kOptional + 48, layout.subsystemMajor);
  field16(kOptional + 50, layout.subsystemMinor);
  field16(kOptional + 68, 2);
  const std::size_t dirs = kOptional + (layout.plus ? 112 : 96);
  field32(dirs - 4, 16);
  field32(dirs + 8 * layout.directory, kSectionRva);
  field32(dirs + 8 * layout.directory + 4, layout.directorySize);
  if (layout.delayImports) field32(dirs + 13 * 8, kSectionRva);
  const std::size_t section = kOptional + optionalSize;
  std::copy_n(".data", 5, image.begin() + section);
  field32(section + 8, static_cast<uint32_t>(data.size()));
  field32(section + 12, kSectionRva);
  field32(section + 16, static_cast<uint32_t>(data.size()));
  field32(section + 20, kSectionFile);
  image.insert(image.end(), data.begin(), data.end());
  return image;
}

}  // namespace xpcheck
