// Extracting an arbitrary package never writes outside the target directory.
// (Runs fastest with TMPDIR on a memory file system.)
//
// Each input is written as a package file into a fresh directory and extracted there
// with the base engine (members taken raw) into a target four levels down; afterwards
// nothing may exist besides the package file, the target's parent chain and what lies
// inside the target. No drive is removable and every disk prompt is cancelled, so a
// package that needs another volume simply fails.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_support.h"
#include "pack/cpack.h"
#include "platform/system.h"

namespace fs = std::filesystem;

namespace {

const fs::path& Root() { return fuzzing::ScratchRoot("fuzz_pack_extract"); }

void Fail(const std::string& what) { fuzzing::Fail("written outside the target directory:", what); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::FixedDisksAndNobody();

  const fs::path run = Root() / "run";
  std::error_code ec;
  fs::remove_all(run, ec);
  fs::create_directories(run / "d1/d2/d3/target");
  {
    std::ofstream out(run / "P.PCK", std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  {
    pack::TCustomPack pack(nullptr);
    pack.SetPackFileName((run / "P.PCK").string());
    pack.SetDirectory((run / "d1/d2/d3/target").string());
    pack.Extract();
  }

  for (const auto& e : fs::directory_iterator(Root()))
    if (e.path().filename() != "run") Fail(e.path().string());
  const std::string base = run.string() + "/";
  for (const auto& e : fs::recursive_directory_iterator(run)) {
    const std::string rel = e.path().string().substr(base.size());
    const bool allowed = rel == "P.PCK" || rel == "d1" || rel == "d1/d2" || rel == "d1/d2/d3" ||
                         rel == "d1/d2/d3/target" || rel.rfind("d1/d2/d3/target/", 0) == 0;
    if (!allowed) Fail(rel);
  }
  fs::remove_all(run, ec);
  return 0;
}
