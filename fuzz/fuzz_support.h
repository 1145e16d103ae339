// What the fuzz targets that work with files share: a scratch directory of the
// process's own, removed when it ends; a system with fixed disks only; and nobody to
// answer a prompt or type a password.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/system.h"

namespace fuzzing {

// <temporary directory>/<name>.<process id>/, made on first use.
inline const std::filesystem::path& ScratchRoot(const char* name) {
  struct Scratch {
    explicit Scratch(const char* name)
        : path(std::filesystem::temp_directory_path() /
               (std::string(name) + "." + std::to_string(::getpid()))) {
      std::filesystem::create_directories(path);
    }
    ~Scratch() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
  };
  static const Scratch scratch(name);
  return scratch.path;
}

// A finding: says what and stops the run.
[[noreturn]] inline void Fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "%s %s\n", what, detail.c_str());
  std::abort();
}

class FixedDrives : public platform::Drives {
 public:
  platform::DriveType TypeOf(const std::string&) override { return platform::DriveType::Fixed; }
};

// Every disk prompt is cancelled; there is no terminal.
class Nobody : public platform::Dialogs, public platform::Console {
 public:
  int Show(platform::DialogKind, const std::string&, const std::string&,
           platform::Buttons) override {
    return platform::kIdCancel;
  }
  void ProcessMessages() override {}
  bool InputIsTerminal() override { return false; }
  bool OutputIsTerminal() override { return false; }
  bool ErrorIsTerminal() override { return false; }
  void UseBinary(std::FILE*) override {}
  std::optional<std::string> ReadSecret(const std::string&) override { return std::nullopt; }
};

// Fixed disks only, and nobody to answer: installed for the rest of the run.
inline void FixedDisksAndNobody() {
  static FixedDrives drives;
  static Nobody nobody;
  static const platform::ScopedPort<platform::Drives> useDrives(drives);
  static const platform::ScopedPort<platform::Dialogs> useDialogs(nobody);
  static const platform::ScopedPort<platform::Console> useConsole(nobody);
}

}  // namespace fuzzing
