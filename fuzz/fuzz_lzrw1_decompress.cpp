// Restores arbitrary bytes as a compressed file. Property: the driver either succeeds
// with exactly the number of bytes its header promises, or fails and leaves no output.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "compress/lzrw1.h"

namespace {

std::string ScratchDir() {
  static std::string dir = [] {
    std::string templ = std::filesystem::temp_directory_path().string() + "/lzrw1fuzzXXXXXX";
    if (!mkdtemp(templ.data())) std::abort();
    return templ + "/";
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Headers promising more than a few MiB would only make the run slow.
  if (size >= 8) {
    const uint32_t promised = data[4] | data[5] << 8 | data[6] << 16 | uint32_t(data[7]) << 24;
    if (promised > (4u << 20)) return 0;
  }
  const std::string in = ScratchDir() + "in.lz", out = ScratchDir() + "out.dat";
  {
    std::ofstream f(in, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::remove(out.c_str());
  compress::Tlzrw1 driver(nullptr);
  driver.InputFile = in;
  driver.OutputFile = out;
  try {
    const int32_t restored = driver.Decompress();
    const auto onDisk = std::filesystem::file_size(out);
    const int32_t promised =
        static_cast<int32_t>(data[4] | data[5] << 8 | data[6] << 16 | uint32_t(data[7]) << 24);
    if (static_cast<int64_t>(onDisk) != restored || restored != promised) std::abort();
  } catch (const compress::ELzrw1Exception&) {
    if (std::filesystem::exists(out)) std::abort();  // a failure leaves no output
  }
  return 0;
}
