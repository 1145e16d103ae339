#include "xp/pe_image.h"

#include <algorithm>
#include <stdexcept>

#include "platform/le_bytes.h"

namespace xpcheck {
namespace {

// Limits far above any real program, so that a hostile table cannot make us loop long.
constexpr std::size_t kMaxDlls = 4096;
constexpr std::size_t kMaxImportsPerDll = 65536;
constexpr std::size_t kMaxName = 4096;

// Header fields, as offsets from the start of their header.
constexpr std::size_t kDosNewHeader = 0x3C;
constexpr std::size_t kCoffSize = 20, kCoffSections = 2, kCoffOptionalSize = 16;
constexpr std::size_t kOptSubsystemMajor = 48, kOptSubsystemMinor = 50, kOptSubsystem = 68;
constexpr std::size_t kOptDirCount32 = 92, kOptDirs32 = 96;
constexpr std::size_t kOptDirCount64 = 108, kOptDirs64 = 112;
constexpr std::size_t kDirImport = 1, kDirResource = 2, kDirDelayImport = 13;
constexpr std::size_t kMaxResources = 4096;
constexpr std::size_t kSectionSize = 40, kSecVirtualSize = 8, kSecAddress = 12, kSecRawSize = 16,
                      kSecRawPointer = 20;
constexpr std::size_t kDescriptorSize = 20, kDescLookup = 0, kDescName = 12, kDescThunks = 16;

struct Section {
  uint32_t address, size, rawPointer, rawSize;
};

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  const uint8_t* At(std::size_t offset, std::size_t length, const char* what) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset)
      throw std::runtime_error(std::string(what) + " lies beyond the end of the file");
    return bytes_.data() + offset;
  }
  uint16_t U16(std::size_t offset, const char* what) const {
    return platform::le::Get16(At(offset, 2, what));
  }
  uint32_t U32(std::size_t offset, const char* what) const {
    return platform::le::Get32(At(offset, 4, what));
  }
  uint64_t U64(std::size_t offset, const char* what) const {
    return platform::le::Get64(At(offset, 8, what));
  }

  // File offset of `length` bytes at an address of the loaded image; only section bytes
  // present in the file count.
  std::size_t Offset(uint32_t rva, std::size_t length, const char* what) const {
    const auto [offset, available] = Span(rva, what);
    if (length > available)
      throw std::runtime_error(std::string(what) + " at address 0x" + Hex(rva) +
                               " runs past the end of its section");
    return offset;
  }

  // A zero-terminated name at an address, within one section.
  std::string Name(uint32_t rva, const char* what) const {
    const auto [offset, available] = Span(rva, what);
    const char* first = reinterpret_cast<const char*>(bytes_.data() + offset);
    const std::size_t length = std::min(available, kMaxName + 1);
    const char* end = std::find(first, first + length, '\0');
    if (end == first + length)
      throw std::runtime_error(std::string(what) + " at address 0x" + Hex(rva) + " has no end");
    return std::string(first, end);
  }

  static std::string Hex(uint32_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    do {
      text.insert(text.begin(), digits[value & 15]);
      value >>= 4;
    } while (value);
    return text;
  }

  std::vector<Section> sections_;

 private:
  struct Place {
    std::size_t offset, available;
  };
  Place Span(uint32_t rva, const char* what) const {
    for (const Section& s : sections_) {
      // The loaded bytes that the file holds; a section's tail beyond them is zeros.
      const uint32_t extent = s.size ? std::min(s.size, s.rawSize) : s.rawSize;
      if (rva >= s.address && rva - s.address < extent) {
        const uint32_t into = rva - s.address;
        const std::size_t available = extent - into;
        return {static_cast<std::size_t>(At(std::size_t{s.rawPointer} + into, available, what) -
                                         bytes_.data()),
                available};
      }
    }
    throw std::runtime_error(std::string(what) + " at address 0x" + Hex(rva) +
                             " lies outside the image's sections");
  }

  const std::vector<uint8_t>& bytes_;
};

