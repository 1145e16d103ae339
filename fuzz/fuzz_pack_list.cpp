// pck list on any bytes: the tool's listing engine (header block, entry records, the
// first bytes of each member's compressed form, a volume set in disk folders) always
// comes back, writes nothing but its staging directory (gone afterwards), lists every
// entry it read, and shows every line and failure without a control character.
// The input is split in two volumes, DISK1 and DISK2, at a point its first byte picks.
// (Runs fastest with TMPDIR on a memory file system.)
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_support.h"
#include "platform/system.h"
#include "tools/pck/archive_pack.h"
#include "tools/pck/listing.h"
#include "tools/pck/shown.h"

namespace fs = std::filesystem;

namespace {

using fuzzing::Fail;

bool HasControl(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

void Put(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::FixedDisksAndNobody();

  const std::string run = fuzzing::ScratchRoot("fuzz_pack_list").string() + "/run/";
  std::error_code ec;
  fs::remove_all(run, ec);
  fs::create_directories(run + "DISK1", ec);
  fs::create_directories(run + "DISK2", ec);
  fs::create_directories(run + "tmp", ec);
  ::setenv("TMPDIR", (run + "tmp").c_str(), 1);
  const size_t cut = size == 0 ? 0 : std::min<size_t>(size, 15 + data[0] * 8);
  Put(run + "DISK1/P.PCK", data, cut);
  if (cut < size) Put(run + "DISK2/P.PCK", data + cut, size - cut);

  {
    pck::ArchivePack pack("P.PCK", pck::MemberMode::Peek);
    std::string engine = run + "DISK1/P.PCK";
    for (char& c : engine)
      if (c == '/') c = '\\';
    pack.SetArchive(engine);
    pack.SetDirectory(".");
    const bool ok = pack.Run(pack::TPackMode::pmExtract);
    if (ok) {
      if (pack.LastRun().Members.size() != pack.List.size())
        Fail("members listed", pack.FailureText());
      std::FILE* out = std::fopen("/dev/null", "w");
      pck::PrintListing(out, pack.LastRun().Members, true);
      std::fclose(out);
      for (const pck::MemberInfo& m : pack.LastRun().Members)
        if (HasControl(pck::Printable(m.Name))) Fail("name shown raw");
    } else {
      const std::string text = pack.FailureText();
      if (text.empty() || HasControl(text)) Fail("failure text", text);
    }
  }
  // Only the volumes and the (empty) temporary directory are left.
  if (!fs::is_empty(run + "tmp")) Fail("left in the temporary directory");
  for (const auto& e : fs::recursive_directory_iterator(run)) {
    const std::string rel = e.path().string().substr(run.size());
    if (rel != "DISK1" && rel != "DISK2" && rel != "tmp" && rel != "DISK1/P.PCK" &&
        rel != "DISK2/P.PCK")
      Fail("written:", rel);
  }
  return 0;
}
