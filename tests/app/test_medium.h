// A small installation medium for the installer's tests, written by our own package
// writer into DISK1 and DISK2 folders below the current folder: each of the six
// packages holds one file named after it (DBAPI.PCK holds DBAPI.DAT, and so on).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pack/cpacklz.h"
#include "support/test_files.h"

namespace apptest {

inline const char* const kMediumPackages[][2] = {{"DISK1", "DBAPI.PCK"}, {"DISK1", "LD.PCK"},
                                                 {"DISK1", "HELP.PCK"},  {"DISK1", "BD.PCK"},
                                                 {"DISK2", "APP.PCK"},   {"DISK2", "DBSQL32.PCK"}};

inline void WriteTestMedium() {
  namespace fs = std::filesystem;
  for (const auto& [disk, name] : kMediumPackages) {
    const std::string stem = std::string(name).substr(0, std::string(name).find('.'));
    fs::create_directories("SRC/" + stem);
    fs::create_directories(disk);
    testing_support::WriteFileBytes("SRC/" + stem + "/" + stem + ".DAT",
                                    testing_support::SampleText(3000));
    pack::TPackLz writer(nullptr);
    writer.SetDirectory("SRC\\" + stem);
    writer.Items = {"*.*"};
    writer.SetPackFileName(std::string(disk) + "\\" + name);
    ASSERT_TRUE(writer.WritePackage()) << writer.LastError();
  }
}

// A package cut to a few bytes: the reader fails on it.
inline void DamagePackage(const std::string& package) {
  testing_support::WriteFileBytes(package, {'P', 'C', 'K', '1', '1', 0});
}

}  // namespace apptest