std::vector<PeImport> ReadThunks(const Reader& r, uint32_t rva, bool plus) {
  std::vector<PeImport> imports;
  const std::size_t width = plus ? 8 : 4;
  for (;; rva += static_cast<uint32_t>(width)) {
    const std::size_t at = r.Offset(rva, width, "an import lookup entry");
    const uint64_t entry =
        plus ? r.U64(at, "an import lookup entry") : r.U32(at, "an import lookup entry");
    if (entry == 0) return imports;
    if (imports.size() == kMaxImportsPerDll)
      throw std::runtime_error("an import lookup table has no end");
    const uint64_t byOrdinal = plus ? uint64_t{1} << 63 : uint64_t{1} << 31;
    PeImport import;
    if (entry & byOrdinal) {
      import.ordinal = static_cast<uint16_t>(entry);
    } else {
      // A hint (two bytes), then the name.
      import.function = r.Name(static_cast<uint32_t>(entry) + 2, "an imported function's name");
      if (import.function.empty()) throw std::runtime_error("an imported function has no name");
    }
    imports.push_back(std::move(import));
  }
}

}  // namespace

namespace {

// The headers every reading needs: the image's fields, its sections in the reader, and
// the address of each data directory.
struct Headers {
  PeImage image;
  std::vector<uint32_t> directories;
  uint32_t Directory(std::size_t index) const {
    return index < directories.size() ? directories[index] : 0;
  }
};

Headers ReadHeaders(Reader& r) {
  const uint8_t* mz = r.At(0, 2, "the DOS header");
  if (mz[0] != 'M' || mz[1] != 'Z') throw std::runtime_error("not a Windows program (no MZ)");
  const std::size_t pe = r.U32(kDosNewHeader, "the DOS header");
  const uint8_t* sig = r.At(pe, 4, "the PE signature");
  if (sig[0] != 'P' || sig[1] != 'E' || sig[2] != 0 || sig[3] != 0)
    throw std::runtime_error("not a PE image (no PE signature)");
  const std::size_t coff = pe + 4;
  Headers headers;
  PeImage& image = headers.image;
  image.machine = r.U16(coff, "the file header");
  const std::size_t sectionCount = r.U16(coff + kCoffSections, "the file header");
  const std::size_t optional = coff + kCoffSize;
  const std::size_t optionalSize = r.U16(coff + kCoffOptionalSize, "the file header");
  r.At(optional, optionalSize, "the optional header");

  const uint16_t magic = r.U16(optional, "the optional header");
  if (magic != 0x10b && magic != 0x20b)
    throw std::runtime_error("unknown optional header magic 0x" + Reader::Hex(magic));
  image.plus = magic == 0x20b;
  const std::size_t dirCountAt = image.plus ? kOptDirCount64 : kOptDirCount32;
  const std::size_t dirsAt = image.plus ? kOptDirs64 : kOptDirs32;
  if (optionalSize < dirsAt) throw std::runtime_error("the optional header is too short");
  image.subsystemMajor = r.U16(optional + kOptSubsystemMajor, "the optional header");
  image.subsystemMinor = r.U16(optional + kOptSubsystemMinor, "the optional header");
  image.subsystem = r.U16(optional + kOptSubsystem, "the optional header");
  const std::size_t dirCount = std::min<std::size_t>(
      r.U32(optional + dirCountAt, "the optional header"), (optionalSize - dirsAt) / 8);
  for (std::size_t i = 0; i < dirCount; ++i)
    headers.directories.push_back(r.U32(optional + dirsAt + 8 * i, "a data directory"));

  const std::size_t table = optional + optionalSize;
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::size_t s = table + i * kSectionSize;
    r.At(s, kSectionSize, "the section table");
    r.sections_.push_back(
        {r.U32(s + kSecAddress, "a section"), r.U32(s + kSecVirtualSize, "a section"),
         r.U32(s + kSecRawPointer, "a section"), r.U32(s + kSecRawSize, "a section")});
  }
  return headers;
}

// The UTF-16 name of a resource directory entry, at `offset` from the directory's start;
// characters beyond Latin-1 become '?'.
std::string ResourceName(const Reader& r, std::size_t base, uint32_t offset) {
  const std::size_t at = base + offset;
  const std::size_t length = r.U16(at, "a resource name");
  std::string name;
  for (std::size_t i = 0; i < length; ++i) {
    const uint16_t c = r.U16(at + 2 + 2 * i, "a resource name");
    name += c < 0x100 ? static_cast<char>(c) : '?';
  }
  return name;
}

}  // namespace

