// Checks that the shipped 32-bit programs start on Windows XP SP3: reads each program's
// import table and names every DLL and function that XP SP3 lacks or that nobody has
// reviewed yet.
//
//   check_xp_imports LISTS_DIR PROGRAMS_FILE
//
// PROGRAMS_FILE is the list of programs the 32-bit build writes (one path per line).
// Without that build there is nothing to check: the program says so and exits 77, which
// CTest reports as skipped, or 1 when INSTALLER_WIN32_REQUIRED=1 (as scripts/test sets).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "xp/pe_image.h"
#include "xp/xp_imports.h"

namespace {

constexpr int kNotBuilt = 77;

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

int NotBuilt(const std::string& what) {
  std::cout << what
            << ": the 32-bit programs are not built, so they are not checked "
               "(cmake --preset win32 && cmake --build --preset win32 --target Install pck "
               "QEN2005)\n";
  const char* required = std::getenv("INSTALLER_WIN32_REQUIRED");
  return required && std::string(required) == "1" ? 1 : kNotBuilt;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: check_xp_imports LISTS_DIR PROGRAMS_FILE\n";
    return 2;
  }
  const std::string lists = std::string(argv[1]) + "/";
  std::string reviewed, newer, programs;
  if (!ReadFile(lists + "xp_sp3_imports.txt", reviewed) ||
      !ReadFile(lists + "post_xp_imports.txt", newer)) {
    std::cerr << "cannot read the lists in " << lists << "\n";
    return 2;
  }
  if (!ReadFile(argv[2], programs)) return NotBuilt(std::string("no ") + argv[2]);

  xpcheck::XpLists xp;
  try {
    xp = xpcheck::ReadXpLists(reviewed, newer);
  } catch (const std::runtime_error& e) {
    std::cout << lists << ": " << e.what() << "\n";
    return 2;
  }
  std::istringstream paths(programs);
  int failed = 0, checked = 0;
  for (std::string path; std::getline(paths, path);) {
    if (path.empty()) continue;
    std::string bytes;
    if (!ReadFile(path, bytes)) return NotBuilt("no " + path);
    ++checked;
    std::vector<std::string> problems;
    std::size_t dlls = 0, functions = 0;
    try {
      const xpcheck::PeImage image =
          xpcheck::ReadPeImage(std::vector<uint8_t>(bytes.begin(), bytes.end()));
      problems = xpcheck::CheckForXp(image, xp);
      dlls = image.dlls.size();
      for (const auto& dll : image.dlls) functions += dll.imports.size();
    } catch (const std::runtime_error& e) {
      problems.push_back(e.what());
    }
    if (problems.empty()) {
      std::cout << path << ": " << functions << " functions of " << dlls
                << " DLLs, all on Windows XP SP3\n";
      continue;
    }
    ++failed;
    std::cout << path << ": does not start on Windows XP SP3:\n";
    for (const auto& problem : problems) std::cout << "  " << problem << "\n";
  }
  if (checked == 0) return NotBuilt(std::string(argv[2]) + " lists no program");
  if (failed)
    std::cout << "An import not reviewed goes into " << lists
              << "xp_sp3_imports.txt once its minimum supported Windows is known to be XP SP3 "
                 "or older; one that XP lacks, into post_xp_imports.txt with its cause.\n";
  return failed ? 1 : 0;
}
