#include "xp/pe_version.h"

#include <stdexcept>

#include "platform/le_bytes.h"

namespace xpcheck {
namespace {

constexpr int kMaxDepth = 8;

std::size_t Aligned(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

uint16_t U16(const std::vector<uint8_t>& bytes, std::size_t at, std::size_t end) {
  if (at + 2 > end) throw std::runtime_error("a version block runs past its end");
  return platform::le::Get16(&bytes[at]);
}

// The block at `at`, which must end by `limit`.
VersionBlock ReadAt(const std::vector<uint8_t>& bytes, std::size_t at, std::size_t limit,
                    int depth) {
  if (depth > kMaxDepth) throw std::runtime_error("version blocks nested too deep");
  const std::size_t length = U16(bytes, at, limit);
  if (length < 6 || at + length > limit)
    throw std::runtime_error("a version block's length does not fit its parent");
  const std::size_t end = at + length;
  const std::size_t valueLength = U16(bytes, at + 2, end);
  VersionBlock block;
  block.text = U16(bytes, at + 4, end) == 1;
  std::size_t p = at + 6;
  for (;;) {
    const uint16_t c = U16(bytes, p, end);
    p += 2;
    if (c == 0) break;
    block.key += c < 0x100 ? static_cast<char>(c) : '?';
  }
  p = Aligned(p);
  // A text value counts its characters, other values their bytes.
  const std::size_t valueBytes = block.text ? valueLength * 2 : valueLength;
  if (p + valueBytes > end && valueLength != 0)
    throw std::runtime_error("the value of version block " + block.key + " runs past its end");
  block.value.assign(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(p, end)),
                     bytes.begin() + static_cast<std::ptrdiff_t>(std::min(p + valueBytes, end)));
  p = Aligned(p + valueBytes);
  while (p + 6 <= end) {
    VersionBlock child = ReadAt(bytes, p, end, depth + 1);
    p = Aligned(p + U16(bytes, p, end));
    block.children.push_back(std::move(child));
  }
  return block;
}

}  // namespace

std::string VersionBlock::Text() const {
  std::string out;
  for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
    const uint16_t c = platform::le::Get16(&value[i]);
    if (c == 0) break;
    out += c < 0x100 ? static_cast<char>(c) : '?';
  }
  return out;
}

const VersionBlock* VersionBlock::Child(const std::string& childKey) const {
  for (const VersionBlock& child : children)
    if (child.key == childKey) return &child;
  return nullptr;
}

VersionBlock ReadVersionBlock(const std::vector<uint8_t>& bytes) {
  return ReadAt(bytes, 0, bytes.size(), 0);
}

FixedVersion ReadFixedVersion(const VersionBlock& root) {
  if (root.value.size() < 52 || platform::le::Get32(root.value.data()) != 0xFEEF04BDu)
    throw std::runtime_error("the version information has no fixed part");
  const auto word = [&](std::size_t at) { return platform::le::Get16(&root.value[at]); };
  FixedVersion v;
  // dwFileVersionMS/LS at 8 and 12, dwProductVersionMS/LS at 16 and 20: high word first.
  const std::size_t fields[4] = {10, 8, 14, 12};
  for (int i = 0; i < 4; ++i) {
    v.file[i] = word(fields[i]);
    v.product[i] = word(fields[i] + 8);
  }
  return v;
}

}  // namespace xpcheck