std::vector<PeResource> ReadPeResources(const std::vector<uint8_t>& bytes) {
  Reader r(bytes);
  const Headers headers = ReadHeaders(r);
  std::vector<PeResource> resources;
  const uint32_t root = headers.Directory(kDirResource);
  if (root == 0) return resources;
  const std::size_t base = r.Offset(root, 16, "the resource directory");
  // Entries of the directory at `offset` from the root: (id or name, child offset).
  struct Entry {
    uint32_t id;
    std::string name;
    uint32_t child;
  };
  const auto entries = [&](uint32_t offset) {
    const std::size_t at = base + offset;
    const std::size_t count = std::size_t{r.U16(at + 12, "a resource directory")} +
                              r.U16(at + 14, "a resource directory");
    if (count > kMaxResources) throw std::runtime_error("a resource directory is too long");
    std::vector<Entry> list;
    for (std::size_t i = 0; i < count; ++i) {
      const uint32_t key = r.U32(at + 16 + 8 * i, "a resource directory entry");
      const uint32_t child = r.U32(at + 20 + 8 * i, "a resource directory entry");
      Entry e{key, {}, child};
      if (key & 0x80000000u) {
        e.id = 0;
        e.name = ResourceName(r, base, key & 0x7FFFFFFFu);
      }
      list.push_back(std::move(e));
    }
    return list;
  };
  // Three levels: type, name, language; a subdirectory has its top bit set, a leaf not.
  const auto subdirectory = [](const Entry& e, const char* what) {
    if (!(e.child & 0x80000000u))
      throw std::runtime_error(std::string("a resource ") + what + " entry is not a directory");
    const uint32_t offset = e.child & 0x7FFFFFFFu;
    if (offset == 0) throw std::runtime_error("a resource directory refers back to the root");
    return offset;
  };
  for (const Entry& type : entries(0)) {
    for (const Entry& name : entries(subdirectory(type, "type"))) {
      for (const Entry& language : entries(subdirectory(name, "name"))) {
        if (language.child & 0x80000000u)
          throw std::runtime_error("a resource language entry is a directory");
        const std::size_t leaf = base + language.child;
        const uint32_t dataRva = r.U32(leaf, "a resource data entry");
        const uint32_t size = r.U32(leaf + 4, "a resource data entry");
        if (resources.size() == kMaxResources) throw std::runtime_error("too many resources");
        PeResource resource;
        resource.type = type.id;
        resource.typeName = type.name;
        resource.id = name.id;
        resource.name = name.name;
        resource.language = language.id;
        const uint8_t* data =
            r.At(r.Offset(dataRva, size, "a resource's data"), size, "a resource's data");
        resource.data.assign(data, data + size);
        resources.push_back(std::move(resource));
      }
    }
  }
  return resources;
}

PeImage ReadPeImage(const std::vector<uint8_t>& bytes) {
  Reader r(bytes);
  Headers headers = ReadHeaders(r);
  PeImage& image = headers.image;
  image.delayImports = headers.Directory(kDirDelayImport) != 0;
  uint32_t descriptor = headers.Directory(kDirImport);
  if (descriptor == 0) return image;
  for (;; descriptor += kDescriptorSize) {
    const std::size_t at = r.Offset(descriptor, kDescriptorSize, "an import descriptor");
    const uint32_t lookup = r.U32(at + kDescLookup, "an import descriptor");
    const uint32_t name = r.U32(at + kDescName, "an import descriptor");
    const uint32_t thunks = r.U32(at + kDescThunks, "an import descriptor");
    if (name == 0 && thunks == 0) return std::move(image);
    if (image.dlls.size() == kMaxDlls) throw std::runtime_error("the import directory has no end");
    PeDll dll;
    dll.name = r.Name(name, "an imported DLL's name");
    // Some linkers leave the lookup table out; the address table holds the same entries
    // until the loader binds it.
    dll.imports = ReadThunks(r, lookup ? lookup : thunks, image.plus);
    image.dlls.push_back(std::move(dll));
  }
}

}  // namespace xpcheck
