// Shared set-up for the compressed-file driver tests: a scratch directory, a driver
// whose events are recorded, and helpers to compress and restore byte vectors.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "compress/lzrw1.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace compress::testing {

using testing_support::Bytes;

class DriverTest : public ::testing::Test {
 protected:
  DriverTest() {
    driver.OnProgress = [this](platform::TObject* sender, int32_t in, int32_t out) {
      EXPECT_EQ(sender, &driver);
      progress.emplace_back(in, out);
    };
    driver.OnFinished = [this](platform::TObject*, int32_t percent) {
      finished.push_back(percent);
    };
  }

  std::string Path(const std::string& name) const { return dir / name; }

  // Compresses `data` (written to "in.dat") into "out.lz" with `mode`; returns the file.
  Bytes CompressBytes(const Bytes& data, TCompressMode mode) {
    testing_support::WriteFileBytes(Path("in.dat"), data);
    driver.InputFile = Path("in.dat");
    driver.OutputFile = Path("out.lz");
    driver.CompressMode = mode;
    const int32_t result = driver.Compress();
    Bytes packed = testing_support::ReadFileBytes(Path("out.lz"));
    EXPECT_EQ(result, static_cast<int32_t>(packed.size()));
    return packed;
  }

  // Restores `packed` (written to "in.lz") into "restored.dat"; returns the result.
  Bytes DecompressBytes(const Bytes& packed) {
    testing_support::WriteFileBytes(Path("in.lz"), packed);
    driver.InputFile = Path("in.lz");
    driver.OutputFile = Path("restored.dat");
    const int32_t result = driver.Decompress();
    Bytes restored = testing_support::ReadFileBytes(Path("restored.dat"));
    EXPECT_EQ(result, static_cast<int32_t>(restored.size()));
    return restored;
  }

  // Restoring `packed` fails with `message`, and no output is left behind.
  void ExpectRestoreFails(const Bytes& packed, const std::string& message) {
    testing_support::WriteFileBytes(Path("in.lz"), packed);
    driver.InputFile = Path("in.lz");
    driver.OutputFile = Path("restored.dat");
    try {
      driver.Decompress();
      ADD_FAILURE() << "Decompress succeeded; expected: " << message;
    } catch (const ELzrw1Exception& e) {
      EXPECT_EQ(e.Message(), message);
    }
    EXPECT_FALSE(testing_support::PathExists(Path("restored.dat")));
  }

  testing_support::ScratchDir dir;
  testing_support::ScriptedDialogs ui;  // counts message pumping
  Tlzrw1 driver{nullptr};
  std::vector<std::pair<int32_t, int32_t>> progress;
  std::vector<int32_t> finished;
};

}  // namespace compress::testing
