// The version information of a program (its RT_VERSION resource): the tree of blocks a
// VS_VERSIONINFO resource is, each with its key, its value and its children.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xpcheck {

struct VersionBlock {
  std::string key;             // Latin-1
  bool text = false;           // the value is text (wType 1), not bytes
  std::vector<uint8_t> value;  // as stored: UTF-16 for text
  std::vector<VersionBlock> children;

  // A text value as Latin-1, without its closing zero ('?' for characters beyond it).
  std::string Text() const;
  // The child of that key, or nullptr.
  const VersionBlock* Child(const std::string& childKey) const;
};

// The fixed part of the version information: the file's and the product's versions.
struct FixedVersion {
  uint16_t file[4] = {};
  uint16_t product[4] = {};
};

// Reads the resource's bytes; throws std::runtime_error naming what is malformed and
// never reads outside them.
VersionBlock ReadVersionBlock(const std::vector<uint8_t>& bytes);
// The fixed part held in the root block's value (its signature checked).
FixedVersion ReadFixedVersion(const VersionBlock& root);

}  // namespace xpcheck
