// The package writer's round trip. The input describes a package: a volume size, a
// password, header lines or a raw header block, and members with names, attributes and
// data. Written by the engine onto a removable drive (every full disk taken out when
// the next is asked for) and read back, every member comes back byte for byte with its
// name, time and attributes, and no volume is larger than the volume size; a package
// the writer refuses leaves no volume behind.
// (Runs fastest with TMPDIR on a memory file system.)
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "pack/cpack.h"
#include "pack/lfiles.h"
#include "platform/files.h"
#include "platform/system.h"

namespace fs = std::filesystem;

namespace {

// Reads the description; past its end every value is 0.
class Description {
 public:
  Description(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return next_ < size_ ? data_[next_++] : 0; }
  uint32_t Value(int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t{Byte()} << (8 * i);
    return v;
  }
  std::string Text(size_t most) {
    std::string s(std::min<size_t>(Byte(), most), '\0');
    for (char& c : s) c = static_cast<char>(Byte());
    return s;
  }
  bool Done() const { return next_ >= size_; }

 private:
  const uint8_t* data_;
  size_t size_, next_ = 0;
};

class RemovableDrives : public platform::Drives {
 public:
  platform::DriveType TypeOf(const std::string&) override { return platform::DriveType::Removable; }
};

// The disk prompt: writing, the full disk is taken out of the drive (kept as diskN);
// reading, the disk asked for is put in.
class DiskChanger : public platform::Dialogs {
 public:
  int Show(platform::DialogKind, const std::string&, const std::string& text,
           platform::Buttons) override {
    std::error_code ec;
    if (writing) {
      if (fs::exists(drive, ec)) fs::rename(drive, Disk(++taken), ec);
    } else {
      const int n = std::atoi(text.c_str() + text.find('[') + 1);
      fs::remove(drive, ec);
      fs::copy_file(Disk(n), drive, ec);
      if (ec) return platform::kIdCancel;
    }
    return platform::kIdOk;
  }
  void ProcessMessages() override {}
  std::string Disk(int n) const { return root + "disk" + std::to_string(n); }

  bool writing = true;
  int taken = 0;
  std::string drive, root;
};

using fuzzing::Fail;

std::string Native(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

constexpr uint16_t kStoredAttr = platform::kAttrReadOnly | platform::kAttrHidden |
                                 platform::kAttrSystem | platform::kAttrArchive;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static RemovableDrives drives;
  static DiskChanger changer;
  static const platform::ScopedPort<platform::Drives> useDrives(drives);
  static const platform::ScopedPort<platform::Dialogs> useDialogs(changer);

  const std::string run = fuzzing::ScratchRoot("fuzz_pack_write").string() + "/run/";
  std::error_code ec;
  fs::remove_all(run, ec);
  fs::create_directories(run + "src", ec);
  fs::create_directories(run + "drive", ec);
  changer.root = run;
  changer.drive = run + "drive/P.PCK";
  changer.writing = true;
  changer.taken = 0;

  // The package to write.
  Description in(data, size);
  pack::TCustomPack writer(nullptr);
  const uint32_t volumeSize = in.Value(2);
  writer.VolumeSize = volumeSize == 0 ? 0 : 26 + volumeSize % 4000;
  const uint8_t flags = in.Byte();
  if (flags & 1) writer.SetPassword(in.Text(20));
  if (flags & 2) writer.SetRawHeader(std::vector<uint8_t>(in.Byte(), 'R'));
  for (int lines = flags & 4 ? in.Byte() % 4 : 0; lines > 0; --lines)
    writer.Header.push_back(in.Text(300));
  struct Member {
    std::string name;
    std::vector<uint8_t> data;
    uint16_t attr;
  };
  std::vector<Member> members;
  for (int n = in.Byte() % 8; n > 0 && !in.Done(); --n) {
    Member m;
    // Names that are files on every system (a letter and the member's number), at the
    // top or in one of three folders.
    const uint8_t shape = in.Byte();
    m.name = std::string(1, static_cast<char>('A' + shape % 26)) + std::to_string(members.size());
    if (shape & 0x80) m.name = "SUB" + std::to_string(shape % 3) + "\\" + m.name;
    m.attr = in.Byte() & (platform::kAttrHidden | platform::kAttrArchive);
    const uint32_t length = in.Value(2) % 3000;
    const uint8_t fill = in.Byte();
    for (uint32_t i = 0; i < length; ++i)
      m.data.push_back(static_cast<uint8_t>(fill + i * (fill | 1)));
    const std::string path = Native(run + "src/" + m.name);
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(m.data.data()),
               static_cast<std::streamsize>(m.data.size()));
    platform::FileSystemPort().SetAttributes(path, m.attr);
    members.push_back(std::move(m));
  }
  writer.SetDirectory(run + "src");
  writer.Items = {"*.*", "SUB0\\*.*", "SUB1\\*.*", "SUB2\\*.*"};
  writer.PathOption = pack::TPathOption::poRelative;
  writer.SetPackFileName(changer.drive);

  if (!writer.WritePackage()) {
    if (writer.LastError().empty()) Fail("failed without a reason");
    // Nothing of a refused package stays beside the volumes it wrote.
    for (const auto& e : fs::directory_iterator(run + "drive"))
      if (e.path().filename().string().rfind("PCK", 0) == 0) Fail("left", e.path().string());
    return 0;
  }
  fs::rename(changer.drive, changer.Disk(++changer.taken), ec);
  for (int k = 1; k <= changer.taken; ++k) {
    const auto bytes = fs::file_size(changer.Disk(k), ec);
    if (writer.VolumeSize > 0 && bytes > static_cast<uintmax_t>(writer.VolumeSize))
      Fail("volume larger than the volume size", std::to_string(bytes));
  }

  // Read back.
  changer.writing = false;
  fs::copy_file(changer.Disk(1), changer.drive, ec);
  pack::TCustomPack reader(nullptr);
  reader.SetPackFileName(changer.drive);
  reader.SetDirectory(run + "out");
  reader.SetPassword(writer.Password());
  if (!reader.Extract()) Fail("written package does not read back:", reader.LastError());
  if (reader.List.size() != members.size()) Fail("member count");
  if (reader.Version() == 2 && reader.Header.size() != writer.Header.size()) Fail("header lines");
  for (const Member& m : members) {
    const std::string source = Native(run + "src/" + m.name), out = Native(run + "out/" + m.name);
    std::ifstream file(out, std::ios::binary);
    const std::vector<uint8_t> back((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    if (back != m.data) Fail("member data", m.name);
    // The attributes and time the file system kept for the source come back.
    uint16_t attrIn = 0, attrOut = 0;
    uint32_t timeIn = 0, timeOut = 0;
    platform::FileSystemPort().GetAttributes(source, attrIn);
    platform::FileSystemPort().GetAttributes(out, attrOut);
    platform::FileSystemPort().GetDosTime(source, timeIn);
    platform::FileSystemPort().GetDosTime(out, timeOut);
    if ((attrIn & kStoredAttr) != (attrOut & kStoredAttr)) Fail("member attributes", m.name);
    if (timeIn != timeOut) Fail("member time", m.name);
  }
  return 0;
}
