// TEntry: one entry record of a package (11 fixed bytes, then the name).
#include <array>

#include "pack/cpack.h"
#include "pack/pack_io.h"
#include "platform/le_bytes.h"

namespace pack {
namespace {
// Field offsets inside an entry record.
constexpr int kSizeAt = 0, kAttrAt = 4, kTimeAt = 6, kNameLengthAt = 10;
}  // namespace

void TEntry::Clear() {
  Size = 0;
  Attr = 0;
  Time = 0;
  Name.clear();
}

void TEntry::ReadFrom(platform::File& file) {
  std::array<uint8_t, kEntryFixedSize> fixed{};
  io::ReadExact(file, fixed.data(), kEntryFixedSize);
  Size = static_cast<int32_t>(platform::le::Get32(&fixed[kSizeAt]));
  Attr = platform::le::Get16(&fixed[kAttrAt]);
  Time = static_cast<int32_t>(platform::le::Get32(&fixed[kTimeAt]));
  std::string name(fixed[kNameLengthAt], '\0');
  io::ReadExact(file, name.data(), static_cast<int32_t>(name.size()));
  Name = std::move(name);
}

void TEntry::WriteTo(platform::File& file) const {
  const std::vector<uint8_t> record = Record();
  io::WriteExact(file, record.data(), static_cast<int32_t>(record.size()));
}

std::vector<uint8_t> TEntry::Record() const {
  const std::size_t length = Name.size() > 255 ? 255 : Name.size();
  std::vector<uint8_t> record;
  record.reserve(kEntryFixedSize + length);
  platform::le::Put32(record, static_cast<uint32_t>(Size));
  platform::le::Put16(record, Attr);
  platform::le::Put32(record, static_cast<uint32_t>(Time));
  record.push_back(static_cast<uint8_t>(length));
  record.insert(record.end(), Name.begin(), Name.begin() + static_cast<std::ptrdiff_t>(length));
  return record;
}

}  // namespace pack
