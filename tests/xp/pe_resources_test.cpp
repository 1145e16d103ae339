// The resource reader and the version-information reader on images made here: what they
// read back, and the malformed directories and blocks they refuse.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/le_bytes.h"
#include "xp/pe_image.h"
#include "xp/pe_version.h"
#include "xp/test_images.h"

namespace xpcheck {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, std::size_t at, uint16_t v) { b[at] = v & 0xFF, b[at + 1] = v >> 8; }
void Put32(Bytes& b, std::size_t at, uint32_t v) { platform::le::Put32(&b[at], v); }

// A resource section with one resource of `type`, id 1, language 0x416, holding `data`:
// three directories of one entry each, a data entry, then the data.
Bytes ResourceSection(uint32_t type, const Bytes& data) {
  Bytes s(3 * 24 + 16, 0);
  const auto directory = [&](std::size_t at, uint32_t id, uint32_t child) {
    Put16(s, at + 14, 1);  // one id entry
    Put32(s, at + 16, id);
    Put32(s, at + 20, child);
  };
  directory(0, type, 0x80000000u | 24);
  directory(24, 1, 0x80000000u | 48);
  directory(48, 0x416, 72);  // a leaf: the data entry
  Put32(s, 72, kSectionRva + 88);
  Put32(s, 76, static_cast<uint32_t>(data.size()));
  s.insert(s.end(), data.begin(), data.end());
  return s;
}

Bytes ImageWithResources(const Bytes& section) {
  return ImageWithSection(section,
                          {.directory = 2, .directorySize = static_cast<uint32_t>(section.size())});
}

TEST(PeResources, ReadsTypeNameLanguageAndBytes) {
  const Bytes data = {'<', 'x', '/', '>'};
  const std::vector<PeResource> resources =
      ReadPeResources(ImageWithResources(ResourceSection(kResourceManifest, data)));
  ASSERT_EQ(resources.size(), 1u);
  EXPECT_EQ(resources[0].type, kResourceManifest);
  EXPECT_EQ(resources[0].id, 1u);
  EXPECT_EQ(resources[0].language, 0x416u);
  EXPECT_EQ(resources[0].data, data);
}

TEST(PeResources, RefusesMalformedDirectories) {
  const Bytes good = ResourceSection(kResourceVersion, {1, 2, 3, 4});
  const struct {
    const char* what;
    void (*spoil)(Bytes&);
  } cases[] = {
      {"a type entry that is no directory", [](Bytes& s) { Put32(s, 20, 24); }},
      {"a directory that refers back to the root", [](Bytes& s) { Put32(s, 20, 0x80000000u); }},
      {"a language entry that is a directory", [](Bytes& s) { Put32(s, 68, 0x80000000u | 24); }},
      {"data beyond the section", [](Bytes& s) { Put32(s, 76, 4096); }},
      {"entries beyond the section", [](Bytes& s) { Put16(s, 14, 4000); }},
  };
  for (const auto& c : cases) {
    Bytes section = good;
    c.spoil(section);
    EXPECT_THROW(ReadPeResources(ImageWithResources(section)), std::runtime_error) << c.what;
  }
  EXPECT_TRUE(ReadPeResources(ImageWithSection({0, 0, 0, 0}, {.directory = 1})).empty())
      << "an image without resources";
}

TEST(PeVersion, RefusesBlocksThatDoNotFit) {
  // A root block claiming 64 bytes in 16, and one whose child claims more than its parent.
  Bytes cut(16, 0);
  Put16(cut, 0, 64);
  EXPECT_THROW(ReadVersionBlock(cut), std::runtime_error);
  Bytes nested(24, 0);
  Put16(nested, 0, 24);  // root: no key, no value
  Put16(nested, 8, 40);  // its child at 8 claims 40 bytes
  EXPECT_THROW(ReadVersionBlock(nested), std::runtime_error);
}

}  // namespace
}  // namespace xpcheck
